#include "core/InterfaceConfig.h"

#include <algorithm>

#include "core/Language.h"
#include "core/TextIds.h"

namespace {

// The sub-modes in the order their texts are compared.
struct TUsbMode {
  int TextId;
  int WorkMode;
};
constexpr TUsbMode kUsbModes[] = {{1152, 410}, {1153, 420}, {1156, 450}, {1154, 440},
                                  {1157, 460}, {1155, 430}, {1158, 470}};

const char* const kStandardRates[] = {"300", "600", "1200", "2400", "4800", "9600", "14400", "19200", "28800", "38400"};
const char* const kCanRates[] = {"10000", "20000", "50000", "75000", "100000",
                                 "125000", "250000", "500000", "800000", "1000000"};

int Clamp(int index, int count) { return std::clamp(index, 0, std::max(count - 1, 0)); }

void KeepOnlyFirst(std::vector<std::string>& items) {
  if (items.empty()) items.push_back(GetText(TextId::BaudAndere));
  items.resize(1);
}

void Fill(std::vector<std::string>& items, bool usb, const std::string& messen, const char* const* rates, int n) {
  KeepOnlyFirst(items);
  if (usb) items.push_back(messen);
  for (int i = 0; i < n; ++i) items.emplace_back(rates[i]);
}

// The standard rates (with "Messen" in the USB lists), rebuilt only when the
// list is not already one of them.
void EnsureStandard(std::vector<std::string>& items, bool usb, const std::string& messen) {
  const std::size_t first = usb ? 2 : 1;
  const bool present = items.size() >= first + 10 && items[first] == "300" && (!usb || items[1] == messen);
  if (!present) Fill(items, usb, messen, kStandardRates, 10);
}

}  // namespace

const std::vector<int>& UsbModeTextIds() {
  static const std::vector<int> ids = {1152, 1153, 1154, 1155, 1156, 1157, 1158};
  return ids;
}

int UsbWorkModeAt(int index) {
  const std::vector<int>& ids = UsbModeTextIds();
  if (index < 0 || index >= static_cast<int>(ids.size())) return 0;
  for (const TUsbMode& mode : kUsbModes)
    if (mode.TextId == ids[static_cast<std::size_t>(index)]) return mode.WorkMode;
  return 0;
}

int UsbModeIndexOfText(const std::string& itemText) {
  const std::vector<int>& ids = UsbModeTextIds();
  for (int block = 0; block < 5000; block += 1000)
    for (std::size_t i = 0; i < ids.size(); ++i)
      if (itemText == GetText(ids[i] + block, false)) return static_cast<int>(i);
  return -1;
}

int UsbWorkMode(const std::string& itemText) { return UsbWorkModeAt(UsbModeIndexOfText(itemText)); }

int WorkModeFor(TModeButton mode, int usbWorkMode) {
  switch (mode) {
    case mbA: return 110;
    case mbB: return 120;
    case mbC: return 130;
    case mbD: return 140;
    case mbE: return 200;
    case mbF: return 300;
    case mbG: return usbWorkMode;
    case mbH: return 500;
    case mbNone: break;
  }
  return 0;
}

TModeLayout ModeLayoutFor(int workMode, bool chkIPSend) {
  TModeLayout l;
  switch (workMode) {
    case 140:
      l.PortButtons = l.KeepPortChoice = true;
      break;
    case 200:
      l.CtsDsrEnabled = true;
      l.PortButtons = l.KeepPortChoice = true;
      l.BaudKind = 1;
      break;
    case 300:
      l.CtsDsrEnabled = true;
      l.FlowSignalsVisible = !chkIPSend;
      l.BaudKind = 1;
      break;
    case 410:
      l.CtsDsrEnabled = true;
      l.FlowSignalsVisible = false;
      l.PortButtons = l.KeepPortChoice = true;
      l.BaudKind = 1;
      break;
    case 420:
      l.FlowSignalsVisible = false;
      l.PortButtons = l.KeepPortChoice = true;
      l.BaudKind = 1;
      break;
    case 430:
      l.ErrorEnabled = false;
      l.FlowSignalsVisible = false;
      l.BaudKind = -1;
      l.FrequencyPanel = true;
      l.ProtZeitEndeEnabled = false;
      break;
    case 440:
    case 470:
      l.ErrorEnabled = false;
      l.FlowSignalsVisible = false;
      l.BaudKind = 2;
      l.CanGroups = true;
      l.ProtZeitEndeEnabled = false;
      break;
    case 450:
    case 500:
      l.FlowSignalsVisible = false;
      l.BaudKind = 1;
      break;
    case 460:
      l.FlowSignalsVisible = false;
      break;
    default:  // 110, 120, 130 and no mode
      break;
  }
  return l;
}

void BaudList(TBaudListState& list, int kind, bool usb, const std::string& messen, TPortABSettings& ports,
              const TSpeedButtons& buttons) {
  if (usb) kind += 3;
  if (kind == list.Kind) return;
  const int shift = (list.Kind <= 2 && kind > 2) ? 1 : (list.Kind > 2 && kind <= 2) ? -1 : 0;
  const int oldIndex = list.ItemIndex;
  list.Kind = kind;
  std::vector<std::string>& items = list.Items;
  switch (kind) {
    case 0:
    case 3:
    case 1:
    case 4: {
      const bool withMessen = kind >= 3;
      EnsureStandard(items, withMessen, messen);
      const std::size_t standard = withMessen ? 12 : 11;
      if (kind == 0 || kind == 3) {
        items.resize(standard);
      } else if (items.size() == standard) {
        items.emplace_back("57600");
        items.emplace_back("115200");
      }
      break;
    }
    default:  // 2, 5: CAN bit rates
      Fill(items, usb, messen, kCanRates, 10);
      break;
  }
  const int count = static_cast<int>(items.size());
  list.ItemIndex = Clamp(oldIndex + shift, count);
  const int shown = list.ItemIndex;
  const auto follow = [&](TPortSettings& port, bool showsThisPort) {
    port.Baudrate = showsThisPort ? shown : Clamp(port.Baudrate + shift, count);
  };
  follow(ports.PortASettings, buttons.Both || buttons.A);
  follow(ports.PortBSettings, buttons.Both || buttons.B);
}

std::string StopItemText(const std::string& dataBitsItem) { return dataBitsItem == "5" ? "1.5" : "2"; }

void UpgradeDataBits(TPortABSettings& ports, bool oldNumbering) {
  if (!oldNumbering) return;
  for (TPortSettings* port : {&ports.PortASettings, &ports.PortBSettings})
    if (port->DataBits == 0 || port->DataBits == 1) port->DataBits += 2;
}

TApplyRefusal CheckApply(TModeButton mode, const std::string& portA, const std::string& portB, int baudIndex,
                         const std::string& otherBaud) {
  if (TwoPortMode(mode) && portA == portB) return arPortsMustDiffer;
  if (baudIndex == 0 && otherBaud.empty()) return arBaudrateMissing;
  return arNone;
}

std::string PortNotPresentText(const std::string& port) {
  return GetText(TextId::MsgPortOpenFailedBefore) + port + GetText(TextId::MsgPortNotPresentAfter);
}

std::string PortOpenFailedText(const std::string& port, bool otherBaudSelected) {
  std::string text = GetText(TextId::MsgPortOpenFailedBefore);
  text.append(port).append(GetText(TextId::MsgPortOpenFailedAfter));
  if (otherBaudSelected) text.append("\n").append(GetText(TextId::MsgCheckBaudrate));
  return text;
}
