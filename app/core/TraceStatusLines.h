// The status lines the front ends add to the trace on their own: the
// periodic date entry and the count of records lost to a full ring. Both
// front ends show them alike, in order with the received text.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

class TReceivePipeline;

// "Alle n Minuten ein Protokolleintrag mit Datum und Uhrzeit": checked once a
// second; the first entry comes at the first check after it is switched on.
class TPeriodicDateEntry {
 public:
  // 0: off.
  void SetMinutes(int minutes) { minutes_ = minutes > 0 ? minutes : 0; }
  int Minutes() const { return minutes_; }
  // The next check writes an entry (switching on, clearing the trace).
  void Arm(double now);
  // The entry's text ("date time: ") when one is due at now; the minute it
  // was written in becomes the reference for the next.
  std::optional<std::string> Check(double now, const std::string& dateFmt, const std::string& timeFmt);
  // Check, and the entry in blue to the trace and the online log.
  void Tick(TReceivePipeline& pipeline, double now, const std::string& dateFmt, const std::string& timeFmt);

 private:
  int minutes_ = 0;
  double nextDateRef_ = 0.0;
};

// "N records lost: the receive ring was full".
std::string LostRecordsText(std::uint64_t lost);
// The green line in the trace and the report (location 2.3).
void ShowLostRecords(TReceivePipeline& pipeline, std::uint64_t lost);
