#include "headless/HeadlessLogs.h"

#include <cstdio>
#include <utility>

#include "core/ErrorLog.h"
#include "core/LogNames.h"
#include "core/ReceivePipeline.h"
#include "core/Settings.h"
#include "headless/HeadlessApp.h"

namespace {

// No dialog and no question can be answered here; a failure beeps on the
// terminal and is reported, the log's own state says it stopped.
TLogHooks TerminalHooks() {
  TLogHooks hooks;
  hooks.ShowSaveDialog = [](const TLogFileChoice&) { return std::optional<TLogFileChoice>(); };
  hooks.AskYesNo = [](std::string_view) { return false; };
  hooks.Beep = [] { std::fputc('\a', stderr); };
  hooks.WriteErrorLog = [](std::string_view line) { WriteErrorLog(line); };
  return hooks;
}

}  // namespace

THeadlessLogs::THeadlessLogs(TReceivePipeline& pipeline)
    : pipeline_(pipeline), online_(TerminalHooks()), raw_(TerminalHooks()) {
  pipeline_.SetStreamSink(&online_);
  pipeline_.SetRawSink(&raw_);
}

THeadlessLogs::~THeadlessLogs() {
  pipeline_.SetStreamSink(nullptr);
  pipeline_.SetRawSink(nullptr);
  Close();
}

void THeadlessLogs::StartLogsFromSettings(const TSettingsValues& values) {
  const TLogLimit limit = values.Log.Limit();
  online_.SetLimit(limit);
  raw_.SetLimit(limit);
  TRxOptions rx = pipeline_.Options();
  // Both set (a file edited by hand) would log nothing: taken as if B
  // was checked last, as the window does.
  TNoPortFlags noPort = values.Log.NoPort();
  if (noPort.chkNoPortA && noPort.chkNoPortB) noPort = ClickNoPort(noPort, false, true);
  rx.chkNoPortA = noPort.chkNoPortA;
  rx.chkNoPortB = noPort.chkNoPortB;
  pipeline_.SetOptions(rx);

  const std::string& onlineName = values.FrmMain.SDlg_FileName;
  online_.SetFileChoice({onlineName, OnlineLogFilterFor(onlineName, 1)});
  raw_.SetFileChoice({values.FrmMain.SDlgRoh_FileName, 1});
  if (values.FrmMain.chkOnlineLog) online_.Start(lsRestore);
  if (values.FrmMain.chkOnlineRohLog) raw_.Start(lsRestore);
}

void THeadlessLogs::Close() {
  if (!std::exchange(closed_, true)) {
    onlineRanAtClose_ = online_.Checked();
    rawRanAtClose_ = raw_.Checked();
  }
  online_.CloseOnlineFile();
  raw_.Stop();
}

void THeadlessApp::StartLogsFromSettings(const TSettingsValues& values) { logs_.StartLogsFromSettings(values); }
