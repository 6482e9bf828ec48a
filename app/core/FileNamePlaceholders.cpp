#include "core/FileNamePlaceholders.h"

#include <cctype>

#include "core/DateTime.h"

namespace {

std::string Upper(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

// Replaces every occurrence of token (upper case) in name, ignoring case.
bool ReplaceAll(std::string& name, std::string_view token, std::string_view by) {
  bool replaced = false;
  std::string upper = Upper(name);
  std::size_t at = 0;
  while ((at = upper.find(token, at)) != std::string::npos) {
    name.replace(at, token.size(), by);
    upper.replace(at, token.size(), Upper(by));
    at += by.size();
    replaced = true;
  }
  return replaced;
}

}  // namespace

TExpandedName ExpandFileNamePlaceholders(std::string_view name, double now) {
  TExpandedName result;
  result.Name = std::string(name);
  ReplaceAll(result.Name, "[DATE][TIME]", "[DATETIME]");
  if (ReplaceAll(result.Name, "[DATETIME]", FormatDateTime("yy-mm-dd hh.nn.ss", now))) result.Kind = nkDateTime;
  if (ReplaceAll(result.Name, "[DATE]", FormatDateTime("yy-mm-dd", now))) result.Kind = nkDate;
  if (ReplaceAll(result.Name, "[TIME]", FormatDateTime("hh.nn.ss", now))) result.Kind = nkTime;
  return result;
}
