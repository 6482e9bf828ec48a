#include "core/SendData.h"

#include <chrono>
#include <limits>
#include <stdexcept>
#include <thread>

#include "core/AppFlags.h"
#include "core/Charsets.h"
#include "core/ErrorReport.h"
#include "core/Language.h"
#include "core/SendText.h"
#include "core/TextIds.h"

std::atomic<std::int32_t> SentTotal{0};

void AddSentTotal(std::size_t count) {
  std::int32_t total = SentTotal.load();
  std::int32_t next = 0;
  do {
    constexpr auto kMax = std::numeric_limits<std::int32_t>::max();
    next = count > static_cast<std::size_t>(kMax - total) ? 0 : total + static_cast<std::int32_t>(count);
  } while (!SentTotal.compare_exchange_weak(total, next));
}

void SleepWait(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

bool SendStopped() { return SendAbort.load() || AppClosing.load(); }

std::size_t TUsbSendUnavailable::SendFrames(std::vector<TUsbSendFrame>&, bool, const TSendWait&) {
  throw std::runtime_error(GetText(TextId::MsgUsbSendNotAvailable));
}

TSendRoute SerialSendRoute(int workMode, bool targetB, TSendPort* portA, TSendPort* portB) {
  if (workMode >= 100 && workMode <= 199) return {portA, targetB ? 1 : 0};
  if (workMode >= 500 && workMode <= 599) return {portA, 0};
  if (workMode == 300) return {targetB ? nullptr : portA, 0};
  return targetB ? TSendRoute{portB, 1} : TSendRoute{portA, 0};
}

std::string SendBytesFromUtf8(std::string_view text) {
  std::string bytes;
  bytes.reserve(text.size());
  for (std::size_t at = 0; at < text.size();) {
    const int b = UnicodeToCp1252(NextUtf8(text, at));
    bytes.push_back(b < 0 ? '?' : static_cast<char>(b));
  }
  return bytes;
}

void TSendRoutine::SetWorkMode(int workMode, bool usbChosen) {
  std::lock_guard lock(lock_);
  config_.WorkMode = workMode;
  config_.UsbChosen = usbChosen;
}

void TSendRoutine::SetPorts(TSendPort* portA, TSendPort* portB) {
  std::lock_guard lock(lock_);
  config_.PortA = portA;
  config_.PortB = portB;
}

void TSendRoutine::SetUsb(TUsbSendOutput* usb) {
  std::lock_guard lock(lock_);
  config_.Usb = usb;
}

void TSendRoutine::SetEcho(std::function<void(const std::string&)> echo) {
  std::lock_guard lock(lock_);
  config_.Echo = std::move(echo);
}

int TSendRoutine::WorkMode() const {
  std::lock_guard lock(lock_);
  return config_.WorkMode;
}

TSendRoutine::TConfig TSendRoutine::Config() const {
  std::lock_guard lock(lock_);
  return config_;
}

namespace {

bool CanWorkMode(int mode) { return mode == 440 || mode == 470; }

// Waits in steps until ready() or a stop; true when ready.
bool WaitUntil(const std::function<bool()>& ready, int stepMs, const TSendWait& wait) {
  while (!ready()) {
    if (SendStopped()) return false;
    wait(stepMs);
  }
  return true;
}

std::string EchoText(std::string_view text) {
  if (text.size() >= 2 && text.substr(text.size() - 2) == "\r\n") text.remove_suffix(2);
  return Cp1252ToUtf8(text);
}

}  // namespace

bool TSendRoutine::DatenSenden(bool TargetB, std::string_view Text, bool AddCR, bool AddLF, bool Raw, bool WaitDone,
                               bool BreakOrRtr, int RtrLength, const TSendWait& wait) {
  const TConfig config = Config();
  const bool can = config.UsbChosen && CanWorkMode(config.WorkMode);
  TUsbSendFrame templ;
  templ.Can = can;
  templ.TargetB = TargetB;
  templ.WorkMode = config.WorkMode;
  std::string bytes;
  std::string_view dataText = Text;
  std::string canData;
  if (!Raw && can) {
    try {
      const TCanHeader header = ParseCanHeader(Text);
      templ.Ident = header.Ident;
      templ.Extended = header.Extended;
      canData = header.DataText;
      dataText = canData;
    } catch (const std::exception& e) {
      ReportError("28", e);
      return false;
    }
    if (SendStopped()) return false;
  }
  bool sent = false;
  try {
    bytes = Raw ? std::string(Text) : ParseSendText(dataText);
    if (SendStopped()) return false;
    if (can && BreakOrRtr) {
      templ.Rtr = true;
      templ.RtrLength = RtrLength < 0 ? 0 : (RtrLength > 8 ? 8 : RtrLength);
      bytes.clear();
    } else {
      bytes = WithLineEnd(std::move(bytes), AddCR, AddLF);
      templ.Break = BreakOrRtr;
    }
    if (config.UsbChosen)
      sent = SendUsb(config, templ, bytes, WaitDone, wait);
    else
      sent = SendSerial(config, TargetB, bytes, WaitDone, BreakOrRtr, wait);
  } catch (const std::exception& e) {
    ReportError("28.2", e);
    return false;
  }
  if (sent && config.Echo) config.Echo(EchoText(Text));
  return sent;
}

bool TSendRoutine::SendSerial(const TConfig& config, bool targetB, const std::string& bytes, bool waitDone,
                              bool breakFirst, const TSendWait& wait) {
  const TSendRoute route = SerialSendRoute(config.WorkMode, targetB, config.PortA, config.PortB);
  if (route.Port == nullptr) {
    if (config.WorkMode == 300) return false;  // the coupling has no port B
    throw std::runtime_error(GetText(TextId::MsgSendPortClosed) + (targetB ? " B" : " A"));
  }
  TSendPort& port = *route.Port;
  // A closed port would swallow the bytes; say so instead of echoing them.
  if (!port.Opened()) throw std::runtime_error(GetText(TextId::MsgSendPortClosed) + " " + port.Name());
  port.SetDirectionLine(route.DirectionLine);
  if (!WaitUntil([&] { return port.CanAddTxOut(); }, 2, wait)) return false;
  if (breakFirst) port.SendBreak(wait);
  port.AddTxOut(bytes);
  AddSentTotal(bytes.size());
  if (waitDone) WaitUntil([&] { return port.TxDrained(); }, 1, wait);
  return true;
}

bool TSendRoutine::SendUsb(const TConfig& config, TUsbSendFrame& templ, const std::string& bytes, bool waitDone,
                           const TSendWait& wait) {
  std::vector<TUsbSendFrame> frames = SplitUsbSend(templ, bytes);
  if (frames.empty()) return false;
  TUsbSendOutput& usb = config.Usb != nullptr ? *config.Usb : usbUnavailable_;
  const std::size_t count = usb.SendFrames(frames, waitDone, wait);
  AddSentTotal(count);
  return true;
}
