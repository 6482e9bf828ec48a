#include "AvrBootNode.h"

#include <algorithm>

using namespace canboot;

TAvrBootNode::TAvrBootNode(std::size_t flashSize, std::uint8_t nodeNumber, std::uint8_t segment)
    : flash_(flashSize, 0xFF), nodeNumber_(nodeNumber), segment_(segment) {
  // As delivered: boot loader entered through the status byte, all ports
  // in their default configuration.
  config_ = {0xFF, 0xFC, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
}

void TAvrBootNode::Answer(TGroup group, const TBytes& data) {
  if (silent_) return;
  if (loseAnswers_ > 0) {
    --loseAnswers_;
    return;
  }
  TCanFrame f;
  f.Ident = Ident(segment_, group);
  f.Length = static_cast<std::uint8_t>(std::min<std::size_t>(data.size(), 8));
  std::copy_n(data.begin(), f.Length, f.Data.begin());
  if (FrameOut) FrameOut(f);
}

void TAvrBootNode::Refuse(std::uint8_t code) { Answer(ErrorAnswer, {code}); }

void TAvrBootNode::FrameIn(const TCanFrame& f) {
  if (f.Extended || f.Remote || (f.Ident >> 4) != segment_) return;
  ++framesTaken_;
  const auto group = static_cast<TGroup>(f.Ident & 0x0F);
  if (group == SelectNode) return OnSelectNode(f);
  // A closed node listens for its number only.
  if (!open_) return;
  switch (group) {
    case ProgStart: return OnProgStart(f);
    case ProgData: return OnProgData(f);
    case DisplayData: return OnDisplayData(f);
    case WriteCommand: return OnWriteCommand(f);
    case ReadCommand: return OnReadCommand(f);
    default: return;
  }
}

void TAvrBootNode::OnSelectNode(const TCanFrame& f) {
  if (f.Length < 1 || f.Data[0] != nodeNumber_) return;
  open_ = true;
  started_ = false;
  Answer(SelectNode, {kBootVersion, 1});
}

void TAvrBootNode::OnProgStart(const TCanFrame& f) {
  if (f.Length < 5) return;
  if (secured_) return Refuse(kErrorSecurity);
  const std::uint32_t first = (f.Data[1] << 8) | f.Data[2];
  const std::uint32_t last = (f.Data[3] << 8) | f.Data[4];
  // Only the flash is modelled, not the data EEPROM.
  if (f.Data[0] != 0 || first > last || last >= flash_.size()) return Refuse(kErrorAddress);
  programming_ = true;
  next_ = first;
  last_ = last;
  Answer(ProgStart, {});
}

void TAvrBootNode::OnProgData(const TCanFrame& f) {
  if (!programming_) return Answer(ProgData, {kDataFail});
  for (int i = 0; i < f.Length && next_ <= last_; ++i, ++next_) {
    // Programming only clears bits, as on the chip: an unerased flash keeps
    // what was there.
    flash_[next_] &= f.Data[i];
  }
  if (next_ > last_) {
    programming_ = false;
    return Answer(ProgData, {kDataDone});
  }
  Answer(ProgData, {kDataMore});
}

void TAvrBootNode::OnDisplayData(const TCanFrame& f) {
  if (f.Length < 5) return;
  if (secured_) return Refuse(kErrorSecurity);
  const std::uint32_t first = (f.Data[1] << 8) | f.Data[2];
  const std::uint32_t last = (f.Data[3] << 8) | f.Data[4];
  if (first > last || last >= flash_.size()) return Refuse(kErrorAddress);
  if (f.Data[0] == 1) {
    // Blank check: empty answer, or the first address that is not blank.
    for (std::uint32_t a = first; a <= last; ++a)
      if (flash_[a] != 0xFF) return Answer(DisplayData, {static_cast<std::uint8_t>(a >> 8), static_cast<std::uint8_t>(a)});
    return Answer(DisplayData, {});
  }
  if (f.Data[0] != 0) return;
  for (std::uint32_t a = first; a <= last; a += 8) {
    const std::uint32_t end = std::min(last + 1, a + 8);
    Answer(DisplayData, TBytes(flash_.begin() + a, flash_.begin() + end));
  }
}

void TAvrBootNode::OnWriteCommand(const TCanFrame& f) {
  if (f.Length < 2) return;
  switch (f.Data[0]) {
    case kWriteErase:
      if (f.Data[1] != 0xFF) return;
      std::fill(flash_.begin(), flash_.end(), 0xFF);
      secured_ = false;
      return Answer(WriteCommand, {0x00});
    case kWriteConfig:
      if (f.Length < 3 || f.Data[1] >= kConfigCount) return;
      config_[f.Data[1]] = f.Data[2];
      return Answer(WriteCommand, {0x00});
    case kWriteStart:
      // The application runs; the boot loader says nothing more.
      open_ = false;
      programming_ = false;
      started_ = true;
      return;
    default:
      return;
  }
}

void TAvrBootNode::OnReadCommand(const TCanFrame& f) {
  if (f.Length < 2) return;
  if (f.Data[0] == kReadVersion) {
    static constexpr std::uint8_t kIds[3] = {kBootVersion, 0xD7, 0xBB};
    if (f.Data[1] < 3) Answer(ReadCommand, {kIds[f.Data[1]]});
  } else if (f.Data[0] == kReadConfig && f.Data[1] < kConfigCount) {
    Answer(ReadCommand, {config_[f.Data[1]]});
  }
}
