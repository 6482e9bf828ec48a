// The line-break and logging-window settings of the data-conversion and
// protocol-limit pages: their stored form, how the number fields are read,
// and what the receive pipeline gets from them.
#pragma once

#include <string>
#include <string_view>

class TIniFile;
struct TRxOptions;

struct TLineRuleSettings {
  bool chkDatenAend = false;  // break at a change of direction
  bool chkZeichBegr = false;  // character limit per line
  std::string edZeichBegr = "78";
  bool chkZwPause = false;  // break at a pause
  std::string edZwPause = "0";
  int iStopNachZeichen = 0;  // stop the logging window after so many characters
  bool chkProtWechsel = false;  // end the line where the logging window stops

  void Read(const TIniFile& ini);
  void Write(TIniFile& ini) const;
  // The rule values for the receive pipeline (the flags live in the code
  // entries).
  void ApplyTo(TRxOptions& options) const;
  bool operator==(const TLineRuleSettings&) const = default;
};

// edProtChar: empty gives 0; text that is not a number gives 0 and Valid =
// false (the field is then reset to "0" and the error reported).
struct TProtCharValue {
  int Value = 0;
  bool Valid = true;
};
TProtCharValue ParseProtChar(std::string_view text);
// The whole edProtChar change: the value for StopAfterChars; an invalid
// text is replaced by "0" and reported (location 21).
int ApplyProtCharField(std::string& fieldText);
// edZwPause: empty or not a number gives 0.
int ParsePauseLimit(std::string_view text);
// edZeichBegr: its value while the limit is on and the text is a number,
// otherwise -1 (with the limit on, every byte then ends its line).
int ParseCharLimit(bool limitOn, std::string_view text);

// The status bar's logging state: 1125 "An" or 1126 "Aus".
inline constexpr int txtProtAn = 1125;
inline constexpr int txtProtAus = 1126;
constexpr int ProtStatusText(bool protActive) { return protActive ? txtProtAn : txtProtAus; }
