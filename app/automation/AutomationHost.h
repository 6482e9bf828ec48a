// What the automation object needs of a front end: the window, or the
// terminal front end that has no window to hide or show.
#pragma once

#include <string>

class TSetComTarget;

class TAutomationHost {
 public:
  virtual ~TAutomationHost() = default;
  // Shows "Tamarik V: " and the version text.
  virtual void Info() = 0;
  // 0, or 1 on an error.
  virtual int Hide() = 0;
  virtual int Show() = 0;
  virtual int WorkMode() const = 0;
  // DatenSenden to port A or B, no CR or LF, no waiting, no break; bytes
  // are ANSI. False when nothing went out.
  virtual bool Send(bool targetB, const std::string& bytes, bool raw) = 0;
  virtual TSetComTarget& SetComTarget() = 0;
  // OpenPort's and ClosePort's Value.
  virtual int OpenPort() = 0;
  virtual int ClosePort() = 0;
  // AutomationActive changed: the "OLE" panel and the exit buttons follow.
  virtual void AutomationActiveChanged(bool active) = 0;
};
