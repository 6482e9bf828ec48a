// Helpers shared by the serial tests: reading the ring, capturing reports,
// waiting with generous deadlines (never asserting how long anything took).
#pragma once

#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "core/ErrorReport.h"
#include "core/ReceiveRing.h"
#include "core/RingTestSupport.h"

namespace serial_test {

using namespace std::chrono_literals;

inline bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds limit = 20s) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(1ms);
  }
  return true;
}

// Committed records not yet taken, in ring order (no consumer thread running).
inline std::vector<TSeriellData> TakeRecords(ReceiveRing& ring) { return TakeCommittedRecords(ring); }

// Takes records until at least n have come (or the deadline passed).
inline std::vector<TSeriellData> TakeRecords(ReceiveRing& ring, std::size_t n, std::chrono::milliseconds limit = 20s) {
  std::vector<TSeriellData> out;
  WaitFor(
      [&] {
        for (const TSeriellData& r : TakeRecords(ring)) out.push_back(r);
        return out.size() >= n;
      },
      limit);
  return out;
}

struct TReport {
  std::string Location;
  std::string Message;
};

// Collects what reaches the error report while it lives.
class TReportCapture {
 public:
  TReportCapture() {
    SetErrorReporter([this](const std::string& location, const std::string& message) {
      std::lock_guard lock(lock_);
      reports_.push_back({location, message});
    });
  }
  ~TReportCapture() { SetErrorReporter(nullptr); }
  std::vector<TReport> Reports() const {
    std::lock_guard lock(lock_);
    return reports_;
  }
  std::size_t Count() const {
    std::lock_guard lock(lock_);
    return reports_.size();
  }

 private:
  mutable std::mutex lock_;
  std::vector<TReport> reports_;
};

}  // namespace serial_test
