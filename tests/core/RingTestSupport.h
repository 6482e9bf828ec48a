// The consumer's side of a ring for tests that run without a consumer
// thread: taking what was committed, and handing records to a pipeline as
// one delivery.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

#include "core/ReceivePipeline.h"
#include "core/ReceiveRing.h"

// Committed records not yet taken, in ring order.
inline std::vector<TSeriellData> TakeCommittedRecords(ReceiveRing& ring) {
  std::vector<TSeriellData> out;
  int start = 0;
  while (const int count = ring.ReadyBatch(start)) {
    for (int i = start; i < start + count; ++i) out.push_back(ring.Slot(i));
    ring.Release(count);
  }
  return out;
}

// The records through the ring into the pipeline, as one delivery.
inline void DeliverRecords(TReceivePipeline& pipeline, ReceiveRing& ring, std::initializer_list<TSeriellData> records) {
  for (const TSeriellData& r : records) {
    const int index = ring.ClaimSlot();
    ASSERT_GE(index, 0);
    ring.Slot(index) = r;
    ring.CommitSlot();
  }
  int start = 0;
  const int count = ring.ReadyBatch(start);
  pipeline.RxData(ring, start, count);
  ring.Release(count);
}
