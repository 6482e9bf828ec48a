#include "core/LineRuleSettings.h"

#include <charconv>

#include "core/ErrorReport.h"
#include "core/IniFile.h"
#include "core/RxOptions.h"

namespace {

constexpr std::string_view kSection = "FrmMain";

// A decimal number with an optional sign and blanks around it.
bool ParseDecimal(std::string_view text, int& value) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty()) return false;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return ec == std::errc() && end == text.data() + text.size();
}

bool IsEmpty(std::string_view text) { return text.find_first_not_of(' ') == std::string_view::npos; }

}  // namespace

void TLineRuleSettings::Read(const TIniFile& ini) {
  chkDatenAend = ini.ReadBool(kSection, "chkDatenAend_Checked", false);
  chkZeichBegr = ini.ReadBool(kSection, "chkZeichBegr_Checked", false);
  edZeichBegr = ini.ReadString(kSection, "edZeichBegr_Text", "78");
  chkZwPause = ini.ReadBool(kSection, "chkZwPause_Checked", false);
  edZwPause = ini.ReadString(kSection, "edZwPause_Text", "0");
  iStopNachZeichen = ini.ReadInteger(kSection, "iStopNachZeichen", 0);
  chkProtWechsel = ini.ReadBool(kSection, "chkProtWechsel_Checked", false);
}

void TLineRuleSettings::Write(TIniFile& ini) const {
  ini.WriteBool(kSection, "chkDatenAend_Checked", chkDatenAend);
  ini.WriteBool(kSection, "chkZeichBegr_Checked", chkZeichBegr);
  ini.WriteString(kSection, "edZeichBegr_Text", edZeichBegr);
  ini.WriteBool(kSection, "chkZwPause_Checked", chkZwPause);
  ini.WriteString(kSection, "edZwPause_Text", edZwPause);
  ini.WriteInteger(kSection, "iStopNachZeichen", iStopNachZeichen);
  ini.WriteBool(kSection, "chkProtWechsel_Checked", chkProtWechsel);
}

void TLineRuleSettings::ApplyTo(TRxOptions& options) const {
  options.chkDatenAend = chkDatenAend;
  options.chkZwPause = chkZwPause;
  options.PauseLimitMs = ParsePauseLimit(edZwPause);
  options.chkZeichBegr = chkZeichBegr;
  options.CharLimit = ParseCharLimit(chkZeichBegr, edZeichBegr);
  options.StopAfterChars = iStopNachZeichen;
  options.chkProtWechsel = chkProtWechsel;
}

TProtCharValue ParseProtChar(std::string_view text) {
  TProtCharValue result;
  if (IsEmpty(text)) return result;
  result.Valid = ParseDecimal(text, result.Value);
  if (!result.Valid) result.Value = 0;
  return result;
}

int ApplyProtCharField(std::string& fieldText) {
  const TProtCharValue parsed = ParseProtChar(fieldText);
  if (!parsed.Valid) {
    std::string message;
    message.reserve(fieldText.size() + 32);
    message.append("'").append(fieldText).append("' is not a valid integer value");
    ReportError("21", message);
    fieldText.assign(1, '0');
  }
  return parsed.Value;
}

int ParsePauseLimit(std::string_view text) {
  int value = 0;
  return ParseDecimal(text, value) ? value : 0;
}

int ParseCharLimit(bool limitOn, std::string_view text) {
  int value = 0;
  return limitOn && ParseDecimal(text, value) ? value : -1;
}
