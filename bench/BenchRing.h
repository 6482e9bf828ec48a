// The ring as the benchmarks feed it: one full lap of serial records, then
// every ready batch through the pipeline as the consumer thread would.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "core/DateTime.h"

#include "core/ReceivePipeline.h"
#include "core/ReceiveRing.h"
#include "core/RunQueue.h"

// byteAt(i) and dirAt(i) give record i's byte and side; times rise by a
// nanosecond a record from t0.
template <class TByteAt, class TDirAt>
void FillRing(ReceiveRing& ring, int count, double t0, TByteAt byteAt, TDirAt dirAt) {
  for (int i = 0; i < count; ++i) {
    const int slot = ring.ClaimSlot();
    TSeriellData& r = ring.Slot(slot);
    r.RecType = rtSeriell;
    r.Count = 1;
    r.Data[0] = byteAt(i);
    r.Dir = dirAt(i);
    r.LineFlags = 0;
    r.Signals = 0;
    r.Time = t0 + i * 1e-9;
    r.Ready = 1;
    ring.CommitSlot();
  }
}

// Hands every ready batch to the pipeline and releases it; the records handled.
inline std::int64_t DrainRing(ReceiveRing& ring, TReceivePipeline& pipeline) {
  std::int64_t records = 0;
  int start = 0;
  int count;
  while ((count = ring.ReadyBatch(start)) > 0) {
    pipeline.RxData(ring, start, count);
    ring.Release(count);
    records += count;
  }
  return records;
}

// The timed loop: a full lap filled untimed, then drained through the
// pipeline; reports records per second.
template <class TByteAt, class TDirAt>
void RunRingLaps(benchmark::State& state, TRunQueue& queue, TReceivePipeline& pipeline, TByteAt byteAt,
                 TDirAt dirAt) {
  ReceiveRing ring;
  std::vector<TTextRun> drained;
  const double t0 = NowDateTime();
  std::int64_t records = 0;
  for (auto _ : state) {
    state.PauseTiming();
    queue.Take(drained);
    FillRing(ring, ReceiveRing::Size, t0, byteAt, dirAt);
    state.ResumeTiming();
    records += DrainRing(ring, pipeline);
  }
  state.counters["records/s"] = benchmark::Counter(static_cast<double>(records), benchmark::Counter::kIsRate);
}
