#include "IntelHex.h"

#include "core/Language.h"
#include "core/SendText.h"

namespace {

// Text ids of the reader's messages.
constexpr int kHexLineError = 1474, kChecksum = 1475, kExtendedAddress = 1476, kShortLine = 1478,
              kUnknownType = 1479, kAddressOverflow = 1419, kHexDigits = 1403;

std::string LineMessage(int line, int reason) {
  return GetText(kHexLineError) + " " + std::to_string(line) + ": " + GetText(reason);
}

// Two hexadecimal characters; characters that are not there read as "".
uint8_t Byte(std::string_view line, size_t pos) {
  return static_cast<uint8_t>(HexToInt(pos < line.size() ? line.substr(pos, 2) : std::string_view{}));
}

}  // namespace

THexReadResult ReadIntelHex(std::string_view text, std::span<uint8_t> buffer, uint32_t maxAddress) {
  THexReadResult r;
  if (buffer.empty()) return r;
  if (maxAddress >= buffer.size()) maxAddress = static_cast<uint32_t>(buffer.size() - 1);
  int number = 0;
  while (!text.empty()) {
    const size_t eol = text.find('\n');
    std::string_view line = text.substr(0, eol);
    text = eol == std::string_view::npos ? std::string_view{} : text.substr(eol + 1);
    ++number;
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) line.remove_suffix(1);
    try {
      // Positions as the record format counts them from the colon.
      const int count = Byte(line, 1);
      if (count == 0) break;  // the end record, or an empty line at the end
      if (line.size() < 11 + 2 * static_cast<size_t>(count)) {
        r.Error = LineMessage(number, kShortLine);
        r.Ok = false;
        return r;
      }
      const uint8_t hi = Byte(line, 3), lo = Byte(line, 5), type = Byte(line, 7);
      unsigned sum = static_cast<unsigned>(count) + hi + lo + type;
      for (int i = 0; i <= count; ++i) sum += Byte(line, 9 + 2 * static_cast<size_t>(i));
      if (sum & 0xFF) {
        r.Error = LineMessage(number, kChecksum);
        r.Ok = false;
        return r;
      }
      if (type == 1) break;
      if (type == 2 || type == 4) {
        r.Error = LineMessage(number, kExtendedAddress);
        r.Ok = false;
        return r;
      }
      if (type == 3 || type == 5) continue;  // a start address: nothing to store
      if (type != 0) {
        r.Error = LineMessage(number, kUnknownType);
        r.Ok = false;
        return r;
      }
      uint32_t address = (static_cast<uint32_t>(hi) << 8) | lo;
      for (int i = 1; i <= count; ++i, ++address) {
        if (address > maxAddress) {
          r.Error = GetText(kAddressOverflow) + " (" + GetText(kHexLineError) + " " + std::to_string(number) + ")";
          r.Ok = false;
          r.Overflow = true;
          return r;
        }
        buffer[address] = Byte(line, 7 + 2 * static_cast<size_t>(i));
        if (address + 1 > r.End) r.End = address + 1;
      }
    } catch (const THexError&) {
      r.Error = GetText(kHexLineError) + " " + std::to_string(number) + ": " + GetText(kHexDigits);
      r.Ok = false;
      return r;
    }
  }
  return r;
}
