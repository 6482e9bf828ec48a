// The framed-packet transport over TCP: one server with any number of
// clients, each a TFasterTCPServerClient, and one client component. All
// events run on the thread that owns the component (its event loop).
#pragma once

#include <QHostAddress>
#include <QObject>
#include <QTcpServer>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "net/FasterLink.h"

class TCustomFasterSocket : public QObject {
  Q_OBJECT
 public:
  using TErrorEvent = std::function<void(TCustomFasterSocket& sender, int code, const std::string& text)>;

  explicit TCustomFasterSocket(QObject* parent = nullptr) : QObject(parent) {}
  QString Host() const { return host_; }
  quint16 Port() const { return port_; }
  bool AllowChangeHostAndPortOnConnection = false;
  // Keep-alive: a ping every interval; three unanswered ones end the peer.
  int PingIntervalMs = 5000;
  static constexpr int kMissedPings = 3;
  TErrorEvent OnError;

 protected:
  // Without OnError the error goes to the error report.
  void RaiseError(int code, const std::string& text);
  QString host_;
  quint16 port_ = 0;
};

// The socket error as the transport's error number.
int WsaCodeOf(QAbstractSocket::SocketError error);

class TFasterTCPServer;

class TFasterTCPServerClient : public QObject {
  Q_OBJECT
 public:
  TFasterTCPServerClient(QTcpSocket* socket, quint16 serverPort, QObject* parent);
  TFasterLink& Link() { return *link_; }
  QString PeerIP;
  quint16 Port = 0;
  bool Connected = true;
  bool Registered = false;  // answered 18: only now does it get data
  std::string UserName;
  std::string Room;
  bool PingPending = false;
  int PingCount = 0;

 private:
  TFasterLink* link_;
};

class TFasterTCPServer : public TCustomFasterSocket {
  Q_OBJECT
 public:
  using TClient = TFasterTCPServerClient;
  using TClientEvent = std::function<void(TFasterTCPServer&, TClient&)>;

  explicit TFasterTCPServer(QObject* parent = nullptr);
  ~TFasterTCPServer() override;

  bool Listen() const { return server_.isListening(); }
  // The port really listened on (Port 0 lets the system choose one).
  quint16 ListeningPort() const { return server_.serverPort(); }
  // False when listening could not start (the error went to OnError).
  bool SetListen(bool listen);
  // Refused while listening unless AllowChangeHostAndPortOnConnection.
  bool SetPort(quint16 port);
  // The address to listen on; any address when null.
  QHostAddress BindAddress;
  QString LocalHostName() const;
  QString LocalIP() const;
  bool AllowSameUserNames = false;
  bool SendPacketsImmediately = true;

  const std::vector<TClient*>& Clients() const { return clients_; }
  int RegisteredCount() const;
  // A text message (8) to every registered client, from the last to the first.
  void SendMessage(std::string_view text);
  void SendRawToRegistered(const QByteArray& packet);
  // Ends a client, telling it why first (13, 14, 15 or 0 for nothing).
  void Disconnect(TClient& client, std::uint32_t reason = piDisconnectYou);
  void DisconnectAll();
  qint64 LargestBacklog() const;
  void PingTick();

  std::function<void(TFasterTCPServer&, TClient&, bool& accept)> OnAccept;
  TClientEvent OnClientConnected, OnClientDisconnected, OnClientNeedMoreData, OnClientPong, OnClientTimeOut;
  TClientEvent OnClientAcceptStream, OnClientDenyStream, OnClientReceivedStream;
  TClientEvent OnClientStopReceivingStream, OnClientStopSendingStream;
  // The message points into the receive buffer; false: offer it again later.
  std::function<bool(TFasterTCPServer&, TClient&, std::string_view message)> OnClientMessageCome;
  std::function<void(TFasterTCPServer&, TClient&, std::span<const std::uint8_t>)> OnClientPacketCome;
  std::function<void(TFasterTCPServer&, TClient&, std::uint32_t size, const std::string& name, bool& accept)>
      OnNewStreamComing;
  std::function<void(TFasterTCPServer&, TClient&, const std::string& name, const QByteArray&)> OnStreamReceived;
  std::function<void(TFasterTCPServer&, TClient&, const std::string& user, const std::string& room, bool& refuse)>
      OnServerGetUserName;
  std::function<void(TFasterTCPServer&, TClient&, std::uint32_t id)> OnUnknownPacketID;

 private:
  void AcceptPending();
  void Adopt(TClient* client);
  bool Dispatch(TClient& client, const TPacketView& packet);
  void Register(TClient& client, std::span<const std::uint8_t> body);
  void Drop(TClient* client);
  void ClientFailed(TClient* client, int code, const std::string& text);

  QTcpServer server_;
  QTimer pingTimer_;
  std::vector<TClient*> clients_;
};

class TFasterTCPClient : public TCustomFasterSocket {
  Q_OBJECT
 public:
  using TEvent = std::function<void(TFasterTCPClient&)>;

  explicit TFasterTCPClient(QObject* parent = nullptr);
  ~TFasterTCPClient() override;

  bool Connected() const { return connected_; }
  bool Registered() const { return registered_; }
  // Connecting needs a room and a user name; false when refused.
  bool SetConnected(bool connected);
  bool SetHost(const QString& host);
  bool SetPort(quint16 port);
  std::string Room;
  std::string UserName;
  bool AutoTryReconnect = false;
  int ReconnectDelayMs = 2000;
  bool SendPacketsImmediately = true;

  void SendMessage(std::string_view text);
  void SendRaw(const QByteArray& packet);
  qint64 Backlog() const;
  QString PeerIP() const;
  TFasterLink* Link() const { return link_; }
  void PingTick();

  TEvent OnConnected, OnDisconnected, OnServerAccept, OnServerAcceptStream, OnServerDenyStream;
  TEvent OnServerDisconnectAll, OnServerDisconnectYou, OnServerKickYouOut, OnServerNameInUse, OnServerNotLetIn;
  TEvent OnServerNeedMoreData, OnServerPong, OnServerReceivedStream, OnServerStopReceivingStream;
  TEvent OnServerStopSendingStream, OnTimeOut;
  std::function<bool(TFasterTCPClient&, std::string_view message)> OnMessageCome;
  std::function<void(TFasterTCPClient&, std::span<const std::uint8_t>)> OnPacketCome;
  std::function<void(TFasterTCPClient&, std::uint32_t size, const std::string& name, bool& accept)> OnNewStreamComing;
  std::function<void(TFasterTCPClient&, const std::string& name, const QByteArray&)> OnStreamReceived;
  std::function<void(TFasterTCPClient&, std::uint32_t id)> OnUnknownPacketID;

 private:
  void StartConnect();
  // Ends the connection; closedByPeer starts a reconnect when asked for.
  void EndConnection(bool closedByPeer);
  bool Dispatch(const TPacketView& packet);
  void Failed(int code, const std::string& text);

  TFasterLink* link_ = nullptr;
  bool wanted_ = false;  // Connected was set true and not false since
  bool connected_ = false;
  bool registered_ = false;
  int silentTicks_ = 0;
  QTimer pingTimer_;
  QTimer reconnectTimer_;
};
