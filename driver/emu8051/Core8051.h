// An 8051 core with the 8052's timer 2 and the EZ-USB core's second data
// pointer, second UART and extended interrupts. One switch over the opcode,
// flat arrays for every memory, and timers and UARTs brought up to date only
// when the program looks at them or when one of them is due to raise a flag,
// so that the straight-line path costs little more than the switch.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "Sfr8051.h"

namespace emu8051 {

// External data addresses whose 256-byte page is marked in the core's hook
// table reach this instead of the flat array: register blocks, devices on
// the external bus.
class TXdataBus {
 public:
  virtual ~TXdataBus() = default;
  virtual uint8_t XRead(uint16_t address) = 0;
  virtual void XWrite(uint16_t address, uint8_t value) = 0;
};

// Where the UARTs' transmitted frames go: the 8 data bits plus, in the 9-bit
// modes, the ninth bit as bit 8.
class TSerialSink {
 public:
  virtual ~TSerialSink() = default;
  virtual void SerialOut(int uart, uint16_t frame) = 0;
};

enum class TMemoryModel {
  // Separate 64 KB code and 64 KB external data, MOVX @Ri paged by P2.
  Plain8052,
  // One memory for code and data (the EZ-USB's RAM), MOVX @Ri paged by MPAGE.
  Unified,
};

struct TCoreState {
  uint16_t pc = 0;
  std::array<uint8_t, 256> iram{};
  std::array<uint8_t, 128> sfr{};  // index = address - 0x80
};

class TCore8051 {
 public:
  explicit TCore8051(TMemoryModel model = TMemoryModel::Unified);
  TCore8051(const TCore8051&) = delete;
  TCore8051& operator=(const TCore8051&) = delete;

  // Register values after a reset; memories are left as they are.
  void Reset();

  // Runs `count` instructions. An interrupt entry and the handler's first
  // instruction count as part of the instruction that let the request in.
  // Returns the number executed.
  uint64_t Run(uint64_t count);
  // Runs until the cycle counter reaches `cycle`.
  void RunUntilCycle(uint64_t cycle);
  void Step() { Run(1); }
  // Machine cycles of the hardware-generated call into a handler.
  void SetInterruptEntryCycles(int cycles) { entryCycles_ = cycles; }

  uint64_t Cycles() const { return cycles_; }
  uint64_t Instructions() const { return instructions_; }

  // Memories. Code and external data are the same array in the unified model.
  uint8_t* Code() { return code_; }
  uint8_t* Xdata() { return xdata_; }
  std::array<uint8_t, 256>& Iram() { return iram_; }
  uint16_t Pc() const { return pc_; }
  void SetPc(uint16_t pc) { pc_ = pc; }

  // SFR access as the program sees it (timers brought up to date first).
  uint8_t ReadSfr(uint8_t address);
  void WriteSfr(uint8_t address, uint8_t value);
  // Snapshot with timers up to date and the parity bit of PSW computed.
  TCoreState State();

  // Hooks for the world outside the core.
  void MapXdataPage(uint8_t page, TXdataBus* bus);
  void SetSerialSink(TSerialSink* sink) { serialSink_ = sink; }
  // A frame arriving on a UART's receive line, taken at once when the
  // receiver is enabled. Returns false when it was not taken (receiver off,
  // or RI still set so the frame would be an overrun).
  bool SerialIn(int uart, uint16_t frame);
  // Levels of the external interrupt inputs INT0..INT1 (true = high) and the
  // extended request lines of the EZ-USB core.
  void SetIntPin(int n, bool high);
  // Counting inputs T0, T1, T2: `edges` falling edges for a timer in counter mode.
  void CountPulses(int timer, uint32_t edges);
  // Request lines of the EZ-USB core: USB (INT2), I2C (INT3), INT4, INT5.
  void RaiseUsbInterrupt();
  void RaiseI2cInterrupt();

 private:
  friend class TCoreTimers;

  // Memory access.
  uint8_t& R(int n) { return iram_[bank_ + n]; }
  uint8_t ReadDirect(uint8_t a) { return a < 0x80 ? iram_[a] : ReadSfrSlow(a); }
  uint8_t ReadDirectLatch(uint8_t a) { return a < 0x80 ? iram_[a] : ReadSfrLatch(a); }
  void WriteDirect(uint8_t a, uint8_t v) {
    if (a < 0x80)
      iram_[a] = v;
    else
      WriteSfrSlow(a, v);
  }
  uint8_t ReadSfrSlow(uint8_t a);
  uint8_t ReadSfrLatch(uint8_t a);
  void WriteSfrSlow(uint8_t a, uint8_t v);
  bool ReadBit(uint8_t bit);
  bool ReadBitLatch(uint8_t bit);
  void WriteBit(uint8_t bit, bool v);
  uint8_t ReadX(uint16_t a) { return xhook_[a >> 8] ? xhook_[a >> 8]->XRead(a) : xdata_[a]; }
  void WriteX(uint16_t a, uint8_t v) {
    if (xhook_[a >> 8])
      xhook_[a >> 8]->XWrite(a, v);
    else
      xdata_[a] = v;
  }
  uint8_t& S(uint8_t a) { return sfr_[a - 0x80]; }
  uint8_t& A() { return sfr_[sfr::ACC - 0x80]; }
  uint8_t& Psw() { return sfr_[sfr::PSW - 0x80]; }
  bool Cy() { return Psw() & bits::CY; }
  void SetCy(bool c) { Psw() = c ? (Psw() | bits::CY) : (Psw() & ~bits::CY); }
  uint16_t Dptr();
  void SetDptr(uint16_t v);
  void Push(uint8_t v) {
    ++S(sfr::SP);
    iram_[S(sfr::SP)] = v;
  }
  uint8_t Pop() { return iram_[S(sfr::SP)--]; }

  // Arithmetic with the flags the instruction set defines.
  void Add(uint8_t v, bool carryIn);
  void Subb(uint8_t v);
  void DecimalAdjust();
  void Cjne(uint8_t a, uint8_t b, int8_t rel);

  int Execute();          // one instruction, returns its machine cycles
  void StepCounted();
  bool Service();         // timers, UARTs and interrupts, at events only; true when a handler was entered
  void ScheduleCheck() { eventAt_ = 0; }
  void Sync();            // bring timers and UARTs up to cycles_
  void AdvanceTimers(uint64_t delta);
  void AdvanceSerial(int uart, uint32_t ticks);
  uint64_t NextTimerEvent();
  bool TakeInterrupt();
  void StartTransmit(int uart, uint8_t value);
  bool SerialUsesTimer(int uart, int timer);

  TMemoryModel model_;
  std::vector<uint8_t> codeStore_, xdataStore_;
  uint8_t* code_;
  uint8_t* xdata_;
  std::array<TXdataBus*, 256> xhook_{};
  TSerialSink* serialSink_ = nullptr;
  std::array<uint8_t, 256> iram_{};
  std::array<uint8_t, 128> sfr_{};
  uint8_t sbufIn_[2] = {0, 0};
  uint16_t pc_ = 0;
  int bank_ = 0;
  uint8_t pageSfr_;  // P2 or MPAGE: the high address byte of MOVX @Ri

  uint64_t cycles_ = 0;
  uint64_t instructions_ = 0;
  uint64_t syncedAt_ = 0;
  uint64_t eventAt_ = 0;
  bool irqBlocked_ = false;     // the instruction just done was RETI or wrote IE/IP
  uint8_t activeLevels_ = 0;    // bit 0: a low-priority handler runs, bit 1: high
  uint8_t intPins_ = 0x03;      // INT0, INT1 levels
  uint32_t pendingCount_[3] = {0, 0, 0};
  int entryCycles_ = 2;

  struct TUart {
    uint32_t txTicks = 0;  // clock steps until TI, 0 when idle
    int source = 0;        // 0: oscillator states, 1: timer 1 overflows, 2: timer 2 overflows
    uint16_t txFrame = 0;
  } uart_[2];
};

}  // namespace emu8051
