// A 1 MB file sent from the send dialog at 115200 Bd through a
// pseudo-terminal: does it arrive complete and in order, and how long is the
// window thread held at most meanwhile (the longest gap between ticks of a
// 1 ms timer on the window thread)?
#include <benchmark/benchmark.h>
#include <poll.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QEventLoop>
#include <QPushButton>
#include <QTimer>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <thread>

#include "QtBenchMain.h"
#include "core/AppFlags.h"
#include "core/SendData.h"
#include "serial/PseudoTerminal.h"
#include "core/ReceiveRing.h"
#include "serial/SerialSendPort.h"
#include "serial/Seriell.h"
#include "window/fSend.h"

namespace {

std::string MakeContent(std::size_t size) {
  std::string content;
  content.reserve(size + 64);
  for (int i = 0; content.size() < size; ++i) content += "line " + std::to_string(i) + " of the file under test\r\n";
  content.resize(size);
  return content;
}

void BM_SendFileThroughPty(benchmark::State& state) {
  const std::string content = MakeContent(1 << 20);
  const std::string file =
      (std::filesystem::temp_directory_path() / ("tamarik-bench-send-" + std::to_string(::getpid()))).string();
  std::ofstream(file, std::ios::binary) << content;
  for (auto _ : state) {
    TPseudoTerminal line;
    if (line.Open() != 0) {
      state.SkipWithError("no pseudo-terminal");
      return;
    }
    ReceiveRing ring;
    TSeriell port(ring);
    port.SetFlowMode(fcNone);
    port.SetBaudrate(115200);
    port.SetPort(line.SlaveName());
    port.SetActive(true);
    TSerialSendPort sendPort(port);
    TSendRoutine routine;
    routine.SetPorts(&sendPort, nullptr);
    routine.SetWorkMode(200, false);

    std::string received;
    std::atomic<bool> stop{false};
    std::thread reader([&] {
      char buffer[65536];
      while (!stop.load() && received.size() < content.size()) {
        pollfd p{line.Master(), POLLIN, 0};
        if (::poll(&p, 1, 20) <= 0) continue;
        const ssize_t n = ::read(line.Master(), buffer, sizeof buffer);
        if (n > 0) received.append(buffer, static_cast<std::size_t>(n));
      }
    });

    TSendSettings settings;
    settings.Form.edDateiSend_Text = file;
    settings.Form.chkWartAfterLine_Checked = false;
    settings.Form.pgMain_ActivePageIndex = 1;
    settings.Form.rbB_Checked = false;
    TfrmSend dialog(nullptr, routine, settings);
    dialog.ShowForMode(SendDialogModeFor(200, false));

    QEventLoop loop;
    QObject::connect(&dialog, &TfrmSend::FileSendFinished, &loop, &QEventLoop::quit);
    QElapsedTimer sinceTick;
    qint64 maxGapNs = 0;
    QTimer tick;
    tick.setInterval(1);
    QObject::connect(&tick, &QTimer::timeout, [&] {
      maxGapNs = std::max(maxGapNs, sinceTick.nsecsElapsed());
      sinceTick.restart();
    });
    QElapsedTimer total;
    total.start();
    sinceTick.start();
    tick.start();
    dialog.findChild<QPushButton*>(QStringLiteral("btnFileSend"))->click();
    loop.exec();
    tick.stop();
    const double sendSeconds = static_cast<double>(total.nsecsElapsed()) / 1e9;
    while (received.size() < content.size() && total.elapsed() < 60000)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    stop.store(true);
    reader.join();
    if (received != content) state.SkipWithError("the file did not arrive complete and in order");
    state.counters["bytes_received"] = static_cast<double>(received.size());
    state.counters["complete_in_order"] = received == content ? 1 : 0;
    state.counters["send_seconds"] = sendSeconds;
    state.counters["max_window_block_ms"] = static_cast<double>(maxGapNs) / 1e6;
  }
  std::filesystem::remove(file);
}
BENCHMARK(BM_SendFileThroughPty)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace

TAMARIK_QT_BENCHMARK_MAIN()
