#include "headless/HeadlessApp.h"

#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <thread>

#include "core/AppFlags.h"
#include "core/DateTime.h"
#include "core/ErrorReport.h"

namespace {

volatile std::sig_atomic_t stopSignal = 0;
void OnStopSignal(int) { stopSignal = 1; }

TSeriellData ByteRecord(std::uint8_t dir, std::uint8_t byte) {
  TSeriellData r;
  r.RecType = rtSeriell;
  r.Count = 1;
  r.Data[0] = byte;
  r.Dir = dir;
  r.Ready = 1;
  return r;
}

}  // namespace

THeadlessApp::THeadlessApp(const THeadlessOptions& options)
    : options_(options),
      pipeline_(queue_),
      consumer_([this](TSerialThreadOut& sender) { pipeline_.RxData(sender); }),
      terminal_(stdout, isatty(STDOUT_FILENO) != 0) {
  TRxOptions rx;
  rx.TimeFmt = BuildTimeFmt(true);
  rx.chkProtZeit = true;
  rx.chkMs = true;
  rx.chkTextBegin = true;
  rx.chkDatenAend = true;
  auto codes = std::make_shared<TCodeEntries>(*DefaultCodeEntries());
  (*codes)['\n'].LineBreak = true;
  rx.Codes = codes;
  pipeline_.SetOptions(rx);
  consumer_.SetLostHandler([this](std::uint64_t lost) {
    const std::string text = std::to_string(lost) + " records lost: the receive ring was full";
    pipeline_.ShowStatusLine(text, true);
    ReportError("2.3", text);
  });
}

THeadlessApp::~THeadlessApp() {
  AppClosing.store(true);
  queue_.WakeAll();
  if (demo_) demo_->Stop();
  consumer_.Terminate();
}

void THeadlessApp::Drain() {
  queue_.Take(runs_);
  for (const TTextRun& run : runs_) terminal_.Write(run.Text, run.Color);
  if (!runs_.empty()) terminal_.Finish();
}

void THeadlessApp::Timer1Timer() {
  const TSoundTick tick = pipeline_.SoundTick(pipeline_.Options().chkSound);
  if (tick.Beep) std::fputc('\a', stdout);
}

int THeadlessApp::Run() {
  std::signal(SIGINT, OnStopSignal);
  std::signal(SIGTERM, OnStopSignal);
  consumer_.Resume();
  if (options_.Demo) {
    ReceiveRing& ring = consumer_.Ring();
    demo_ = std::make_unique<TDemoSource>([&ring](bool fromSps, const std::string& bytes) {
      for (char c : bytes) ring.Put(ByteRecord(fromSps ? dirPortB : dirPortA, static_cast<std::uint8_t>(c)));
    });
    demo_->Start();
  }
  const auto started = std::chrono::steady_clock::now();
  auto nextTick = started + std::chrono::seconds(1);
  while (!stopSignal) {
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    Drain();
    const auto now = std::chrono::steady_clock::now();
    if (now >= nextTick) {
      Timer1Timer();
      nextTick += std::chrono::seconds(1);
    }
    if (options_.RunSeconds > 0 && now - started >= std::chrono::duration<double>(options_.RunSeconds)) break;
  }
  if (demo_) demo_->Stop();
  // Let the consumer hand out what is still in the ring before closing.
  for (int i = 0; i < 50 && consumer_.Ring().ClaimIndex() != consumer_.Ring().ReadIndex(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  AppClosing.store(true);
  queue_.WakeAll();
  consumer_.Terminate();
  Drain();
  std::fputs("\n", stdout);
  std::fflush(stdout);
  return 0;
}
