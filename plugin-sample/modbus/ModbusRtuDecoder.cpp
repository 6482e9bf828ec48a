#include "ModbusRtuDecoder.h"

#include <algorithm>
#include <cstdio>

namespace {
// The whole frame's lengths this function code allows (requests and
// responses look alike on the wire); empty when the bytes so far cannot
// tell yet; {0} for a code of unknown layout (any length up to the maximum).
std::vector<std::size_t> CandidateLengths(const std::vector<std::uint8_t>& b) {
  if (b.size() < 2) return {};
  const std::uint8_t fc = b[1];
  const auto counted = [&b](std::size_t at, std::size_t fixed) -> std::size_t {
    return b.size() > at ? fixed + b[at] : 0;
  };
  std::vector<std::size_t> lengths;
  if (fc & 0x80) return {5};
  switch (fc) {
    case 1: case 2: case 3: case 4: case 12: case 17:
      lengths = {8, counted(2, 5)};
      if (fc >= 12) lengths[0] = 4;
      break;
    case 5: case 6: case 8: lengths = {8}; break;
    case 7: lengths = {4, 5}; break;
    case 11: lengths = {4, 8}; break;
    case 15: case 16: lengths = {8, counted(6, 9)}; break;
    case 22: lengths = {10}; break;
    case 23: lengths = {counted(2, 5), counted(10, 13)}; break;
    default: return {0};
  }
  return lengths;
}

const char* FunctionName(std::uint8_t fc) {
  switch (fc & 0x7F) {
    case 1: return "Read Coils";
    case 2: return "Read Discrete Inputs";
    case 3: return "Read Holding Registers";
    case 4: return "Read Input Registers";
    case 5: return "Write Single Coil";
    case 6: return "Write Single Register";
    case 7: return "Read Exception Status";
    case 8: return "Diagnostics";
    case 11: return "Get Comm Event Counter";
    case 12: return "Get Comm Event Log";
    case 15: return "Write Multiple Coils";
    case 16: return "Write Multiple Registers";
    case 17: return "Report Server ID";
    case 22: return "Mask Write Register";
    case 23: return "Read/Write Multiple Registers";
    case 43: return "Encapsulated Interface Transport";
    default: return "Function";
  }
}

const char* ExceptionName(std::uint8_t code) {
  switch (code) {
    case 1: return "Illegal Function";
    case 2: return "Illegal Data Address";
    case 3: return "Illegal Data Value";
    case 4: return "Server Device Failure";
    case 5: return "Acknowledge";
    case 6: return "Server Device Busy";
    case 8: return "Memory Parity Error";
    case 10: return "Gateway Path Unavailable";
    case 11: return "Gateway Target Device Failed to Respond";
    default: return "Exception";
  }
}

void AppendHexBytes(std::string& out, const std::uint8_t* bytes, std::size_t count) {
  char hex[4];
  for (std::size_t i = 0; i < count; ++i) {
    std::snprintf(hex, sizeof hex, "%02X", bytes[i]);
    if (i > 0) out += ' ';
    out += hex;
  }
}
}  // namespace

std::uint16_t ModbusCrc(const std::uint8_t* bytes, std::size_t count) {
  std::uint16_t crc = 0xFFFF;
  for (std::size_t i = 0; i < count; ++i) {
    crc ^= bytes[i];
    for (int bit = 0; bit < 8; ++bit) crc = (crc & 1) ? static_cast<std::uint16_t>((crc >> 1) ^ 0xA001) : crc >> 1;
  }
  return crc;
}

TModbusRtuDecoder::TVerdict TModbusRtuDecoder::Check() const {
  const std::size_t n = buffer_.size();
  if (n >= kMaxFrame) return TVerdict::Bad;
  const std::vector<std::size_t> lengths = CandidateLengths(buffer_);
  const bool crcMatches = n >= 4 && ModbusCrc(buffer_.data(), n) == 0;
  if (lengths.size() == 1 && lengths[0] == 0) return crcMatches ? TVerdict::Frame : TVerdict::More;
  if (crcMatches && std::find(lengths.begin(), lengths.end(), n) != lengths.end()) return TVerdict::Frame;
  // Bad only once every length it may have has passed; a length still
  // unknown (its count byte not yet in) keeps it open.
  const bool open = lengths.empty() || std::any_of(lengths.begin(), lengths.end(),
                                                   [n](std::size_t length) { return length == 0 || length > n; });
  return open ? TVerdict::More : TVerdict::Bad;
}

void TModbusRtuDecoder::Feed(std::uint8_t byte, double timeMs, std::vector<TModbusFrame>& out) {
  if (!buffer_.empty() && timeMs - lastMs_ > gapMs_) {
    out.push_back({std::move(buffer_), false, false});
    buffer_.clear();
  }
  lastMs_ = timeMs;
  buffer_.push_back(byte);
  switch (Check()) {
    case TVerdict::More:
      return;
    case TVerdict::Frame:
      out.push_back({std::move(buffer_), true, true});
      break;
    case TVerdict::Bad:
      out.push_back({std::move(buffer_), false, true});
      break;
  }
  buffer_.clear();
}

std::string DescribeModbusFrame(const TModbusFrame& frame) {
  const std::vector<std::uint8_t>& b = frame.Bytes;
  std::string line = "Modbus ";
  if (!frame.CrcOk) {
    line += frame.Complete ? "bad CRC: " : "incomplete: ";
    AppendHexBytes(line, b.data(), b.size());
    return line;
  }
  char head[64];
  std::snprintf(head, sizeof head, "id=%u fc=%u ", b[0], b[1]);
  line += head;
  if (b[1] & 0x80) {
    std::snprintf(head, sizeof head, "%s exception %u: ", FunctionName(b[1]), b[2]);
    line += head;
    line += ExceptionName(b[2]);
  } else {
    line += FunctionName(b[1]);
    if (b.size() > 4) {
      line += ": ";
      AppendHexBytes(line, b.data() + 2, b.size() - 4);
    }
  }
  line += ", CRC ok";
  return line;
}
