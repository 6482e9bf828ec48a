// Memory-load block reads per second through the access layer against an
// emulated chip whose core runs as fast as it can meanwhile.
#include <benchmark/benchmark.h>

#include "EZUSB.h"
#include "EzUsbDevice.h"

namespace {

void BM_UsbReadRamBlock(benchmark::State& state) {
  auto chip = tamarikusb::AttachEmulated(true, true, false);
  TEzUsb usb;
  usb.Run8051();  // an empty program: the core spins through NOPs
  const int count = static_cast<int>(state.range(0));
  int64_t reads = 0;
  for (auto _ : state) {
    if (usb.UsbReadRamBlock(0x0900, count) != count) state.SkipWithError("read failed");
    ++reads;
  }
  state.counters["reads/s"] = benchmark::Counter(double(reads), benchmark::Counter::kIsRate);
  usb.UsbClose();
  tamarikusb::DetachAllEmulated();
}
BENCHMARK(BM_UsbReadRamBlock)->Arg(8)->Arg(259)->Arg(8192)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
