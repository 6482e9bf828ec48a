// Record types whose rendering comes with the CAN monitor and the
// measurements: until then they are counted, not dropped unseen.
#include "core/ReceivePipeline.h"

void TReceivePipeline::RxData_Can(const TSeriellData&) { skipped_[rtCAN].fetch_add(1, std::memory_order_relaxed); }

void TReceivePipeline::RxData_BaudMess(const TSeriellData&) {
  skipped_[rtBaudMess].fetch_add(1, std::memory_order_relaxed);
}

void TReceivePipeline::RxData_FQMess(const TSeriellData&) {
  skipped_[rtFQMess].fetch_add(1, std::memory_order_relaxed);
}

std::uint64_t TReceivePipeline::SkippedRecords(std::uint8_t recType) const {
  return skipped_[recType <= rtFQMess ? recType : 0].load();
}
