#include "core/RelayStage.h"

#include <algorithm>

#include "core/ErrorReport.h"
#include "core/ReceiveRing.h"

namespace {
// Reported after the lock is released: a reporter may call back in.
void Report(const std::vector<std::string>& messages) {
  for (const std::string& message : messages) ReportError("1.2", message);
}
}  // namespace

TRelayStage::~TRelayStage() { Report(TakeDropped(true)); }

void TRelayStage::SetPorts(TTxPort* portA, TTxPort* portB) {
  std::vector<std::string> messages;
  {
    std::lock_guard lock(lock_);
    messages = TakeDropped(true);
    toA_.Port = portA;
    toB_.Port = portB;
  }
  Report(messages);
}

void TRelayStage::Feed(const ReceiveRing& ring, int batchStart, int batchCount) {
  std::vector<std::string> messages;
  {
    std::lock_guard lock(lock_);
    if (toA_.Port == nullptr && toB_.Port == nullptr) return;
    Collect(ring, batchStart, batchCount);
    HandOver(toA_);
    HandOver(toB_);
    messages = TakeDropped(false);
  }
  Report(messages);
}

void TRelayStage::Collect(const ReceiveRing& ring, int batchStart, int batchCount) {
  for (int i = batchStart; i < batchStart + batchCount; ++i) {
    const TSeriellData& r = ring.Slot(i);
    if (r.RecType != rtSeriell || r.Count <= 0) continue;
    (r.Dir == dirPortB ? toA_ : toB_).Pending.push_back(static_cast<char>(r.Data[0]));
  }
}

void TRelayStage::HandOver(TTarget& target) {
  if (target.Pending.empty()) return;
  if (target.Port != nullptr) {
    const std::size_t waiting = target.Port->TxWaiting();
    const std::size_t room = waiting < kPendingLimit ? kPendingLimit - waiting : 0;
    const std::size_t take = std::min(room, target.Pending.size());
    if (take > 0) target.Port->AddTxOut(std::string_view(target.Pending).substr(0, take));
    target.Unreported += target.Pending.size() - take;
    target.Total += target.Pending.size() - take;
  }
  target.Pending.clear();
}

// At most once a second while bytes keep being dropped.
std::vector<std::string> TRelayStage::TakeDropped(bool now) {
  std::vector<std::string> messages;
  if (toA_.Unreported == 0 && toB_.Unreported == 0) return messages;
  const auto clock = std::chrono::steady_clock::now();
  if (!now && clock - lastReport_ < std::chrono::seconds(1)) return messages;
  lastReport_ = clock;
  for (TTarget* target : {&toA_, &toB_}) {
    if (target->Unreported == 0) continue;
    messages.push_back(std::to_string(target->Unreported) + " bytes not relayed: port " + target->Name +
                       " took no more data");
    target->Unreported = 0;
  }
  return messages;
}

std::uint64_t TRelayStage::DroppedTotal() const {
  std::lock_guard lock(lock_);
  return toA_.Total + toB_.Total;
}
