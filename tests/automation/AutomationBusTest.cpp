// The automation object on a private session bus (the test runs under
// dbus-run-session): clients on their own connections, a port on a
// pseudo-terminal, the real receive path from the port to the events.
#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusReply>
#include <chrono>
#include <memory>

#include "FakeSetComTarget.h"
#include "automation/AutomationHost.h"
#include "automation/CLSTamarik.h"
#include "core/ReceivePipeline.h"
#include "core/SendData.h"
#include "core/SerialThreadOut.h"
#include "serial/PseudoTerminal.h"
#include "serial/SerialSendPort.h"
#include "serial/SerialTestUtil.h"
#include "serial/Seriell.h"

using namespace serial_test;

namespace {

QCoreApplication& App() {
  static int argc = 1;
  static char name[] = "test_automation";
  static char* argv[] = {name, nullptr};
  static QCoreApplication app(argc, argv);
  return app;
}

class TNullTrace final : public TTraceSink {
 public:
  void AppendText(std::string_view, TColor) override {}
  bool LastLineEmpty() const override { return true; }
};

class TTestHost final : public TAutomationHost {
 public:
  explicit TTestHost(TSendRoutine& routine) : routine_(routine) {}
  void Info() override {}
  int Hide() override { return 0; }
  int Show() override { return 0; }
  int WorkMode() const override { return 110; }
  bool Send(bool targetB, const std::string& bytes, bool raw) override {
    return routine_.DatenSenden(targetB, bytes, false, false, raw, false, false, 0);
  }
  TSetComTarget& SetComTarget() override { return target; }
  int OpenPort() override { return 1; }
  int ClosePort() override { return 0; }
  void AutomationActiveChanged(bool active) override { activeChanges.push_back(active); }

  TFakeSetComTarget target;
  std::vector<bool> activeChanges;

 private:
  TSendRoutine& routine_;
};

// Collects the events one client receives.
class TEventSink : public QObject {
  Q_OBJECT
 public slots:
  void OnRxData(uchar b) { all.push_back(static_cast<char>(b)); }
  void OnRxDataA(uchar b) { sideA.push_back(static_cast<char>(b)); }

 public:
  std::string all, sideA;
};

class AutomationBus : public ::testing::Test {
 protected:
  void SetUp() override {
    App();
    ASSERT_EQ(line.Open(), 0);
    port.SetDirection(dirPortA);
    port.SetFlowMode(fcNone);
    port.SetBaudrate(115200);
    port.SetPort(line.SlaveName());
    port.SetActive(true);
    ASSERT_TRUE(port.Opened());
    routine.SetPorts(&sendA, nullptr);
    routine.SetWorkMode(110, false);
    TRxOptions rx;
    rx.WorkMode = 110;
    pipeline.SetOptions(rx);
    consumer.SetLostHandler([this](std::uint64_t n) { lost += n; });
    consumer.Resume();
    QString error;
    ASSERT_TRUE(server.Register(QDBusConnection::sessionBus(), &error)) << error.toStdString();
  }
  void TearDown() override {
    port.SetActive(false);
    consumer.Terminate();
  }

  QDBusConnection Client(const QString& name) {
    return QDBusConnection::connectToBus(QDBusConnection::SessionBus, name);
  }
  // Calls on the client's connection while this thread serves the object.
  QDBusMessage Call(QDBusConnection& client, const char* method, const QList<QVariant>& args = {}) {
    QDBusMessage m = QDBusMessage::createMethodCall(kAutomationService, kAutomationPath, kAutomationInterface, method);
    m.setArguments(args);
    QDBusPendingCall pending = client.asyncCall(m, 20000);
    while (!pending.isFinished()) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return pending.reply();
  }
  int Value(QDBusConnection& client, const char* method, const QList<QVariant>& args = {}) {
    const QDBusMessage reply = Call(client, method, args);
    EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
    return reply.arguments().value(0, -99).toInt();
  }
  void Spin(const std::function<bool()>& done) {
    WaitFor([&] {
      QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
      return done();
    });
  }
  std::string ReadLine(std::size_t want) {
    std::string got;
    WaitFor([&] {
      char buffer[256];
      const ssize_t n = ::read(line.Master(), buffer, sizeof buffer);
      if (n > 0) got.append(buffer, static_cast<std::size_t>(n));
      return got.size() >= want;
    });
    return got;
  }

  TPseudoTerminal line;
  TNullTrace trace;
  TReceivePipeline pipeline{trace};
  TSerialThreadOut consumer{[this](TSerialThreadOut& s) { pipeline.RxData(s); }};
  TSeriell port{consumer.Ring()};
  TSerialSendPort sendA{port};
  TSendRoutine routine;
  TTestHost host{routine};
  TTamarikServer server{host, pipeline};
  std::atomic<std::uint64_t> lost{0};
};

TEST_F(AutomationBus, SendEdgeCases) {
  QDBusConnection client = Client("send");
  EXPECT_EQ(Value(client, "SendData", {comPortAB, QString("X"), false}), kSendBadPort);
  EXPECT_EQ(Value(client, "SendData", {comPortA, QString(), true}), kSendEmpty);
  EXPECT_EQ(Value(client, "SendData", {comPortA, QString("AB\r"), true}), kSendOk);
  EXPECT_EQ(ReadLine(3), std::string("AB\r"));  // the refused send put nothing before it
  EXPECT_EQ(Value(client, "SendByte", {comPortA, 0xE9}), 0);
  EXPECT_EQ(ReadLine(1), "\xE9");
  EXPECT_EQ(Value(client, "SetCOM", {9, 0, comPortA, QVariant::fromValue<uchar>(1), 0, comDbt8, comSbt1, 7}), 145);
  QDBusConnection::disconnectFromBus("send");
}

TEST_F(AutomationBus, GetNextCharOnEmptyBufferWaitsThenGivesMinusOne) {
  QDBusConnection client = Client("empty");
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(Value(client, "GetNextChar"), -1);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(5));
  QDBusConnection::disconnectFromBus("empty");
}

TEST_F(AutomationBus, OneObjectPerClientAndActiveWhileAnyLives) {
  auto first = std::make_unique<QDBusConnection>(Client("first"));
  auto second = std::make_unique<QDBusConnection>(Client("second"));
  EXPECT_EQ(Value(*first, "SendByte", {comPortA, 300}), kByteOutOfRange);
  EXPECT_TRUE(host.activeChanges.empty());  // sending alone does not activate
  EXPECT_EQ(Value(*second, "ResetBuffer"), 0);
  EXPECT_EQ(server.LiveCount(), 2);
  EXPECT_EQ(server.ObjectOf(first->baseService())->Number + 1, server.ObjectOf(second->baseService())->Number);
  EXPECT_EQ(host.activeChanges, std::vector<bool>{true});
  // The connection closes with its last handle.
  second.reset();
  QDBusConnection::disconnectFromBus("second");
  Spin([&] { return server.LiveCount() == 1; });
  EXPECT_TRUE(server.AutomationActive());
  first.reset();
  QDBusConnection::disconnectFromBus("first");
  Spin([&] { return server.LiveCount() == 0; });
  EXPECT_EQ(host.activeChanges, (std::vector<bool>{true, false}));
}

TEST_F(AutomationBus, ReceivedBytesComeBackInOrderWhileAnIdleClientOverflows) {
  TReportCapture reports;
  QDBusConnection reader = Client("reader");
  QDBusConnection idle = Client("idle");
  TEventSink events;
  for (const char* name : {"OnRxData", "OnRxDataA"})
    ASSERT_TRUE(reader.connect(kAutomationService, kAutomationPath, kAutomationInterface, name, &events,
                               (std::string("1") + name + "(uchar)").c_str()));
  EXPECT_EQ(Value(reader, "ResetBuffer"), 0);
  EXPECT_EQ(Value(idle, "ResetBuffer"), 0);  // its object never reads again

  std::string sent;
  for (int i = 0; i < 256; ++i) sent.push_back(static_cast<char>(i));
  ASSERT_TRUE(line.WriteAll(sent.data(), sent.size()));
  std::string got;
  Spin([&] {
    const int c = Value(reader, "GetNextChar");
    if (c >= 0) got.push_back(static_cast<char>(c));
    return got.size() == sent.size();
  });
  EXPECT_EQ(got, sent);
  Spin([&] { return events.sideA.size() >= sent.size(); });
  EXPECT_EQ(events.all, sent);
  EXPECT_EQ(events.sideA, sent);

  // Far more than an object keeps: the idle one drops and counts, the
  // monitor loses nothing.
  const std::size_t more = TAutomationQueue::kBufferLimit + 20000;
  const std::string block(more, 'x');
  ASSERT_TRUE(line.WriteAll(block.data(), block.size()));
  const TTamarik* idleObject = server.ObjectOf(idle.baseService());
  ASSERT_NE(idleObject, nullptr);
  Spin([&] { return idleObject->Queue->Buffered() + idleObject->Queue->BufferDropped() == sent.size() + more; });
  EXPECT_EQ(idleObject->Queue->Buffered(), TAutomationQueue::kBufferLimit);
  EXPECT_EQ(idleObject->Queue->BufferDropped(), sent.size() + more - TAutomationQueue::kBufferLimit);
  EXPECT_EQ(lost.load(), 0u);
  const auto reported = [&] {
    for (const TReport& r : reports.Reports())
      if (r.Location == "31") return true;
    return false;
  };
  Spin(reported);
  EXPECT_TRUE(reported());
  QDBusConnection::disconnectFromBus("reader");
  QDBusConnection::disconnectFromBus("idle");
}

}  // namespace

#include "AutomationBusTest.moc"
