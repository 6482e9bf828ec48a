// Start and end of the terminal front end, in the window's order: the
// start-up (Tamarik.ini and the error log in the working directory, the
// switches), then the trace runs, then the close writes the settings once
// and "Close Tamarik." ends the error log. Error reports are printed on
// standard error as they come.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "core/Shutdown.h"
#include "core/Startup.h"
#include "headless/HeadlessApp.h"

class THeadlessStartup {
 public:
  explicit THeadlessStartup(const std::vector<std::string>& args);
  ~THeadlessStartup();  // closes if Close has not run
  THeadlessStartup(const THeadlessStartup&) = delete;
  THeadlessStartup& operator=(const THeadlessStartup&) = delete;

  TStartup& Startup() { return *startup_; }
  // The three lines the window shows in its "/?" box.
  std::string AboutText() const;
  // Writes the settings (unless read-only) and the error log's last line.
  // The trace must have stopped: no port open, the consumer ended.
  void Close();

 private:
  void PrintNewReports(const std::string& displayText);

  std::unique_ptr<TStartup> startup_;
  std::unique_ptr<TShutdown> shutdown_;
  std::mutex printLock_;
  std::string printed_;
};

// The terminal front end from start to end; returns the exit status.
int RunHeadless(const std::vector<std::string>& args, const THeadlessOptions& options, bool demoAsked);
