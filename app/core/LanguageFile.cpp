#include "core/LanguageFile.h"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <fstream>
#include <iterator>

#include "core/Charsets.h"
#include "core/ErrorReport.h"
#include "core/IniFile.h"

namespace {

constexpr std::string_view ErrorLocation = "1.4";
constexpr std::string_view Utf8Bom = "\xEF\xBB\xBF";

// Nothing when some character has no Windows-1252 byte.
std::optional<std::string> EncodeCp1252(std::string_view s) {
  std::string out;
  if (!Utf8ToCp1252(s, out)) return std::nullopt;
  return out;
}

std::string_view Trim(std::string_view s) {
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return s;
}

bool SameName(std::string_view a, std::string_view b) {
  const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c + 32) : c; };
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [&](char x, char y) { return lower(x) == lower(y); });
}

void Report(const std::filesystem::path& path, const std::string& problem) {
  ReportError(ErrorLocation, path.string() + ": " + problem);
}

}  // namespace

TLanguageFile::TLanguageFile(std::filesystem::path path) : path_(std::move(path)) {}

void TLanguageFile::Load(bool quiet) {
  state_ = TState::Missing;
  utf8_ = bom_ = false;
  preamble_.clear();
  sections_.clear();
  const auto unusable = [&](const std::string& problem) {
    state_ = TState::Unusable;
    if (!quiet) Report(path_, problem + "; user languages are off and the file is left unchanged");
  };

  std::error_code ec;
  const auto status = std::filesystem::status(path_, ec);
  if (!std::filesystem::exists(status)) return;
  if (!std::filesystem::is_regular_file(status)) return unusable("is not a file");
  const std::uintmax_t size = std::filesystem::file_size(path_, ec);
  if (ec) return unusable("cannot be read (" + ec.message() + ")");
  if (size > MaxSize)
    return unusable("is " + std::to_string(size) + " bytes, more than a language file can be (" +
                    std::to_string(MaxSize) + ")");
  std::ifstream in(path_, std::ios::binary);
  if (!in.is_open()) return unusable("cannot be opened for reading");
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (!in.good() && !in.eof()) return unusable("cannot be read");
  if (bytes.find('\0') != std::string::npos)
    return unusable("is not a text file in UTF-8 or Windows-1252 (it holds NUL bytes)");
  Parse(bytes, quiet);
  state_ = TState::Loaded;
}

void TLanguageFile::Parse(std::string_view bytes, bool quiet) {
  if (bytes.starts_with(Utf8Bom)) {
    bytes.remove_prefix(Utf8Bom.size());
    bom_ = utf8_ = true;
  }
  size_t ignored = 0, firstIgnored = 0, lineNumber = 0;
  std::vector<TLine>* target = &preamble_;
  while (!bytes.empty()) {
    const size_t end = bytes.find('\n');
    std::string_view raw = bytes.substr(0, end);
    bytes.remove_prefix(end == std::string_view::npos ? bytes.size() : end + 1);
    ++lineNumber;
    if (raw.ends_with('\r')) raw.remove_suffix(1);
    const bool validUtf8 = IsValidUtf8(raw);
    const std::string line = validUtf8 ? std::string(raw) : Cp1252ToUtf8(raw);
    utf8_ = utf8_ || (validUtf8 && std::any_of(raw.begin(), raw.end(), [](char c) { return (c & 0x80) != 0; }));

    const std::string_view text = Trim(line);
    const size_t close = text.find(']');
    const size_t equals = text.find('=');
    if (text.starts_with('[') && close != std::string_view::npos) {
      sections_.push_back({std::string(Trim(text.substr(1, close - 1))), {}});
      target = &sections_.back().Lines;
    } else if (!text.empty() && !text.starts_with(';') && target != &preamble_ && equals != std::string_view::npos &&
               !Trim(text.substr(0, equals)).empty()) {
      target->push_back({true, std::string(Trim(text.substr(0, equals))), std::string(Trim(text.substr(equals + 1)))});
    } else {
      if (!text.empty() && !text.starts_with(';') && ignored++ == 0) firstIgnored = lineNumber;
      target->push_back({false, {}, line});
    }
  }
  if (ignored > 0 && !quiet)
    Report(path_, std::to_string(ignored) + " line(s) are neither a [section] nor a key=value line of a section (first: line " +
                      std::to_string(firstIgnored) + "); they are kept but not used");
}

const TLanguageFile::TSection* TLanguageFile::FindSection(std::string_view name) const {
  for (const TSection& section : sections_)
    if (SameName(section.Name, name)) return &section;
  return nullptr;
}

std::optional<std::string> TLanguageFile::Read(std::string_view section, std::string_view key) const {
  if (const TSection* found = FindSection(section))
    for (const TLine& line : found->Lines)
      if (line.IsEntry && SameName(line.Key, key)) return line.Value;
  return std::nullopt;
}

std::vector<std::pair<std::string, std::string>> TLanguageFile::ReadSection(std::string_view section) const {
  std::vector<std::pair<std::string, std::string>> values;
  if (const TSection* found = FindSection(section))
    for (const TLine& line : found->Lines)
      if (line.IsEntry) values.emplace_back(line.Key, line.Value);
  return values;
}

void TLanguageFile::Write(std::string_view section, std::string_view key, std::string_view value) {
  auto found = std::find_if(sections_.begin(), sections_.end(), [&](const TSection& s) { return SameName(s.Name, section); });
  if (found == sections_.end()) {
    sections_.push_back({std::string(section), {}});
    found = std::prev(sections_.end());
  }
  std::vector<TLine>& lines = found->Lines;
  for (TLine& line : lines)
    if (line.IsEntry && SameName(line.Key, key)) {
      line.Value = value;
      return;
    }
  // After the section's last entry, so blank lines between sections stay between them.
  auto lastEntry = std::find_if(lines.rbegin(), lines.rend(), [](const TLine& l) { return l.IsEntry; });
  lines.insert(lastEntry.base(), {true, std::string(key), std::string(value)});
}

void TLanguageFile::EraseSection(std::string_view section) {
  std::erase_if(sections_, [&](const TSection& s) { return SameName(s.Name, section); });
}

std::string TLanguageFile::Serialize() const {
  std::string out;
  const auto put = [&](std::string_view a, std::string_view b = {}, std::string_view c = {}) {
    out.append(a).append(b).append(c).append("\r\n");
  };
  for (const TLine& line : preamble_) put(line.Value);
  for (const TSection& section : sections_) {
    put("[", section.Name, "]");
    for (const TLine& line : section.Lines) line.IsEntry ? put(line.Key, "=", line.Value) : put(line.Value);
  }
  return out;
}

bool TLanguageFile::Store(std::string* error) {
  const auto fail = [&](std::string reason) {
    if (error) *error = std::move(reason);
    return false;
  };
  if (state_ == TState::Unusable) return fail("the file could not be read, so it is not overwritten");
  std::error_code ec;
  if (std::filesystem::exists(path_, ec) && ::access(path_.c_str(), W_OK) != 0) return fail("the file is read-only");

  const std::string text = Serialize();
  std::optional<std::string> bytes;
  if (!utf8_) bytes = EncodeCp1252(text);
  if (!bytes) {
    utf8_ = true;
    bytes = bom_ ? std::string(Utf8Bom) + text : text;
  }
  std::string reason;
  if (!ReplaceFileContents(path_.string(), *bytes, reason)) return fail(reason);
  state_ = TState::Loaded;
  return true;
}

std::string QuoteLanguageText(std::string_view text) {
  std::string out = "\"";
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '"') {
      out.append("\"\"");
    } else if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      out.append("\\n");
    } else {
      out.push_back(c);
    }
  }
  out.push_back('"');
  return out;
}

bool LanguageValueUnterminated(std::string_view value) {
  return value.starts_with('"') && (value.size() < 2 || !value.ends_with('"'));
}

std::string UnquoteLanguageText(std::string_view value) {
  if (value.size() >= 2 && value.starts_with('"') && value.ends_with('"')) {
    value = value.substr(1, value.size() - 2);
  } else if (value.starts_with('"')) {
    value.remove_prefix(1);
  }
  std::string out;
  out.reserve(value.size());
  for (size_t i = 0; i < value.size(); ++i) {
    out.push_back(value[i]);
    if (value[i] == '"' && i + 1 < value.size() && value[i + 1] == '"') ++i;
  }
  return out;
}
