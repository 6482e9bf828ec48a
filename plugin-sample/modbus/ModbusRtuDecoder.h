// Modbus RTU frames out of a byte stream, one direction at a time. Frames are
// found by their CRC at the lengths their function code allows, so frames
// sent back to back and frames split across deliveries both come out whole.
// A pause longer than the gap ends whatever is pending.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct TModbusFrame {
  std::vector<std::uint8_t> Bytes;
  bool CrcOk = false;     // a whole frame whose CRC matched
  bool Complete = false;  // false: cut short by a pause
};

class TModbusRtuDecoder {
 public:
  static constexpr std::size_t kMaxFrame = 256;

  explicit TModbusRtuDecoder(double gapMs = 20.0) : gapMs_(gapMs) {}

  // One byte received at timeMs (any clock in milliseconds); finished frames
  // are appended to out.
  void Feed(std::uint8_t byte, double timeMs, std::vector<TModbusFrame>& out);
  std::size_t Pending() const { return buffer_.size(); }

 private:
  enum class TVerdict { More, Frame, Bad };
  TVerdict Check() const;

  void Emit(bool crcOk, bool complete, std::vector<TModbusFrame>& out);

  double gapMs_;
  double lastMs_ = 0;
  std::vector<std::uint8_t> buffer_;
  std::uint16_t crc_ = 0xFFFF;  // of buffer_ so far: 0 once a whole frame is in
};

std::uint16_t ModbusCrc(const std::uint8_t* bytes, std::size_t count);
// One line for a frame, without a line end.
std::string DescribeModbusFrame(const TModbusFrame& frame);
