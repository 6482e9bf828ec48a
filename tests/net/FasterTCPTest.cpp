// Our own server and client over loopback: registration, messages, pings,
// streams, and a bad peer that ends only itself.
#include <gtest/gtest.h>

#include <QTcpSocket>
#include <memory>

#include "net/FasterTCP.h"
#include "net/WsaErrors.h"
#include "NetTestSupport.h"

namespace {

class FasterTcp : public ::testing::Test {
 protected:
  void SetUp() override {
    EnsureApp();
    server.BindAddress = QHostAddress(QHostAddress::LocalHost);
    server.PingIntervalMs = 0;  // the tests tick by hand
    server.OnError = [this](TCustomFasterSocket&, int, const std::string& text) { serverErrors.push_back(text); };
    server.OnClientMessageCome = [this](TFasterTCPServer&, TFasterTCPServerClient&, std::string_view m) {
      serverGot.emplace_back(m);
      return true;
    };
    ASSERT_TRUE(server.SetListen(true));
  }

  std::unique_ptr<TFasterTCPClient> Client(const std::string& user) {
    auto c = std::make_unique<TFasterTCPClient>();
    c->PingIntervalMs = 0;
    c->Room = "Tamarik30";
    c->UserName = user;
    c->SetHost(QStringLiteral("127.0.0.1"));
    c->SetPort(server.ListeningPort());
    c->OnError = [](TCustomFasterSocket&, int, const std::string&) {};
    return c;
  }

  // A client of ours that has registered; what the server says goes to got.
  std::unique_ptr<TFasterTCPClient> Registered(const std::string& user, std::vector<std::string>* got = nullptr) {
    auto c = Client(user);
    if (got != nullptr)
      c->OnMessageCome = [got](TFasterTCPClient&, std::string_view m) {
        got->emplace_back(m);
        return true;
      };
    c->SetConnected(true);
    EXPECT_TRUE(TurnUntil([&] { return c->Registered(); })) << user;
    return c;
  }

  // A raw socket that speaks the framing by hand.
  std::unique_ptr<QTcpSocket> Raw() {
    auto s = std::make_unique<QTcpSocket>();
    s->connectToHost(QHostAddress::LocalHost, server.ListeningPort());
    EXPECT_TRUE(TurnUntil([&] { return s->state() == QAbstractSocket::ConnectedState; }));
    return s;
  }

  static void Send(QTcpSocket& s, std::uint32_t id, const std::vector<std::uint8_t>& body = {}) {
    std::vector<std::uint8_t> bytes;
    AppendPacket(bytes, id, body);
    s.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
  }

  TFasterTCPServer server;
  std::vector<std::string> serverErrors;
  std::vector<std::string> serverGot;
};

}  // namespace

TEST_F(FasterTcp, RegistrationAnswersAcceptNameInUseAndRefusal) {
  auto first = Client("Tamarik1");
  bool accepted = false;
  first->OnServerAccept = [&](TFasterTCPClient&) { accepted = true; };
  ASSERT_TRUE(first->SetConnected(true));
  ASSERT_TRUE(TurnUntil([&] { return accepted; }));
  EXPECT_EQ(server.RegisteredCount(), 1);

  auto same = Client("Tamarik1");
  bool inUse = false;
  same->OnServerNameInUse = [&](TFasterTCPClient&) { inUse = true; };
  same->SetConnected(true);
  ASSERT_TRUE(TurnUntil([&] { return inUse; }));
  EXPECT_FALSE(same->Connected());

  // Names compare with case.
  auto otherCase = Client("tamarik1");
  bool otherAccepted = false;
  otherCase->OnServerAccept = [&](TFasterTCPClient&) { otherAccepted = true; };
  otherCase->SetConnected(true);
  ASSERT_TRUE(TurnUntil([&] { return otherAccepted; }));

  server.OnServerGetUserName = [](TFasterTCPServer&, TFasterTCPServerClient&, const std::string& user,
                                  const std::string&, bool& refuse) { refuse = user == "Nobody"; };
  auto refused = Client("Nobody");
  bool notLetIn = false;
  refused->OnServerNotLetIn = [&](TFasterTCPClient&) { notLetIn = true; };
  refused->SetConnected(true);
  ASSERT_TRUE(TurnUntil([&] { return notLetIn; }));
  EXPECT_TRUE(TurnUntil([&] { return server.Clients().size() == 2; }));
}

TEST_F(FasterTcp, ConnectingWithoutRoomOrNameFailsBeforeAnySocket) {
  auto c = Client("");
  std::string error;
  c->OnError = [&](TCustomFasterSocket&, int, const std::string& text) { error = text; };
  EXPECT_FALSE(c->SetConnected(true));
  EXPECT_EQ(error, "Room and username must be specified before connected!");
  EXPECT_EQ(c->Link(), nullptr);
}

TEST_F(FasterTcp, MessagesGoOnlyToRegisteredClients) {
  std::vector<std::string> got;
  auto viewer = Registered("Tamarik1", &got);
  ASSERT_TRUE(viewer->Registered());
  auto lurker = Raw();  // connected, never registers
  ASSERT_TRUE(TurnUntil([&] { return server.Clients().size() == 2; }));

  server.SendMessage("abc");
  viewer->SendMessage("xyz");
  ASSERT_TRUE(TurnUntil([&] { return got.size() == 1 && serverGot.size() == 1; }));
  EXPECT_EQ(got[0], "abc");
  EXPECT_EQ(serverGot[0], "xyz");
  TurnFor(50);
  // The lurker saw the request to register (12) and nothing else.
  const QByteArray lurked = lurker->readAll();
  ASSERT_EQ(lurked.size(), 8);
  EXPECT_EQ(GetU32(reinterpret_cast<const std::uint8_t*>(lurked.constData()) + 4), piAskRegister);
}

TEST_F(FasterTcp, BadLengthWordEndsThatClientOnly) {
  std::vector<std::string> got;
  auto viewer = Registered("Tamarik1", &got);
  ASSERT_TRUE(viewer->Registered());
  for (std::uint32_t length : {0u, 7u, 0xFFFFFFFFu}) {
    auto bad = Raw();
    ASSERT_TRUE(TurnUntil([&] { return server.Clients().size() == 2; }));
    std::uint8_t header[8];
    PutU32(header, length);
    PutU32(header + 4, piMessage);
    bad->write(reinterpret_cast<const char*>(header), 8);
    ASSERT_TRUE(TurnUntil([&] { return server.Clients().size() == 1; })) << length;
    EXPECT_TRUE(TurnUntil([&] { return bad->state() == QAbstractSocket::UnconnectedState; }));
  }
  ASSERT_EQ(serverErrors.size(), 3u);
  EXPECT_NE(serverErrors[2].find("4294967295"), std::string::npos);
  EXPECT_TRUE(server.Listen());
  server.SendMessage("still here");
  ASSERT_TRUE(TurnUntil([&] { return !got.empty(); }));
  EXPECT_EQ(got[0], "still here");
}

TEST_F(FasterTcp, PingsAreAnsweredAndASilentPeerTimesOut) {
  auto viewer = Registered("Tamarik1");
  ASSERT_TRUE(viewer->Registered());
  bool pong = false;
  server.OnClientPong = [&](TFasterTCPServer&, TFasterTCPServerClient&) { pong = true; };
  server.PingTick();
  ASSERT_TRUE(TurnUntil([&] { return pong; }));
  EXPECT_FALSE(server.Clients()[0]->PingPending);

  // A peer that registers and then never answers.
  auto mute = Raw();
  Send(*mute, piRegister, RegistrationBody("Mute", "Tamarik30"));
  ASSERT_TRUE(TurnUntil([&] { return server.RegisteredCount() == 2; }));
  std::vector<std::string> timedOut;
  server.OnClientTimeOut = [&](TFasterTCPServer&, TFasterTCPServerClient& c) { timedOut.push_back(c.UserName); };
  for (int i = 0; i <= TCustomFasterSocket::kMissedPings; ++i) {
    server.PingTick();
    TurnFor(30);
  }
  EXPECT_EQ(timedOut, std::vector<std::string>{"Mute"});
  EXPECT_EQ(server.RegisteredCount(), 1);
}

TEST_F(FasterTcp, StreamsArriveWholeOrAreDenied) {
  auto client = Registered("Tamarik1");
  ASSERT_TRUE(client->Registered());
  QByteArray data(300 * 1024, '\0');
  for (qsizetype i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i * 7);

  std::string deniedName;
  server.OnNewStreamComing = [&](TFasterTCPServer&, TFasterTCPServerClient&, std::uint32_t size,
                                 const std::string& name, bool& accept) {
    accept = name == "trace.txt" && size == data.size();
    if (!accept) deniedName = name;
  };
  QByteArray received;
  server.OnStreamReceived = [&](TFasterTCPServer&, TFasterTCPServerClient&, const std::string&, const QByteArray& d) {
    received = d;
  };
  bool denied = false, done = false;
  client->OnServerDenyStream = [&](TFasterTCPClient&) { denied = true; };
  client->OnServerReceivedStream = [&](TFasterTCPClient&) { done = true; };

  ASSERT_TRUE(client->Link()->SendStream("other.bin", data));
  ASSERT_TRUE(TurnUntil([&] { return denied; }));
  EXPECT_EQ(deniedName, "other.bin");
  ASSERT_TRUE(client->Link()->SendStream("trace.txt", data));
  ASSERT_TRUE(TurnUntil([&] { return done; }));
  EXPECT_EQ(received, data);
}

TEST_F(FasterTcp, ListenNumberChangeNeedsTheAllowance) {
  const quint16 before = server.ListeningPort();
  EXPECT_FALSE(server.SetPort(static_cast<quint16>(before == 65000 ? 65001 : 65000)));
  ASSERT_FALSE(serverErrors.empty());
  EXPECT_EQ(serverErrors.back(), "Can not change Port while listening");
  EXPECT_EQ(server.ListeningPort(), before);
}
