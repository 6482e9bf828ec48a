// Records per second from the receive ring through RxData_Serial into text
// runs: the plain path (ASC-II page, no rules) and the full one (hexadecimal
// page, every line rule, time stamps, time differences and side texts).
// allocs/record counts heap allocations in the measured loop.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <vector>

#include "core/CodePageList.h"
#include "core/DateTime.h"
#include "core/IniFile.h"
#include "core/LineRuleSettings.h"
#include "core/ReceivePipeline.h"
#include "core/RunQueue.h"
#include "core/ReceiveRing.h"

namespace {
std::atomic<std::uint64_t> allocations{0};
}

// GCC takes the replaced operators for a mismatch with free().
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

void* operator new(std::size_t size) {
  allocations.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace {

constexpr int kBatch = 4096;

// A telegram dialogue: 16-byte requests from the PC, 24-byte answers from
// the controller, STX … ETX, 2 ms apart inside, 60 ms between telegrams.
std::vector<TSeriellData> Dialogue(int count) {
  std::vector<TSeriellData> records;
  const double base = EncodeDateTime({2024, 5, 1, 12, 0, 0, 0});
  double ms = 0;
  std::uint8_t value = 0x20;
  while (static_cast<int>(records.size()) < count) {
    const bool sps = (records.size() / 20) % 2 == 1;
    const int length = sps ? 24 : 16;
    ms += 60;
    for (int i = 0; i < length && static_cast<int>(records.size()) < count; ++i) {
      TSeriellData r;
      r.Ready = 1;
      r.Count = 1;
      r.Dir = sps ? dirPortB : dirPortA;
      r.Data[0] = i == 0 ? 0x02 : i == length - 1 ? 0x03 : value++;
      r.Time = base + (ms += 2) / 86'400'000.0;
      records.push_back(r);
    }
  }
  return records;
}

void Run(benchmark::State& state, const TRxOptions& options) {
  TRunQueue queue;
  TReceivePipeline pipe(queue);
  pipe.SetOptions(options);
  ReceiveRing ring;
  const std::vector<TSeriellData> records = Dialogue(kBatch);
  std::vector<TTextRun> runs;
  runs.reserve(kBatch * 2);
  std::uint64_t chars = 0, allocs = 0, processed = 0;
  // Argument 1: the producer's Put is measured too (it runs on the port's
  // thread in the program); 0: only the consumer's side.
  const bool withProducer = state.range(0) != 0;
  for (auto _ : state) {
    if (!withProducer) state.PauseTiming();
    for (const TSeriellData& r : records) ring.Put(r, true);
    if (!withProducer) state.ResumeTiming();
    const std::uint64_t before = allocations.load(std::memory_order_relaxed);
    int start = 0;
    while (const int count = ring.ReadyBatch(start)) {
      pipe.RxData(ring, start, count);
      ring.Release(count);
    }
    allocs += allocations.load(std::memory_order_relaxed) - before;
    queue.Take(runs);
    for (const TTextRun& run : runs) chars += run.Text.size();
    processed += records.size();
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(processed));
  state.counters["allocs/record"] = static_cast<double>(allocs) / static_cast<double>(processed);
  state.counters["chars/record"] = static_cast<double>(chars) / static_cast<double>(processed);
}

TRxOptions PlainOptions() {
  TRxOptions options;
  options.chkCTSDSR = false;
  options.chkError = false;
  return options;
}

void BM_PlainReceive(benchmark::State& state) { Run(state, PlainOptions()); }

void BM_LineRulesHexTimeSide(benchmark::State& state) {
  TIniFile ini;
  TCodePages pages(ini);
  pages.Select(cpHexadezimal);
  pages.SetFlag(TByteFlag::LineBreak, 0x03, true);
  pages.SetFlag(TByteFlag::Start, 0x02, true);
  pages.SetFlag(TByteFlag::Stop, 0x03, true);
  TLineRuleSettings rules;
  rules.chkDatenAend = true;
  rules.chkZwPause = true;
  rules.edZwPause = "20";
  rules.chkZeichBegr = true;
  rules.edZeichBegr = "78";
  rules.iStopNachZeichen = 200;
  rules.chkProtWechsel = true;
  TRxOptions options = PlainOptions();
  rules.ApplyTo(options);
  options.Codes = pages.RxCodes();
  options.chkProtZeit = true;
  options.chkMs = true;
  options.TimeFmt = "hh:nn:ss.zzz";
  options.chkProtZeitDiff = true;
  options.chkProtZeitEnde = true;
  options.chkTextBegin = true;
  options.chkTextEnde = true;
  Run(state, options);
}

// Every byte on its own line: the per-line texts dominate.
void BM_LineRulesEveryByteALine(benchmark::State& state) {
  TIniFile ini;
  TCodePages pages(ini);
  pages.Select(cpHexadezimal);
  TRxOptions options = PlainOptions();
  options.Codes = pages.RxCodes();
  options.chkZeichBegr = true;
  options.CharLimit = 1;
  options.chkProtZeit = true;
  options.chkTextBegin = true;
  options.chkTextEnde = true;
  Run(state, options);
}

}  // namespace

BENCHMARK(BM_PlainReceive)->ArgName("withProducer")->Arg(0)->Arg(1);
BENCHMARK(BM_LineRulesHexTimeSide)->ArgName("withProducer")->Arg(0)->Arg(1);
BENCHMARK(BM_LineRulesEveryByteALine)->ArgName("withProducer")->Arg(0)->Arg(1);
BENCHMARK_MAIN();
