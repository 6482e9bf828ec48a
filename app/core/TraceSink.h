// Where rendered text goes: the trace (pane or terminal) and the online log.
#pragma once

#include <chrono>
#include <cstddef>
#include <string_view>
#include <thread>

#include "core/Colors.h"

class TTraceSink {
 public:
  virtual ~TTraceSink() = default;
  // One run of one colour, appended at the end of the trace.
  virtual void AppendText(std::string_view text, TColor color) = 0;
  // Whether the trace's last line is empty, counting text not yet shown.
  virtual bool LastLineEmpty() const = 0;
  // The trace is cleared here, in order with the runs around it.
  virtual void ClearTrace() {}
};

class TStreamSink {
 public:
  virtual ~TStreamSink() = default;
  virtual void WriteStreamData(std::string_view text, TColor color) = 0;
};

// The received bytes themselves, side A (PC) and side B (SPS) apart.
class TRawSink {
 public:
  virtual ~TRawSink() = default;
  virtual void WriteStreamDataRoh(std::string_view bytesA, std::string_view bytesB) = 0;
};

// A port the relay and the send routine hand bytes to (single-entry slot).
class TTxPort {
 public:
  virtual ~TTxPort() = default;
  virtual bool CanAddTxOut() const = 0;
  virtual void AddTxOut(const std::string_view data) = 0;
  // Bytes handed in and not written yet; the relay drops rather than let
  // this grow without bound. A port that cannot tell says 0.
  virtual std::size_t TxWaiting() const { return 0; }
  // Waits at most timeout for the slot to be free; true when it is. A port
  // that can tell when its slot frees overrides this, so that a relay of
  // single bytes is not held to one byte per polling step.
  virtual bool WaitCanAddTxOut(std::chrono::milliseconds timeout) {
    if (CanAddTxOut()) return true;
    std::this_thread::sleep_for(timeout);
    return CanAddTxOut();
  }
};
