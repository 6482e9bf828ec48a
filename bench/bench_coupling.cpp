// Records per second from a capture instance's ring through the coupling to
// a viewer's ring over loopback, and the viewer's delay:
//  - BM_CouplingThroughput: a producer fills the capture ring as fast as the
//    chain takes it (never past a full ring), the capture's consumer forwards
//    every batch, the viewer's event loop puts the records into its ring and
//    its consumer counts them; every record must arrive, in order;
//  - BM_CouplingDelay: the same at 2.4 million records a second (two 12 Mbaud
//    lines); the delay is from the producer's claim to the viewer's consumer.
// Each instance runs its sockets on a thread of its own, as in two programs.
// Run: ./build/bench/bench_coupling
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QTcpServer>
#include <QThread>
#include <unistd.h>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <functional>
#include <thread>
#include <vector>

#include "core/AppFlags.h"
#include "net/RemoteCoupling.h"
#include "core/SerialThreadOut.h"

namespace {

using Clock = std::chrono::steady_clock;

std::int64_t NowNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch()).count();
}

// An instance's socket thread: the coupling lives and dies on it.
class TSocketThread : public QThread {
 public:
  TSocketThread(ReceiveRing& ring, std::string lockFolder) : ring_(ring), lockFolder_(std::move(lockFolder)) {}
  void Call(std::function<void(TRemoteCoupling&)> f) {
    QMetaObject::invokeMethod(
        coupling_.load(), [this, f] { f(*coupling_.load()); }, Qt::BlockingQueuedConnection);
  }
  TRemoteCoupling* Coupling() const { return coupling_.load(); }

 protected:
  void run() override {
    auto* coupling = new TRemoteCoupling(ring_, lockFolder_);
    coupling->TcpSrv.PingIntervalMs = 0;
    coupling->TcpClnt.PingIntervalMs = 0;
    coupling_.store(coupling);
    exec();
    coupling_.store(nullptr);
    delete coupling;
  }

 private:
  ReceiveRing& ring_;
  std::string lockFolder_;
  std::atomic<TRemoteCoupling*> coupling_{nullptr};
};

struct TChain {
  TChain() {
    static int argc = 1;
    static char name[] = "bench_coupling";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);
    AppClosing.store(false);
    const std::string folder = "/tmp/bench-coupling-" + std::to_string(::getpid());
    std::filesystem::create_directories(folder);
    boxThread = std::make_unique<TSocketThread>(boxConsumer.Ring(), folder);
    // One lock folder: the viewer finds the box first for the port and connects.
    viewerThread = std::make_unique<TSocketThread>(viewerConsumer.Ring(), folder);
    boxThread->start();
    viewerThread->start();
    while (!boxThread->Coupling() || !viewerThread->Coupling()) std::this_thread::yield();
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const TCouplingSettings settings{"127.0.0.1", probe.serverPort(), true, "127.0.0.1", ""};
    probe.close();
    boxThread->Call([&](TRemoteCoupling& c) {
      c.Start(settings, false);
      c.SetWorkMode(200, false);
    });
    viewerThread->Call([&](TRemoteCoupling& c) {
      c.Start(settings, false);
      c.SetWorkMode(300, true);
      c.ConnectTo(QStringLiteral("127.0.0.1"));
    });
    bool coupled = false;
    while (!coupled) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
      boxThread->Call([&](TRemoteCoupling& c) { coupled = c.Peers().size() == 1; });
    }
    forwardTo.store(boxThread->Coupling());
    boxConsumer.Resume();
    viewerConsumer.Resume();
  }
  ~TChain() {
    AppClosing.store(true);
    boxConsumer.Terminate();
    viewerConsumer.Terminate();
    boxThread->quit();
    viewerThread->quit();
    boxThread->wait();
    viewerThread->wait();
    AppClosing.store(false);
  }

  // Every record arrives once and in order; delays of every 64th.
  void Count(TSerialThreadOut& s) {
    const std::int64_t now = NowNs();
    for (int i = s.BatchStart; i < s.BatchStart + s.BatchCount; ++i) {
      const TSeriellData& r = s.Ring().Slot(i);
      if (r.Ident != expected) outOfOrder.fetch_add(1);
      expected = r.Ident + 1;
      if ((r.Ident & 63) == 0) {
        std::int64_t sent;
        std::memcpy(&sent, r.Data.data(), sizeof sent);
        delays.push_back(now - sent);
      }
    }
    arrived.fetch_add(static_cast<std::uint64_t>(s.BatchCount));
  }

  std::atomic<TRemoteCoupling*> forwardTo{nullptr};
  TSerialThreadOut boxConsumer{[this](TSerialThreadOut& s) {
    if (TRemoteCoupling* box = forwardTo.load()) box->Forward(s.Ring(), s.BatchStart, s.BatchCount);
  }};
  TSerialThreadOut viewerConsumer{[this](TSerialThreadOut& s) { Count(s); }};
  std::unique_ptr<TSocketThread> boxThread, viewerThread;
  std::atomic<std::uint64_t> arrived{0};
  std::atomic<std::uint64_t> outOfOrder{0};
  std::int32_t expected = 0;
  std::vector<std::int64_t> delays;
};

// Produces n records; ratePerSecond 0: as fast as the ring has room.
void Produce(TChain& chain, int n, double ratePerSecond) {
  ReceiveRing& ring = chain.boxConsumer.Ring();
  const auto start = Clock::now();
  for (int i = 0; i < n;) {
    if (ratePerSecond > 0) {
      const auto due = start + std::chrono::nanoseconds(static_cast<std::int64_t>(i * 1e9 / ratePerSecond));
      while (Clock::now() < due) std::this_thread::yield();
    }
    // Claims a run of up to 128 (one serial read) while there is room; as
    // the ports do, the records of one read share its time.
    const int room = ring.FreeSlots();
    if (room == 0) {
      std::this_thread::yield();
      continue;
    }
    int first = 0;
    double stamp = 0.0;
    const int run = ring.ClaimRun(std::min({room, 128, n - i}), first, stamp);
    const std::int64_t now = NowNs();
    for (int k = 0; k < run; ++k, ++i) {
      TSeriellData& r = ring.Slot((first + k) % ReceiveRing::Size);
      r.Count = 1;
      r.Ident = i;
      r.Dir = (i & 1) ? dirPortB : dirPortA;
      r.Time = stamp;
      std::memcpy(r.Data.data(), &now, sizeof now);
      r.Ready = 1;
    }
    ring.CommitRun(run);
  }
}

void Report(benchmark::State& state, TChain& chain, std::uint64_t total, double seconds) {
  state.counters["records/s"] = static_cast<double>(total) / seconds;
  const std::uint64_t lost = chain.boxConsumer.Ring().LostTotal() + chain.viewerConsumer.Ring().LostTotal() +
                             chain.boxThread->Coupling()->NotSentRecords() + (total - chain.arrived.load());
  state.counters["lost"] = static_cast<double>(lost);
  state.counters["out_of_order"] = static_cast<double>(chain.outOfOrder.load());
  std::vector<std::int64_t>& d = chain.delays;
  if (!d.empty()) {
    std::sort(d.begin(), d.end());
    state.counters["delay_median_ms"] = static_cast<double>(d[d.size() / 2]) / 1e6;
    state.counters["delay_p99_ms"] = static_cast<double>(d[d.size() * 99 / 100]) / 1e6;
    state.counters["delay_max_ms"] = static_cast<double>(d.back()) / 1e6;
  }
}

void RunChain(benchmark::State& state, double rate) {
  const int n = static_cast<int>(state.range(0));
  for (auto _ : state) {
    TChain chain;
    const auto start = Clock::now();
    Produce(chain, n, rate);
    const auto deadline = Clock::now() + std::chrono::seconds(20);
    while (chain.arrived.load() < static_cast<std::uint64_t>(n) && Clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::microseconds(200));
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    state.SetIterationTime(seconds);
    Report(state, chain, static_cast<std::uint64_t>(n), seconds);
  }
}

void BM_CouplingThroughput(benchmark::State& state) { RunChain(state, 0); }
BENCHMARK(BM_CouplingThroughput)->Arg(6'000'000)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_CouplingDelay(benchmark::State& state) { RunChain(state, 2.4e6); }
BENCHMARK(BM_CouplingDelay)->Arg(4'800'000)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
