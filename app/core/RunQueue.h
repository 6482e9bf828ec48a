// Hands coloured text runs from the consumer thread to the thread that shows
// them, in order. Adjacent runs of one colour are joined, so the pane inserts
// once per run, never per byte.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "core/TraceSink.h"

struct TTextRun {
  std::string Text;
  TColor Color = clBlack;
  // The trace is cleared before this run (in order with the text).
  bool ClearsTrace = false;
};

class TRunQueue final : public TTraceSink {
 public:
  // A producer waits while more than this much text is waiting to be shown,
  // so a slow view slows the consumer instead of eating memory.
  static constexpr std::size_t kDefaultLimit = 8u << 20;
  // Joined runs stay below this, so a pane that trims before it appends
  // never stands far over its own limit.
  static constexpr std::size_t kRunLimit = 64u << 10;

  explicit TRunQueue(std::size_t limitChars = kDefaultLimit) : limit_(limitChars) {}

  // Never waits on the thread that drains the queue (it would wait for
  // itself), nor once the queue is closed.
  void AppendText(std::string_view text, TColor color) override;
  bool LastLineEmpty() const override;
  // Drops waiting runs and leaves a marker: the drainer clears its trace
  // there, so text rendered before the clear never shows after it.
  void ClearTrace() override;

  // Takes every waiting run (swaps into out, which is cleared first). The
  // calling thread becomes the draining thread.
  void Take(std::vector<TTextRun>& out);
  // Drops waiting runs; runs of a batch already under way are dropped too.
  void Clear();
  // Called (from the producing thread) when runs arrive on an empty queue.
  void SetNotify(std::function<void()> notify);
  // Releases a producer waiting for room.
  void WakeAll();
  // Shutdown: every wait ends now and none starts again.
  void Close();
  std::size_t WaitingChars() const;

 private:
  void Push(std::string_view text, TColor color, bool clears);

  mutable std::mutex lock_;
  std::condition_variable room_;
  std::vector<TTextRun> runs_;
  std::size_t waitingChars_ = 0;
  std::size_t limit_;
  bool lastLineEmpty_ = true;
  bool closed_ = false;
  std::thread::id drainer_{};
  std::function<void()> notify_;
};
