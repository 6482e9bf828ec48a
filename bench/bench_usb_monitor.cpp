// The whole USB receive path against the emulated box in real time: our V24
// image, the driver library, the access layer, the receive thread and the
// ring. Both inputs get bytes back to back; a run counts as loss-free when
// every byte arrives in order on its side without a line error.
//   bench_usb_monitor --benchmark_filter=Minute     a minute at 115200 Bd
//   bench_usb_monitor --benchmark_filter=Highest    the highest loss-free rate (5 s each)
#include <benchmark/benchmark.h>

#include <chrono>
#include <thread>
#include <vector>

#include "EZUSB.h"
#include "EzUsbDevice.h"
#include "FirmwareLoad.h"
#include "InterfaceBoard.h"
#include "USB.h"
#include "UsbStart.h"
#include "core/ReceiveRing.h"

namespace {

struct TRunResult {
  bool started = false;
  size_t fed = 0, received = 0;
  bool lossFree = false;
  bool lineError = false;  // an overrun in the box: the host fell behind
  uint64_t ringLost = 0;
  double seconds = 0;
};

TRunResult RunBothInputs(uint32_t baud, double seconds) {
  TRunResult result;
  auto chip = tamarikusb::AttachEmulated(true, true, true);
  tamarikusb::TInterfaceBoard board(*chip);
  TEzUsb usb;
  usb.UsbDeviceName = "\\\\.\\tamarik-emu-0";
  usb.UsbFixedName = true;
  ReceiveRing ring;
  TUSBTamarik monitor(usb, ring);
  TFirmwareLoader loader(usb, {});
  TUsbStartRequest request;
  request.Input1.Baud = request.Input2.Baud = baud;
  result.started = TUsbStart(usb, monitor, loader, {}).Run(request) == usStarted;
  if (result.started) {
    const size_t n = static_cast<size_t>(baud / 10 * seconds);
    std::vector<uint8_t> fed[2] = {std::vector<uint8_t>(n), std::vector<uint8_t>(n)};
    for (size_t i = 0; i < n; ++i) {
      fed[0][i] = static_cast<uint8_t>(i * 7 + i / 256);
      fed[1][i] = static_cast<uint8_t>(i * 13 + 5);
    }
    const uint64_t start = board.Now() + 12000;
    board.SendToInput(1, start, fed[0], baud);
    board.SendToInput(2, start, fed[1], baud);
    result.fed = 2 * n;
    std::vector<uint8_t> got[2];
    bool lineError = false;
    const auto began = std::chrono::steady_clock::now();
    const auto deadline = began + std::chrono::duration<double>(seconds * 2 + 5);
    // Stops early once both inputs went quiet for half a second after the
    // last fed byte was due.
    auto lastProgress = began;
    while (std::chrono::steady_clock::now() < deadline) {
      int first = 0;
      bool progress = false;
      while (const int count = ring.ReadyBatch(first)) {
        for (int i = 0; i < count; ++i) {
          const TSeriellData& r = ring.Slot(first + i);
          if (r.LineFlags & (seOE | sePE | seFE | seBI)) lineError = true;
          if (r.RecType == rtSeriell && r.Ready > 0 && r.Count > 0) got[r.Dir == dirUSB1 ? 0 : 1].push_back(r.Data[0]);
        }
        ring.Release(count);
        progress = true;
      }
      const auto now = std::chrono::steady_clock::now();
      if (progress) lastProgress = now;
      if (got[0].size() + got[1].size() >= result.fed) break;
      if (now - began > std::chrono::duration<double>(seconds) && now - lastProgress > std::chrono::milliseconds(500))
        break;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
    result.received = got[0].size() + got[1].size();
    result.lineError = lineError;
    result.ringLost = ring.LostTotal();    result.lossFree = !lineError && got[0] == fed[0] && got[1] == fed[1] && ring.LostTotal() == 0;
  }
  monitor.SetActive(false);
  usb.UsbClose();
  tamarikusb::DetachEmulated(chip);
  return result;
}

void BM_MinuteAt115200BothInputs(benchmark::State& state) {
  const double seconds = static_cast<double>(state.range(0));
  TRunResult r;
  for (auto _ : state) r = RunBothInputs(115200, seconds);
  if (!r.started) state.SkipWithError("the box did not start");
  state.counters["fed"] = static_cast<double>(r.fed);
  state.counters["received"] = static_cast<double>(r.received);
  state.counters["loss_free"] = r.lossFree ? 1 : 0;
  state.counters["bytes/s"] = static_cast<double>(r.received) / r.seconds;
  state.counters["overrun"] = r.lineError ? 1 : 0;
  state.counters["ring_lost"] = static_cast<double>(r.ringLost);
}
BENCHMARK(BM_MinuteAt115200BothInputs)->Arg(60)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

void BM_HighestLossFreeRateBothInputs(benchmark::State& state) {
  // Rates the two crystals give exactly.
  static const uint32_t kRates[] = {38400, 57600, 76800, 86400, 115200, 125000, 138240, 150000, 172800, 187500, 230400};
  uint32_t highest = 0;
  TRunResult failed;
  for (auto _ : state) {
    for (uint32_t rate : kRates) {
      const TRunResult r = RunBothInputs(rate, 5);
      if (!r.started || !r.lossFree) {
        failed = r;
        break;
      }
      highest = rate;
    }
  }
  state.counters["highest_Bd_per_input"] = highest;
  // What the first rate that lost brought.
  state.counters["next_fed"] = static_cast<double>(failed.fed);
  state.counters["next_received"] = static_cast<double>(failed.received);
}
BENCHMARK(BM_HighestLossFreeRateBothInputs)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
