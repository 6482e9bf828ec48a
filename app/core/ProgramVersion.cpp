#include "core/ProgramVersion.h"

#include <charconv>

namespace {

bool ParseDecimal(std::string_view text, int& value) {
  if (text.empty()) return false;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return ec == std::errc() && end == text.data() + text.size() && value >= 0;
}

bool ParseHex(std::string_view text, long long& value) {
  text = text.substr(0, text.find('\0'));
  if (text.empty() || text.size() > 8) return false;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
  return ec == std::errc() && end == text.data() + text.size() && value >= 0;
}

}  // namespace

std::optional<TProgramVersion> ParseProgramVersion(std::string_view text) {
  const std::size_t first = text.find('.');
  if (first == std::string_view::npos) return std::nullopt;
  const std::size_t second = text.find('.', first + 1);
  if (second == std::string_view::npos) return std::nullopt;
  TProgramVersion v;
  if (!ParseDecimal(text.substr(0, first), v.Major)) return std::nullopt;
  if (!ParseDecimal(text.substr(first + 1, second - first - 1), v.Minor)) return std::nullopt;
  if (!ParseHex(text.substr(second + 1), v.Build)) return std::nullopt;
  return v;
}

TProgramVersion StoredProgramVersion(std::string_view storedText) {
  if (storedText.size() < 3) return {};
  return ParseProgramVersion(storedText.substr(2, 8)).value_or(TProgramVersion{});
}

bool StoredVersionOlderThan(std::string_view storedText, std::string_view reference) {
  const auto ref = ParseProgramVersion(reference);
  return ref && StoredProgramVersion(storedText) < *ref;
}
