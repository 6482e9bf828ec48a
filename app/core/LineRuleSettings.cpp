#include "core/LineRuleSettings.h"

#include <charconv>

#include "core/ErrorReport.h"
#include "core/IniFile.h"
#include "core/RxOptions.h"
#include "core/SettingKeys.h"

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

constexpr TSettingKey<TLineRuleSettings> kLineRuleKeys[] = {
    {"chkDatenAend_Checked", &TLineRuleSettings::chkDatenAend},
    {"chkZeichBegr_Checked", &TLineRuleSettings::chkZeichBegr},
    {"edZeichBegr_Text", &TLineRuleSettings::edZeichBegr},
    {"chkZwPause_Checked", &TLineRuleSettings::chkZwPause},
    {"edZwPause_Text", &TLineRuleSettings::edZwPause},
    {"iStopNachZeichen", &TLineRuleSettings::iStopNachZeichen},
    {"chkProtWechsel_Checked", &TLineRuleSettings::chkProtWechsel},
};

}  // namespace

// Through the key table: a bad or oversized value keeps its default and is reported.
void TLineRuleSettings::Read(const TIniFile& ini) {
  *this = TLineRuleSettings{};
  ReadKeys<TLineRuleSettings>(ini, kSection, kLineRuleKeys, *this);
}

void TLineRuleSettings::Write(TIniFile& ini) const {
  WriteKeys<TLineRuleSettings>(ini, kSection, kLineRuleKeys, *this);
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
