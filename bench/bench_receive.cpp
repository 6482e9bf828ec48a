// Records per second through ring → RxData_Serial (time stamps, hex page,
// direction breaks) → coloured runs, without any window.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <thread>

#include "BenchRing.h"
#include "core/DateTime.h"
#include "core/ReceivePipeline.h"
#include "core/RunQueue.h"
#include "core/ReceiveRing.h"

namespace {

std::shared_ptr<const TCodeEntries> HexPage() {
  auto codes = std::make_shared<TCodeEntries>();
  static const char* digits = "0123456789ABCDEF";
  for (int b = 0; b < 256; ++b) {
    (*codes)[b].Text = {digits[b >> 4], digits[b & 15], ' '};
    (*codes)[b].BaseText = (*codes)[b].Text;
  }
  (*codes)[0x0A].LineBreak = true;
  return codes;
}

void BM_ReceivePath(benchmark::State& state) {
  TRunQueue queue(1u << 30);
  TReceivePipeline pipeline(queue);
  TRxOptions options;
  options.Codes = HexPage();
  options.TimeFmt = "hh:nn:ss.zzz";
  options.chkProtZeit = state.range(0) != 0;
  options.chkMs = true;
  options.chkTextBegin = state.range(0) != 0;
  options.chkDatenAend = true;
  options.chkZeichBegr = true;
  options.CharLimit = 78;
  pipeline.SetOptions(options);
  RunRingLaps(state, queue, pipeline, [](int i) { return static_cast<std::uint8_t>(i * 7); },
              [](int i) { return static_cast<std::uint8_t>((i / 40) % 2 ? dirPortB : dirPortA); });
}
BENCHMARK(BM_ReceivePath)->Arg(0)->Arg(1)->ArgName("prefixes")->Unit(benchmark::kMillisecond);

// Producer claims and commits from its own thread while the consumer renders.
void BM_RingProducerToRuns(benchmark::State& state) {
  TRunQueue queue(1u << 30);
  TReceivePipeline pipeline(queue);
  TRxOptions options;
  options.Codes = HexPage();
  pipeline.SetOptions(options);
  ReceiveRing ring;
  std::vector<TTextRun> drained;
  std::int64_t records = 0;
  for (auto _ : state) {
    constexpr int kRecords = 200000;
    const int run = static_cast<int>(state.range(0));
    std::jthread producer([&] {
      TSeriellData r;
      r.Count = 1;
      r.Dir = dirPortA;
      if (run == 1) {  // a claim per record
        for (int i = 0; i < kRecords; ++i) {
          r.Data[0] = static_cast<std::uint8_t>(i);
          while (!ring.Put(r)) std::this_thread::yield();
        }
        return;
      }
      // A claim per read, as the serial event thread does.
      for (int i = 0; i < kRecords;) {
        int first = 0;
        double stamp = 0.0;
        int granted = 0;
        while ((granted = ring.ClaimRun(std::min(run, kRecords - i), first, stamp)) == 0) std::this_thread::yield();
        for (int k = 0; k < granted; ++k, ++i) {
          TSeriellData& slot = ring.Slot((first + k) % ReceiveRing::Size);
          slot = r;
          slot.Data[0] = static_cast<std::uint8_t>(i);
          slot.Time = stamp;
          slot.Ready = 1;
        }
        ring.CommitRun(granted);
      }
    });
    int handled = 0;
    while (handled < kRecords) {
      int start = 0;
      const int count = ring.ReadyBatch(start);
      if (count == 0) continue;
      pipeline.RxData(ring, start, count);
      ring.Release(count);
      handled += count;
      if (queue.WaitingChars() > (32u << 20)) queue.Take(drained);
    }
    producer.join();
    queue.Take(drained);
    records += handled;
  }
  state.counters["records/s"] = benchmark::Counter(static_cast<double>(records), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_RingProducerToRuns)->Arg(1)->Arg(128)->ArgName("claim")->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
