// The page list of the data-conversion page: the five built-in pages and the
// user pages of the settings file, the selected page rendered into the 256
// code entries, editing of user page texts, and the byte flags (line break,
// start, stop) that belong to the byte values and survive a page change.
// Window-thread object; the receive pipeline gets a copy through RxCodes().
#pragma once

#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/CodePages.h"
#include "core/Colors.h"

class TIniFile;

enum class TCodeEditResult {
  Done,
  NotEditable,  // a built-in page, or no such byte
  NotStorable,  // the text cannot be stored: show text txtCodeNotStorable
};

class TCodePages {
 public:
  // Section and keys in the settings file.
  static constexpr std::string_view kSection = "Codes";
  static constexpr std::string_view kMainSection = "FrmMain";

  explicit TCodePages(TIniFile& ini);

  // Start-up: user page names, the flag strings and the selected page.
  void Load();
  // Close: CodeSeite and the three flag strings into section FrmMain.
  void WriteSettings() const;

  // Items of the page selection.
  const std::vector<std::string>& PageNames() const { return names_; }
  int Selected() const { return selected_; }
  bool UserPageSelected() const { return selected_ >= BuiltInPageCount; }
  // The selected page's own kind, or for a user page its base page.
  int Kind() const { return kind_; }
  // Loads the page (clamped to the list) and keeps the flags.
  void Select(int index);

  const TCodeEntries& Entries() const { return entries_; }
  // The entries as the receive pipeline reads them.
  std::shared_ptr<const TCodeEntries> RxCodes() const;

  // Entries of the code list (and of the start and stop lists).
  std::string Item(int b) const;
  std::vector<std::string> Items() const;
  // A user page entry whose text differs from its base page (drawn red).
  bool ShowsChanged(int b) const;
  // The colour an entry of the code, start or stop list is drawn in.
  TColor ItemColor(int b, bool highlighted, bool listEnabled, TColor normal) const;

  // Editing a text of a user page.
  bool CanEdit(int b) const { return UserPageSelected() && b >= 0 && b < 256; }
  // " (" + base text + ")" after the prompt when the entry was changed.
  std::string EditPromptSuffix(int b) const;
  TCodeEditResult EditText(int b, std::string_view text);

  // The page menu. Each returns false when nothing changed; a failure to
  // store is reported.
  bool NewPage(std::string_view name);
  bool CopyPage(std::string_view name);
  bool DeletePage();

  // Byte flags.
  bool Flag(TByteFlag flag, int b) const;
  bool AnyFlag(TByteFlag flag) const;
  // A check change: the new state for every given byte.
  void SetFlag(TByteFlag flag, std::span<const int> bytes, bool on);
  void SetFlag(TByteFlag flag, int b, bool on);
  // The entries of the set bytes in ascending order (the lists of selected
  // line-break, start and stop characters).
  std::vector<std::string> FlagList(TByteFlag flag) const;
  std::string FlagString(TByteFlag flag) const;
  void SetFlagString(TByteFlag flag, std::string_view flags);

 private:
  int UserPageNumber() const { return selected_ - BuiltInPageCount + 1; }
  int UserPageCount() const { return static_cast<int>(names_.size()) - BuiltInPageCount; }
  void SaveCodes(const std::array<std::string, 256>& texts);
  bool Store(const char* location);
  void CompactStoredPages(const std::vector<int>& kept, int storedCount);

  TIniFile& ini_;
  std::vector<std::string> names_;
  int selected_ = 0;
  int kind_ = cpAscii;
  TCodeEntries entries_;
};
