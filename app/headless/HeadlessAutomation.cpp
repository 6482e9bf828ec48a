#include "headless/HeadlessAutomation.h"

#include "core/Language.h"
#include "serial/PortList.h"

void TRequestSetComTarget::SelectMode(TModeButton mode) {
  request_.Mode = mode;
  request_.WorkMode = WorkModeFor(mode, UsbWorkModeAt(usbIndex_));
}

int TRequestSetComTarget::UsbModeCount() const { return static_cast<int>(UsbModeTextIds().size()); }

void TRequestSetComTarget::SelectUsbMode(int index) {
  usbIndex_ = index;
  if (request_.Mode == mbG) request_.WorkMode = UsbWorkModeAt(index);
}

bool TRequestSetComTarget::BaudSwitchVisible() const { return ModeLayoutFor(request_.WorkMode, false).PortButtons; }

void TRequestSetComTarget::PressSpeedButton(int which) {
  request_.Ports.sbBaudADown = which == 1;
  request_.Ports.sbBaudBDown = which == 2;
}

void TRequestSetComTarget::SelectPortA(int index) {
  if (index >= 0 && index < static_cast<int>(portList_.size())) request_.PortA = portList_[static_cast<std::size_t>(index)];
}

void TRequestSetComTarget::SelectPortB(int index) {
  if (index >= 0 && index < static_cast<int>(portList_.size())) request_.PortB = portList_[static_cast<std::size_t>(index)];
}

template <typename F>
void TRequestSetComTarget::ForShown(F f) {
  TPortABSettings& p = request_.Ports;
  if (!p.sbBaudBDown) f(p.PortASettings);
  if (!p.sbBaudADown) f(p.PortBSettings);
}

void TRequestSetComTarget::SelectBaud(int index) {
  ForShown([&](TPortSettings& s) { s.Baudrate = index; });
}

void TRequestSetComTarget::SetOtherBaud(const std::string& text) {
  ForShown([&](TPortSettings& s) { s.OtherBaud = text; });
}

void TRequestSetComTarget::SelectDataBits(int index) {
  ForShown([&](TPortSettings& s) { s.DataBits = index; });
}

void TRequestSetComTarget::SelectStopBits(int index) {
  ForShown([&](TPortSettings& s) { s.StopBits = index; });
}

void TRequestSetComTarget::SelectParity(int index) {
  ForShown([&](TPortSettings& s) { s.Parity = index; });
}

THeadlessAutomation::THeadlessAutomation(THeadlessAutomationHooks hooks, TInterfaceRequest start)
    : hooks_(std::move(hooks)), pending_(std::move(start)), target_(pending_, [] {
        std::vector<std::string> ports;
        EnumeratePorts(ports);
        return ports;
      }()) {}

void THeadlessAutomation::Info() { hooks_.StatusLine("Tamarik V: " + TLanguage::RunningVersion()); }

bool THeadlessAutomation::Send(bool targetB, const std::string& bytes, bool raw) {
  return hooks_.Send(targetB, bytes, raw);
}

// Applies what SetCOM chose, whether or not something is open now.
int THeadlessAutomation::OpenPort() {
  open_ = hooks_.Open(pending_);
  return open_ ? 0 : 1;
}

int THeadlessAutomation::ClosePort() {
  hooks_.Close();
  open_ = false;
  return 0;
}

void THeadlessAutomation::AutomationActiveChanged(bool active) {
  hooks_.StatusLine(active ? "OLE: an automation client holds the monitor" : "OLE: no automation client any more");
}

// --- the terminal front end's side ---

#include <QDBusConnection>

#include "automation/CLSTamarik.h"
#include "core/ErrorReport.h"
#include "headless/HeadlessApp.h"

TInterfaceRequest THeadlessApp::RunningRequest() const {
  if (options_.Stored) return *options_.Stored;
  TInterfaceRequest request = RequestFromSettings(TSettingsValues{}, false, {});
  const int mode = demo_ ? 200 : options_.WorkMode;
  for (TModeButton b : {mbA, mbB, mbC, mbD, mbE, mbF, mbH})
    if (WorkModeFor(b, 0) == mode) request.Mode = b;
  request.WorkMode = mode;
  request.PortA = demo_ ? demo_->PortA().Port() : options_.PortA;
  request.PortB = demo_ ? demo_->PortB().Port() : options_.PortB;
  for (TPortSettings* s : {&request.Ports.PortASettings, &request.Ports.PortBSettings}) {
    s->Baudrate = 0;
    s->OtherBaud = std::to_string(demo_ ? demo_->PortA().Baudrate() : options_.Baudrate);
  }
  return request;
}

bool THeadlessApp::ReopenPorts(const TInterfaceRequest& request) {
  if (demo_) {
    demo_->Stop();
    demo_.reset();
  }
  ClosePorts();
  interface_.reset();
  portA_.reset();
  portB_.reset();
  options_.Stored = request;
  const bool ok = OpenStoredPorts();
  ShowStartLine();
  if (ok) BindSend();
  return ok;
}

void THeadlessApp::StartAutomation() {
  if (!options_.ComOn) return;
  EnsureQtApp();
  THeadlessAutomationHooks hooks;
  hooks.WorkMode = [this] { return options_.Stored ? options_.Stored->WorkMode : (demo_ ? 200 : options_.WorkMode); };
  hooks.Send = [this](bool targetB, const std::string& bytes, bool raw) {
    return send_.Routine().DatenSenden(targetB, bytes, false, false, raw, false, false, 0);
  };
  hooks.Open = [this](const TInterfaceRequest& request) { return ReopenPorts(request); };
  hooks.Close = [this] { ClosePorts(); };
  hooks.StatusLine = [this](const std::string& line) { pipeline_.ShowStatusLine(line, true); };
  automationHost_ = std::make_unique<THeadlessAutomation>(std::move(hooks), RunningRequest());
  automation_ = std::make_unique<TTamarikServer>(*automationHost_, pipeline_);
  QString error;
  if (!automation_->Register(QDBusConnection::sessionBus(), &error)) {
    ReportError("31", "Automation object not available: " + error.toStdString());
    automation_.reset();
    automationHost_.reset();
    return;
  }
  pipeline_.ShowStatusLine(std::string("Automation: ") + kAutomationService + " " + kAutomationPath, true);
}

void THeadlessApp::StopAutomation() {
  automation_.reset();
  automationHost_.reset();
}
