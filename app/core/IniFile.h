// The settings file: sections of key=value lines, read completely into memory
// and written back in one piece. Reads files written on Windows (Windows-1252)
// as well as UTF-8, line by line; writes Windows-1252 wherever a line fits, so
// the file stays readable where it is read as Windows-1252, and UTF-8 only
// for lines that need it. Sections and keys are compared without regard to ASCII case.
// All members may be called from any thread.
#pragma once

#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

class TIniFile {
 public:
  static constexpr std::size_t kMaxFileBytes = 16u << 20;
  static constexpr std::size_t kMaxLineBytes = 1u << 20;

  // Reads the file if it exists. A file that exists but cannot be read is
  // never written (ReadOnly). Unreadable lines are skipped; problems are
  // reported through ReportError under reportLocation.
  explicit TIniFile(std::string fileName, std::string reportLocation = "16");
  // An empty file in memory, for parsing text (no file behind it).
  TIniFile();

  const std::string& FileName() const { return fileName_; }
  bool LoadFailed() const;
  int SkippedLines() const;
  // The line number of the first skipped line; 0 when none was.
  int FirstSkippedLine() const;
  // Problems found while reading, one text each.
  std::vector<std::string> Problems() const;
  // Never written: read-only on disk, unreadable, or set by the caller.
  bool ReadOnly() const;
  void SetReadOnly(bool readOnly);

  // Replaces the contents by the parsed bytes; returns the skipped lines.
  int Parse(std::string_view bytes);
  // The file as it would be written.
  std::string Serialize() const;
  // The same lines all in UTF-8, for a caller with an encoding rule of its own.
  std::string SerializeUtf8() const;

  bool SectionExists(std::string_view section) const;
  bool ValueExists(std::string_view section, std::string_view key) const;
  std::vector<std::string> ReadSections() const;
  // The keys of a section in file order.
  std::vector<std::string> ReadSection(std::string_view section) const;

  // The value without surrounding blanks and without one pair of enclosing
  // quotes (' or "), as the Windows reader returns it.
  std::string ReadString(std::string_view section, std::string_view key, std::string_view def) const;
  // The value as stored, quotes included.
  std::string ReadRawString(std::string_view section, std::string_view key, std::string_view def) const;
  // Decimal, or hexadecimal after "$" or "0x"; def when not a number.
  int ReadInteger(std::string_view section, std::string_view key, int def) const;
  // An integer other than 0 is true ("1"/"0" as written).
  bool ReadBool(std::string_view section, std::string_view key, bool def) const;

  // Stores the value so that ReadString returns it unchanged (enclosed in
  // double quotes when it has outer blanks or enclosing quotes). Line breaks
  // and NUL cannot be stored and become blanks.
  void WriteString(std::string_view section, std::string_view key, std::string_view value);
  // Stores the value as given; ReadString then drops its enclosing quotes.
  void WriteRawString(std::string_view section, std::string_view key, std::string_view value);
  void WriteInteger(std::string_view section, std::string_view key, int value);
  void WriteBool(std::string_view section, std::string_view key, bool value);
  void DeleteKey(std::string_view section, std::string_view key);
  void EraseSection(std::string_view section);

  // Writes the file (a temporary file beside it, then renamed over it).
  // False when nothing was written; LastError says why.
  bool UpdateFile();
  // Applies edit to the image in memory and to the file as it is on disk now,
  // then writes the file: what others changed since it was read stays. A
  // missing file starts empty; one that cannot be read is not written.
  bool UpdateKeysInFile(const std::function<void(TIniFile&)>& edit);
  std::string LastError() const;

  // The file exists and may not be written (no write permission bit, or no
  // write access).
  static bool IsReadOnlyFile(const std::string& path);

 private:
  struct TEntry {
    std::string Key;  // empty for a comment line
    std::string Value;  // the comment text for a comment line
  };
  struct TSection {
    std::string Name;
    std::vector<TEntry> Entries;
  };

  int ParseLocked(std::string_view bytes);
  std::string SerializeLocked(bool encodeLines = true) const;
  bool WritableLocked();
  void ParseLine(std::string_view raw, int lineNumber, TSection*& current, int& skipped, int& firstSkipped);
  TSection* FindSection(std::string_view name);
  const TSection* FindSection(std::string_view name) const;
  const TEntry* FindEntry(std::string_view section, std::string_view key) const;
  void Store(std::string_view section, std::string_view key, std::string value);
  bool WriteFileLocked(const std::string& bytes);

  mutable std::mutex lock_;
  std::string fileName_;
  std::vector<TEntry> preamble_;  // comments before the first section
  std::vector<TSection> sections_;
  std::vector<std::string> problems_;
  int skipped_ = 0;
  int firstSkipped_ = 0;
  bool loadFailed_ = false;
  bool readOnly_ = false;
  std::string lastError_;
};

// Replaces the file's contents through a temporary file of its own beside
// it, flushed and given the old file's mode before it is renamed over it; a
// symbolic link's target is replaced. False with error set when nothing changed.
bool ReplaceFileContents(const std::string& fileName, const std::string& bytes, std::string& error);
