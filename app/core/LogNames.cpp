#include "core/LogNames.h"

#include <cctype>

namespace {

char Upper(char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); }

std::size_t FindNoCase(std::string_view text, std::string_view token, std::size_t from = 0) {
  if (token.size() > text.size()) return std::string_view::npos;
  for (std::size_t at = from; at + token.size() <= text.size(); ++at) {
    bool same = true;
    for (std::size_t i = 0; i < token.size() && same; ++i) same = Upper(text[at + i]) == Upper(token[i]);
    if (same) return at;
  }
  return std::string_view::npos;
}

std::string WithoutToken(std::string text, std::string_view token) {
  std::size_t at;
  while ((at = FindNoCase(text, token)) != std::string::npos) text.erase(at, token.size());
  return text;
}

}  // namespace

bool EndsWithNoCase(std::string_view text, std::string_view tail) {
  return text.size() >= tail.size() && FindNoCase(text.substr(text.size() - tail.size()), tail) == 0;
}

bool LogNameHasExtension(std::string_view name) {
  std::string last(name.substr(name.find_last_of('/') == std::string_view::npos ? 0 : name.find_last_of('/') + 1));
  for (std::string_view token : {"[DATETIME]", "[DATE]", "[TIME]", "[AB]"}) last = WithoutToken(last, token);
  return last.find('.') != std::string::npos;
}

TExpandedName ExpandLogName(std::string_view name, double now, std::string_view defaultExt) {
  TExpandedName expanded = ExpandFileNamePlaceholders(name, now);
  if (!defaultExt.empty() && !LogNameHasExtension(name)) expanded.Name.append(defaultExt);
  return expanded;
}

int OnlineLogFilterFor(std::string_view name, int current) {
  if (EndsWithNoCase(name, ".rtf")) return 2;
  if (EndsWithNoCase(name, ".txt")) return 3;
  return current;
}

TRawLogPaths SplitRawLogName(std::string_view expanded) {
  TRawLogPaths paths;
  const std::size_t at = FindNoCase(expanded, "[AB]");
  if (at == std::string_view::npos) {
    paths.A = std::string(expanded);
    return paths;
  }
  for (const char side : {'A', 'B'}) {
    std::string path(expanded);
    std::size_t pos;
    while ((pos = FindNoCase(path, "[AB]")) != std::string::npos) path.replace(pos, 4, 1, side);
    (side == 'A' ? paths.A : paths.B) = std::move(path);
  }
  return paths;
}
