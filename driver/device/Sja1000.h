// An SJA1000 CAN controller in PeliCAN mode as the 8051 sees it on the
// external bus (register offsets 0..127), attached to an emulated bus. The
// controller keeps the bus time: when the program touches a register, every
// frame, error frame and transmission that has ended by then is played in
// order (arbitration, acknowledge, error counting, acceptance filter, the
// 64-byte receive FIFO). Frames are not bit-stuffed and the bus runs at the
// rate the controller is programmed to; BasicCAN mode is not modelled (the
// controller stays in reset mode until the clock divider selects PeliCAN).
#pragma once

#include <array>
#include <cstdint>

#include "CanBus.h"

namespace tamarikusb {

namespace sja {
// Register offsets in PeliCAN mode.
constexpr uint8_t kMod = 0, kCmr = 1, kSr = 2, kIr = 3, kIer = 4, kBtr0 = 6, kBtr1 = 7, kOcr = 8;
constexpr uint8_t kAlc = 11, kEcc = 12, kEwlr = 13, kRxerr = 14, kTxerr = 15;
constexpr uint8_t kBuffer = 16, kRmc = 29, kRbsa = 30, kCdr = 31;
// Mode bits.
constexpr uint8_t kModReset = 0x01, kModListenOnly = 0x02, kModSelfTest = 0x04, kModSingleFilter = 0x08, kModSleep = 0x10;
// Commands.
constexpr uint8_t kCmdTransmit = 0x01, kCmdAbort = 0x02, kCmdReleaseBuffer = 0x04, kCmdClearOverrun = 0x08,
                  kCmdSelfReception = 0x10;
// Status bits.
constexpr uint8_t kSrReceiveBuffer = 0x01, kSrOverrun = 0x02, kSrTransmitBuffer = 0x04, kSrTransmitComplete = 0x08,
                  kSrReceiving = 0x10, kSrTransmitting = 0x20, kSrError = 0x40, kSrBusOff = 0x80;
// Interrupt bits (same in the enable register).
constexpr uint8_t kIrReceive = 0x01, kIrTransmit = 0x02, kIrErrorWarning = 0x04, kIrOverrun = 0x08, kIrWakeUp = 0x10,
                  kIrErrorPassive = 0x20, kIrArbitrationLost = 0x40, kIrBusError = 0x80;
constexpr uint8_t kCdrPeliCan = 0x80;
}  // namespace sja

class TSja1000 {
 public:
  static constexpr uint64_t kCoreHz = 6'000'000;  // core cycles per second

  explicit TSja1000(TCanBus& bus) : bus_(bus) {}
  // The controller's oscillator.
  void SetCrystal(uint32_t hz) { crystal_ = hz; }

  uint8_t Read(uint8_t reg, uint64_t now);
  void Write(uint8_t reg, uint8_t value, uint64_t now);
  // Plays the bus up to `now` (register accesses do this themselves).
  void Advance(uint64_t now);

  // For tests and the board.
  bool InterruptPending() const { return Interrupts() != 0; }
  uint8_t RxErrors() const { return rxerr_; }
  uint8_t TxErrors() const { return txerr_; }
  bool BusOff() const { return busOff_; }
  bool ResetMode() const { return mod_ & sja::kModReset; }
  // Core cycles per bit at the programmed timing.
  double BitCycles() const;
  // The acceptance filter as programmed.
  bool Accepts(const TCanFrame& frame) const;

 private:
  void ReceiveFrame(const TCanFrame& frame);
  void BusError(uint8_t ecc, bool transmitting);
  void CaptureArbitration(int bit);
  void CountersChanged(uint8_t oldStatus, bool wasPassive);
  void EnterBusOff();
  void ReleaseMessage();
  void EnterResetMode();
  uint8_t Status() const;
  uint8_t Interrupts() const;
  void Raise(uint8_t bit);
  uint64_t Bits(int n) const;
  TCanFrame FrameFromTransmitBuffer() const;
  size_t MessageLength(size_t at) const;

  TCanBus& bus_;
  uint32_t crystal_ = 12'000'000;
  uint8_t mod_ = sja::kModReset, ier_ = 0, ir_ = 0, btr0_ = 0, btr1_ = 0, ocr_ = 0, cdr_ = 0;
  uint8_t ewl_ = 96, rxerr_ = 0, txerr_ = 0, alc_ = 0, ecc_ = 0;
  bool alcHeld_ = false, eccHeld_ = false;
  std::array<uint8_t, 4> acr_{}, amr_{0xFF, 0xFF, 0xFF, 0xFF};
  std::array<uint8_t, 13> txbuf_{};
  std::array<uint8_t, 64> fifo_{};
  uint8_t rbsa_ = 0, used_ = 0, rmc_ = 0;
  bool overrun_ = false;
  // Transmission.
  bool txPending_ = false, txComplete_ = true, singleShot_ = false, selfReception_ = false;
  TCanFrame txFrame_;
  uint64_t txRequestAt_ = 0;
  // Bus.
  uint64_t busFree_ = 0, now_ = 0;
  bool busOff_ = false, recovering_ = false;
  uint64_t recoveryEnd_ = 0;
};

}  // namespace tamarikusb
