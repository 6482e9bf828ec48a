// The language list and the upkeep of Language.txt.
#include <algorithm>
#include <string>

#include "core/ErrorReport.h"
#include "core/Language.h"
#include "core/LanguageFile.h"
#include "core/TextTable.h"

namespace {

// ASCII and the Latin-1 letters (À … Þ as UTF-8), enough for language names.
std::string FoldCase(std::string_view text) {
  std::string out(text);
  for (size_t i = 0; i < out.size(); ++i) {
    auto c = static_cast<unsigned char>(out[i]);
    if (c >= 'A' && c <= 'Z') out[i] = static_cast<char>(c + 32);
    if (c == 0xC3 && i + 1 < out.size()) {
      auto next = static_cast<unsigned char>(out[i + 1]);
      if (next >= 0x80 && next <= 0x9E && next != 0x97) out[i + 1] = static_cast<char>(next + 0x20);
      ++i;
    }
  }
  return out;
}

std::string Section(int block) { return std::to_string(block); }

// The language name (text 1) of a section, empty when it has none.
std::string NameOfSection(const TLanguageFile& file, int block) {
  const auto value = file.Read(Section(block), "1");
  return value ? UnquoteLanguageText(*value) : std::string();
}

std::vector<std::string> BuiltInNames() {
  std::vector<std::string> names;
  for (int block = TextBlockSize;; block += TextBlockSize) {
    const std::string_view name = BuiltInText(block + 1);
    if (name.empty()) return names;
    names.emplace_back(name);
  }
}

// Moves the chain of user languages from block k − 1 on up by one block.
// Keys the moved sections lack get the English text, as a translator needs it.
void ShiftSections(TLanguageFile& file, int k) {
  std::vector<int> chain;
  for (int block = k - 1; !NameOfSection(file, block).empty(); block += TextBlockSize) chain.push_back(block);
  for (auto from = chain.rbegin(); from != chain.rend(); ++from) {
    const std::vector<std::pair<std::string, std::string>> values = file.ReadSection(Section(*from));
    const int to = *from + TextBlockSize;
    file.EraseSection(Section(to));
    for (int r = 1; r < TextBlockSize; ++r) {
      const std::string key = std::to_string(r);
      const auto found = std::find_if(values.begin(), values.end(), [&](const auto& kv) { return kv.first == key; });
      if (found != values.end()) {
        file.Write(Section(to), key, found->second);
      } else if (const std::string_view english = BuiltInText(2 * TextBlockSize + r); !english.empty()) {
        file.Write(Section(to), key, QuoteLanguageText(english));
      }
    }
    file.EraseSection(Section(*from));
  }
}

// A user language whose section a built-in language now claims (the file was
// written by an older program with fewer languages) moves up. Every built-in
// block is checked, not only the first ones: a template of a language that
// was built in before sits in front of the user languages and must not end
// the search, or the user language would be overwritten by the upkeep.
bool MoveUserLanguages(TLanguageFile& file) {
  bool moved = false;
  for (int k = 3 * TextBlockSize + 1;; k += TextBlockSize) {
    const std::string_view builtIn = BuiltInText(k);
    if (builtIn.empty()) return moved;
    const std::string name = NameOfSection(file, k - 1);
    if (name.empty() || FoldCase(name) == FoldCase(builtIn)) continue;
    ShiftSections(file, k);
    moved = true;
  }
}

bool WrittenByThisVersion(const TLanguageFile& file, const std::string& version) {
  return file.Read("Programm", "Version").value_or("") == version;
}

}  // namespace

std::vector<std::string> TLanguage::BuildLanguageList() {
  std::lock_guard guard(lock_);
  items_ = BuiltInNames();
  TLanguageFile file(file_);
  file.Load();
  if (file.State() != TLanguageFile::TState::Loaded) return items_;

  if (!WrittenByThisVersion(file, version_) && MoveUserLanguages(file)) {
    std::string error;
    if (!file.Store(&error))
      ReportError("1.4", file_.string() + ": user languages could not be moved (" + error + ")");
  }
  const int firstUserBlock = static_cast<int>(items_.size() + 1) * TextBlockSize;
  for (int block = firstUserBlock;; block += TextBlockSize) {
    std::string name = NameOfSection(file, block);
    if (name.empty()) break;
    items_.push_back(std::move(name));
  }
  return items_;
}

int TLanguage::StartIndex(int storedSprache, std::string_view localeCode) const {
  std::lock_guard guard(lock_);
  if (storedSprache >= 0 && storedSprache < static_cast<int>(items_.size())) return storedSprache;

  // Not chosen yet, or the stored choice is gone: the system language.
  int language = 2;  // English
  if (localeCode.find("de") != std::string_view::npos) language = 1;
  else if (localeCode.find("nl") != std::string_view::npos) language = 4;
  else if (localeCode.find("da") != std::string_view::npos) language = 3;
  else if (localeCode.find("fr") != std::string_view::npos) language = 5;
  const std::string wanted = FoldCase(BuiltInText(language * TextBlockSize + 1));
  for (size_t i = 0; i < items_.size(); ++i)
    if (FoldCase(items_[i]) == wanted) return static_cast<int>(i);
  return 0;
}

void TLanguage::KeepFileUpToDate(bool iniReadOnly) {
  if (iniReadOnly) return;
  std::lock_guard guard(lock_);
  TLanguageFile file(file_);
  file.Load(/*quiet=*/true);  // its problems were reported when the list was built
  if (file.State() == TLanguageFile::TState::Unusable || WrittenByThisVersion(file, version_)) return;

  // Templates must never land on a user language.
  MoveUserLanguages(file);
  file.Write("Programm", "Version", version_);
  for (int block = TextBlockSize; !BuiltInText(block + 1).empty(); block += TextBlockSize) {
    file.EraseSection(Section(block));
    for (int r = 1; r < TextBlockSize; ++r)
      if (const std::string_view text = BuiltInText(block + r); !text.empty())
        file.Write(Section(block), std::to_string(r), QuoteLanguageText(text));
  }
  file.Store();
}
