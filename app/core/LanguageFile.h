// Language.txt: an INI text file of [sections] and key=value lines, kept
// beside the program and read by the settings file's reader, so both follow
// one set of rules: sections and keys ignore ASCII case, a repeated section
// continues the first, the first of a repeated key counts, ";" and "#" lines
// are comments, and a line that is none of these is reported and left out.
// Files written by the older Windows program are Windows-1252, files edited
// on Linux are often UTF-8; every line is read in whichever of the two it is
// valid in, so even a mixed file reads. The file is written back in
// Windows-1252 (so the older program can still read it) unless it held UTF-8
// or holds characters that code page lacks.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class TIniFile;

class TLanguageFile {
 public:
  enum class TState { Missing, Loaded, Unusable };

  // A language file with every language of a large program is well below
  // 1 MB; anything far beyond that is not a language file.
  static constexpr std::uintmax_t MaxSize = 4u << 20;

  explicit TLanguageFile(std::filesystem::path path);
  ~TLanguageFile();
  TLanguageFile(TLanguageFile&&) noexcept;
  TLanguageFile& operator=(TLanguageFile&&) noexcept;

  // Reads the file from disk, replacing what was read before. Problems are
  // reported through ReportError unless quiet. A file that is not text, too
  // large or unreadable becomes Unusable: nothing of it is used and it is
  // never written, so a damaged translation is not overwritten.
  void Load(bool quiet = false);

  TState State() const { return state_; }
  const std::filesystem::path& Path() const { return path_; }

  // Values come back as written (quotes included), trimmed of blanks.
  std::optional<std::string> Read(std::string_view section, std::string_view key) const;
  std::vector<std::pair<std::string, std::string>> ReadSection(std::string_view section) const;

  void Write(std::string_view section, std::string_view key, std::string_view value);
  void EraseSection(std::string_view section);

  // Writes the whole file through a temporary file, so a failed write keeps
  // the old one. Refused for an Unusable or read-only file. On failure the
  // reason goes to error.
  bool Store(std::string* error = nullptr);

 private:
  void Parse(std::string_view bytes, bool quiet);

  std::filesystem::path path_;
  TState state_ = TState::Missing;
  bool utf8_ = false;  // some line was UTF-8 beyond ASCII: stay UTF-8
  bool bom_ = false;
  std::unique_ptr<TIniFile> ini_;
};

// A text in the file's value format: in double quotes, a quote inside
// written twice, a line break written as the two characters \n.
std::string QuoteLanguageText(std::string_view text);

// Back from the value format. A value without its closing quote (a cut-off
// file) loses only the opening one; a value without quotes stands as it is.
std::string UnquoteLanguageText(std::string_view value);

// True for a value that opens a quote and does not close it.
bool LanguageValueUnterminated(std::string_view value);
