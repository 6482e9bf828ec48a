#include "automation/CLSTamarik.h"

#include <QDBusConnectionInterface>
#include <QDBusError>
#include <QDBusMessage>
#include <chrono>
#include <thread>

#include "automation/AutomationHost.h"
#include "automation/AutomationRules.h"
#include "core/ErrorReport.h"

namespace {

// Events raised per object before the thread turns to other work; the rest
// follow on the next turn.
constexpr std::size_t kEventsPerTurn = 2048;

std::u16string Utf16Of(const QString& text) {
  return std::u16string(reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size()));
}

}  // namespace

TTamarikServer::TTamarikServer(TAutomationHost& host, TReceivePipeline& pipeline, QObject* parent)
    : QObject(parent), host_(host), pipeline_(pipeline) {
  feed_ = std::make_shared<TAutomationFeed>(
      [this] { QMetaObject::invokeMethod(this, &TTamarikServer::RaiseEvents, Qt::QueuedConnection); });
  pipeline_.SetBatchTap(feed_);
  watcher_.setWatchMode(QDBusServiceWatcher::WatchForUnregistration);
  connect(&watcher_, &QDBusServiceWatcher::serviceUnregistered, this, &TTamarikServer::ClientLeft);
  dropReport_.setInterval(1000);
  connect(&dropReport_, &QTimer::timeout, this, &TTamarikServer::ReportDrops);
}

TTamarikServer::~TTamarikServer() {
  pipeline_.SetBatchTap(nullptr);
  feed_->Disconnect();
  if (bus_.isConnected()) {
    bus_.unregisterObject(kAutomationPath);
    bus_.unregisterService(kAutomationService);
  }
}

bool TTamarikServer::Register(const QDBusConnection& bus, QString* error) {
  bus_ = bus;
  if (!bus_.isConnected()) {
    if (error) *error = "no session bus: " + bus_.lastError().message();
    return false;
  }
  if (!bus_.registerObject(kAutomationPath, this,
                           QDBusConnection::ExportScriptableSlots | QDBusConnection::ExportScriptableSignals)) {
    if (error) *error = QString("object path %1 is taken").arg(kAutomationPath);
    return false;
  }
  if (!bus_.registerService(kAutomationService)) {
    // Another instance serves the name already.
    if (error) *error = QString("bus name %1: %2").arg(kAutomationService, bus_.lastError().message());
    bus_.unregisterObject(kAutomationPath);
    return false;
  }
  watcher_.setConnection(bus_);
  dropReport_.start();
  return true;
}

const TTamarik* TTamarikServer::ObjectOf(const QString& client) const {
  const auto it = objects_.find(client);
  return it == objects_.end() ? nullptr : &it->second;
}

TTamarik& TTamarikServer::Caller() {
  const QString client = calledFromDBus() ? message().service() : QString();
  auto it = objects_.find(client);
  if (it != objects_.end()) return it->second;
  TTamarik& object = objects_[client];
  object.Number = nextNumber_++;
  object.Queue = feed_->Attach();
  if (!client.isEmpty()) {
    watcher_.addWatchedService(client);
    // It may have left before the watch began.
    if (bus_.interface() && !bus_.interface()->isServiceRegistered(client).value())
      QMetaObject::invokeMethod(this, [this, client] { ClientLeft(client); }, Qt::QueuedConnection);
  }
  return object;
}

TTamarik& TTamarikServer::CallerActivating() {
  TTamarik& object = Caller();
  if (!automationActive_) {
    automationActive_ = true;
    host_.AutomationActiveChanged(true);
  }
  return object;
}

void TTamarikServer::ClientLeft(const QString& client) {
  const auto it = objects_.find(client);
  if (it == objects_.end()) return;
  feed_->Detach(it->second.Queue);
  objects_.erase(it);
  watcher_.removeWatchedService(client);
  if (objects_.empty() && automationActive_) {
    automationActive_ = false;
    host_.AutomationActiveChanged(false);
  }
}

void TTamarikServer::Info() {
  Guarded([&] {
    CallerActivating();
    host_.Info();
    return 0;
  });
}

// An exception becomes the call's error reply, as the bus knows it.
int TTamarikServer::Guarded(const std::function<int()>& call) {
  try {
    return call();
  } catch (const std::exception& e) {
    ReportError("31", e);
    if (calledFromDBus()) sendErrorReply(QDBusError::Failed, QString::fromUtf8(e.what()));
  }
  return 0;
}

int TTamarikServer::Hide() {
  CallerActivating();
  try {
    return host_.Hide();
  } catch (...) {
    return 1;
  }
}

int TTamarikServer::Show() {
  CallerActivating();
  try {
    return host_.Show();
  } catch (...) {
    return 1;
  }
}

int TTamarikServer::GetNextChar() {
  TTamarik& object = CallerActivating();
  int c = object.Queue->NextChar();
  if (c < 0) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    c = object.Queue->NextChar();
  }
  return c;
}

int TTamarikServer::ResetBuffer() {
  TTamarik& object = CallerActivating();
  try {
    object.Queue->ResetBuffer();
    return 0;
  } catch (...) {
    return 1;
  }
}

int TTamarikServer::SendData(int PortAB, const QString& SendText, bool SendBinary) {
  return Guarded([&] { return SendDataNow(PortAB, SendText, SendBinary); });
}

int TTamarikServer::SendDataNow(int PortAB, const QString& SendText, bool SendBinary) {
  Caller();
  if (!PortABSelectsOne(PortAB)) return kSendBadPort;
  if (SendText.isEmpty()) return kSendEmpty;
  std::string text;
  if (SendBinary && !CanWorkModeActive(host_.WorkMode())) {
    const auto escaped = BinarySendText(Utf16Of(SendText));
    if (!escaped) return kSendNotByte;
    text = *escaped;
  } else {
    text = PlainSendBytes(Utf16Of(SendText));
  }
  host_.Send(PortAB == comPortB, text, false);
  return kSendOk;
}

int TTamarikServer::SendByte(int PortAB, int SendByte) {
  return Guarded([&] {
    Caller();
    const int value = SendByteStatus(PortAB, SendByte, host_.WorkMode());
    if (value == 0) host_.Send(PortAB == comPortB, std::string(1, static_cast<char>(SendByte)), true);
    return value;
  });
}

int TTamarikServer::SetCOM(int Direction, int Direction2, int PortAB, uchar COMPort, int Baud, int DataBit,
                           int StopBit, int Parity) {
  return Guarded([&] {
    Caller();
    const TSetComRequest request{Direction, Direction2, PortAB, COMPort, Baud, DataBit, StopBit, Parity};
    return ::SetCOM(host_.SetComTarget(), request);
  });
}

int TTamarikServer::OpenPort() {
  return Guarded([&] {
    Caller();
    return host_.OpenPort();
  });
}

int TTamarikServer::ClosePort() {
  return Guarded([&] {
    Caller();
    return host_.ClosePort();
  });
}

void TTamarikServer::RaiseEvents() {
  feed_->Woken();
  bool more = false;
  for (auto& [client, object] : objects_) {
    const std::vector<TAutomationEvent> events = object.Queue->TakeEvents(kEventsPerTurn);
    if (client.isEmpty()) continue;  // a call from within the program has no one to tell
    for (const TAutomationEvent& e : events) SendEvent(client, e);
    more = more || events.size() == kEventsPerTurn;
  }
  if (more) QMetaObject::invokeMethod(this, &TTamarikServer::RaiseEvents, Qt::QueuedConnection);
}

void TTamarikServer::SendEvent(const QString& client, const TAutomationEvent& e) {
  const auto signal = [&](const char* name) {
    return QDBusMessage::createTargetedSignal(client, kAutomationPath, kAutomationInterface, name);
  };
  if (e.Kind == TAutomationEvent::evCan) {
    QDBusMessage m = signal("OnRxDataCAN");
    m << e.CanTyp << e.Ident << e.Rtr << e.Dlc;
    for (std::uint8_t b : e.Data) m << QVariant::fromValue<uchar>(b);
    bus_.send(m);
    return;
  }
  const QVariant byte = QVariant::fromValue<uchar>(e.Byte);
  bus_.send(signal("OnRxData") << byte);
  bus_.send(signal(e.Kind == TAutomationEvent::evByteB ? "OnRxDataB" : "OnRxDataA") << byte);
}

// Once a second at most: what a client left unread is named, not hidden.
void TTamarikServer::ReportDrops() {
  for (auto& [client, object] : objects_) {
    const std::uint64_t drops = object.Queue->BufferDropped() + object.Queue->EventsDropped();
    if (drops == object.ReportedDrops) continue;
    ReportError("31", "Automation object " + std::to_string(object.Number) + " (" + client.toStdString() +
                          "): " + std::to_string(drops - object.ReportedDrops) +
                          " received bytes or events not taken by its client were dropped");
    object.ReportedDrops = drops;
  }
}
