// The selected language and the text lookup. Every caption, hint, list item
// and message is a numbered text: the program's own table carries German,
// English, Danish, Dutch and French (TextTable.h); Language.txt beside the
// program carries further languages in sections "6000", "7000", …, each with
// the language's name under key "1". A user language that lacks a text shows
// the English one, and that text is added to its section so a translator
// finds every missing text in the file.
//
// At window creation: BuildLanguageList, KeepFileUpToDate, then select
// StartIndex (the language choice's click runs Select). At close:
// KeepFileUpToDate again. Every member may be called from any thread.
#pragma once

#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class TLanguage {
 public:
  TLanguage(std::filesystem::path languageFile, std::string runningVersion);

  // The text of id. With useLanguage a German id (below 2000) is taken from
  // the selected language. The two characters \n in a text come back as a
  // line break ('\n'). Empty when no language has the text.
  std::string GetText(int id, bool useLanguage = true);

  // Fills and returns the items of the language choice: the built-in
  // languages, then the user languages of Language.txt in section order.
  // When the file was written by another program version, user languages
  // that sit where a built-in language is now are moved up first.
  std::vector<std::string> BuildLanguageList();
  std::vector<std::string> Items() const;

  // The item to select at start: storedSprache when it names an item,
  // otherwise the one for localeCode (see LocaleLanguageCode): German,
  // Dutch, Danish or French, anything else English.
  int StartIndex(int storedSprache, std::string_view localeCode) const;

  // Makes item index the selected language; a user language is (re)read
  // from its section of Language.txt. Returns the block offset index × 1000
  // with which the texts are applied to the window.
  int Select(int index);
  int ItemIndex() const;  // −2 until a language is selected

  // Writes the built-in languages into Language.txt as templates when the
  // file is new or was written by another program version. Skipped while
  // the settings file is read-only; a failure to store is not reported.
  void KeepFileUpToDate(bool iniReadOnly);

  // Points the lookup at another Language.txt and forgets the language list
  // and the selection.
  void SetFile(std::filesystem::path languageFile);
  std::filesystem::path File() const;

  // "V major.minor.build", as the program shows and stores its version.
  static std::string RunningVersion();
  // Language.txt beside the program, or for an installed program in the
  // user's configuration folder (see InstallPaths.h).
  static std::filesystem::path DefaultFilePath();

 private:
  struct TUserLanguage {
    int Block = 0;                     // section number, 6000, 7000, …
    std::map<int, std::string> Texts;  // r → value as in the file (quoted)
  };

  std::string UserText(int id);
  void AddMissingTexts(TUserLanguage& user);

  mutable std::mutex lock_;
  std::filesystem::path file_;
  const std::string version_;
  std::vector<std::string> items_;
  int itemIndex_ = -2;
  std::optional<TUserLanguage> user_;
  bool addingFailed_ = false;  // reported once; later missing texts are not written
};

// The language the program uses, with Language.txt beside the program.
TLanguage& ProgramLanguage();

// GetText of the program's language.
std::string GetText(int id, bool useLanguage = true);
