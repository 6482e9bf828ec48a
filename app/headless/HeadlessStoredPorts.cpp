// The terminal front end started from a settings file: the interface page's
// stored choice opens the ports, as the window does at its first showing.
#include <filesystem>

#include "core/ErrorReport.h"
#include "core/Language.h"
#include "core/Startup.h"
#include "core/TextIds.h"
#include "headless/HeadlessApp.h"
#include "serial/PortList.h"

void UseStoredInterface(TStartup& startup, bool demoAsked, THeadlessOptions& options) {
  // Mode 300 asked for on the command line: the coupled instance is the source.
  if (demoAsked || !options.PortA.empty() || !options.PortB.empty() || options.WorkMode == 300 ||
      IsUsbWorkMode(options.WorkMode))
    return;
  const TSettings& settings = startup.Settings();
  std::error_code ec;
  if (!std::filesystem::exists(settings.IniPath(), ec)) return;
  const TSettingsValues& v = settings.Values();
  // Without a stored port name the file says nothing about ports (unless
  // it chose the USB interface): the demo runs.
  if (v.FrmMain.grpSSA_ItemIndex_S.empty() && !v.FrmMain.rgrpG) return;
  std::vector<std::string> present;
  EnumeratePorts(present);
  options.Stored = RequestFromSettings(v, settings.OldDataBitsNumbering(), present);
  options.Demo = false;
}

bool THeadlessApp::OpenStoredPorts() {
  const TInterfaceRequest& request = *options_.Stored;
  if (request.Mode == mbF && options_.Coupling.chkIPSend) return StartViewer();
  if (request.Mode == mbG) {
    TUsbStartRequest usb;
    std::string error;
    if (!UsbStartRequestFrom(request.WorkMode, request.Ports, request.BaudItems, GetText(TextId::BaudMessen), usb, error)) {
      ReportError("1.7", error);
      return false;
    }
    return StartUsb(usb);
  }
  if (request.Mode == mbNone) {
    ReportError("1.7", GetText(TextId::MsgModeNotAvailable) + " (WorkMode " + std::to_string(request.WorkMode) + ")");
    return false;
  }
  if (TwoPortMode(request.Mode) && request.PortA == request.PortB) {
    ReportError("1.7", GetText(TextId::MsgPortsMustDiffer));
    return false;
  }
  interface_ = std::make_unique<TInterfacePorts>(consumer_.Ring(), pipeline_);
  const TApplyResult result = interface_->Open(request);
  if (result.ConversionFailed) {
    ReportError("1.7", result.ConversionError);
    return false;
  }
  const bool otherBaud = request.Ports.PortASettings.Baudrate == 0;
  for (const std::string& port : result.FailedPorts) ReportError("1.7", PortOpenFailedText(port, otherBaud));
  if (result.Pending) return false;
  if (coupling_) coupling_->SetWorkMode(request.WorkMode, options_.Coupling.chkIPSend);
  TRxOptions rx = pipeline_.Options();
  rx.WorkMode = request.WorkMode;
  rx.RelayPorts = TwoPortWorkMode(request.WorkMode);
  pipeline_.SetOptions(rx);
  return true;
}
