#include "net/RemoteCoupling.h"

#include <QHostInfo>
#include <algorithm>
#include <chrono>

#include "core/AppFlags.h"
#include "core/ErrorReport.h"
#include "core/Language.h"
#include "net/CouplingTexts.h"
#include "core/ReceiveRing.h"

int CouplingPort(int stored) { return stored < 1000 || stored > 65535 ? 5839 : stored; }

TRemoteCoupling::TRemoteCoupling(ReceiveRing& ring, std::string lockFolder, QObject* parent)
    : QObject(parent), ring_(ring), lock_(std::move(lockFolder)) {
  TcpClnt.Room = kRoom;
  TcpClnt.UserName = kUserName;
  TcpClnt.AutoTryReconnect = true;
  TcpSrv.AllowSameUserNames = false;
  WireServer();
  WireClient();
}

TRemoteCoupling::~TRemoteCoupling() { Stop(); }

void TRemoteCoupling::Start(const TCouplingSettings& settings, bool tcpOff) {
  tcpOff_ = tcpOff;
  TcpSrv.SetListen(false);
  TcpClnt.SetConnected(false);
  if (tcpOff) return;
  const int port = CouplingPort(settings.TCP_Port);
  QStringList bad;
  filter_.Set(QString::fromStdString(settings.TCP_Allow), &bad);
  if (!bad.isEmpty())
    ReportError("6.2", "TCP_Allow: not an address or network: " + bad.join(QStringLiteral("; ")).toStdString() +
                           " (only this machine may connect)");
  TcpSrv.BindAddress = QHostAddress(QHostAddress::Any);
  if (!settings.TCP_Bind.empty()) {
    const QHostAddress bind(QString::fromStdString(settings.TCP_Bind));
    if (bind.isNull()) {
      ReportError("6.2", "TCP_Bind: not an address: " + settings.TCP_Bind + " (not listening)");
      lock_.Release();
      TcpClnt.SetPort(static_cast<quint16>(port));
      TcpClnt.SetHost(QString::fromStdString(settings.edIP));
      return;
    }
    TcpSrv.BindAddress = bind;
  }
  TcpSrv.SetPort(static_cast<quint16>(port));
  if (lock_.Acquire(port)) TcpSrv.SetListen(true);
  TcpClnt.SetPort(static_cast<quint16>(port));
  TcpClnt.SetHost(QString::fromStdString(settings.edIP));
}

void TRemoteCoupling::Stop() {
  TcpClnt.SetConnected(false);
  TcpSrv.SetListen(false);
  lock_.Release();
  peerReady_.store(false);
  std::lock_guard lock(backlogLock_);
  backlogFreed_.notify_all();
}

void TRemoteCoupling::SetWorkMode(int workMode, bool chkIPSend) {
  workMode_.store(workMode);
  viewer_.store(workMode == 300 && chkIPSend);
}

bool TRemoteCoupling::IsLocalHost(const QString& host) const {
  if (host.compare(TcpSrv.LocalHostName(), Qt::CaseInsensitive) == 0 || host == TcpSrv.LocalIP()) return true;
  if (host.compare(QStringLiteral("localhost"), Qt::CaseInsensitive) == 0) return true;
  const QHostAddress address(host);
  return !address.isNull() && PlainAddress(address).isLoopback();
}

void TRemoteCoupling::ConnectTo(const QString& host) {
  if (tcpOff_) return;
  if (host != TcpClnt.Host()) {
    TcpClnt.SetConnected(false);
    TcpClnt.SetHost(host);
  }
  if (host.isEmpty() || TcpClnt.Connected()) return;
  // Another instance on this PC is the server: connect to it, never to ourselves.
  if (IsLocalHost(host) && TcpSrv.Listen()) return;
  TcpClnt.SetConnected(true);
}

void TRemoteCoupling::DisconnectClient() { TcpClnt.SetConnected(false); }

QStringList TRemoteCoupling::Peers() const {
  QStringList peers;
  for (const TFasterTCPServerClient* client : TcpSrv.Clients())
    if (client->Registered) peers.append(client->PeerIP);
  if (TcpClnt.Registered()) peers.append(TcpClnt.PeerIP());
  return peers;
}

void TRemoteCoupling::SetLamp(TCouplingLamp lamp) {
  lamp_ = lamp;
  if (OnLamp) OnLamp(lamp);
}

void TRemoteCoupling::PeersChanged() {
  peerReady_.store(TcpSrv.RegisteredCount() > 0 || TcpClnt.Registered());
  if (OnPeersChanged) OnPeersChanged(Peers());
}

void TRemoteCoupling::WireServer() {
  TcpSrv.OnAccept = [this](TFasterTCPServer&, TFasterTCPServerClient& client, bool& accept) {
    const QHostAddress peer(client.PeerIP);
    if (filter_.Allows(peer)) {
      SetLamp(lampGreen);
      return;
    }
    accept = false;
    if (refusedReported_.insert(client.PeerIP).second)
      ReportError("6.2", GetText(TextId::CouplingPeerRefused) + " " + client.PeerIP.toStdString());
  };
  TcpSrv.OnClientConnected = [this](TFasterTCPServer&, TFasterTCPServerClient& client) {
    connect(client.Link().Socket(), &QTcpSocket::bytesWritten, this, &TRemoteCoupling::UpdateBacklog);
  };
  TcpSrv.OnServerGetUserName = [this](TFasterTCPServer&, TFasterTCPServerClient& client, const std::string&,
                                      const std::string&, bool&) {
    // Registered only after this returns: announced on the next turn.
    QMetaObject::invokeMethod(this, [this, ip = client.PeerIP] {
      PeersChanged();
      if (OnStatusLine) OnStatusLine(GetText(TextId::CouplingPeerRegistered) + " " + ip.toStdString());
    }, Qt::QueuedConnection);
  };
  TcpSrv.OnClientDisconnected = [this](TFasterTCPServer&, TFasterTCPServerClient& client) {
    const bool wasRegistered = !client.UserName.empty();
    PeersChanged();
    UpdateBacklog();
    if (wasRegistered && OnStatusLine)
      OnStatusLine(GetText(TextId::CouplingPeerLeft) + " " + client.PeerIP.toStdString());
  };
  TcpSrv.OnClientMessageCome = [this](TFasterTCPServer&, TFasterTCPServerClient& client, std::string_view message) {
    return Receive(&client, message);
  };
  TcpSrv.OnError = [](TCustomFasterSocket&, int, const std::string& text) { ReportError("6.1", text); };
}

void TRemoteCoupling::WireClient() {
  TcpClnt.OnConnected = [this](TFasterTCPClient& client) {
    SetLamp(lampGreen);
    connect(client.Link()->Socket(), &QTcpSocket::bytesWritten, this, &TRemoteCoupling::UpdateBacklog);
  };
  TcpClnt.OnServerAccept = [this](TFasterTCPClient& client) {
    PeersChanged();
    if (OnStatusLine) OnStatusLine(GetText(TextId::CouplingPeerRegistered) + " " + client.PeerIP().toStdString());
  };
  TcpClnt.OnDisconnected = [this](TFasterTCPClient& client) {
    SetLamp(lampYellow);
    PeersChanged();
    UpdateBacklog();
    if (OnStatusLine) OnStatusLine(GetText(TextId::CouplingPeerLeft) + " " + client.Host().toStdString());
  };
  TcpClnt.OnMessageCome = [this](TFasterTCPClient& client, std::string_view message) {
    return Receive(&client, message);
  };
  TcpClnt.OnError = [](TCustomFasterSocket&, int code, const std::string& text) {
    ReportError("6.1", code ? text + " (" + std::to_string(code) + ")" : text);
  };
}

// A peer's batch goes into the ring as runs of slots, through the same
// claim and commit as our own ports; each record keeps the sender's time.
// When the ring has no room, the rest waits in the connection (which then
// stops reading) instead of being lost.
bool TRemoteCoupling::Receive(const void* from, std::string_view message) {
  if (workMode_.load() != 300 || message.empty()) return true;
  const std::span body(reinterpret_cast<const std::uint8_t*>(message.data()), message.size());
  TCouplingHeader header;
  if (ReadCouplingHeader(body, header) != ccOk) return true;
  if (resumeFrom_ && resumeFrom_ != from) return false;
  int next = resumeFrom_ == from ? resumeIndex_ : 0;
  while (next < header.Count) {
    // Only what fits is claimed: in mode 300 no port of ours fills the ring,
    // so nothing still waiting here is counted lost.
    const int room = std::min(ring_.FreeSlots(), header.Count - next);
    int first = 0;
    double stamp = 0.0;
    const int granted = room > 0 ? ring_.ClaimRun(room, first, stamp) : 0;
    if (granted == 0) {
      resumeFrom_ = from;
      resumeIndex_ = next;
      return false;
    }
    for (int k = 0; k < granted; ++k) {
      TSeriellData& slot = ring_.Slot((first + k) % ReceiveRing::Size);
      ReadCouplingRecord(body, next + k, slot);
      if (slot.Ready <= 0) slot.Ready = 1;
    }
    ring_.CommitRun(granted);
    next += granted;
    received_.fetch_add(static_cast<std::uint64_t>(granted), std::memory_order_relaxed);
  }
  resumeFrom_ = nullptr;
  resumeIndex_ = 0;
  return true;
}

void TRemoteCoupling::Forward(const ReceiveRing& ring, int start, int count) {
  if (tcpOff_ || TcpOff.load() || count <= 0 || !peerReady_.load()) return;
  // A viewer's batches came from its peer: sending them back would echo.
  if (viewer_.load()) return;
  const qsizetype size = static_cast<qsizetype>(TCouplingWriter::PacketSize(static_cast<std::size_t>(count)));
  {
    std::unique_lock lock(backlogLock_);
    // A peer that does not keep up holds the batch back a while; after that
    // the batch is not sent to it, and the local trace goes on.
    const bool room = backlogFreed_.wait_for(lock, std::chrono::milliseconds(500), [&] {
      return queued_ + backlog_ < kBacklogLimit || AppClosing.load() || !peerReady_.load();
    });
    if (!room || AppClosing.load() || !peerReady_.load()) {
      notSent_.fetch_add(static_cast<std::uint64_t>(count));
      return;
    }
    queued_ += size;
  }
  QByteArray packet(size, Qt::Uninitialized);
  writer_.WritePacket(reinterpret_cast<std::uint8_t*>(packet.data()), workMode_.load(),
                      std::span(&ring.Slot(start), static_cast<std::size_t>(count)));
  forwarded_.fetch_add(static_cast<std::uint64_t>(count));
  QMetaObject::invokeMethod(this, [this, packet] { SendToPeers(packet); }, Qt::QueuedConnection);
}

void TRemoteCoupling::SendToPeers(const QByteArray& packet) {
  {
    std::lock_guard lock(backlogLock_);
    queued_ -= packet.size();
  }
  TcpSrv.SendRawToRegistered(packet);
  if (TcpClnt.Registered()) TcpClnt.SendRaw(packet);
  UpdateBacklog();
}

void TRemoteCoupling::UpdateBacklog() {
  const qint64 backlog = std::max(TcpSrv.LargestBacklog(), TcpClnt.Registered() ? TcpClnt.Backlog() : qint64{0});
  std::lock_guard lock(backlogLock_);
  backlog_ = backlog;
  backlogFreed_.notify_all();
}
