#include "core/IniFile.h"

#include <cerrno>
#include <charconv>
#include <cstring>

#include "core/Charsets.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

bool SameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

bool EnclosedInQuotes(std::string_view v) {
  return v.size() >= 2 && (v.front() == '\'' || v.front() == '"') && v.back() == v.front();
}

// A line as the file holds it: Windows-1252 when every character fits and
// the bytes cannot be mistaken for UTF-8, otherwise UTF-8.
void AppendEncodedLine(std::string& out, std::string_view line) {
  std::string cp1252;
  if (Utf8ToCp1252(line, cp1252)) {
    bool ascii = true;
    for (const char c : cp1252) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    if (ascii || !IsValidUtf8(cp1252)) {
      out += cp1252;
      out += "\r\n";
      return;
    }
  }
  out += line;
  out += "\r\n";
}

}  // namespace

TIniFile::TIniFile() = default;

bool TIniFile::LoadFailed() const {
  std::lock_guard lock(lock_);
  return loadFailed_;
}

int TIniFile::SkippedLines() const {
  std::lock_guard lock(lock_);
  return skipped_;
}

int TIniFile::FirstSkippedLine() const {
  std::lock_guard lock(lock_);
  return firstSkipped_;
}

std::vector<std::string> TIniFile::Problems() const {
  std::lock_guard lock(lock_);
  return problems_;
}

bool TIniFile::ReadOnly() const {
  std::lock_guard lock(lock_);
  return readOnly_;
}

void TIniFile::SetReadOnly(bool readOnly) {
  std::lock_guard lock(lock_);
  // A file that could not be read stays protected.
  readOnly_ = readOnly || loadFailed_;
}

int TIniFile::Parse(std::string_view bytes) {
  std::lock_guard lock(lock_);
  return ParseLocked(bytes);
}

int TIniFile::ParseLocked(std::string_view bytes) {
  preamble_.clear();
  sections_.clear();
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
  TSection* current = nullptr;
  int skipped = 0, firstSkipped = 0, lineNumber = 0;
  std::size_t pos = 0;
  while (pos < bytes.size()) {
    std::size_t end = bytes.find_first_of("\r\n", pos);
    if (end == std::string_view::npos) end = bytes.size();
    ParseLine(bytes.substr(pos, end - pos), ++lineNumber, current, skipped, firstSkipped);
    pos = end;
    if (pos < bytes.size() && bytes[pos] == '\r') ++pos;
    if (pos < bytes.size() && bytes[pos] == '\n') ++pos;
  }
  skipped_ = skipped;
  firstSkipped_ = firstSkipped;
  if (skipped > 0)
    problems_.push_back(std::to_string(skipped) + " unreadable line(s) skipped, the first is line " +
                        std::to_string(firstSkipped));
  return skipped;
}

void TIniFile::ParseLine(std::string_view raw, int lineNumber, TSection*& current, int& skipped,
                         int& firstSkipped) {
  const auto skip = [&] {
    if (skipped++ == 0) firstSkipped = lineNumber;
  };
  if (raw.size() > kMaxLineBytes) return skip();
  for (const char c : raw)
    if (static_cast<unsigned char>(c) < 0x20 && c != '\t') return skip();
  const std::string decoded = IsValidUtf8(raw) ? std::string(raw) : Cp1252ToUtf8(raw);
  const std::string_view line = Trim(decoded);
  if (line.empty()) return;
  if (line.front() == ';' || line.front() == '#') {
    (current ? current->Entries : preamble_).push_back({std::string(), std::string(line)});
    return;
  }
  if (line.front() == '[') {
    const std::size_t close = line.find(']');
    const std::string_view name = close == std::string_view::npos ? std::string_view() : Trim(line.substr(1, close - 1));
    if (name.empty()) return skip();
    current = FindSection(name);
    if (!current) current = &sections_.emplace_back(TSection{std::string(name), {}});
    return;
  }
  const std::size_t eq = line.find('=');
  if (current == nullptr || eq == std::string_view::npos) return skip();
  const std::string_view key = Trim(line.substr(0, eq));
  if (key.empty()) return skip();
  for (const TEntry& e : current->Entries)
    if (!e.Key.empty() && SameText(e.Key, key)) return;  // the first of a repeated key counts
  current->Entries.push_back({std::string(key), std::string(Trim(line.substr(eq + 1)))});
}

std::string TIniFile::Serialize() const {
  std::lock_guard lock(lock_);
  return SerializeLocked();
}

std::string TIniFile::SerializeUtf8() const {
  std::lock_guard lock(lock_);
  return SerializeLocked(false);
}

std::string TIniFile::SerializeLocked(bool encodeLines) const {
  std::string out;
  const auto put = [&](std::string_view line) {
    if (encodeLines) return AppendEncodedLine(out, line);
    out.append(line).append("\r\n");
  };
  for (const TEntry& e : preamble_) put(e.Value);
  bool first = preamble_.empty();
  for (const TSection& s : sections_) {
    if (!first) out += "\r\n";
    first = false;
    put("[" + s.Name + "]");
    for (const TEntry& e : s.Entries) put(e.Key.empty() ? e.Value : e.Key + "=" + e.Value);
  }
  return out;
}

TIniFile::TSection* TIniFile::FindSection(std::string_view name) {
  for (TSection& s : sections_)
    if (SameText(s.Name, name)) return &s;
  return nullptr;
}

const TIniFile::TSection* TIniFile::FindSection(std::string_view name) const {
  for (const TSection& s : sections_)
    if (SameText(s.Name, name)) return &s;
  return nullptr;
}

const TIniFile::TEntry* TIniFile::FindEntry(std::string_view section, std::string_view key) const {
  const TSection* s = FindSection(section);
  if (!s) return nullptr;
  for (const TEntry& e : s->Entries)
    if (!e.Key.empty() && SameText(e.Key, key)) return &e;
  return nullptr;
}

bool TIniFile::SectionExists(std::string_view section) const {
  std::lock_guard lock(lock_);
  return FindSection(section) != nullptr;
}

bool TIniFile::ValueExists(std::string_view section, std::string_view key) const {
  std::lock_guard lock(lock_);
  return FindEntry(section, key) != nullptr;
}

std::vector<std::string> TIniFile::ReadSections() const {
  std::lock_guard lock(lock_);
  std::vector<std::string> names;
  for (const TSection& s : sections_) names.push_back(s.Name);
  return names;
}

std::vector<std::string> TIniFile::ReadSection(std::string_view section) const {
  std::lock_guard lock(lock_);
  std::vector<std::string> keys;
  if (const TSection* s = FindSection(section))
    for (const TEntry& e : s->Entries)
      if (!e.Key.empty()) keys.push_back(e.Key);
  return keys;
}

std::string TIniFile::ReadRawString(std::string_view section, std::string_view key, std::string_view def) const {
  std::lock_guard lock(lock_);
  const TEntry* e = FindEntry(section, key);
  return e ? e->Value : std::string(def);
}

std::string TIniFile::ReadString(std::string_view section, std::string_view key, std::string_view def) const {
  std::lock_guard lock(lock_);
  const TEntry* e = FindEntry(section, key);
  if (!e) return std::string(def);
  std::string_view v = e->Value;
  if (EnclosedInQuotes(v)) v = v.substr(1, v.size() - 2);
  return std::string(v);
}

int TIniFile::ReadInteger(std::string_view section, std::string_view key, int def) const {
  const std::string text = ReadString(section, key, "");
  std::string_view s = Trim(text);
  bool negative = false;
  if (!s.empty() && (s.front() == '-' || s.front() == '+')) {
    negative = s.front() == '-';
    s.remove_prefix(1);
  }
  int base = 10;
  if (!s.empty() && s.front() == '$') {
    base = 16;
    s.remove_prefix(1);
  } else if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
    base = 16;
    s.remove_prefix(2);
  }
  if (s.empty()) return def;
  long long value = 0;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value, base);
  if (ec != std::errc() || end != s.data() + s.size()) return def;
  if (negative) value = -value;
  // Hexadecimal may spell a negative 32-bit value ($FFFFFFFF).
  if (base == 16 && value > 0x7FFFFFFFLL && value <= 0xFFFFFFFFLL) value -= 0x100000000LL;
  if (value < -2147483648LL || value > 2147483647LL) return def;
  return static_cast<int>(value);
}

bool TIniFile::ReadBool(std::string_view section, std::string_view key, bool def) const {
  return ReadInteger(section, key, def ? 1 : 0) != 0;
}

void TIniFile::Store(std::string_view section, std::string_view key, std::string value) {
  std::lock_guard lock(lock_);
  TSection* s = FindSection(section);
  if (!s) s = &sections_.emplace_back(TSection{std::string(Trim(section)), {}});
  for (TEntry& e : s->Entries)
    if (!e.Key.empty() && SameText(e.Key, key)) {
      e.Value = std::move(value);
      return;
    }
  s->Entries.push_back({std::string(Trim(key)), std::move(value)});
}

void TIniFile::WriteRawString(std::string_view section, std::string_view key, std::string_view value) {
  std::string v(value);
  for (char& c : v)
    if (c == '\r' || c == '\n' || c == '\0') c = ' ';
  Store(section, key, std::move(v));
}

void TIniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  std::string v(value);
  for (char& c : v)
    if (c == '\r' || c == '\n' || c == '\0') c = ' ';
  const bool outerBlank = !v.empty() && (IsBlank(v.front()) || IsBlank(v.back()));
  if (outerBlank || EnclosedInQuotes(v)) v = "\"" + v + "\"";
  Store(section, key, std::move(v));
}

void TIniFile::WriteInteger(std::string_view section, std::string_view key, int value) {
  Store(section, key, std::to_string(value));
}

void TIniFile::WriteBool(std::string_view section, std::string_view key, bool value) {
  Store(section, key, value ? "1" : "0");
}

void TIniFile::DeleteKey(std::string_view section, std::string_view key) {
  std::lock_guard lock(lock_);
  TSection* s = FindSection(section);
  if (!s) return;
  std::erase_if(s->Entries, [&](const TEntry& e) { return !e.Key.empty() && SameText(e.Key, key); });
}

void TIniFile::EraseSection(std::string_view section) {
  std::lock_guard lock(lock_);
  std::erase_if(sections_, [&](const TSection& s) { return SameText(s.Name, section); });
}

std::string TIniFile::LastError() const {
  std::lock_guard lock(lock_);
  return lastError_;
}
