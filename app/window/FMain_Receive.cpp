// The receive path in the window: the consumer thread renders each batch into
// coloured runs; the window thread takes them from the queue in order and
// appends them to the trace.
#include <string>

#include "core/AppFlags.h"
#include "core/TraceStatusLines.h"
#include "window/FMain.h"
#include "window/TracePane.h"

namespace {
// Runs arriving close together are shown together.
constexpr int kDrainDelayMs = 15;
}  // namespace

void TFrmMain::StartReceiving() {
  drainTimer_.setSingleShot(true);
  drainTimer_.setInterval(kDrainDelayMs);
  connect(&drainTimer_, &QTimer::timeout, this, &TFrmMain::DrainRuns);
  // Called on the consumer thread when runs arrive on an empty queue.
  queue_.SetNotify([this] { QMetaObject::invokeMethod(this, [this] { ScheduleDrain(); }, Qt::QueuedConnection); });
  consumer_.SetLostHandler([this](std::uint64_t lost) { ShowLostRecords(pipeline_, lost); });
  consumer_.Resume();
}

void TFrmMain::StopReceiving() {
  AppClosing.store(true);
  queue_.SetNotify(nullptr);
  queue_.Close();
  if (demo_) demo_->Stop();
  consumer_.Terminate();
}

void TFrmMain::ScheduleDrain() {
  if (!drainTimer_.isActive()) drainTimer_.start();
}

void TFrmMain::DrainRuns() {
  queue_.Take(runs_);
  if (runs_.empty()) return;
  ed1->BeginUpdate();
  for (const TTextRun& run : runs_) {
    if (run.ClearsTrace) {
      ed1->Clear();
      lastLineIdx_ = 0;
      searchPos_ = -1;
    }
    AppendText(ed1, run.Text, run.Color);
  }
  ed1->EndUpdate();
}

void TFrmMain::ShowSentData(std::string_view text) { pipeline_.ShowStatusLine(text, true); }
