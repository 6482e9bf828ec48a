// The time stamp of received records: ordered by a monotonic clock, shown
// as the local wall-clock time. The local offset is applied per record, so
// the trace follows a change of daylight saving time instead of standing
// still for the hour the clock goes back; a step of the system clock
// forward is followed, a step back never reorders records.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>

class TRecordClock {
 public:
  struct TSources {
    std::function<std::chrono::steady_clock::time_point()> Steady;
    std::function<std::chrono::system_clock::time_point()> System;
    // Seconds east of UTC at that moment (seconds since 1970, UTC).
    std::function<long(std::int64_t unixSeconds)> LocalOffset;
  };

  TRecordClock();  // the real clocks and the local zone
  explicit TRecordClock(TSources sources);

  // Local date-time (days since 1899-12-30). Not thread-safe: the ring
  // calls it inside its claim.
  double Now();

 private:
  TSources sources_;
  std::chrono::steady_clock::time_point anchorSteady_{};
  std::int64_t anchorUs_ = 0;  // UTC microseconds since 1970 at anchorSteady_
  std::int64_t offsetSecond_ = INT64_MIN;  // the second the cached offset is for
  long offset_ = 0;
};
