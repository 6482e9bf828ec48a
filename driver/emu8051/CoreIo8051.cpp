// SFR side effects, bit addressing, timers, UARTs and interrupts.
#include "Core8051.h"

#include <limits>

namespace emu8051 {

namespace {

bool Parity(uint8_t v) { return __builtin_parity(v); }

// Counts `k` steps on a counter at `v` that wraps from `top` to `reload`;
// returns the number of overflows.
uint64_t Count(uint32_t& v, uint64_t k, uint32_t top, uint32_t reload) {
  if (k < top - v) {
    v += static_cast<uint32_t>(k);
    return 0;
  }
  k -= top - v;
  const uint32_t period = top - reload;
  v = reload + static_cast<uint32_t>(k % period);
  return 1 + k / period;
}

// Steps until the next overflow, and steps between later ones.
struct TCountdown {
  uint64_t first;
  uint64_t period;
};

struct TSource {
  uint8_t flagSfr, flagMask, enableSfr, enableMask, prioSfr, prioMask;
  uint16_t vector;
  bool unifiedOnly;
};

constexpr TSource kSources[] = {
    {sfr::TCON, bits::IE0, sfr::IE, bits::EX0, sfr::IP, 0x01, 0x03, false},
    {sfr::TCON, bits::TF0, sfr::IE, bits::ET0, sfr::IP, 0x02, 0x0B, false},
    {sfr::TCON, bits::IE1, sfr::IE, bits::EX1, sfr::IP, 0x04, 0x13, false},
    {sfr::TCON, bits::TF1, sfr::IE, bits::ET1, sfr::IP, 0x08, 0x1B, false},
    {sfr::SCON0, bits::RI | bits::TI, sfr::IE, bits::ES0, sfr::IP, 0x10, 0x23, false},
    {sfr::T2CON, bits::TF2 | bits::EXF2, sfr::IE, bits::ET2, sfr::IP, 0x20, 0x2B, false},
    {sfr::SCON1, bits::RI | bits::TI, sfr::IE, bits::ES1, sfr::IP, 0x40, 0x3B, true},
    {sfr::EXIF, bits::USBINT, sfr::EIE, bits::EUSB, sfr::EIP, 0x01, 0x43, true},
    {sfr::EXIF, bits::I2CINT, sfr::EIE, bits::EI2C, sfr::EIP, 0x02, 0x4B, true},
    {sfr::EXIF, bits::IE4, sfr::EIE, bits::EX4, sfr::EIP, 0x04, 0x53, true},
    {sfr::EXIF, bits::IE5, sfr::EIE, bits::EX5, sfr::EIP, 0x08, 0x5B, true},
};

constexpr uint64_t kNever = std::numeric_limits<uint64_t>::max();

}  // namespace

uint8_t TCore8051::ReadSfrSlow(uint8_t a) {
  const bool ez = model_ == TMemoryModel::Unified;
  switch (a) {
    case sfr::TCON: case sfr::TL0: case sfr::TL1: case sfr::TH0: case sfr::TH1:
    case sfr::T2CON: case sfr::TL2: case sfr::TH2: case sfr::SCON0:
      Sync();
      return S(a);
    case sfr::SCON1:
      if (ez) Sync();
      return S(a);
    case sfr::SBUF0: return sbufIn_[0];
    case sfr::SBUF1: return ez ? sbufIn_[1] : S(a);
    case sfr::PSW: return static_cast<uint8_t>((Psw() & ~bits::P) | (Parity(A()) ? bits::P : 0));
    default: return S(a);
  }
}

uint8_t TCore8051::ReadSfrLatch(uint8_t a) {
  switch (a) {
    case sfr::P0: case sfr::P1: case sfr::P2: case sfr::P3: return S(a);
    default: return ReadSfrSlow(a);
  }
}

void TCore8051::WriteSfrSlow(uint8_t a, uint8_t v) {
  const bool ez = model_ == TMemoryModel::Unified;
  switch (a) {
    case sfr::PSW:
      S(a) = v;
      bank_ = v & bits::RS;
      return;
    case sfr::SBUF0:
      S(a) = v;
      StartTransmit(0, v);
      return;
    case sfr::SBUF1:
      S(a) = v;
      if (ez) StartTransmit(1, v);
      return;
    case sfr::TCON: case sfr::TMOD: case sfr::TL0: case sfr::TL1: case sfr::TH0: case sfr::TH1:
    case sfr::T2CON: case sfr::RCAP2L: case sfr::RCAP2H: case sfr::TL2: case sfr::TH2:
    case sfr::SCON0: case sfr::PCON:
      Sync();
      S(a) = v;
      ScheduleCheck();
      return;
    case sfr::SCON1: case sfr::EXIF: case sfr::EICON:
      if (ez) Sync();
      S(a) = v;
      ScheduleCheck();
      return;
    case sfr::IE: case sfr::IP: case sfr::EIE: case sfr::EIP:
      S(a) = v;
      irqBlocked_ = true;
      ScheduleCheck();
      return;
    default:
      S(a) = v;
  }
}

bool TCore8051::ReadBit(uint8_t bit) {
  const uint8_t v = bit < 0x80 ? iram_[0x20 + (bit >> 3)] : ReadSfrSlow(bit & 0xF8);
  return (v >> (bit & 7)) & 1;
}

bool TCore8051::ReadBitLatch(uint8_t bit) {
  const uint8_t v = bit < 0x80 ? iram_[0x20 + (bit >> 3)] : ReadSfrLatch(bit & 0xF8);
  return (v >> (bit & 7)) & 1;
}

void TCore8051::WriteBit(uint8_t bit, bool value) {
  const uint8_t addr = bit < 0x80 ? static_cast<uint8_t>(0x20 + (bit >> 3)) : static_cast<uint8_t>(bit & 0xF8);
  const uint8_t mask = static_cast<uint8_t>(1u << (bit & 7));
  const uint8_t old = ReadDirectLatch(addr);
  WriteDirect(addr, value ? (old | mask) : (old & ~mask));
}

uint8_t TCore8051::ReadSfr(uint8_t address) { return ReadSfrSlow(address); }
void TCore8051::WriteSfr(uint8_t address, uint8_t value) { WriteSfrSlow(address, value); }

TCoreState TCore8051::State() {
  Sync();
  TCoreState s;
  s.pc = pc_;
  s.iram = iram_;
  s.sfr = sfr_;
  s.sfr[sfr::PSW - 0x80] = ReadSfrSlow(sfr::PSW);
  return s;
}

void TCore8051::Sync() {
  if (cycles_ != syncedAt_ || pendingCount_[0] || pendingCount_[1] || pendingCount_[2]) {
    AdvanceTimers(cycles_ - syncedAt_);
    syncedAt_ = cycles_;
  }
}

bool TCore8051::SerialUsesTimer(int uart, int timer) {
  const uint8_t mode = uart == 0 ? (S(sfr::SCON0) >> 6) : (S(sfr::SCON1) >> 6);
  if (mode == 0 || mode == 2) return false;
  const bool t2 = uart == 0 && (S(sfr::T2CON) & bits::TCLK);
  return timer == (t2 ? 2 : 1);
}

void TCore8051::AdvanceTimers(uint64_t delta) {
  const uint8_t tmod = S(sfr::TMOD);
  uint8_t& tcon = S(sfr::TCON);
  const int mode0 = tmod & 3, mode1 = (tmod >> 4) & 3;

  // Timer 0, and in mode 3 its high byte as a second timer run by TR1.
  const bool run0 = (tcon & bits::TR0) && (!(tmod & 0x08) || (intPins_ & 1));
  const uint64_t k0 = (tmod & 0x04) ? pendingCount_[0] : delta;
  pendingCount_[0] = 0;
  if (run0 && k0) {
    uint64_t n = 0;
    if (mode0 == 0) {
      // 13 bits: TL's low five bits carry into TH. Its top three bits have
      // no meaning; they are cleared at the first carry, as the reference
      // simulator does.
      const uint8_t tl = S(sfr::TL0);
      uint32_t v = (S(sfr::TH0) << 5) | (tl & 0x1F);
      n = Count(v, k0, 0x2000, 0);
      S(sfr::TH0) = static_cast<uint8_t>(v >> 5);
      S(sfr::TL0) = (tl & 0x1F) + k0 < 0x20 ? static_cast<uint8_t>(tl + k0) : static_cast<uint8_t>(v & 0x1F);
    } else if (mode0 == 1) {
      uint32_t v = (S(sfr::TH0) << 8) | S(sfr::TL0);
      n = Count(v, k0, 0x10000, 0);
      S(sfr::TH0) = static_cast<uint8_t>(v >> 8);
      S(sfr::TL0) = static_cast<uint8_t>(v);
    } else {
      uint32_t v = S(sfr::TL0);
      n = Count(v, k0, 0x100, mode0 == 2 ? S(sfr::TH0) : 0);
      S(sfr::TL0) = static_cast<uint8_t>(v);
    }
    if (n) tcon |= bits::TF0;
  }
  if (mode0 == 3 && (tcon & bits::TR1) && delta) {
    uint32_t v = S(sfr::TH0);
    if (Count(v, delta, 0x100, 0)) tcon |= bits::TF1;
    S(sfr::TH0) = static_cast<uint8_t>(v);
  }

  // Timer 1: with timer 0 in mode 3 it keeps running for the UART but
  // raises no flag.
  const bool run1 = mode1 != 3 && (mode0 == 3 || ((tcon & bits::TR1) && (!(tmod & 0x80) || (intPins_ & 2))));
  const uint64_t k1 = (tmod & 0x40) ? pendingCount_[1] : delta;
  pendingCount_[1] = 0;
  if (run1 && k1) {
    uint64_t n = 0;
    if (mode1 == 0) {
      // 13 bits: TL's low five bits carry into TH. Its top three bits have
      // no meaning; they are cleared at the first carry, as the reference
      // simulator does.
      const uint8_t tl = S(sfr::TL1);
      uint32_t v = (S(sfr::TH1) << 5) | (tl & 0x1F);
      n = Count(v, k1, 0x2000, 0);
      S(sfr::TH1) = static_cast<uint8_t>(v >> 5);
      S(sfr::TL1) = (tl & 0x1F) + k1 < 0x20 ? static_cast<uint8_t>(tl + k1) : static_cast<uint8_t>(v & 0x1F);
    } else if (mode1 == 1) {
      uint32_t v = (S(sfr::TH1) << 8) | S(sfr::TL1);
      n = Count(v, k1, 0x10000, 0);
      S(sfr::TH1) = static_cast<uint8_t>(v >> 8);
      S(sfr::TL1) = static_cast<uint8_t>(v);
    } else {
      uint32_t v = S(sfr::TL1);
      n = Count(v, k1, 0x100, S(sfr::TH1));
      S(sfr::TL1) = static_cast<uint8_t>(v);
    }
    if (n && mode0 != 3) tcon |= bits::TF1;
    for (int u = 0; u < 2; ++u)
      if (n && uart_[u].txTicks && uart_[u].source == 1) AdvanceSerial(u, static_cast<uint32_t>(n));
  }

  // Timer 2: auto-reload, capture, or baud-rate generator counting at twice
  // the machine-cycle rate... six times, as the oscillator runs at 12 per cycle
  // and the generator at half the oscillator.
  uint8_t& t2con = S(sfr::T2CON);
  const uint64_t k2raw = (t2con & bits::CT2) ? pendingCount_[2] : delta;
  pendingCount_[2] = 0;
  if ((t2con & bits::TR2) && k2raw) {
    const bool baud = t2con & (bits::RCLK | bits::TCLK);
    const uint64_t k2 = (baud && !(t2con & bits::CT2)) ? k2raw * 6 : k2raw;
    const bool capture = !baud && (t2con & bits::CPRL2);
    const uint32_t reload = capture ? 0 : static_cast<uint32_t>((S(sfr::RCAP2H) << 8) | S(sfr::RCAP2L));
    uint32_t v = (S(sfr::TH2) << 8) | S(sfr::TL2);
    const uint64_t n = Count(v, k2, 0x10000, reload);
    S(sfr::TH2) = static_cast<uint8_t>(v >> 8);
    S(sfr::TL2) = static_cast<uint8_t>(v);
    if (n && !baud) t2con |= bits::TF2;
    if (n && uart_[0].txTicks && uart_[0].source == 2) AdvanceSerial(0, static_cast<uint32_t>(n));
  }

  // UARTs clocked from the oscillator.
  for (int u = 0; u < 2; ++u)
    if (uart_[u].txTicks && uart_[u].source == 0 && delta) AdvanceSerial(u, static_cast<uint32_t>(delta * 6));
}

void TCore8051::StartTransmit(int uart, uint8_t value) {
  Sync();
  TUart& u = uart_[uart];
  const uint8_t scon = uart == 0 ? S(sfr::SCON0) : S(sfr::SCON1);
  const int mode = scon >> 6;
  const bool smod = uart == 0 ? (S(sfr::PCON) & bits::SMOD0) : (S(sfr::EICON) & bits::SMOD1);
  u.txFrame = static_cast<uint16_t>(value | ((mode >= 2 && (scon & bits::TB8)) ? 0x100 : 0));
  const uint32_t frameBits = mode == 0 ? 8 : mode == 1 ? 10 : 11;
  if (mode == 0) {
    u.source = 0;
    u.txTicks = frameBits * 6;
  } else if (mode == 2) {
    u.source = 0;
    u.txTicks = frameBits * (smod ? 16 : 32);
  } else if (SerialUsesTimer(uart, 2)) {
    u.source = 2;
    u.txTicks = frameBits * 16;
  } else {
    u.source = 1;
    u.txTicks = frameBits * (smod ? 16 : 32);
  }
  ScheduleCheck();
}

void TCore8051::AdvanceSerial(int uart, uint32_t ticks) {
  TUart& u = uart_[uart];
  if (ticks < u.txTicks) {
    u.txTicks -= ticks;
    return;
  }
  u.txTicks = 0;
  S(uart == 0 ? sfr::SCON0 : sfr::SCON1) |= bits::TI;
  if (serialSink_) serialSink_->SerialOut(uart, u.txFrame);
}

bool TCore8051::SerialIn(int uart, uint16_t frame) {
  if (uart == 1 && model_ != TMemoryModel::Unified) return false;
  Sync();
  uint8_t& scon = S(uart == 0 ? sfr::SCON0 : sfr::SCON1);
  if (!(scon & bits::REN) || (scon & bits::RI)) return false;
  const int mode = scon >> 6;
  const bool ninth = frame & 0x100;
  if (mode >= 2 && (scon & bits::SM2) && !ninth) return true;  // not addressed to us: dropped
  sbufIn_[uart] = static_cast<uint8_t>(frame);
  if (mode != 0) scon = static_cast<uint8_t>((scon & ~bits::RB8) | ((mode == 1 || ninth) ? bits::RB8 : 0));
  scon |= bits::RI;
  ScheduleCheck();
  return true;
}

void TCore8051::SetIntPin(int n, bool high) {
  Sync();
  const uint8_t mask = static_cast<uint8_t>(1 << n);
  const bool was = intPins_ & mask;
  intPins_ = high ? (intPins_ | mask) : (intPins_ & ~mask);
  uint8_t& tcon = S(sfr::TCON);
  const uint8_t it = n == 0 ? bits::IT0 : bits::IT1, ie = n == 0 ? bits::IE0 : bits::IE1;
  if (tcon & it) {
    if (was && !high) tcon |= ie;
  } else {
    tcon = high ? (tcon & ~ie) : (tcon | ie);
  }
  ScheduleCheck();
}

void TCore8051::CountPulses(int timer, uint32_t edges) {
  Sync();
  pendingCount_[timer] += edges;
  Sync();
  ScheduleCheck();
}

void TCore8051::RaiseUsbInterrupt() {
  S(sfr::EXIF) |= bits::USBINT;
  ScheduleCheck();
}

void TCore8051::RaiseI2cInterrupt() {
  S(sfr::EXIF) |= bits::I2CINT;
  ScheduleCheck();
}

bool TCore8051::TakeInterrupt() {
  if (!(S(sfr::IE) & bits::EA) || (activeLevels_ & 2)) return false;
  const bool ez = model_ == TMemoryModel::Unified;
  for (int level = 1; level >= 0; --level) {
    if (level == 0 && activeLevels_) return false;
    for (const TSource& src : kSources) {
      if (src.unifiedOnly && !ez) break;
      if (!(S(src.flagSfr) & src.flagMask) || !(S(src.enableSfr) & src.enableMask)) continue;
      if (((S(src.prioSfr) & src.prioMask) ? 1 : 0) != level) continue;
      // Edge-triggered external requests and timer 0/1 overflows are
      // cleared by the hardware on entry; the others by the handler.
      if (src.flagSfr == sfr::TCON) {
        uint8_t& tcon = S(sfr::TCON);
        if (src.flagMask == bits::TF0 || src.flagMask == bits::TF1) tcon &= ~src.flagMask;
        if (src.flagMask == bits::IE0 && (tcon & bits::IT0)) tcon &= ~bits::IE0;
        if (src.flagMask == bits::IE1 && (tcon & bits::IT1)) tcon &= ~bits::IE1;
      }
      Push(static_cast<uint8_t>(pc_));
      Push(static_cast<uint8_t>(pc_ >> 8));
      pc_ = src.vector;
      activeLevels_ |= static_cast<uint8_t>(1 << level);
      cycles_ += static_cast<unsigned>(entryCycles_);
      return true;
    }
  }
  return false;
}

uint64_t TCore8051::NextTimerEvent() {
  const uint8_t tmod = S(sfr::TMOD), tcon = S(sfr::TCON), ie = S(sfr::IE);
  const bool ea = ie & bits::EA;
  const int mode0 = tmod & 3, mode1 = (tmod >> 4) & 3;
  uint64_t next = kNever;
  auto consider = [&](uint64_t cyclesAhead) {
    if (cyclesAhead < next - cycles_) next = cycles_ + cyclesAhead;
  };
  auto untilOverflow = [](int mode, uint8_t tl, uint8_t th) -> TCountdown {
    if (mode == 0) return {0x2000u - ((th << 5) | (tl & 0x1F)), 0x2000};
    if (mode == 1) return {0x10000u - ((th << 8) | tl), 0x10000};
    if (mode == 2) return {0x100u - tl, 0x100u - th};
    return {0x100u - tl, 0x100};
  };
  // Timer 0 (counter mode moves only on pulses, which schedule a check).
  if (ea && (ie & bits::ET0) && (tcon & bits::TR0) && !(tmod & 0x04))
    consider(untilOverflow(mode0, S(sfr::TL0), S(sfr::TH0)).first);
  if (ea && (ie & bits::ET1) && mode0 == 3 && (tcon & bits::TR1)) consider(0x100u - S(sfr::TH0));
  // Timer 1, for its flag or for a UART it clocks.
  const bool run1 = mode1 != 3 && !(tmod & 0x40) && (mode0 == 3 || (tcon & bits::TR1));
  if (run1) {
    const TCountdown c = untilOverflow(mode1, S(sfr::TL1), S(sfr::TH1));
    if (ea && (ie & bits::ET1) && mode0 != 3) consider(c.first);
    for (const TUart& u : uart_)
      if (u.txTicks && u.source == 1) consider(c.first + (u.txTicks - 1) * c.period);
  }
  const uint8_t t2con = S(sfr::T2CON);
  if ((t2con & bits::TR2) && !(t2con & bits::CT2)) {
    const bool baud = t2con & (bits::RCLK | bits::TCLK);
    const uint32_t v = (S(sfr::TH2) << 8) | S(sfr::TL2);
    const uint32_t reload = (!baud && (t2con & bits::CPRL2)) ? 0 : (S(sfr::RCAP2H) << 8) | S(sfr::RCAP2L);
    if (!baud && ea && (ie & bits::ET2)) consider(0x10000u - v);
    if (baud && uart_[0].txTicks && uart_[0].source == 2) {
      const uint64_t steps = (0x10000u - v) + uint64_t(uart_[0].txTicks - 1) * (0x10000u - reload);
      consider((steps + 5) / 6);
    }
  }
  for (const TUart& u : uart_)
    if (u.txTicks && u.source == 0) consider((u.txTicks + 5) / 6);
  return next;
}

bool TCore8051::Service() {
  Sync();
  if (irqBlocked_) {
    // One more instruction runs after RETI or a write to the enable or
    // priority registers before a request is taken.
    irqBlocked_ = false;
    eventAt_ = cycles_;
    return false;
  }
  const bool entered = TakeInterrupt();
  eventAt_ = NextTimerEvent();
  return entered;
}

}  // namespace emu8051
