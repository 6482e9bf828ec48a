// The coupling of two instances: every batch of received records goes to
// the coupled peer, and a peer's batches go into our receive ring as if they
// had been received here. Owns the server (TcpSrv) and the client (TcpClnt);
// lives on the thread whose event loop runs the sockets. Forward is called
// on the ring's consumer thread.
#pragma once

#include <QObject>
#include <QStringList>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <set>
#include <string>

#include "net/CouplingMessage.h"
#include "net/FasterTCP.h"
#include "net/PeerFilter.h"
#include "net/PortLock.h"

class ReceiveRing;

struct TCouplingSettings {
  std::string edIP;
  int TCP_Port = 5839;
  bool chkIPSend = true;
  std::string TCP_Bind;   // empty: every interface
  std::string TCP_Allow;  // empty: this machine and its attached networks
};

// "TCP_Port" as used: below 1000 it is the default.
int CouplingPort(int stored);

// lampButtonFace is the window's own: the coupling is not in use at all.
enum TCouplingLamp { lampYellow, lampGreen, lampRed, lampButtonFace };

class TRemoteCoupling : public QObject {
  Q_OBJECT
 public:
  static constexpr char kRoom[] = "Tamarik30";
  static constexpr char kUserName[] = "Tamarik1";
  // Bytes waiting for slow peers before a batch is held back.
  static constexpr qint64 kBacklogLimit = 32 << 20;

  TRemoteCoupling(ReceiveRing& ring, std::string lockFolder = TPortLock::DefaultFolder(), QObject* parent = nullptr);
  ~TRemoteCoupling() override;

  // Start-up: the first instance for the port listens. Nothing at all under
  // tcpOff.
  void Start(const TCouplingSettings& settings, bool tcpOff);
  // Closing: the client disconnects, the server stops.
  void Stop();

  // The mode the records are received in (300: a peer's batches are taken).
  void SetWorkMode(int workMode, bool chkIPSend);
  // Leaving the address field: connect to the other PC (edIPExit).
  void ConnectTo(const QString& host);
  void DisconnectClient();

  bool Listening() const { return TcpSrv.Listen(); }
  QStringList Peers() const;
  TCouplingLamp Lamp() const { return lamp_; }
  void SetLamp(TCouplingLamp lamp);
  bool IsLocalHost(const QString& host) const;

  // --- consumer thread ---
  void Forward(const ReceiveRing& ring, int start, int count);

  std::uint64_t ForwardedRecords() const { return forwarded_.load(); }
  std::uint64_t ReceivedRecords() const { return received_.load(); }
  std::uint64_t NotSentRecords() const { return notSent_.load(); }

  TFasterTCPServer TcpSrv;
  TFasterTCPClient TcpClnt;

  std::function<void(TCouplingLamp)> OnLamp;
  // The connected peers changed (addresses beside the lamp).
  std::function<void(const QStringList&)> OnPeersChanged;
  // A peer registered or left: a status line for the terminal front end.
  std::function<void(const std::string&)> OnStatusLine;

 private:
  bool Receive(const void* from, std::string_view message);
  void SendToPeers(const QByteArray& packet);
  void UpdateBacklog();
  void PeersChanged();
  void WireServer();
  void WireClient();

  ReceiveRing& ring_;
  TPortLock lock_;
  TPeerFilter filter_;
  std::set<QString> refusedReported_;
  bool tcpOff_ = false;
  TCouplingLamp lamp_ = lampYellow;

  std::atomic<int> workMode_{0};
  std::atomic<bool> viewer_{false};     // mode 300 taking a peer's data
  std::atomic<bool> peerReady_{false};  // some registered peer to send to

  // Receipt that waits for room in the ring.
  const void* resumeFrom_ = nullptr;
  int resumeIndex_ = 0;

  // Consumer side.
  TCouplingWriter writer_;
  std::mutex backlogLock_;
  std::condition_variable backlogFreed_;
  qint64 queued_ = 0;   // posted to the socket thread, not yet written
  qint64 backlog_ = 0;  // in the sockets' write buffers
  std::atomic<std::uint64_t> forwarded_{0};
  std::atomic<std::uint64_t> received_{0};
  std::atomic<std::uint64_t> notSent_{0};
};
