#include "Sja1000.h"

#include <algorithm>
#include <cmath>

namespace tamarikusb {

using namespace sja;

namespace {
constexpr int kErrorFrameBits = 6 + 8 + 3;  // flag, delimiter, intermission
constexpr int kRecoveryBits = 128 * 11;
constexpr uint8_t kPassive = 128;
}  // namespace

double TSja1000::BitCycles() const {
  const int prescale = 2 * ((btr0_ & 0x3F) + 1);
  const int quanta = 1 + ((btr1_ & 0x0F) + 1) + (((btr1_ >> 4) & 0x07) + 1);
  return static_cast<double>(prescale * quanta) * kCoreHz / crystal_;
}

uint64_t TSja1000::Bits(int n) const { return static_cast<uint64_t>(std::ceil(n * BitCycles())); }

uint8_t TSja1000::Status() const {
  uint8_t s = 0;
  if (rmc_) s |= kSrReceiveBuffer;
  if (overrun_) s |= kSrOverrun;
  if (!txPending_) s |= kSrTransmitBuffer;
  if (txComplete_) s |= kSrTransmitComplete;
  if (txPending_ && txRequestAt_ <= now_ && busFree_ <= now_) s |= kSrTransmitting;
  if (rxerr_ >= ewl_ || txerr_ >= ewl_) s |= kSrError;
  if (busOff_) s |= kSrBusOff;
  return s;
}

uint8_t TSja1000::Interrupts() const {
  // The receive interrupt lasts while messages wait; the others until read.
  return static_cast<uint8_t>((ir_ & ~kIrReceive) | ((rmc_ && (ier_ & kIrReceive)) ? kIrReceive : 0));
}

void TSja1000::Raise(uint8_t bit) {
  if (ier_ & bit) ir_ |= bit;
}

uint8_t TSja1000::Read(uint8_t reg, uint64_t now) {
  Advance(now);
  reg &= 0x7F;
  const bool reset = mod_ & kModReset;
  switch (reg) {
    case kMod: return mod_;
    case kCmr: return 0xFF;  // write only
    case kSr: return Status();
    case kIr: {
      const uint8_t v = Interrupts();
      ir_ = 0;
      return v;
    }
    case kIer: return ier_;
    case kBtr0: return btr0_;
    case kBtr1: return btr1_;
    case kOcr: return ocr_;
    case kAlc: alcHeld_ = false; return alc_;
    case kEcc: eccHeld_ = false; return ecc_;
    case kEwlr: return ewl_;
    case kRxerr: return rxerr_;
    case kTxerr: return txerr_;
    case kRmc: return rmc_;
    case kRbsa: return rbsa_;
    case kCdr: return cdr_;
    default: break;
  }
  if (reg >= kBuffer && reg < kBuffer + 13) {
    if (reset) return reg < kBuffer + 4 ? acr_[reg - kBuffer] : reg < kBuffer + 8 ? amr_[reg - kBuffer - 4] : 0;
    return fifo_[(rbsa_ + reg - kBuffer) & 63];
  }
  if (reg >= 32 && reg < 96) return fifo_[reg - 32];
  if (reg >= 96 && reg < 96 + 13) return txbuf_[reg - 96];
  return 0;
}

void TSja1000::Write(uint8_t reg, uint8_t value, uint64_t now) {
  Advance(now);
  reg &= 0x7F;
  const bool reset = mod_ & kModReset;
  switch (reg) {
    case kMod: {
      uint8_t next = reset ? static_cast<uint8_t>(value & 0x1F) : static_cast<uint8_t>((mod_ & 0x0E) | (value & 0x11));
      // Only PeliCAN mode is modelled; bus-off holds reset until the program clears it.
      if (!(cdr_ & kCdrPeliCan)) next |= kModReset;
      if (!reset && (next & kModReset)) EnterResetMode();
      if (reset && !(next & kModReset)) {
        busFree_ = std::max(busFree_, now + Bits(11));
        if (busOff_) {
          recovering_ = true;
          recoveryEnd_ = now + Bits(kRecoveryBits);
        }
      }
      mod_ = next;
      return;
    }
    case kCmr:
      if (value & kCmdReleaseBuffer) ReleaseMessage();
      if (value & kCmdClearOverrun) overrun_ = false;
      if (value & kCmdAbort) {
        if (value & (kCmdTransmit | kCmdSelfReception)) {
          singleShot_ = true;
        } else if (txPending_ && std::max(txRequestAt_, busFree_) >= now) {
          txPending_ = false;  // not on the bus yet: dropped
          txComplete_ = false;
          Raise(kIrTransmit);
        } else if (txPending_) {
          singleShot_ = true;  // on the bus: no retry after this attempt
        }
      }
      if ((value & (kCmdTransmit | kCmdSelfReception)) && !reset && !txPending_ && !(mod_ & kModListenOnly) && !busOff_) {
        txFrame_ = FrameFromTransmitBuffer();
        txPending_ = true;
        txComplete_ = false;
        txRequestAt_ = now;
        singleShot_ = (value & kCmdAbort) != 0;
        selfReception_ = (value & kCmdSelfReception) != 0;
      }
      return;
    case kIer: ier_ = value; return;
    case kCdr:
      cdr_ = reset ? value : static_cast<uint8_t>((cdr_ & 0x80) | (value & 0x7F));
      return;
    default: break;
  }
  if (reset) {
    switch (reg) {
      case kBtr0: btr0_ = value; return;
      case kBtr1: btr1_ = value; return;
      case kOcr: ocr_ = value; return;
      case kEwlr: ewl_ = value; return;
      case kRxerr: rxerr_ = value; return;
      case kTxerr: txerr_ = value; return;
      default: break;
    }
    if (reg >= kBuffer && reg < kBuffer + 4) acr_[reg - kBuffer] = value;
    if (reg >= kBuffer + 4 && reg < kBuffer + 8) amr_[reg - kBuffer - 4] = value;
    return;
  }
  if (reg >= kBuffer && reg < kBuffer + 13) txbuf_[reg - kBuffer] = value;
}

TCanFrame TSja1000::FrameFromTransmitBuffer() const {
  TCanFrame f;
  const uint8_t info = txbuf_[0];
  f.extended = info & 0x80;
  f.remote = info & 0x40;
  f.dlc = info & 0x0F;
  size_t data = 3;
  if (f.extended) {
    f.id = (uint32_t{txbuf_[1]} << 21) | (uint32_t{txbuf_[2]} << 13) | (uint32_t{txbuf_[3]} << 5) | (txbuf_[4] >> 3);
    data = 5;
  } else {
    f.id = (uint32_t{txbuf_[1]} << 3) | (txbuf_[2] >> 5);
  }
  if (!f.remote)
    for (size_t i = 0; i < std::min<size_t>(f.dlc, 8); ++i) f.data[i] = txbuf_[data + i];
  return f;
}

void TSja1000::EnterResetMode() {
  txPending_ = false;
  rmc_ = used_ = rbsa_ = 0;
  overrun_ = false;
  recovering_ = false;
}

size_t TSja1000::MessageLength(size_t at) const {
  const uint8_t info = fifo_[at & 63];
  const size_t data = (info & 0x40) ? 0 : std::min<size_t>(info & 0x0F, 8);
  return 1 + ((info & 0x80) ? 4 : 2) + data;
}

void TSja1000::ReleaseMessage() {
  if (!rmc_) return;
  const size_t n = MessageLength(rbsa_);
  rbsa_ = static_cast<uint8_t>((rbsa_ + n) & 63);
  used_ = static_cast<uint8_t>(used_ - n);
  --rmc_;
}

bool TSja1000::Accepts(const TCanFrame& f) const {
  auto match = [&](uint8_t value, int i, uint8_t care = 0xFF) {
    return ((value ^ acr_[static_cast<size_t>(i)]) & ~amr_[static_cast<size_t>(i)] & care) == 0;
  };
  const uint8_t rtr = f.remote ? 1 : 0;
  const bool hasData1 = !f.remote && f.dlc >= 1, hasData2 = !f.remote && f.dlc >= 2;
  if (mod_ & kModSingleFilter) {
    if (f.extended) {
      return match(static_cast<uint8_t>(f.id >> 21), 0) && match(static_cast<uint8_t>(f.id >> 13), 1) &&
             match(static_cast<uint8_t>(f.id >> 5), 2) &&
             match(static_cast<uint8_t>(((f.id & 0x1F) << 3) | (rtr << 2)), 3, 0xFC);
    }
    // Data bytes a frame does not carry are not compared.
    return match(static_cast<uint8_t>(f.id >> 3), 0) &&
           match(static_cast<uint8_t>(((f.id & 7) << 5) | (rtr << 4)), 1, 0xF0) &&
           (!hasData1 || match(f.data[0], 2)) && (!hasData2 || match(f.data[1], 3));
  }
  if (f.extended) {
    const uint8_t a = static_cast<uint8_t>(f.id >> 21), b = static_cast<uint8_t>(f.id >> 13);
    return (match(a, 0) && match(b, 1)) || (match(a, 2) && match(b, 3));
  }
  const uint8_t a = static_cast<uint8_t>(f.id >> 3), b = static_cast<uint8_t>(((f.id & 7) << 5) | (rtr << 4));
  const bool first = match(a, 0) && match(b, 1, 0xF0) &&
                     (!hasData1 || (match(static_cast<uint8_t>(f.data[0] >> 4), 1, 0x0F) && match(f.data[0] & 0x0F, 3, 0x0F)));
  const bool second = match(a, 2) && match(b, 3, 0xF0);
  return first || second;
}

void TSja1000::ReceiveFrame(const TCanFrame& f) {
  if (!Accepts(f)) return;
  const size_t data = f.remote ? 0 : std::min<size_t>(f.dlc, 8);
  const size_t n = 1 + (f.extended ? 4 : 2) + data;
  if (used_ + n > fifo_.size()) {
    overrun_ = true;
    Raise(kIrOverrun);
    return;
  }
  size_t at = rbsa_ + used_;
  auto put = [&](uint8_t v) { fifo_[at++ & 63] = v; };
  put(static_cast<uint8_t>((f.extended ? 0x80 : 0) | (f.remote ? 0x40 : 0) | (f.dlc & 0x0F)));
  if (f.extended) {
    put(static_cast<uint8_t>(f.id >> 21));
    put(static_cast<uint8_t>(f.id >> 13));
    put(static_cast<uint8_t>(f.id >> 5));
    put(static_cast<uint8_t>(((f.id & 0x1F) << 3) | (f.remote ? 0x04 : 0)));
  } else {
    put(static_cast<uint8_t>(f.id >> 3));
    put(static_cast<uint8_t>(((f.id & 7) << 5) | (f.remote ? 0x10 : 0)));
  }
  for (size_t i = 0; i < data; ++i) put(f.data[i]);
  used_ = static_cast<uint8_t>(used_ + n);
  ++rmc_;
}

void TSja1000::CaptureArbitration(int bit) {
  if (!alcHeld_) {
    alc_ = static_cast<uint8_t>(bit & 0x1F);
    alcHeld_ = true;
  }
  Raise(kIrArbitrationLost);
}

void TSja1000::BusError(uint8_t ecc, bool transmitting) {
  const uint8_t oldStatus = Status();
  const bool wasPassive = rxerr_ >= kPassive || txerr_ >= kPassive;
  if (!eccHeld_) {
    ecc_ = ecc;
    eccHeld_ = true;
  }
  Raise(kIrBusError);
  if (transmitting) {
    // A passive transmitter that misses the acknowledge does not count it.
    const bool ackError = (ecc & 0x1F) == 25;
    if (!(ackError && txerr_ >= kPassive)) {
      if (txerr_ + 8 > 255) {
        EnterBusOff();
        CountersChanged(oldStatus, wasPassive);
        return;
      }
      txerr_ = static_cast<uint8_t>(txerr_ + 8);
    }
  } else if (rxerr_ < 255) {
    ++rxerr_;
  }
  CountersChanged(oldStatus, wasPassive);
}

void TSja1000::EnterBusOff() {
  busOff_ = true;
  txerr_ = 127;
  rxerr_ = 0;
  txPending_ = false;
  txComplete_ = false;
  mod_ |= kModReset;
  recovering_ = false;
}

void TSja1000::CountersChanged(uint8_t oldStatus, bool wasPassive) {
  const uint8_t now = Status();
  if ((now ^ oldStatus) & (kSrError | kSrBusOff)) Raise(kIrErrorWarning);
  const bool passive = !busOff_ && (rxerr_ >= kPassive || txerr_ >= kPassive);
  if (passive != wasPassive) Raise(kIrErrorPassive);
}

void TSja1000::Advance(uint64_t now) {
  if (now < now_) now = now_;
  now_ = now;
  for (;;) {
    if (recovering_ && recoveryEnd_ <= now) {
      const uint8_t oldStatus = Status();
      recovering_ = false;
      busOff_ = false;
      txerr_ = rxerr_ = 0;
      CountersChanged(oldStatus, false);
    }
    const bool reset = mod_ & kModReset;
    const bool canSend = txPending_ && !reset && !busOff_;
    TCanBus::TQueued node;
    const bool haveNode = bus_.Peek(busFree_, node);
    if (!canSend && !haveNode) return;
    const uint64_t nodeStart = haveNode ? std::max(node.at, busFree_) : 0;
    const uint64_t ownStart = canSend ? std::max(txRequestAt_, busFree_) : 0;
    bool ownTurn = canSend && (!haveNode || ownStart < nodeStart);
    int lostBit = -1;
    if (canSend && haveNode && ownStart == nodeStart && !node.error) {
      int bit = 0;
      ownTurn = Arbitrate(txFrame_, node.frame, bit) < 0;
      if (!ownTurn) lostBit = bit;
    }
    if (ownTurn) {
      const uint64_t end = ownStart + Bits(FrameBits(txFrame_));
      if (end > now) return;
      uint8_t ecc = 0;
      const bool ack = bus_.Acknowledge() || (mod_ & kModSelfTest);
      if (bus_.TakeTransmitFailure(ecc) || !ack) {
        if (!ack && !ecc) ecc = kEccAckSlotTx;
        const int at = (ecc & 0x1F) == 25 ? FrameBits(txFrame_) - 13 : 14;
        busFree_ = ownStart + Bits(at + kErrorFrameBits);
        BusError(ecc, true);
        if (singleShot_ && txPending_) {
          txPending_ = false;
          Raise(kIrTransmit);
        }
        continue;
      }
      busFree_ = end;
      txPending_ = false;
      txComplete_ = true;
      if (txerr_ > 0) {
        const uint8_t oldStatus = Status();
        const bool wasPassive = rxerr_ >= kPassive || txerr_ >= kPassive;
        --txerr_;
        CountersChanged(oldStatus, wasPassive);
      }
      Raise(kIrTransmit);
      if (selfReception_) ReceiveFrame(txFrame_);
      bus_.Completed(txFrame_, kControllerNode, end);
      continue;
    }
    if (node.error) {
      const uint64_t end = nodeStart + Bits(kErrorFrameBits);
      if (end > now) return;
      bus_.Pop(node.serial);
      busFree_ = end;
      if (!reset && !(mod_ & kModListenOnly)) BusError(node.ecc, false);
      continue;
    }
    const uint64_t end = nodeStart + Bits(FrameBits(node.frame));
    if (end > now) return;
    bus_.Pop(node.serial);
    busFree_ = end;
    if (lostBit >= 0 && !reset) CaptureArbitration(lostBit);
    if (!reset) {
      ReceiveFrame(node.frame);
      if (!(mod_ & kModListenOnly) && rxerr_ > 0) {
        const uint8_t oldStatus = Status();
        const bool wasPassive = rxerr_ >= kPassive || txerr_ >= kPassive;
        rxerr_ = rxerr_ > 127 ? 119 : static_cast<uint8_t>(rxerr_ - 1);
        CountersChanged(oldStatus, wasPassive);
      }
    }
    bus_.Completed(node.frame, node.node, end);
  }
}

}  // namespace tamarikusb
