#include "core/RunQueue.h"

#include <chrono>

#include "core/AppFlags.h"

namespace {
bool EndsLine(std::string_view text) { return text.size() >= 2 && text.substr(text.size() - 2) == "\r\n"; }
}  // namespace

void TRunQueue::AppendText(std::string_view text, TColor color) {
  if (!text.empty()) Push(text, color, false);
}

void TRunQueue::ClearTrace() { Push({}, clBlack, true); }

void TRunQueue::Push(std::string_view text, TColor color, bool clears) {
  bool wasEmpty = false;
  std::function<void()> notify;
  {
    std::unique_lock lock(lock_);
    const bool drainer = std::this_thread::get_id() == drainer_;
    while (!drainer && !closed_ && waitingChars_ > limit_ && !AppClosing.load())
      room_.wait_for(lock, std::chrono::milliseconds(20));
    if (clears) {
      runs_.clear();
      waitingChars_ = 0;
      lastLineEmpty_ = true;
    }
    wasEmpty = runs_.empty();
    if (!clears && !runs_.empty() && runs_.back().Color == color && runs_.back().Text.size() < kRunLimit)
      runs_.back().Text.append(text);
    else
      runs_.push_back(TTextRun{std::string(text), color, clears});
    waitingChars_ += text.size();
    if (!clears) lastLineEmpty_ = EndsLine(text);
    if (wasEmpty) notify = notify_;
  }
  if (notify) notify();
}

bool TRunQueue::LastLineEmpty() const {
  std::lock_guard lock(lock_);
  return lastLineEmpty_;
}

void TRunQueue::Take(std::vector<TTextRun>& out) {
  out.clear();
  {
    std::lock_guard lock(lock_);
    drainer_ = std::this_thread::get_id();
    out.swap(runs_);
    waitingChars_ = 0;
  }
  room_.notify_all();
}

void TRunQueue::Clear() {
  {
    std::lock_guard lock(lock_);
    runs_.clear();
    waitingChars_ = 0;
    lastLineEmpty_ = true;
  }
  room_.notify_all();
}

void TRunQueue::SetNotify(std::function<void()> notify) {
  std::lock_guard lock(lock_);
  notify_ = std::move(notify);
}

void TRunQueue::WakeAll() { room_.notify_all(); }

void TRunQueue::Close() {
  {
    std::lock_guard lock(lock_);
    closed_ = true;
  }
  room_.notify_all();
}

std::size_t TRunQueue::WaitingChars() const {
  std::lock_guard lock(lock_);
  return waitingChars_;
}
