#include "core/Measurement.h"

#include <langinfo.h>
#include <locale.h>

#include <algorithm>
#include <charconv>
#include <cstdio>

std::uint32_t MeasurementValue(const TSeriellData& r) {
  return static_cast<std::uint32_t>(r.Data[1]) << 16 | static_cast<std::uint32_t>(r.Data[2]) << 8 | r.Data[3];
}

std::string FrequencyText(const TSeriellData& r, std::string_view decimalSep) {
  const std::uint32_t n = MeasurementValue(r);
  const double hz = static_cast<double>(n) / (r.Data[4] == 0 ? 1 : r.Data[4]);
  char number[64];
  std::snprintf(number, sizeof number, "%.3f", hz);
  std::string text = "Hz: ";
  for (const char* c = number; *c != 0; ++c) {
    if (*c == '.')
      text += decimalSep;
    else
      text += *c;
  }
  return text + "  Count: " + std::to_string(n);
}

std::string BaudRateText(const TSeriellData& r) {
  const std::uint32_t n = MeasurementValue(r);
  if (n == kNoBaudResult) return {};
  return "SS: " + std::to_string(n) + " Baud";
}

std::uint8_t FqInputCode(int itemIndex) {
  static constexpr std::uint8_t kCodes[] = {2, 3, 0, 1};
  return itemIndex >= 0 && itemIndex < 4 ? kCodes[itemIndex] : 2;
}

int FqCycle(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  long long value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || ec == std::errc::invalid_argument || end != text.data() + text.size()) return 1;
  if (ec == std::errc::result_out_of_range) return text.front() == '-' ? 1 : 255;
  return static_cast<int>(std::clamp<long long>(value, 1, 255));
}

std::string SystemDecimalSeparator() {
  locale_t loc = newlocale(LC_NUMERIC_MASK, "", static_cast<locale_t>(0));
  if (loc == static_cast<locale_t>(0)) return ".";
  std::string sep = nl_langinfo_l(RADIXCHAR, loc);
  freelocale(loc);
  return sep.empty() ? "." : sep;
}
