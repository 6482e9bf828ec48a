// File names of the online and the raw-data log: placeholders, the default
// extension and the two sides of a raw log.
#pragma once

#include <string>
#include <string_view>

#include "core/FileNamePlaceholders.h"

// Whether the name's last part carries an extension of its own. Judged with
// the placeholders taken out, so the dots of an expanded time ("22.37.40")
// never pass for one.
bool LogNameHasExtension(std::string_view name);

// Expands the placeholders with `now`; when the name has no extension,
// appends `defaultExt` (".rtf", ".txt", ".roh"; empty: none).
TExpandedName ExpandLogName(std::string_view name, double now, std::string_view defaultExt);

bool EndsWithNoCase(std::string_view text, std::string_view tail);

// The save dialog's filter for a name: 2 for ".rtf", 3 for ".txt", else the
// one chosen before.
int OnlineLogFilterFor(std::string_view name, int current);

// "[AB]" in a raw log name: side A's file has "A" in its place, side B's "B".
// Without it there is only side A's file (B empty).
struct TRawLogPaths {
  std::string A;
  std::string B;
};
TRawLogPaths SplitRawLogName(std::string_view expanded);
