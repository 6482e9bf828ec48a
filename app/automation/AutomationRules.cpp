#include "automation/AutomationRules.h"

#include "core/Charsets.h"

namespace {

const char kHex[] = "0123456789ABCDEF";

bool IsPrintable(std::uint8_t b) { return b >= 0x20 && b <= 0x7E; }

// The ANSI byte of one UTF-16 code unit, if it has one.
std::optional<std::uint8_t> AnsiByte(char16_t c) {
  const int b = UnicodeToCp1252(c);
  if (b < 0 || b > 0xFF) return std::nullopt;
  return static_cast<std::uint8_t>(b);
}

}  // namespace

std::optional<std::string> BinarySendText(const std::u16string& text) {
  std::string bytes;
  bytes.reserve(text.size());
  for (char16_t c : text) {
    if (c <= 0xFF) {
      bytes.push_back(static_cast<char>(c));
      continue;
    }
    const auto b = AnsiByte(c);
    if (!b) return std::nullopt;
    bytes.push_back(static_cast<char>(*b));
  }
  std::string out;
  out.reserve(bytes.size() * 2);
  bool afterEscape = false;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const auto b = static_cast<std::uint8_t>(bytes[i]);
    // A literal "0x" would read as an escape of its own.
    const bool opensEscape = b == '0' && i + 1 < bytes.size() && bytes[i + 1] == 'x';
    if (IsPrintable(b) && !opensEscape) {
      // The parser takes one blank after an escape as part of it.
      if (afterEscape) out.push_back(' ');
      out.push_back(static_cast<char>(b));
      afterEscape = false;
      continue;
    }
    // The parser drops one blank in front of an escape after plain text.
    if (!out.empty() && !afterEscape) out.push_back(' ');
    out += "0x";
    out.push_back(kHex[b >> 4]);
    out.push_back(kHex[b & 0x0F]);
    afterEscape = true;
  }
  return out;
}

std::string PlainSendBytes(const std::u16string& text) {
  std::string bytes;
  bytes.reserve(text.size());
  for (char16_t c : text) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
      bytes.push_back(static_cast<char>(c));
    } else {
      const auto b = AnsiByte(c);
      bytes.push_back(b ? static_cast<char>(*b) : '?');
    }
  }
  return bytes;
}

int SendByteStatus(int portAB, std::int32_t byte, int workMode) {
  int value = 0;
  if (!PortABSelectsOne(portAB)) value += kByteBadPort;
  if (byte < 0 || byte > 255) value += kByteOutOfRange;
  if (CanWorkModeActive(workMode)) value += kByteCanMode;
  return value;
}

int SetCOM(TSetComTarget& target, const TSetComRequest& request) {
  int value = 0;
  static constexpr TModeButton kModes[] = {mbA, mbB, mbC, mbD, mbH, mbE, mbF, mbG};
  const bool usb = request.Direction == 7;
  if (request.Direction >= 0 && request.Direction <= 7) {
    target.SelectMode(kModes[request.Direction]);
    if (usb) {
      if (request.Direction2 >= 0 && request.Direction2 < target.UsbModeCount())
        target.SelectUsbMode(request.Direction2);
      else
        value += kComBadUsbMode;
    }
  } else {
    value += kComBadDirection;
  }

  if (target.BaudSwitchVisible()) {
    switch (request.PortAB) {
      case comPortAB: target.PressSpeedButton(0); break;
      case comPortA: target.PressSpeedButton(1); break;
      case comPortB: target.PressSpeedButton(2); break;
      default: value += kComBadPortAB;
    }
  }

  if (target.PortListVisible() && !usb) {
    if (request.PortAB == comPortB && target.PortBListVisible()) {
      target.SelectPortB(request.COMPort);
    } else {
      target.SelectPortA(request.COMPort);
      if (request.PortAB == comPortAB) target.SelectPortB(request.Direction2);
    }
  }

  if (request.Baud > 0) {
    const std::string wanted = std::to_string(request.Baud);
    const std::vector<std::string> items = target.BaudItems();
    int found = -1;
    for (std::size_t i = 0; i < items.size() && found < 0; ++i)
      if (items[i] == wanted) found = static_cast<int>(i);
    if (found >= 0) {
      target.SelectBaud(found);
    } else {
      target.SelectBaud(0);
      target.SetOtherBaud(wanted);
    }
  } else {
    value += kComBadBaud;
  }

  const auto pick = [&](std::int32_t index, int count, int bit, auto select) {
    if (index >= 0 && index < count)
      select(static_cast<int>(index));
    else
      value += bit;
  };
  pick(request.DataBit - 5, target.DataBitCount(), kComBadDataBit, [&](int i) { target.SelectDataBits(i); });
  pick(request.StopBit - 1, target.StopBitCount(), kComBadStopBit, [&](int i) { target.SelectStopBits(i); });
  pick(request.Parity, target.ParityCount(), kComBadParity, [&](int i) { target.SelectParity(i); });
  return value;
}
