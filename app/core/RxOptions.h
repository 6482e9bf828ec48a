// A snapshot of every control the receive handler reads. The window (or the
// terminal front end) publishes a new one when a control changes; the
// consumer thread never reads a widget.
#pragma once

#include <memory>
#include <string>

#include "core/CodeEntries.h"

class TCanFilter;

struct TRxOptions {
  // Interface page
  int WorkMode = 200;
  bool RelayPorts = false;  // port B's selection is shown (two-port modes)
  bool UsbModeSelected = false;
  bool chkSound = false;
  bool chkCTSDSR = true;
  bool chkError = true;

  // Time stamps and side texts
  std::string TimeFmt = "hh:nn:ss";
  bool chkProtZeit = false;      // time at a new line
  bool chkProtZeitDiff = false;  // time difference at a new line
  bool chkProtZeitEnde = false;  // time at the line end (checked and enabled)
  bool chkMs = false;
  bool chkTextBegin = false;
  bool chkTextEnde = false;
  bool DataPageShown = true;  // side texts at the line start only while the page is a tab
  std::string edtTextPC = "> von PC";
  std::string edtTextSPS = "< von SPS";

  // Line rules
  bool chkDatenAend = false;
  bool chkZwPause = false;
  int PauseLimitMs = 0;
  bool chkZeichBegr = false;
  int CharLimit = -1;
  int StopAfterChars = 0;
  bool chkProtWechsel = false;

  // Logs: a port whose data stay out of the online and the raw-data log
  bool chkNoPortA = false;
  bool chkNoPortB = false;

  // Rendering path
  bool chkUsePlugin = false;

  // CAN page and measurements
  std::shared_ptr<const TCanFilter> CanFilter;  // none: every frame shows
  bool UsbTestPageShown = false;                // a lost frame beeps
  std::string DecimalSep = ".";                 // of the frequency line

  // The current code page with the byte flags.
  std::shared_ptr<const TCodeEntries> Codes = DefaultCodeEntries();
};
