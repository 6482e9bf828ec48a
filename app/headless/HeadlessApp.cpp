#include "headless/HeadlessApp.h"

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <string>
#include <thread>

#include "core/AppFlags.h"
#include "core/DateTime.h"
#include "core/ErrorReport.h"

namespace {

// Lock-free, so the handler may set it; atomic, so another thread may read it.
std::atomic<int> stopSignal{0};
static_assert(std::atomic<int>::is_always_lock_free);
void OnStopSignal(int) { stopSignal.store(1); }

bool SerialMode(int mode) { return (mode >= 110 && mode <= 140) || mode == 200 || (mode >= 500 && mode <= 599); }
bool TwoPortMode(int mode) { return mode == 140 || mode == 200; }

}  // namespace

THeadlessApp::THeadlessApp(const THeadlessOptions& options)
    : options_(options),
      pipeline_(queue_),
      consumer_([this](TSerialThreadOut& sender) { pipeline_.RxData(sender); }),
      terminal_(stdout, isatty(STDOUT_FILENO) != 0) {
  TRxOptions rx;
  rx.TimeFmt = BuildTimeFmt(true);
  rx.chkProtZeit = true;
  rx.chkMs = true;
  rx.chkTextBegin = true;
  rx.chkDatenAend = true;
  auto codes = std::make_shared<TCodeEntries>(*DefaultCodeEntries());
  (*codes)['\n'].LineBreak = true;
  rx.Codes = codes;
  pipeline_.SetOptions(rx);
  consumer_.SetLostHandler([this](std::uint64_t lost) {
    const std::string text = std::to_string(lost) + " records lost: the receive ring was full";
    pipeline_.ShowStatusLine(text, true);
    ReportError("2.3", text);
  });
}

THeadlessApp::~THeadlessApp() {
  if (demo_) demo_->Stop();
  ClosePorts();
  AppClosing.store(true);
  queue_.WakeAll();
  consumer_.Terminate();
}

bool THeadlessApp::StartSource() {
  if (options_.Stored) return OpenStoredPorts();
  if (!options_.Demo) return OpenPorts();
  demo_ = std::make_unique<TDemoLink>(consumer_.Ring(), pipeline_);
  return demo_->Start();
}

bool THeadlessApp::OpenPorts() {
  const int mode = options_.WorkMode;
  if (!SerialMode(mode)) {
    ReportError("1.7", "Mode " + std::to_string(mode) + " has no serial ports to open here");
    return false;
  }
  const bool twoPorts = TwoPortMode(mode);
  if (options_.PortA.empty() || (twoPorts && options_.PortB.empty())) {
    ReportError("1.7", twoPorts ? "Mode " + std::to_string(mode) + " needs --port-a and --port-b" : "--port-a is missing");
    return false;
  }
  const auto make = [&](TSerialDirections dir, const std::string& name) {
    auto port = std::make_unique<TSeriell>(consumer_.Ring());
    port->SetDirection(dir);
    port->IsPortB.store(dir == dirPortB);
    port->WorkMode.store(mode);
    port->SetPort(name);
    port->SetBaudrate(options_.Baudrate);
    port->SetFlowMode(mode == 200 ? options_.FlowMode : fcNone);
    return port;
  };
  portA_ = make(dirPortA, options_.PortA);
  if (twoPorts) {
    portB_ = make(dirPortB, options_.PortB);
    portA_->SetPartner(portB_.get());
    portB_->SetPartner(portA_.get());
    portB_->SetActive(true);
  }
  portA_->SetActive(true);
  if (mode >= 500 && mode <= 599 && portA_->Opened()) {
    // The converter takes its power from DTR and listens while RTS is off.
    portA_->SetLine(0, false);
    portA_->SetLine(1, true);
  }
  const bool ok = portA_->Opened() && (!twoPorts || portB_->Opened());
  if (!ok) return false;
  TRxOptions rx = pipeline_.Options();
  rx.WorkMode = mode;
  rx.RelayPorts = twoPorts;
  pipeline_.SetOptions(rx);
  if (twoPorts) pipeline_.SetRelayPorts(portA_.get(), portB_.get());
  return true;
}

void THeadlessApp::StartTyping() {
  if (options_.SendInput < 0) return;
  TSeriell* a = portA_.get();
  TSeriell* b = portB_.get();
  int mode = options_.WorkMode;
  if (interface_) {
    a = &interface_->PortA();
    b = &interface_->PortB();
    mode = options_.Stored->WorkMode;
  } else if (demo_) {
    a = &demo_->PortA();
    b = &demo_->PortB();
    mode = 200;
  }
  send_ = std::make_unique<THeadlessSend>(pipeline_, options_.Send);
  send_->Start(mode, a, b, options_.SendInput);
}

void THeadlessApp::ClosePorts() {
  if (send_) send_->Stop();
  pipeline_.SetRelayPorts(nullptr, nullptr);
  if (interface_) interface_->CloseAll();
  if (portA_) portA_->SetActive(false);
  if (portB_) portB_->SetActive(false);
}

void THeadlessApp::Drain() {
  queue_.Take(runs_);
  for (const TTextRun& run : runs_) terminal_.Write(run.Text, run.Color);
  if (!runs_.empty()) terminal_.Finish();
}

void THeadlessApp::Timer1Timer() {
  const TSoundTick tick = pipeline_.SoundTick(pipeline_.Options().chkSound);
  if (tick.Beep) std::fputc('\a', stdout);
}

int THeadlessApp::Run() {
  stopSignal.store(0);
  std::signal(SIGINT, OnStopSignal);
  std::signal(SIGTERM, OnStopSignal);
  consumer_.Resume();
  if (!StartSource()) {
    ClosePorts();
    AppClosing.store(true);
    queue_.WakeAll();
    consumer_.Terminate();
    return 1;
  }
  StartTyping();
  const auto started = std::chrono::steady_clock::now();
  auto nextTick = started + std::chrono::seconds(1);
  while (stopSignal.load() == 0) {
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    Drain();
    const auto now = std::chrono::steady_clock::now();
    if (now >= nextTick) {
      Timer1Timer();
      nextTick += std::chrono::seconds(1);
    }
    if (options_.RunSeconds > 0 && now - started >= std::chrono::duration<double>(options_.RunSeconds)) break;
  }
  if (demo_) demo_->Stop();
  ClosePorts();
  // Let the consumer hand out what is still in the ring before closing.
  for (int i = 0; i < 50 && consumer_.Ring().ClaimIndex() != consumer_.Ring().ReadIndex(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  AppClosing.store(true);
  queue_.WakeAll();
  consumer_.Terminate();
  Drain();
  logs_.Close();
  std::fputs("\n", stdout);
  std::fflush(stdout);
  return 0;
}
