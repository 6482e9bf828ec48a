// Hands coloured text runs from the consumer thread to the thread that shows
// them, in order. Adjacent runs of one colour are joined, so the pane inserts
// once per run, never per byte.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "core/TraceSink.h"

struct TTextRun {
  std::string Text;
  TColor Color = clBlack;
};

class TRunQueue final : public TTraceSink {
 public:
  // The producer waits while more than this much text is waiting to be shown,
  // so a slow view slows the consumer instead of eating memory.
  static constexpr std::size_t kDefaultLimit = 8u << 20;

  explicit TRunQueue(std::size_t limitChars = kDefaultLimit) : limit_(limitChars) {}

  void AppendText(std::string_view text, TColor color) override;
  bool LastLineEmpty() const override;

  // Takes every waiting run (swaps into out, which is cleared first).
  void Take(std::vector<TTextRun>& out);
  // Drops waiting runs; runs of a batch already under way are dropped too.
  void Clear();
  // Called (from the producing thread) when runs arrive on an empty queue.
  void SetNotify(std::function<void()> notify);
  // Releases a producer waiting for room (shutdown).
  void WakeAll();
  std::size_t WaitingChars() const;

 private:
  mutable std::mutex lock_;
  std::condition_variable room_;
  std::vector<TTextRun> runs_;
  std::size_t waitingChars_ = 0;
  std::size_t limit_;
  bool lastLineEmpty_ = true;
  std::function<void()> notify_;
};
