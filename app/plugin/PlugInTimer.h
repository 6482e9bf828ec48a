// The plug-in's own timer (tmrPlugIn): one thread that fires once after the
// interval set last, for both front ends. Firing stops it, as the handler
// expects; the handler sets it again.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

class TPlugInTimer {
 public:
  explicit TPlugInTimer(std::function<void()> onTimer);
  ~TPlugInTimer();
  TPlugInTimer(const TPlugInTimer&) = delete;
  TPlugInTimer& operator=(const TPlugInTimer&) = delete;

  // Above 0: fires that many milliseconds from now; 0 stops it.
  void SetInterval(int milliseconds);
  int Interval() const;
  bool Enabled() const { return Interval() > 0; }
  // Ends the thread; a firing under way finishes first.
  void Stop();

 private:
  void Run(std::stop_token stop);

  std::function<void()> onTimer_;
  mutable std::mutex lock_;
  std::condition_variable_any changed_;
  int interval_ = 0;
  std::chrono::steady_clock::time_point due_;
  std::jthread thread_;
};
