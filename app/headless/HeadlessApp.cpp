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
#include "automation/CLSTamarik.h"
#include "core/InterfaceConfig.h"
#include "headless/HeadlessAutomation.h"
#include "headless/HeadlessUsb.h"

namespace {

// Lock-free, so the handler may set it; atomic, so another thread may read it.
std::atomic<int> stopSignal{0};
static_assert(std::atomic<int>::is_always_lock_free);
void OnStopSignal(int) { stopSignal.store(1); }

bool SerialMode(int mode) { return (mode >= 110 && mode <= 140) || mode == 200 || (mode >= 500 && mode <= 599); }

}  // namespace

THeadlessApp::THeadlessApp(const THeadlessOptions& options)
    : options_(options),
      pipeline_(queue_),
      consumer_([this](TSerialThreadOut& sender) { pipeline_.RxData(sender); }),
      terminal_(stdout, isatty(STDOUT_FILENO) != 0) {
  pipeline_.SetOptions(options_.Rx);
  periodicDate_.SetMinutes(options_.ProtZykMinutes);
  periodicDate_.Arm(NowDateTime());
  consumer_.SetLostHandler([this](std::uint64_t lost) { ShowLostRecords(pipeline_, lost); });
}

THeadlessApp::~THeadlessApp() {
  StopAutomation();
  if (demo_) demo_->Stop();
  ClosePorts();
  AppClosing.store(true);
  queue_.Close();
  consumer_.Terminate();
}

bool THeadlessApp::StartSource() {
  StartCoupling();
  if (options_.DemoUsb || options_.DemoCan) return StartUsbDemo();
  if (options_.WorkMode == 300 && !options_.Stored) return StartViewer();
  if (options_.Stored) return OpenStoredPorts();
  if (!options_.Demo) return IsUsbWorkMode(options_.WorkMode) ? StartUsbFromOptions() : OpenPorts();
  demo_ = std::make_unique<TDemoLink>(consumer_.Ring(), pipeline_);
  return demo_->Start();
}

bool THeadlessApp::OpenPorts() {
  const int mode = options_.WorkMode;
  if (!SerialMode(mode)) {
    ReportError("1.7", "Mode " + std::to_string(mode) + " has no serial ports to open here");
    return false;
  }
  const bool twoPorts = TwoPortWorkMode(mode);
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
  if (coupling_) coupling_->SetWorkMode(mode, false);
  TRxOptions rx = pipeline_.Options();
  rx.WorkMode = mode;
  rx.RelayPorts = twoPorts;
  pipeline_.SetOptions(rx);
  if (twoPorts) pipeline_.SetRelayPorts(portA_.get(), portB_.get());
  return true;
}

void THeadlessApp::BindSend() {
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
  } else if (usb_) {
    send_.Bind(RunningWorkMode(options_), nullptr, nullptr, options_.SendInput, &usb_->SendOutput());
    return;
  }
  send_.Bind(mode, a, b, options_.SendInput);
}

void THeadlessApp::ClosePorts() {
  send_.Unbind();
  pipeline_.SetRelayPorts(nullptr, nullptr);
  if (interface_) interface_->CloseAll();
  if (usb_) usb_->Stop();
  if (portA_) portA_->SetActive(false);
  if (portB_) portB_->SetActive(false);
}

void THeadlessApp::Drain() {
  queue_.Take(runs_);
  for (const TTextRun& run : runs_) {
    // Negated as in the pane, but black stays the terminal's own text colour.
    const bool negate = options_.chkColorNeg && run.Color != clBlack;
    terminal_.Write(run.Text, negate ? NegateColor(run.Color) : run.Color);
  }
  if (!runs_.empty()) terminal_.Finish();
}

// Once a second, as the window's Timer1: the sound rule and the periodic
// date entry.
void THeadlessApp::Timer1Timer() {
  TRxOptions rx = pipeline_.Options();
  const TSoundTick tick = pipeline_.SoundTick(rx.chkSound);
  if (tick.Beep) std::fputc('\a', stdout);
  if (tick.SwitchSoundOff) {
    rx.chkSound = false;
    pipeline_.SetOptions(rx);
    soundSwitchedOff_ = true;
  }
  periodicDate_.Tick(pipeline_, NowDateTime(), ShortDateFmt(), rx.TimeFmt);
  if (usb_) usb_->Tick();
}

void THeadlessApp::ShowStartLine() {
  std::string line;
  if (usb_) {
    line = UsbStartLine(RunningWorkMode(options_), usb_->DeviceName(), usbBaud_, options_.DemoUsb || options_.DemoCan);
  } else if (demo_) {
    line = StartLine(200, demo_->PortA().Port(), demo_->PortB().Port(), demo_->PortA().Baudrate(), true);
  } else if (interface_) {
    const TInterfaceRequest& request = *options_.Stored;
    line = StartLine(request.WorkMode, request.PortA, request.PortB, interface_->PortA().Baudrate(), false);
  } else if (portA_) {
    line = StartLine(options_.WorkMode, options_.PortA, options_.PortB, options_.Baudrate, false);
  }
  if (line.empty()) return;
  line += "\r\n";
  terminal_.Write(line, clGreen);
  terminal_.Finish();
}

std::string StartLine(int workMode, const std::string& portA, const std::string& portB, int baudrate, bool demo) {
  std::string line = "Mode " + std::to_string(workMode) + ": port A " + portA;
  if (TwoPortWorkMode(workMode)) line += ", port B " + portB;
  line += ", " + std::to_string(baudrate) + " Bd";
  if (demo) line += " (demo)";
  return line;
}

int THeadlessApp::Run() {
  stopSignal.store(0);
  std::signal(SIGINT, OnStopSignal);
  std::signal(SIGTERM, OnStopSignal);
  consumer_.Resume();
  if (!StartSource()) {
    ClosePorts();
    AppClosing.store(true);
    queue_.Close();
    consumer_.Terminate();
    StopCoupling();
    return 1;
  }
  ShowStartLine();
  BindSend();
  StartAutomation();
  const auto started = std::chrono::steady_clock::now();
  auto nextTick = started + std::chrono::seconds(1);
  while (stopSignal.load() == 0) {
    TurnEventLoop(30);
    Drain();
    const auto now = std::chrono::steady_clock::now();
    if (now >= nextTick) {
      Timer1Timer();
      nextTick += std::chrono::seconds(1);
    }
    if (options_.RunSeconds > 0 && now - started >= std::chrono::duration<double>(options_.RunSeconds)) break;
  }
  StopAutomation();
  if (demo_) demo_->Stop();
  ClosePorts();
  // Let the consumer hand out what is still in the ring before closing.
  for (int i = 0; i < 50 && consumer_.Ring().ClaimIndex() != consumer_.Ring().ReadIndex(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  AppClosing.store(true);
  queue_.Close();
  consumer_.Terminate();
  StopCoupling();
  Drain();
  logs_.Close();
  std::fputs("\n", stdout);
  std::fflush(stdout);
  return 0;
}
