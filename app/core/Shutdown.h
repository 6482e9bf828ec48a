// The end of the program, shared by the window and the terminal front end.
//
// Closing (FormClose): BeginClose sets AppClosing; the front end then stops
// TCP, closes the ports and the USB device, remembers whether the online and
// the raw-data log ran and stops them, puts every control's value into
// Settings().Values() and calls WriteSettings. Destruction (FormDestroy):
// after the threads are stopped, Destroyed writes "Close Tamarik.".
#pragma once

#include <chrono>
#include <optional>

#include "core/SysTest.h"

class TStartup;

class TShutdown {
 public:
  explicit TShutdown(TStartup& startup);

  void BeginClose();
  bool Closing() const { return closing_; }

  // The log states remembered before the logs were stopped; they are
  // stored so that the next start restarts the logs.
  void RememberLogStates(bool onlineLog, bool rawLog);

  // Writes the settings with the running version and sysTest (its error
  // list is filled in here). Runs once; later calls and a read-only file
  // write nothing. True when the file was written.
  bool WriteSettings(TSysTestInfo sysTest);
  bool SettingsWritten() const { return written_; }

  // "Close Tamarik." to the error log; the error report stops storing into
  // the settings file.
  void Destroyed();

 private:
  TStartup& startup_;
  bool closing_ = false;
  bool writeDone_ = false;
  bool written_ = false;
};

// Timer1 while the program closes: it ends the program at the latest ten
// seconds after the first tick that saw AppClosing.
class TDelayedShutdown {
 public:
  using TClock = std::chrono::steady_clock;
  static constexpr std::chrono::seconds kGrace{10};

  // True when the program must end now.
  bool Tick(bool appClosing, TClock::time_point now);

 private:
  std::optional<TClock::time_point> firstClosingTick_;
};
