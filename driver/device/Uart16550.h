// One channel of a 16550-type UART as seen from the 8051's external bus,
// with its receive line fed from outside: characters, errors, breaks and
// modem lines are scheduled at core cycles and taken into the 16-byte FIFO
// when their stop bit has passed, so that timing and overruns come out as
// on the board.
#pragma once

#include <cstdint>
#include <cstddef>
#include <deque>
#include <vector>

namespace tamarikusb {

// Errors a sender puts on one character (the bits of the line status).
constexpr uint8_t kParityError = 0x04, kFramingError = 0x08, kBreak = 0x10;

class TUart16550 {
 public:
  static constexpr uint64_t kCoreHz = 6'000'000;  // 24 MHz, four clocks per cycle

  void SetCrystal(uint32_t hz) { crystal_ = hz; }
  uint32_t Crystal() const { return crystal_; }
  // Rate and frame length the firmware has programmed.
  uint32_t Baud() const;
  int FrameBits() const;
  uint8_t LineControl() const { return lcr_; }
  uint64_t CharacterCycles() const;

  // A character whose stop bit ends at core cycle `at`; `errors` from the
  // constants above (kBreak: the line held low, read as 0x00).
  void Receive(uint64_t at, uint8_t value, uint8_t errors = 0);
  // Levels of CTS, DSR, RI, DCD from core cycle `at` on.
  void SetModemLines(uint64_t at, bool cts, bool dsr, bool ri, bool dcd);

  uint8_t Read(int reg, uint64_t now);
  void Write(int reg, uint8_t value, uint64_t now);

  // What the firmware sent since the last call, and breaks it started.
  std::vector<uint8_t> TakeTransmitted(uint64_t now);
  int BreaksSent() const { return breaksSent_; }
  // Characters lost because the receive FIFO was full.
  uint64_t Overruns() const { return overruns_; }

 private:
  struct TEvent {
    uint64_t at;
    bool lines;
    uint8_t value;   // character, or the modem levels (MSR's high four bits)
    uint8_t errors;
  };
  struct TChar {
    uint8_t value, errors;
  };
  void Advance(uint64_t now);
  size_t FifoDepth() const { return (fcr_ & 1) ? 16 : 1; }

  uint32_t crystal_ = 11'059'200;
  std::deque<TEvent> pending_;
  std::deque<TChar> rx_;
  std::deque<uint8_t> tx_;
  uint64_t txHeadEnd_ = 0;
  std::vector<uint8_t> transmitted_;
  uint8_t dll_ = 1, dlm_ = 0, ier_ = 0, fcr_ = 0, lcr_ = 0x03, mcr_ = 0, scr_ = 0;
  uint8_t msr_ = 0;
  bool overrun_ = false;
  uint64_t overruns_ = 0;
  int breaksSent_ = 0;
};

}  // namespace tamarikusb
