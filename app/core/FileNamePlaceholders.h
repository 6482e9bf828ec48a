// "[DATE]", "[TIME]" and "[DATETIME]" in file names of saves and logs.
#pragma once

#include <string>
#include <string_view>

enum TNameKind { nkNone = 0, nkTime = 1, nkDate = 2, nkDateTime = 3 };

struct TExpandedName {
  std::string Name;
  TNameKind Kind = nkNone;
};

// Replaces every placeholder (any case) with the date-time `now`:
// "[DATE][TIME]" first becomes "[DATETIME]", then "[DATETIME]" becomes
// "yy-mm-dd hh.nn.ss", "[DATE]" "yy-mm-dd", "[TIME]" "hh.nn.ss". The kind is
// that of the last placeholder replaced.
TExpandedName ExpandFileNamePlaceholders(std::string_view name, double now);
