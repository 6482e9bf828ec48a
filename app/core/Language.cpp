#include "core/Language.h"

#include <unistd.h>

#include <array>
#include <charconv>
#include <cstdio>

#include "core/ErrorReport.h"
#include "core/InstallPaths.h"
#include "core/LanguageFile.h"
#include "core/TextTable.h"

#ifndef TAMARIK_VERSION_MAJOR
#define TAMARIK_VERSION_MAJOR 0
#define TAMARIK_VERSION_MINOR 0
#define TAMARIK_VERSION_BUILD 0
#endif

namespace {

std::string ExpandLineBreaks(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == 'n') {
      out.push_back('\n');
      ++i;
    } else {
      out.push_back(text[i]);
    }
  }
  return out;
}

}  // namespace

TLanguage::TLanguage(std::filesystem::path languageFile, std::string runningVersion)
    : file_(std::move(languageFile)), version_(std::move(runningVersion)) {}

std::string TLanguage::RunningVersion() {
  std::array<char, 48> text{};
  std::snprintf(text.data(), text.size(), "V %d.%d.%04d", TAMARIK_VERSION_MAJOR, TAMARIK_VERSION_MINOR,
                TAMARIK_VERSION_BUILD);
  return text.data();
}

std::filesystem::path TLanguage::DefaultFilePath() {
  std::array<char, 4096> buffer{};
  const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
  std::error_code ec;
  const std::filesystem::path program =
      length > 0 ? std::filesystem::path(std::string(buffer.data(), static_cast<size_t>(length))).parent_path()
                 : std::filesystem::current_path(ec);
  const std::filesystem::path file = LanguageFileFor(program.string());
  if (file.parent_path() == program) return file;
  // The user's own copy, started from the templates the installation ships.
  if (MakeUserConfigDirectory().empty()) return file;
  const std::string templates = InstalledLanguageTemplates(program.string());
  if (!templates.empty() && !std::filesystem::exists(file, ec))
    std::filesystem::copy_file(templates, file, std::filesystem::copy_options::skip_existing, ec);
  return file;
}

void TLanguage::SetFile(std::filesystem::path languageFile) {
  std::lock_guard guard(lock_);
  file_ = std::move(languageFile);
  items_.clear();
  itemIndex_ = -2;
  user_.reset();
  addingFailed_ = false;
}

std::filesystem::path TLanguage::File() const {
  std::lock_guard guard(lock_);
  return file_;
}

std::vector<std::string> TLanguage::Items() const {
  std::lock_guard guard(lock_);
  return items_;
}

int TLanguage::ItemIndex() const {
  std::lock_guard guard(lock_);
  return itemIndex_;
}

std::string TLanguage::GetText(int id, bool useLanguage) {
  std::lock_guard guard(lock_);
  // Before a language is chosen the German texts stand.
  if (useLanguage && id > TextBlockSize && id < 2 * TextBlockSize && itemIndex_ > 0) id += itemIndex_ * TextBlockSize;
  std::string text(BuiltInText(id));
  if (text.empty() && user_) text = UserText(id);
  return ExpandLineBreaks(text);
}

std::string TLanguage::UserText(int id) {
  int r = id;
  while (r > TextBlockSize) r -= TextBlockSize;
  const int block = id - r;
  if (block != user_->Block) return {};

  if (const auto found = user_->Texts.find(r); found != user_->Texts.end()) {
    std::string text = UnquoteLanguageText(found->second);
    if (!text.empty()) return text;
  }
  return std::string(BuiltInText(2 * TextBlockSize + r));
}

// Every text the language lacks gets the English one, added to its section
// in one write when the language is chosen, so a translator finds them all.
// The file is read again first, so what a translator changed meanwhile stays.
void TLanguage::AddMissingTexts(TUserLanguage& user) {
  std::vector<std::pair<int, std::string>> missing;
  for (int r = 1; r < TextBlockSize; ++r) {
    const std::string_view english = BuiltInText(2 * TextBlockSize + r);
    if (english.empty()) continue;
    const auto found = user.Texts.find(r);
    if (found != user.Texts.end() && !UnquoteLanguageText(found->second).empty()) continue;
    missing.emplace_back(r, QuoteLanguageText(english));
  }
  if (missing.empty() || addingFailed_) return;
  TLanguageFile file(file_);
  file.Load(/*quiet=*/true);
  if (file.State() != TLanguageFile::TState::Loaded) return;
  for (const auto& [r, value] : missing) {
    user.Texts[r] = value;
    file.Write(std::to_string(user.Block), std::to_string(r), value);
  }
  std::string error;
  if (!file.Store(&error)) {
    addingFailed_ = true;
    ReportError("1.4", file_.string() + ": missing texts of the selected language cannot be added (" + error + ")");
  }
}

int TLanguage::Select(int index) {
  std::lock_guard guard(lock_);
  itemIndex_ = index;
  user_.reset();
  if (index < 0) return 0;
  const int offset = index * TextBlockSize;
  if (!BuiltInText(offset + TextBlockSize + 1).empty()) return offset;

  // A user language. Without a readable file every text is the English one.
  TUserLanguage user;
  user.Block = offset + TextBlockSize;
  TLanguageFile file(file_);
  file.Load();
  int unterminated = 0;
  std::string firstUnterminated;
  for (const auto& [key, value] : file.ReadSection(std::to_string(user.Block))) {
    int r = 0;
    const auto [end, error] = std::from_chars(key.data(), key.data() + key.size(), r);
    if (error != std::errc() || end != key.data() + key.size() || r < 1 || r >= TextBlockSize) continue;
    if (!user.Texts.emplace(r, value).second) continue;
    if (LanguageValueUnterminated(value) && unterminated++ == 0) firstUnterminated = key;
  }
  if (unterminated > 0)
    ReportError("1.4", file_.string() + ": section " + std::to_string(user.Block) + ", key " + firstUnterminated +
                           ": the closing double quote is missing (" + std::to_string(unterminated) +
                           " text(s) in all); the text is used as it stands");
  AddMissingTexts(user);
  user_ = std::move(user);
  return offset;
}

TLanguage& ProgramLanguage() {
  static TLanguage language(TLanguage::DefaultFilePath(), TLanguage::RunningVersion());
  return language;
}

std::string GetText(int id, bool useLanguage) { return ProgramLanguage().GetText(id, useLanguage); }
