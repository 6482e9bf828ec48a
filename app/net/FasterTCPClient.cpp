#include <QHostAddress>

#include "net/FasterTCP.h"
#include "net/WsaErrors.h"

TFasterTCPClient::TFasterTCPClient(QObject* parent) : TCustomFasterSocket(parent) {
  connect(&pingTimer_, &QTimer::timeout, this, &TFasterTCPClient::PingTick);
  reconnectTimer_.setSingleShot(true);
  connect(&reconnectTimer_, &QTimer::timeout, this, [this] {
    if (wanted_ && !link_) StartConnect();
  });
}

TFasterTCPClient::~TFasterTCPClient() {
  wanted_ = false;
  EndConnection(false);
}

bool TFasterTCPClient::SetConnected(bool connected) {
  if (!connected) {
    wanted_ = false;
    reconnectTimer_.stop();
    EndConnection(false);
    return true;
  }
  if (Room.empty() || UserName.empty()) {
    RaiseError(0, "Room and username must be specified before connected!");
    return false;
  }
  wanted_ = true;
  if (!link_) StartConnect();
  return true;
}

bool TFasterTCPClient::SetHost(const QString& host) {
  if (host == host_) return true;
  if (!link_) {
    host_ = host;
    return true;
  }
  if (!AllowChangeHostAndPortOnConnection) {
    RaiseError(0, "Can not change Host while connected");
    return false;
  }
  EndConnection(false);
  host_ = host;
  StartConnect();
  return true;
}

bool TFasterTCPClient::SetPort(quint16 port) {
  if (port == port_) return true;
  if (!link_) {
    port_ = port;
    return true;
  }
  if (!AllowChangeHostAndPortOnConnection) {
    RaiseError(0, "Can not change Port while connected");
    return false;
  }
  EndConnection(false);
  port_ = port;
  StartConnect();
  return true;
}

void TFasterTCPClient::StartConnect() {
  auto* socket = new QTcpSocket;
  link_ = new TFasterLink(socket, this);
  link_->SendPacketsImmediately = SendPacketsImmediately;
  link_->Dispatch = [this](const TPacketView& packet) { return Dispatch(packet); };
  link_->OnBadPacket = [this](std::uint32_t length) {
    Failed(0, "Bad packet length " + std::to_string(length) + " from " + host_.toStdString());
  };
  TStreamEvents& s = link_->Streams;
  s.NewStreamComing = [this](std::uint32_t size, const std::string& name) {
    bool accept = false;
    if (OnNewStreamComing) OnNewStreamComing(*this, size, name, accept);
    return accept;
  };
  const auto event = [this](TEvent& e) {
    return [this, &e] {
      if (e) e(*this);
    };
  };
  s.AcceptStream = event(OnServerAcceptStream);
  s.DenyStream = event(OnServerDenyStream);
  s.StopReceivingStream = event(OnServerStopReceivingStream);
  s.StopSendingStream = event(OnServerStopSendingStream);
  s.ReceivedStream = event(OnServerReceivedStream);
  s.PacketCome = [this](std::span<const std::uint8_t> piece) {
    if (OnPacketCome) OnPacketCome(*this, piece);
  };
  s.StreamReceived = [this](const std::string& name, const QByteArray& data) {
    if (OnStreamReceived) OnStreamReceived(*this, name, data);
  };
  connect(socket, &QTcpSocket::connected, this, [this] {
    connected_ = true;
    silentTicks_ = 0;
    if (PingIntervalMs > 0) pingTimer_.start(PingIntervalMs);
    if (OnConnected) OnConnected(*this);
  });
  connect(socket, &QTcpSocket::disconnected, this, [this] { EndConnection(true); });
  connect(socket, &QTcpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError error) {
    if (error == QAbstractSocket::RemoteHostClosedError) return;  // comes as disconnected
    const int code = WsaCodeOf(error);
    Failed(code, WsaErrorText(code));
  });
  socket->connectToHost(host_, port_);
}

void TFasterTCPClient::Failed(int code, const std::string& text) {
  EndConnection(false);
  // A viewer keeps trying while it is meant to be coupled.
  if (wanted_ && AutoTryReconnect) reconnectTimer_.start(ReconnectDelayMs);
  RaiseError(code, text);
}

void TFasterTCPClient::EndConnection(bool closedByPeer) {
  if (!link_) return;
  TFasterLink* link = std::exchange(link_, nullptr);
  const bool wasConnected = connected_;
  connected_ = registered_ = false;
  pingTimer_.stop();
  link->Close();
  QTcpSocket* socket = link->Socket();
  socket->disconnect(this);
  // Lingering off: the close resets the connection at once.
  socket->abort();
  link->deleteLater();
  if (wasConnected && OnDisconnected) OnDisconnected(*this);
  if (closedByPeer && wanted_ && AutoTryReconnect) reconnectTimer_.start(0);
}

void TFasterTCPClient::SendMessage(std::string_view text) {
  if (link_ && connected_) link_->SendPacket(piMessage, text);
}

void TFasterTCPClient::SendRaw(const QByteArray& packet) {
  if (link_ && connected_) link_->SendRaw(packet);
}

qint64 TFasterTCPClient::Backlog() const { return link_ ? link_->BytesToWrite() : 0; }

QString TFasterTCPClient::PeerIP() const {
  if (!link_ || !connected_) return {};
  QHostAddress peer = link_->Socket()->peerAddress();
  bool mapped = false;
  const quint32 v4 = peer.toIPv4Address(&mapped);
  return mapped ? QHostAddress(v4).toString() : peer.toString();
}

// The server pings us; we ping it too, and a server that stays silent for
// three intervals is taken as gone.
void TFasterTCPClient::PingTick() {
  if (!link_ || !connected_) return;
  if (++silentTicks_ > kMissedPings) {
    if (OnTimeOut) OnTimeOut(*this);
    EndConnection(true);
    return;
  }
  link_->SendPacket(piPing);
}

bool TFasterTCPClient::Dispatch(const TPacketView& packet) {
  silentTicks_ = 0;
  const auto leave = [this](TEvent& e) {
    wanted_ = false;
    EndConnection(false);
    if (e) e(*this);
  };
  switch (packet.Id) {
    case piNeedMoreData:
      if (OnServerNeedMoreData) OnServerNeedMoreData(*this);
      return true;
    case piMessage:
      if (!OnMessageCome) return true;
      return OnMessageCome(*this, std::string_view(reinterpret_cast<const char*>(packet.Body.data()), packet.Body.size()));
    case piPing:
      link_->SendPacket(piPong);
      return true;
    case piPong:
      if (OnServerPong) OnServerPong(*this);
      return true;
    case piAskRegister:
      link_->SendPacket(piRegister, RegistrationBody(UserName, Room));
      return true;
    case piDisconnectAll: leave(OnServerDisconnectAll); return true;
    case piDisconnectYou: leave(OnServerDisconnectYou); return true;
    case piKickYouOut: leave(OnServerKickYouOut); return true;
    case piNameInUse: leave(OnServerNameInUse); return true;
    case piNotLetIn: leave(OnServerNotLetIn); return true;
    case piAccepted:
      registered_ = true;
      if (OnServerAccept) OnServerAccept(*this);
      return true;
    default:
      if (OnUnknownPacketID) OnUnknownPacketID(*this, packet.Id);
      return true;
  }
}
