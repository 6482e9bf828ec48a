#include <QHostInfo>
#include <QNetworkInterface>
#include <algorithm>

#include "core/ErrorReport.h"
#include "net/FasterTCP.h"
#include "net/WsaErrors.h"

void TCustomFasterSocket::RaiseError(int code, const std::string& text) {
  if (OnError) OnError(*this, code, text);
  else ReportError("6.1", text);
}

int WsaCodeOf(QAbstractSocket::SocketError error) {
  switch (error) {
    case QAbstractSocket::ConnectionRefusedError: return 10061;
    case QAbstractSocket::RemoteHostClosedError: return 10054;
    case QAbstractSocket::HostNotFoundError: return 10014;  // the name did not resolve
    case QAbstractSocket::SocketAccessError: return 10013;
    case QAbstractSocket::SocketResourceError: return 10055;
    case QAbstractSocket::SocketTimeoutError: return 10060;
    case QAbstractSocket::DatagramTooLargeError: return 10040;
    case QAbstractSocket::NetworkError: return 10050;
    case QAbstractSocket::AddressInUseError: return 10048;
    case QAbstractSocket::SocketAddressNotAvailableError: return 10049;
    case QAbstractSocket::UnsupportedSocketOperationError: return 10045;
    case QAbstractSocket::OperationError: return 10037;
    case QAbstractSocket::TemporaryError: return 10035;
    default: return 0;
  }
}

TFasterTCPServerClient::TFasterTCPServerClient(QTcpSocket* socket, quint16 serverPort, QObject* parent)
    : QObject(parent), link_(new TFasterLink(socket, this)) {
  QHostAddress peer = socket->peerAddress();
  bool mapped = false;
  const quint32 v4 = peer.toIPv4Address(&mapped);
  if (mapped) peer = QHostAddress(v4);
  PeerIP = peer.toString();
  Port = serverPort;
}

TFasterTCPServer::TFasterTCPServer(QObject* parent) : TCustomFasterSocket(parent), BindAddress(QHostAddress::Any) {
  connect(&server_, &QTcpServer::newConnection, this, &TFasterTCPServer::AcceptPending);
  connect(&server_, &QTcpServer::acceptError, this, [this](QAbstractSocket::SocketError error) {
    // A failing accept (no descriptors left) is the listener's own error.
    const int code = WsaCodeOf(error);
    SetListen(false);
    RaiseError(code, WsaErrorText(code));
  });
  connect(&pingTimer_, &QTimer::timeout, this, &TFasterTCPServer::PingTick);
}

TFasterTCPServer::~TFasterTCPServer() { SetListen(false); }

bool TFasterTCPServer::SetListen(bool listen) {
  if (listen == Listen()) return true;
  if (!listen) {
    pingTimer_.stop();
    while (!clients_.empty()) Drop(clients_.back());
    server_.close();
    return true;
  }
  const QHostAddress address = BindAddress.isNull() ? QHostAddress(QHostAddress::Any) : BindAddress;
  if (!server_.listen(address, port_)) {
    const int code = WsaCodeOf(server_.serverError());
    RaiseError(code, std::string(WsaErrorText(code)) + " (" + server_.errorString().toStdString() + ")");
    return false;
  }
  server_.setMaxPendingConnections(5);
  if (PingIntervalMs > 0) pingTimer_.start(PingIntervalMs);
  return true;
}

bool TFasterTCPServer::SetPort(quint16 port) {
  if (port == port_) return true;
  if (!Listen()) {
    port_ = port;
    return true;
  }
  if (!AllowChangeHostAndPortOnConnection) {
    RaiseError(0, "Can not change Port while listening");
    return false;
  }
  SetListen(false);
  port_ = port;
  return SetListen(true);
}

QString TFasterTCPServer::LocalHostName() const { return QHostInfo::localHostName(); }

QString TFasterTCPServer::LocalIP() const {
  const QHostInfo info = QHostInfo::fromName(LocalHostName());
  for (const QHostAddress& a : info.addresses())
    if (a.protocol() == QAbstractSocket::IPv4Protocol) return a.toString();
  return info.addresses().isEmpty() ? QString() : info.addresses().first().toString();
}

int TFasterTCPServer::RegisteredCount() const {
  return static_cast<int>(std::count_if(clients_.begin(), clients_.end(), [](const TClient* c) { return c->Registered; }));
}

void TFasterTCPServer::AcceptPending() {
  while (QTcpSocket* socket = server_.nextPendingConnection()) {
    auto* client = new TClient(socket, port_, this);
    bool accept = true;
    if (OnAccept) OnAccept(*this, *client, accept);
    if (!accept) {
      // Refused before registration: closed without a word.
      client->Link().Close();
      socket->abort();
      client->deleteLater();
      continue;
    }
    Adopt(client);
  }
}

void TFasterTCPServer::Adopt(TClient* client) {
  clients_.push_back(client);
  TFasterLink& link = client->Link();
  link.SendPacketsImmediately = SendPacketsImmediately;
  QTcpSocket* socket = link.Socket();
  link.Dispatch = [this, client](const TPacketView& packet) { return Dispatch(*client, packet); };
  link.OnBadPacket = [this, client](std::uint32_t length) {
    ClientFailed(client, 0, "Bad packet length " + std::to_string(length) + " from " + client->PeerIP.toStdString());
  };
  TStreamEvents& s = link.Streams;
  s.NewStreamComing = [this, client](std::uint32_t size, const std::string& name) {
    bool accept = false;
    if (OnNewStreamComing) OnNewStreamComing(*this, *client, size, name, accept);
    return accept;
  };
  const auto event = [this, client](TClientEvent& e) {
    return [this, client, &e] {
      if (e) e(*this, *client);
    };
  };
  s.AcceptStream = event(OnClientAcceptStream);
  s.DenyStream = event(OnClientDenyStream);
  s.StopReceivingStream = event(OnClientStopReceivingStream);
  s.StopSendingStream = event(OnClientStopSendingStream);
  s.ReceivedStream = event(OnClientReceivedStream);
  s.PacketCome = [this, client](std::span<const std::uint8_t> piece) {
    if (OnClientPacketCome) OnClientPacketCome(*this, *client, piece);
  };
  s.StreamReceived = [this, client](const std::string& name, const QByteArray& data) {
    if (OnStreamReceived) OnStreamReceived(*this, *client, name, data);
  };
  connect(socket, &QTcpSocket::disconnected, client, [this, client] { Drop(client); });
  connect(socket, &QTcpSocket::errorOccurred, client, [this, client](QAbstractSocket::SocketError error) {
    if (error == QAbstractSocket::RemoteHostClosedError) return;  // the close comes as disconnected
    const int code = WsaCodeOf(error);
    ClientFailed(client, code, WsaErrorText(code));
  });
  link.SendPacket(piAskRegister);
  if (OnClientConnected) OnClientConnected(*this, *client);
  // Bytes that came with the connection.
  link.ReadAvailable();
}

// One client's failure ends that client only; the others keep their data.
void TFasterTCPServer::ClientFailed(TClient* client, int code, const std::string& text) {
  Drop(client);
  RaiseError(code, text);
}

void TFasterTCPServer::Drop(TClient* client) {
  const auto it = std::find(clients_.begin(), clients_.end(), client);
  if (it == clients_.end()) return;
  clients_.erase(it);
  client->Connected = false;
  client->Registered = false;
  client->Link().Close();
  QTcpSocket* socket = client->Link().Socket();
  socket->disconnect(client);
  socket->abort();
  if (OnClientDisconnected) OnClientDisconnected(*this, *client);
  client->deleteLater();
}

void TFasterTCPServer::Disconnect(TClient& client, std::uint32_t reason) {
  if (reason != 0) {
    client.Link().SendPacket(reason);
    client.Link().Flush();
    client.Link().Socket()->flush();
  }
  Drop(&client);
}

void TFasterTCPServer::DisconnectAll() {
  while (!clients_.empty()) Disconnect(*clients_.back(), piDisconnectAll);
}

void TFasterTCPServer::SendMessage(std::string_view text) {
  for (auto it = clients_.rbegin(); it != clients_.rend(); ++it)
    if ((*it)->Registered) (*it)->Link().SendPacket(piMessage, text);
}

void TFasterTCPServer::SendRawToRegistered(const QByteArray& packet) {
  for (auto it = clients_.rbegin(); it != clients_.rend(); ++it)
    if ((*it)->Registered) (*it)->Link().SendRaw(packet);
}

qint64 TFasterTCPServer::LargestBacklog() const {
  qint64 largest = 0;
  for (const TClient* c : clients_)
    if (c->Registered) largest = std::max(largest, const_cast<TClient*>(c)->Link().BytesToWrite());
  return largest;
}

void TFasterTCPServer::PingTick() {
  const std::vector<TClient*> clients = clients_;
  for (TClient* client : clients) {
    if (!client->Registered) continue;
    if (client->PingPending && ++client->PingCount >= kMissedPings) {
      if (OnClientTimeOut) OnClientTimeOut(*this, *client);
      Drop(client);
      continue;
    }
    client->PingPending = true;
    client->Link().SendPacket(piPing);
  }
}

bool TFasterTCPServer::Dispatch(TClient& client, const TPacketView& packet) {
  switch (packet.Id) {
    case piNeedMoreData:
      if (OnClientNeedMoreData) OnClientNeedMoreData(*this, client);
      return true;
    case piMessage:
      if (!OnClientMessageCome) return true;
      return OnClientMessageCome(
          *this, client, std::string_view(reinterpret_cast<const char*>(packet.Body.data()), packet.Body.size()));
    case piPing:
      client.Link().SendPacket(piPong);
      return true;
    case piPong:
      client.PingPending = false;
      client.PingCount = 0;
      if (OnClientPong) OnClientPong(*this, client);
      return true;
    case piRegister:
      Register(client, packet.Body);
      return true;
    default:
      if (OnUnknownPacketID) OnUnknownPacketID(*this, client, packet.Id);
      return true;
  }
}

void TFasterTCPServer::Register(TClient& client, std::span<const std::uint8_t> body) {
  std::string user, room;
  if (!ReadRegistration(body, user, room)) {
    Disconnect(client, piNotLetIn);
    return;
  }
  if (!AllowSameUserNames)
    for (const TClient* other : clients_)
      if (other != &client && other->Registered && other->UserName == user) {
        Disconnect(client, piNameInUse);
        return;
      }
  client.UserName = user;
  client.Room = room;
  bool refuse = false;
  if (OnServerGetUserName) OnServerGetUserName(*this, client, user, room, refuse);
  if (refuse) {
    Disconnect(client, piNotLetIn);
    return;
  }
  client.Registered = true;
  client.Link().SendPacket(piAccepted);
}
