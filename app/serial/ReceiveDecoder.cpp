#include "serial/ReceiveDecoder.h"

#include "SeriellData.h"

void TReceiveDecoder::Reset(const TLineCounters* counters) {
  state_ = TState::Normal;
  haveCounters_ = counters != nullptr;
  last_ = counters ? *counters : TLineCounters{};
  pendingParity_ = pendingFrame_ = pendingBreak_ = pendingOverrun_ = 0;
}

void TReceiveDecoder::TakeCounters(const TLineCounters& now) {
  if (!haveCounters_) {
    Reset(&now);
    return;
  }
  // Unsigned differences stay right across a wrap of the kernel's counters.
  pendingParity_ += now.Parity - last_.Parity;
  pendingFrame_ += now.Frame - last_.Frame;
  pendingBreak_ += now.Break - last_.Break;
  pendingOverrun_ += now.Overrun - last_.Overrun;
  last_ = now;
}

std::uint16_t TReceiveDecoder::TakeOverrun() {
  if (pendingOverrun_ == 0) return 0;
  pendingOverrun_ = 0;
  return seOE;
}

std::uint16_t TReceiveDecoder::ClassifyMark(std::uint8_t value, bool& isData) {
  isData = true;
  if (value == 0 && pendingBreak_ > 0) {
    --pendingBreak_;
    isData = false;
    return seBI;
  }
  std::uint16_t flags = 0;
  if (pendingParity_ > 0 && pendingFrame_ > 0) {
    // Both kinds in this stretch and no telling which byte had which: say
    // so rather than guess.
    flags = sePE | seFE;
    --pendingParity_;
    --pendingFrame_;
  } else if (pendingParity_ > 0) {
    flags = sePE;
    --pendingParity_;
  } else if (pendingFrame_ > 0) {
    flags = seFE;
    --pendingFrame_;
  } else if (value == 0) {
    // The kernel's own mark for a break.
    isData = false;
    return seBI;
  } else {
    // A device without counters: parity or framing, it cannot say which.
    flags = sePE | seFE;
  }
  if (!checkParity_) flags &= static_cast<std::uint16_t>(~sePE);
  return flags;
}

std::size_t TReceiveDecoder::Decode(const std::uint8_t* raw, std::size_t count, TDecodedByte* out) {
  std::size_t n = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint8_t b = raw[i];
    switch (state_) {
      case TState::Normal:
        if (b == 0xFF)
          state_ = TState::SawFF;
        else
          out[n++] = {b, 0, true};
        break;
      case TState::SawFF:
        if (b == 0x00) {
          state_ = TState::SawFF00;
          break;
        }
        // 0xFF 0xFF is a data byte 0xFF; anything else cannot come from the
        // kernel, so the 0xFF is taken as data too.
        out[n++] = {0xFF, 0, true};
        state_ = TState::Normal;
        if (b != 0xFF) out[n++] = {b, 0, true};
        break;
      case TState::SawFF00: {
        bool isData = true;
        const std::uint16_t flags = ClassifyMark(b, isData);
        out[n++] = {isData ? b : std::uint8_t{0}, flags, isData};
        state_ = TState::Normal;
        break;
      }
    }
  }
  return n;
}
