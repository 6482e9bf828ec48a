// The boot loader's answers on their way from the receive path to the
// programmer: the consumer thread drops each received CAN frame in here,
// the dialog takes them on its own timer ticks. Nothing here waits.
#pragma once

#include <deque>
#include <mutex>
#include <vector>

#include "CanFrame.h"
#include "core/ReceivePipeline.h"

class TCanAnswerQueue final : public TBatchTap {
 public:
  // More than a dialog waiting for answers would ever leave unread; the
  // oldest go first.
  static constexpr std::size_t kMaxFrames = 1024;

  void TapBatch(const ReceiveRing& ring, int batchStart, int batchCount) override;
  void Push(const TCanFrame& frame);
  std::vector<TCanFrame> TakeAll();

 private:
  std::mutex lock_;
  std::deque<TCanFrame> frames_;
};

// A CAN record of the ring as a frame; false for bus events and other records.
bool CanFrameOfRecord(const TSeriellData& r, TCanFrame& frame);
