#include "ModbusRtuDecoder.h"

#include <algorithm>
#include <cstdio>

namespace {
// The whole frame's lengths this function code allows (requests and
// responses look alike on the wire). 0 stands for a length the bytes so far
// cannot tell yet; a code of unknown layout allows any length (Any).
struct TLengths {
  std::size_t Value[2] = {0, 0};
  int Count = 0;
  bool Any = false;
};

TLengths CandidateLengths(const std::vector<std::uint8_t>& b) {
  TLengths l;
  if (b.size() < 2) return l;
  const std::uint8_t fc = b[1];
  const auto counted = [&b](std::size_t at, std::size_t fixed) -> std::size_t {
    return b.size() > at ? fixed + b[at] : 0;
  };
  const auto set = [&l](std::size_t a, std::size_t c, int count) {
    l.Value[0] = a;
    l.Value[1] = c;
    l.Count = count;
  };
  if (fc & 0x80) {
    set(5, 0, 1);
    return l;
  }
  switch (fc) {
    case 1: case 2: case 3: case 4: set(8, counted(2, 5), 2); break;
    case 12: case 17: set(4, counted(2, 5), 2); break;
    case 5: case 6: case 8: set(8, 0, 1); break;
    case 7: set(4, 5, 2); break;
    case 11: set(4, 8, 2); break;
    case 15: case 16: set(8, counted(6, 9), 2); break;
    case 22: set(10, 0, 1); break;
    case 23: set(counted(2, 5), counted(10, 13), 2); break;
    default: l.Any = true; break;
  }
  return l;
}

std::uint16_t CrcStep(std::uint16_t crc, std::uint8_t byte) {
  crc ^= byte;
  for (int bit = 0; bit < 8; ++bit) crc = (crc & 1) ? static_cast<std::uint16_t>((crc >> 1) ^ 0xA001) : crc >> 1;
  return crc;
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
  for (std::size_t i = 0; i < count; ++i) crc = CrcStep(crc, bytes[i]);
  return crc;
}

TModbusRtuDecoder::TVerdict TModbusRtuDecoder::Check() const {
  const std::size_t n = buffer_.size();
  if (n >= kMaxFrame) return TVerdict::Bad;
  const bool crcMatches = n >= 4 && crc_ == 0;
  const TLengths lengths = CandidateLengths(buffer_);
  if (lengths.Any) return crcMatches ? TVerdict::Frame : TVerdict::More;
  bool open = lengths.Count == 0;
  for (int i = 0; i < lengths.Count; ++i) {
    const std::size_t length = lengths.Value[i];
    if (crcMatches && length == n) return TVerdict::Frame;
    // Bad only once every length it may have has passed; a length still
    // unknown (its count byte not yet in) keeps it open.
    open = open || length == 0 || length > n;
  }
  return open ? TVerdict::More : TVerdict::Bad;
}

void TModbusRtuDecoder::Emit(bool crcOk, bool complete, std::vector<TModbusFrame>& out) {
  out.push_back({buffer_, crcOk, complete});
  buffer_.clear();
  crc_ = 0xFFFF;
}

void TModbusRtuDecoder::Feed(std::uint8_t byte, double timeMs, std::vector<TModbusFrame>& out) {
  if (!buffer_.empty() && timeMs - lastMs_ > gapMs_) Emit(false, false, out);
  lastMs_ = timeMs;
  buffer_.push_back(byte);
  crc_ = CrcStep(crc_, byte);
  switch (Check()) {
    case TVerdict::More:
      return;
    case TVerdict::Frame:
      return Emit(true, true, out);
    case TVerdict::Bad:
      return Emit(false, true, out);
  }
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
