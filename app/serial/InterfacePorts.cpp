#include "serial/InterfacePorts.h"

#include <algorithm>
#include <charconv>

#include "core/Language.h"
#include "core/ReceivePipeline.h"
#include "core/TextIds.h"
#include "serial/PortList.h"

namespace {

constexpr eParity kParities[] = {paNone, paEven, PaOdd, paMark, paSpace};
constexpr eDataBits kDataBits[] = {d5bit, d6bit, d7bit, d8bit};
// "Hardware" is DTR/DSR: the watched devices hold DTR, not RTS, for flow.
constexpr eFlowControl kFlowModes[] = {fcNone, fcXON_XOF, fcDTR_DSR};

template <class T, std::size_t N>
std::optional<T> Pick(const T (&values)[N], int index) {
  if (index < 0 || index >= static_cast<int>(N)) return std::nullopt;
  return values[index];
}

bool ToInteger(const std::string& text, int& value) {
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value);
  return ec == std::errc() && ptr == end && !text.empty();
}

}  // namespace

std::optional<eStopBits> StopBitsFor(int index, eDataBits dataBits) {
  if (index == 0) return st1bit;
  if (index == 1) return dataBits == d5bit ? st1bit5 : st2bit;
  return std::nullopt;
}

bool MapLineSettings(const TPortSettings& settings, const std::vector<std::string>& baudItems, bool flowApplies,
                     TPortLineChoice& out, std::string& error) {
  out = {};
  const int index = settings.Baudrate;
  if (index >= 0 && index < static_cast<int>(baudItems.size())) {
    const std::string& text = index == 0 ? settings.OtherBaud : baudItems[static_cast<std::size_t>(index)];
    if (!ToInteger(text, out.Baudrate)) {
      error = "'" + text + "' is not a valid integer value";
      return false;
    }
  }
  out.Parity = Pick(kParities, settings.Parity);
  out.DataBits = Pick(kDataBits, settings.DataBits);
  if (settings.StopBits == 0 || settings.StopBits == 1) out.StopBitsIndex = settings.StopBits;
  out.FlowMode = flowApplies ? Pick(kFlowModes, settings.FlowMode) : std::optional<eFlowControl>(fcNone);
  return true;
}

bool LineSettingsUsable(const TInterfaceRequest& request) {
  TPortLineChoice line;
  std::string error;
  const bool flow = FlowApplies(request.Mode);
  return MapLineSettings(request.Ports.PortASettings, request.BaudItems, flow, line, error) &&
         (!TwoPortMode(request.Mode) || MapLineSettings(request.Ports.PortBSettings, request.BaudItems, flow, line, error));
}

TInterfacePorts::TInterfacePorts(ReceiveRing& ring, TReceivePipeline& pipeline, std::unique_ptr<TPortDevice> deviceA,
                                 std::unique_ptr<TPortDevice> deviceB)
    : pipeline_(pipeline),
      portA_(std::make_unique<TSeriell>(ring, std::move(deviceA))),
      portB_(std::make_unique<TSeriell>(ring, std::move(deviceB))) {
  portA_->SetDirection(dirPortA);
  portB_->SetDirection(dirPortB);
  portB_->IsPortB.store(true);
  portA_->SetPartner(portB_.get());
  portB_->SetPartner(portA_.get());
}

TInterfacePorts::~TInterfacePorts() { CloseAll(); }

void TInterfacePorts::CloseAll() {
  // The consumer thread must not hand a byte to a port that is closing.
  pipeline_.SetRelayPorts(nullptr, nullptr);
  portA_->SetActive(false);
  portB_->SetActive(false);
}

bool TInterfacePorts::OpenOne(TSeriell& port, const TPortLineChoice& line, const std::string& name,
                              bool chkFlowSignals, bool rts, bool dtr, bool& rtsBox, bool& dtrBox, int workMode,
                              bool converter) {
  port.WorkMode.store(workMode);
  port.SetPort(name);
  if (line.Baudrate != 0) port.SetBaudrate(line.Baudrate);
  if (line.Parity) port.SetParity(*line.Parity);
  if (line.DataBits) port.SetDataBits(*line.DataBits);
  if (line.StopBitsIndex)
    if (const auto stop = StopBitsFor(*line.StopBitsIndex, port.DataBits())) port.SetStopBits(*stop);
  if (line.FlowMode) port.SetFlowMode(*line.FlowMode);
  port.LinesOn.store(!chkFlowSignals);
  port.RtsOn.store(port.LinesOn.load() || rts);
  port.DtrOn.store(port.LinesOn.load() || dtr);
  rtsBox = port.LinesOn.load() || port.RtsOn.load();
  dtrBox = port.LinesOn.load() || port.DtrOn.load();
  if (converter) {
    // The converter takes its power from DTR and listens while RTS is off;
    // it must not see RTS on even for the moment of opening.
    port.LinesOn.store(false);
    port.RtsOn.store(false);
    port.DtrOn.store(true);
  }
  port.SetActive(true);
  if (port.ErrorCode() != 0) port.SetActive(false);
  return port.Opened();
}

TApplyResult TInterfacePorts::Open(const TInterfaceRequest& request) {
  TApplyResult result;
  const bool twoPorts = TwoPortMode(request.Mode);
  const bool flow = FlowApplies(request.Mode);
  TPortLineChoice lineA, lineB;
  if (!MapLineSettings(request.Ports.PortASettings, request.BaudItems, flow, lineA, result.ConversionError) ||
      (twoPorts &&
       !MapLineSettings(request.Ports.PortBSettings, request.BaudItems, flow, lineB, result.ConversionError))) {
    result.ConversionFailed = true;
    return result;
  }
  const TFlowCtrlSettings& f = request.Flow;
  result.Boxes = f;
  bool rtsB = false, dtrB = false;
  if (twoPorts &&
      !OpenOne(*portB_, lineB, request.PortB, f.chkFlowSignals, f.chkFlowSignalsRTSB, f.chkFlowSignalsDTRB, rtsB,
               dtrB, request.WorkMode, false)) {
    // Port B's boxes show what its lines were meant to be only when it failed.
    result.Boxes.chkFlowSignalsRTSB = rtsB;
    result.Boxes.chkFlowSignalsDTRB = dtrB;
    result.FailedPorts.push_back(request.PortB);
  }
  if (!twoPorts) portB_->WorkMode.store(request.WorkMode);
  const bool converter = request.Mode == mbH;
  if (!OpenOne(*portA_, lineA, request.PortA, f.chkFlowSignals, f.chkFlowSignalsRTSA, f.chkFlowSignalsDTRA,
               result.Boxes.chkFlowSignalsRTSA, result.Boxes.chkFlowSignalsDTRA, request.WorkMode, converter))
    result.FailedPorts.push_back(request.PortA);

  const bool aOpen = portA_->Opened();
  const bool bOpen = portB_->Opened();
  result.Pending = !(aOpen && (!twoPorts || bOpen));
  if (converter) {
    portA_->SetLine(0, false);
    portA_->SetLine(1, true);
  } else {
    portA_->SetLine(0, f.chkFlowSignals ? f.chkFlowSignalsRTSA : true);
    portA_->SetLine(1, f.chkFlowSignals ? f.chkFlowSignalsDTRA : true);
    if (request.Mode == mbE && bOpen) {
      portB_->SetLine(0, f.chkFlowSignals ? f.chkFlowSignalsRTSB : true);
      portB_->SetLine(1, f.chkFlowSignals ? f.chkFlowSignalsDTRB : true);
    }
  }
  // Relaying needs both ends; with one of them missing nothing is passed on.
  if (twoPorts && aOpen && bOpen) pipeline_.SetRelayPorts(portA_.get(), portB_.get());
  return result;
}

TFlowCtrlSettings TInterfacePorts::FlowSignalsChanged(const TFlowCtrlSettings& flow) {
  TFlowCtrlSettings boxes = flow;
  for (TSeriell* port : {portA_.get(), portB_.get()}) {
    const bool b = port == portB_.get();
    port->MirrorSignals.store(flow.chkFlowSignals);
    port->LinesOn.store(!flow.chkFlowSignals);
    port->RtsOn.store(b ? flow.chkFlowSignalsRTSB : flow.chkFlowSignalsRTSA);
    port->DtrOn.store(b ? flow.chkFlowSignalsDTRB : flow.chkFlowSignalsDTRA);
    if (flow.chkFlowSignals || !port->Opened()) continue;
    port->SetLine(0, true);
    port->SetLine(1, true);
    (b ? boxes.chkFlowSignalsRTSB : boxes.chkFlowSignalsRTSA) = true;
    (b ? boxes.chkFlowSignalsDTRB : boxes.chkFlowSignalsDTRA) = true;
  }
  return boxes;
}

void TInterfacePorts::FlowSignalBoxClicked(bool portB, int line, bool on, bool chkFlowSignals) {
  TSeriell& port = portB ? *portB_ : *portA_;
  if (port.Opened() && chkFlowSignals) port.SetLine(line, on);
  (line == 0 ? port.RtsOn : port.DtrOn).store(on);
}

namespace {

TModeButton StoredMode(const TFrmMainSettings& f) {
  const bool checked[] = {f.rgrpA, f.rgrpB, f.rgrpC, f.rgrpD, f.rgrpE, f.rgrpF, f.rgrpG, f.rgrpH};
  for (int i = 0; i < 8; ++i)
    if (checked[i]) return static_cast<TModeButton>(mbA + i);
  return mbNone;
}

std::string StoredPort(std::vector<std::string>& list, const std::string& name, int index) {
  if (!name.empty()) {
    const std::string below = PortNameBelowDev(name);
    if (AddPortIfPresent(list, below)) return below;
  }
  if (list.empty()) return {};
  return list[static_cast<std::size_t>(std::clamp(index, 0, static_cast<int>(list.size()) - 1))];
}

}  // namespace

TInterfaceRequest RequestFromSettings(const TSettingsValues& values, bool oldDataBitsNumbering,
                                      std::vector<std::string> portList) {
  const TFrmMainSettings& f = values.FrmMain;
  TInterfaceRequest r;
  r.Mode = StoredMode(f);
  r.WorkMode = WorkModeFor(r.Mode, UsbWorkMode(f.grpUSB));
  r.PortA = StoredPort(portList, f.grpSSA_ItemIndex_S, f.grpSSA_ItemIndex);
  r.PortB = StoredPort(portList, f.grpSSB_ItemIndex_S, f.grpSSB_ItemIndex);
  r.Ports = values.PortAB;
  UpgradeDataBits(r.Ports, oldDataBitsNumbering);
  r.Flow = values.FlowCtrl;

  // The page shows port B's record only while "Port B" is down; with
  // "Port A=B" applying copies the shown record to both ports.
  const bool shownB = r.Ports.sbBaudBDown;
  const bool both = !r.Ports.sbBaudADown && !r.Ports.sbBaudBDown;
  TBaudListState list;
  list.Items = {GetText(TextId::BaudAndere)};
  list.ItemIndex = (shownB ? r.Ports.PortBSettings : r.Ports.PortASettings).Baudrate;
  BaudList(list, std::max(ModeLayoutFor(r.WorkMode, f.chkIPSend).BaudKind, 0), r.Mode == mbG, GetText(TextId::BaudMessen), r.Ports,
           {both, r.Ports.sbBaudADown, r.Ports.sbBaudBDown});
  r.BaudItems = list.Items;
  if (both) r.Ports.PortBSettings = r.Ports.PortASettings;
  return r;
}
