#include "Uart16550.h"

#include <algorithm>

namespace tamarikusb {

namespace {
enum { rRbr = 0, rIer = 1, rFcr = 2, rLcr = 3, rMcr = 4, rLsr = 5, rMsr = 6, rScr = 7 };
constexpr uint8_t kDlab = 0x80, kBreakBit = 0x40;
}  // namespace

uint32_t TUart16550::Baud() const {
  const uint32_t divisor = (static_cast<uint32_t>(dlm_) << 8) | dll_;
  return divisor ? crystal_ / 16 / divisor : 0;
}

int TUart16550::FrameBits() const { return 1 + 5 + (lcr_ & 3) + ((lcr_ & 0x08) ? 1 : 0) + ((lcr_ & 0x04) ? 2 : 1); }

uint64_t TUart16550::CharacterCycles() const {
  const uint64_t divisor = std::max<uint32_t>(1, (static_cast<uint32_t>(dlm_) << 8) | dll_);
  return static_cast<uint64_t>(FrameBits()) * 16 * divisor * kCoreHz / crystal_;
}

void TUart16550::Receive(uint64_t at, uint8_t value, uint8_t errors) {
  const TEvent e{at, false, static_cast<uint8_t>((errors & kBreak) ? 0 : value), errors};
  pending_.insert(std::upper_bound(pending_.begin(), pending_.end(), e,
                                   [](const TEvent& a, const TEvent& b) { return a.at < b.at; }),
                  e);
}

void TUart16550::SetModemLines(uint64_t at, bool cts, bool dsr, bool ri, bool dcd) {
  const uint8_t levels = static_cast<uint8_t>((cts ? 0x10 : 0) | (dsr ? 0x20 : 0) | (ri ? 0x40 : 0) | (dcd ? 0x80 : 0));
  const TEvent e{at, true, levels, 0};
  pending_.insert(std::upper_bound(pending_.begin(), pending_.end(), e,
                                   [](const TEvent& a, const TEvent& b) { return a.at < b.at; }),
                  e);
}

void TUart16550::Advance(uint64_t now) {
  while (!pending_.empty() && pending_.front().at <= now) {
    const TEvent e = pending_.front();
    pending_.pop_front();
    if (e.lines) {
      const uint8_t old = msr_ & 0xF0, changed = old ^ e.value;
      uint8_t delta = msr_ & 0x0F;
      if (changed & 0x10) delta |= 0x01;
      if (changed & 0x20) delta |= 0x02;
      if ((old & 0x40) && !(e.value & 0x40)) delta |= 0x04;  // RI's trailing edge
      if (changed & 0x80) delta |= 0x08;
      msr_ = static_cast<uint8_t>(e.value | delta);
    } else if (rx_.size() < FifoDepth()) {
      rx_.push_back({e.value, e.errors});
    } else {
      // The character in the shift register is lost, the FIFO kept.
      overrun_ = true;
      ++overruns_;
    }
  }
  while (!tx_.empty() && txHeadEnd_ <= now) {
    transmitted_.push_back(tx_.front());
    tx_.pop_front();
    if (!tx_.empty()) txHeadEnd_ += CharacterCycles();
  }
}

uint8_t TUart16550::Read(int reg, uint64_t now) {
  Advance(now);
  const bool dlab = lcr_ & kDlab;
  switch (reg & 7) {
    case rRbr: {
      if (dlab) return dll_;
      if (rx_.empty()) return 0;
      const uint8_t v = rx_.front().value;
      rx_.pop_front();
      return v;
    }
    case rIer: return dlab ? dlm_ : ier_;
    case rFcr: return static_cast<uint8_t>(((fcr_ & 1) ? 0xC0 : 0) | (rx_.empty() ? 0x01 : 0x04));
    case rLcr: return lcr_;
    case rMcr: return mcr_;
    case rLsr: {
      uint8_t lsr = 0;
      if (!rx_.empty()) lsr |= static_cast<uint8_t>(0x01 | rx_.front().errors);
      if (overrun_) lsr |= 0x02;
      if (std::any_of(rx_.begin(), rx_.end(), [](const TChar& c) { return c.errors != 0; })) lsr |= 0x80;
      if (tx_.size() <= 1) lsr |= 0x20;
      if (tx_.empty()) lsr |= 0x40;
      // Reading reports the errors once.
      overrun_ = false;
      if (!rx_.empty()) rx_.front().errors = 0;
      return lsr;
    }
    case rMsr: {
      const uint8_t v = msr_;
      msr_ &= 0xF0;
      return v;
    }
    default: return scr_;
  }
}

void TUart16550::Write(int reg, uint8_t value, uint64_t now) {
  Advance(now);
  const bool dlab = lcr_ & kDlab;
  switch (reg & 7) {
    case rRbr:
      if (dlab) {
        dll_ = value;
      } else if (tx_.size() < FifoDepth() + 1) {
        if (tx_.empty()) txHeadEnd_ = now + CharacterCycles();
        tx_.push_back(value);
      }
      return;
    case rIer:
      if (dlab)
        dlm_ = value;
      else
        ier_ = value & 0x0F;
      return;
    case rFcr:
      fcr_ = value & 0xC9;
      if (value & 0x02) rx_.clear();
      if (value & 0x04) tx_.clear();
      return;
    case rLcr:
      if ((value & kBreakBit) && !(lcr_ & kBreakBit)) ++breaksSent_;
      lcr_ = value;
      return;
    case rMcr: mcr_ = value & 0x1F; return;
    case rScr: scr_ = value; return;
    default: return;
  }
}

std::vector<uint8_t> TUart16550::TakeTransmitted(uint64_t now) {
  Advance(now);
  std::vector<uint8_t> out;
  out.swap(transmitted_);
  return out;
}

}  // namespace tamarikusb
