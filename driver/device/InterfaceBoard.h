// The interface board around the emulated chip, wired as firmware/README.md
// describes: a dual 16550-type UART on the external bus (channel 1 at
// 0x4000, channel 2 at 0x4008), port A driving the UARTs' crystal choice
// (PA0: 0 = 11.0592 MHz, 1 = 12 MHz) and the LED (PA1, low = on), and an
// SJA1000 CAN controller at 0x6000..0x607F, clocked from the same crystal
// choice, on an emulated CAN bus.
// The board attaches itself to the chip; its feeding calls take the chip's
// lock, so a test may call them while the core thread runs.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <memory>
#include <span>
#include <vector>

#include "CanBus.h"
#include "EzUsbDevice.h"
#include "Sja1000.h"
#include "Uart16550.h"

namespace tamarikusb {

class TInterfaceBoard : private TClockedInputs {
 public:
  explicit TInterfaceBoard(TEzUsbDevice& chip);
  ~TInterfaceBoard();
  TInterfaceBoard(const TInterfaceBoard&) = delete;
  TInterfaceBoard& operator=(const TInterfaceBoard&) = delete;

  // The chip's cycle count now.
  uint64_t Now();
  // Bytes sent back to back at `baud` in the UART's current frame format,
  // the first starting at core cycle `start` (or now, if the core passed
  // it); returns the cycle at which the last stop bit ends. `errors[i]` (if given) marks byte i.
  uint64_t SendToInput(int input, uint64_t start, std::span<const uint8_t> bytes, uint32_t baud,
                       std::span<const uint8_t> errors = {});
  void SetModemLines(int input, uint64_t at, bool cts, bool dsr, bool ri, bool dcd);
  std::vector<uint8_t> TakeTransmitted(int input);
  int BreaksSent(int input);
  uint64_t Overruns(int input);
  uint32_t InputBaud(int input);
  bool LedOn();
  // The four measuring inputs (0, 1 RS-485, 2, 3 V.24; input 1's RXD is
  // measuring input 2, input 2's is 3) and the one PB0/PB1 select: it
  // reaches the counter input T0 and, for the edge timing, INT0. Edges
  // happen at their core cycles as the core runs, on the device's own core
  // thread or in RunCycles.
  // A square wave of `hz` (counted on T0 only; 0 ends it).
  void SetFrequency(int input, double hz);
  // Serial characters on a measuring input (8N1 unless it is a UART's RXD,
  // which then carries the UART's programmed format), the first starting
  // at core cycle `start`; returns the cycle the last stop bit ends.
  uint64_t SendToMeasuringInput(int input, uint64_t start, std::span<const uint8_t> bytes, uint32_t baud);
  // Runs the held-off core for `cycles`, feeding the inputs on the way.
  void RunCycles(uint64_t cycles);
  // Levels on port A's pins as the board sees them.
  uint8_t PortA();

  // The CAN bus the controller sits on (its own lock: usable from any thread).
  TCanBus& Can() { return can_; }
  // Works with the controller under the chip's lock, its bus played up to now.
  template <typename F>
  auto WithCanController(F&& f) {
    return chip_.WithCore([&](emu8051::TCore8051& core) {
      sja_.Advance(core.Cycles());
      return f(sja_);
    });
  }

 private:
  class TExternalBus;
  class TPortRegisters;
  friend class TExternalBus;
  friend class TPortRegisters;

  void RunCore(emu8051::TCore8051& core, uint64_t until) override;
  // Levels from given cycles on, per measuring input (true = high, idle).
  struct TLevel {
    uint64_t at;
    bool high;
  };
  uint64_t AddCharacters(int input, uint64_t start, std::span<const uint8_t> bytes, uint32_t baud, uint8_t lcr);

  TEzUsbDevice& chip_;
  emu8051::TCore8051* core_ = nullptr;
  std::array<TUart16550, 2> uarts_;
  TCanBus can_;
  TSja1000 sja_{can_};
  uint8_t portA_ = 0xFF, portB_ = 0xFF;
  std::array<double, 4> frequency_{};
  double edgeRemainder_ = 0;
  std::array<std::deque<TLevel>, 4> levels_;
  std::array<bool, 4> high_{true, true, true, true};
  bool pinHigh_ = true;
  std::unique_ptr<emu8051::TXdataBus> external_, registers_;
};

}  // namespace tamarikusb
