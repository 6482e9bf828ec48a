// The logs of the terminal front end. Nobody is there to answer a dialog,
// so only the logs that ran at the last exit start, in their stored files;
// they close when the front end ends.
#pragma once

#include "core/OnlineLog.h"
#include "core/RawLog.h"

class TReceivePipeline;
struct TSettingsValues;

class THeadlessLogs {
 public:
  // Both logs become the pipeline's sinks.
  explicit THeadlessLogs(TReceivePipeline& pipeline);
  // Detaches and closes; the pipeline's consumer must be stopped or idle.
  ~THeadlessLogs();
  THeadlessLogs(const THeadlessLogs&) = delete;
  THeadlessLogs& operator=(const THeadlessLogs&) = delete;

  // The Log section's options and the names; a log stored as running is
  // restarted without a dialog.
  void StartLogsFromSettings(const TSettingsValues& values);
  // At exit: closes both (the rich-text log gets its closing brace).
  void Close();

  // Whether each log ran when Close was first called: the states to store
  // at exit (TShutdown::RememberLogStates).
  bool OnlineLogRanAtClose() const { return onlineRanAtClose_; }
  bool RawLogRanAtClose() const { return rawRanAtClose_; }
  TOnlineLog& Online() { return online_; }
  const TOnlineLog& Online() const { return online_; }
  TRawLog& Raw() { return raw_; }

 private:
  TReceivePipeline& pipeline_;
  TOnlineLog online_;
  TRawLog raw_;
  bool closed_ = false;
  bool onlineRanAtClose_ = false;
  bool rawRanAtClose_ = false;
};
