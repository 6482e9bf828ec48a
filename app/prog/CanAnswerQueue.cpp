#include "prog/CanAnswerQueue.h"

#include <algorithm>

#include "core/ReceiveRing.h"

bool CanFrameOfRecord(const TSeriellData& r, TCanFrame& frame) {
  if (r.RecType != rtCAN || r.LineFlags != 0) return false;
  frame = TCanFrame{};
  frame.Ident = static_cast<std::uint32_t>(r.Ident);
  frame.Extended = (r.Signals & 0x100) != 0;
  frame.Remote = (r.Signals & 0x40) != 0;
  frame.Length = static_cast<std::uint8_t>(std::clamp(r.Count, 0, 8));
  if (!frame.Remote) std::copy_n(r.Data.begin(), frame.Length, frame.Data.begin());
  return true;
}

void TCanAnswerQueue::TapBatch(const ReceiveRing& ring, int batchStart, int batchCount) {
  TCanFrame frame;
  for (int i = batchStart; i < batchStart + batchCount; ++i)
    if (CanFrameOfRecord(ring.Slot(i), frame)) Push(frame);
}

void TCanAnswerQueue::Push(const TCanFrame& frame) {
  std::lock_guard lock(lock_);
  if (frames_.size() >= kMaxFrames) frames_.pop_front();
  frames_.push_back(frame);
}

std::vector<TCanFrame> TCanAnswerQueue::TakeAll() {
  std::lock_guard lock(lock_);
  std::vector<TCanFrame> taken(frames_.begin(), frames_.end());
  frames_.clear();
  return taken;
}
