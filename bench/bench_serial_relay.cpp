// Bytes per second the monitor in the line relays between two
// pseudo-terminal pairs: in through a port and its event thread, through the
// ring and the receive pipeline's relay, out through the other port's send
// thread, both directions at once, with nothing lost.
#include <benchmark/benchmark.h>
#include <poll.h>
#include <unistd.h>

#include <memory>
#include <string>

#include "core/ReceivePipeline.h"
#include "serial/PseudoTerminal.h"
#include "core/SerialThreadOut.h"
#include "serial/Seriell.h"

namespace {

class TDiscardSink final : public TTraceSink {
 public:
  void AppendText(std::string_view, TColor) override {}
  bool LastLineEmpty() const override { return false; }
};

struct TRelayRig {
  TRelayRig() : pipeline(sink), consumer([this](TSerialThreadOut& s) { pipeline.RxData(s); }) {
    Ok = pc.Open() == 0 && sps.Open() == 0;
    a = std::make_unique<TSeriell>(consumer.Ring());
    b = std::make_unique<TSeriell>(consumer.Ring());
    Prepare(*a, dirPortA, pc.SlaveName());
    Prepare(*b, dirPortB, sps.SlaveName());
    a->SetActive(true);
    b->SetActive(true);
    Ok = Ok && a->Opened() && b->Opened();
    TRxOptions options;
    options.WorkMode = 200;
    options.RelayPorts = true;
    pipeline.SetOptions(options);
    pipeline.SetRelayPorts(a.get(), b.get());
    consumer.Resume();
  }
  ~TRelayRig() {
    pipeline.SetRelayPorts(nullptr, nullptr);
    a->SetActive(false);
    b->SetActive(false);
    consumer.Terminate();
  }
  static void Prepare(TSeriell& port, TSerialDirections dir, const std::string& name) {
    port.SetDirection(dir);
    port.IsPortB.store(dir == dirPortB);
    port.WorkMode.store(200);
    port.SetBaudrate(115200);
    port.SetFlowMode(fcNone);
    port.SetPort(name);
  }

  TDiscardSink sink;
  TReceivePipeline pipeline;
  TSerialThreadOut consumer;
  TPseudoTerminal pc, sps;
  std::unique_ptr<TSeriell> a, b;
  bool Ok = false;
};

// Reads both far ends until each has want bytes; false when nothing moves
// for ten seconds.
bool Collect(TRelayRig& rig, std::string& atPc, std::string& atSps, std::size_t want) {
  char buffer[4096];
  int idle = 0;
  while (atPc.size() < want || atSps.size() < want) {
    pollfd fds[2] = {{rig.pc.Master(), POLLIN, 0}, {rig.sps.Master(), POLLIN, 0}};
    if (poll(fds, 2, 10) <= 0) {
      if (++idle > 1000) return false;
      continue;
    }
    idle = 0;
    if (fds[0].revents & POLLIN)
      if (const ssize_t n = ::read(rig.pc.Master(), buffer, sizeof buffer); n > 0) atPc.append(buffer, n);
    if (fds[1].revents & POLLIN)
      if (const ssize_t n = ::read(rig.sps.Master(), buffer, sizeof buffer); n > 0) atSps.append(buffer, n);
  }
  return true;
}

void BM_SerialRelayBothWays(benchmark::State& state) {
  TRelayRig rig;
  if (!rig.Ok) {
    state.SkipWithError("no pseudo-terminals");
    return;
  }
  const std::size_t window = static_cast<std::size_t>(state.range(0));
  std::string fromPc(window, '\0'), fromSps(window, '\0');
  for (std::size_t i = 0; i < window; ++i) {
    fromPc[i] = static_cast<char>(i * 7);
    fromSps[i] = static_cast<char>(255 - i * 3);
  }
  std::string atPc, atSps;
  for (auto _ : state) {
    atPc.clear();
    atSps.clear();
    rig.pc.WriteAll(fromPc.data(), fromPc.size(), 10000);
    rig.sps.WriteAll(fromSps.data(), fromSps.size(), 10000);
    if (!Collect(rig, atPc, atSps, window) || atSps != fromPc || atPc != fromSps) {
      state.SkipWithError("bytes lost or changed on the way");
      return;
    }
  }
  if (rig.consumer.Ring().LostTotal() != 0) state.SkipWithError("the ring dropped records");
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * window * 2));
  state.counters["relayed_bytes_per_s"] =
      benchmark::Counter(static_cast<double>(state.iterations() * window * 2), benchmark::Counter::kIsRate);
}

}  // namespace

BENCHMARK(BM_SerialRelayBothWays)->Arg(1024)->Arg(4096)->UseRealTime()->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
