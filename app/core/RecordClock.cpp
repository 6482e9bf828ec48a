#include "core/RecordClock.h"

#include "core/DateTime.h"

namespace {

constexpr double kUnixEpochDays = 25569.0;  // 1970-01-01 as days since 1899-12-30
constexpr std::int64_t kStepUs = 1'000'000;  // system clock ahead by more: it was set forward

std::int64_t UnixUs(std::chrono::system_clock::time_point t) {
  return std::chrono::duration_cast<std::chrono::microseconds>(t.time_since_epoch()).count();
}

}  // namespace

TRecordClock::TRecordClock()
    : TRecordClock(TSources{[] { return std::chrono::steady_clock::now(); },
                            [] { return std::chrono::system_clock::now(); }, LocalOffsetSeconds}) {}

TRecordClock::TRecordClock(TSources sources) : sources_(std::move(sources)) {
  anchorSteady_ = sources_.Steady();
  anchorUs_ = UnixUs(sources_.System());
}

double TRecordClock::Now() {
  const auto steady = sources_.Steady();
  std::int64_t us = anchorUs_ + std::chrono::duration_cast<std::chrono::microseconds>(steady - anchorSteady_).count();
  const std::int64_t system = UnixUs(sources_.System());
  if (system > us + kStepUs) {
    anchorSteady_ = steady;
    anchorUs_ = us = system;
  }
  const std::int64_t second = us >= 0 ? us / 1'000'000 : (us - 999'999) / 1'000'000;
  // Offsets change on whole seconds, so one look-up per second is exact.
  if (second != offsetSecond_) {
    offsetSecond_ = second;
    offset_ = sources_.LocalOffset(second);
  }
  const double localUs = static_cast<double>(us + static_cast<std::int64_t>(offset_) * 1'000'000);
  return kUnixEpochDays + localUs / (86'400.0 * 1'000'000.0);
}
