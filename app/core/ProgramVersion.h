// Program versions as the settings file and the version check compare them:
// "major.minor.build", the build part read as hexadecimal.
#pragma once

#include <optional>
#include <string>
#include <string_view>

struct TProgramVersion {
  int Major = 0;
  int Minor = 0;
  long long Build = 0;
  auto operator<=>(const TProgramVersion&) const = default;
};

// "2.2.2629": major and minor decimal, build hexadecimal (at most 8 digits,
// up to an optional NUL). nullopt when any part is not a number.
std::optional<TProgramVersion> ParseProgramVersion(std::string_view text);

// The version in a stored version text ("V 2.2.2629"): its characters 3 to
// 10. A text that holds no readable version counts as 0.0.0, the version of a
// file that never had one.
TProgramVersion StoredProgramVersion(std::string_view storedText);

// The stored version text names a version older than reference ("2.2.2629").
bool StoredVersionOlderThan(std::string_view storedText, std::string_view reference);
