// Records per second through ring → plug-in host → the Modbus RTU example
// plug-in → coloured runs: a stream of back-to-back request frames, one line
// per eight records, with time stamps and side texts on.
#include <benchmark/benchmark.h>

#include "BenchRing.h"
#include "core/DateTime.h"
#include "core/ReceivePipeline.h"
#include "core/RunQueue.h"
#include "plugin/PlugInHost.h"
#include "core/ReceiveRing.h"

namespace {
constexpr std::uint8_t kFrame[] = {0x01, 0x03, 0x00, 0x00, 0x00, 0x0A, 0xC5, 0xCD};

void BM_PlugInPath(benchmark::State& state) {
  TRunQueue queue(1u << 30);
  TReceivePipeline pipeline(queue);
  TPlugInHost host(pipeline, "");
  pipeline.SetBatchRenderer(&host);
  if (!host.Activate(TAMARIK_MODBUS_PLUGIN)) {
    state.SkipWithError("the Modbus plug-in did not load");
    return;
  }
  TRxOptions options;
  options.TimeFmt = "hh:nn:ss.zzz";
  options.chkProtZeit = true;
  options.chkMs = true;
  options.chkTextBegin = true;
  options.chkUsePlugin = true;
  pipeline.SetOptions(options);
  RunRingLaps(state, queue, pipeline, [](int i) { return kFrame[i % 8]; },
              [](int) { return static_cast<std::uint8_t>(dirPortA); });
}
BENCHMARK(BM_PlugInPath)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
