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

// Some line is valid UTF-8 with a character beyond ASCII.
bool HoldsUtf8(std::string_view bytes) {
  while (!bytes.empty()) {
    const size_t end = bytes.find('\n');
    const std::string_view line = bytes.substr(0, end);
    bytes.remove_prefix(end == std::string_view::npos ? bytes.size() : end + 1);
    if (std::any_of(line.begin(), line.end(), [](char c) { return (c & 0x80) != 0; }) && IsValidUtf8(line))
      return true;
  }
  return false;
}

void Report(const std::filesystem::path& path, const std::string& problem) {
  ReportError(ErrorLocation, path.string() + ": " + problem);
}

}  // namespace

TLanguageFile::TLanguageFile(std::filesystem::path path)
    : path_(std::move(path)), ini_(std::make_unique<TIniFile>()) {}
TLanguageFile::~TLanguageFile() = default;
TLanguageFile::TLanguageFile(TLanguageFile&&) noexcept = default;
TLanguageFile& TLanguageFile::operator=(TLanguageFile&&) noexcept = default;

void TLanguageFile::Load(bool quiet) {
  state_ = TState::Missing;
  utf8_ = bom_ = false;
  ini_->Parse({});
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
    bom_ = true;
  }
  utf8_ = bom_ || HoldsUtf8(bytes);
  const int skipped = ini_->Parse(bytes);
  if (skipped > 0 && !quiet)
    Report(path_, std::to_string(skipped) + " line(s) are neither a [section] nor a key=value line of a section (first: line " +
                      std::to_string(ini_->FirstSkippedLine()) + "); they are not used and are left out when the file is written");
}

std::optional<std::string> TLanguageFile::Read(std::string_view section, std::string_view key) const {
  if (!ini_->ValueExists(section, key)) return std::nullopt;
  return ini_->ReadRawString(section, key, "");
}

std::vector<std::pair<std::string, std::string>> TLanguageFile::ReadSection(std::string_view section) const {
  std::vector<std::pair<std::string, std::string>> values;
  for (std::string& key : ini_->ReadSection(section)) {
    std::string value = ini_->ReadRawString(section, key, "");
    values.emplace_back(std::move(key), std::move(value));
  }
  return values;
}

void TLanguageFile::Write(std::string_view section, std::string_view key, std::string_view value) {
  ini_->WriteRawString(section, key, value);
}

void TLanguageFile::EraseSection(std::string_view section) { ini_->EraseSection(section); }

bool TLanguageFile::Store(std::string* error) {
  const auto fail = [&](std::string reason) {
    if (error) *error = std::move(reason);
    return false;
  };
  if (state_ == TState::Unusable) return fail("the file could not be read, so it is not overwritten");
  std::error_code ec;
  if (std::filesystem::exists(path_, ec) && ::access(path_.c_str(), W_OK) != 0) return fail("the file is read-only");

  const std::string text = ini_->SerializeUtf8();
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
