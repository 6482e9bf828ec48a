#include "core/CodePageList.h"

#include <algorithm>
#include <cstdio>

#include "core/AppFlags.h"
#include "core/ErrorReport.h"
#include "core/IniFile.h"

namespace {
std::string Key(const char* prefix, int n) { return prefix + std::to_string(n); }
}  // namespace

TCodePages::TCodePages(TIniFile& ini) : ini_(ini) {
  for (int kind = 0; kind < BuiltInPageCount; ++kind) names_.emplace_back(BuiltInPageName(kind));
  Select(0);
}

void TCodePages::Load() {
  names_.resize(BuiltInPageCount);
  // Every page needs a name key, which bounds a damaged count.
  const int keys = static_cast<int>(ini_.ReadSection(kSection).size());
  const int count = std::clamp(ini_.ReadInteger(kSection, "Anzahl", 0), 0, keys);
  std::vector<int> kept;
  for (int n = 1; n <= count; ++n) {
    std::string name = ini_.ReadString(kSection, Key("Seite", n), "");
    if (name.empty()) continue;
    names_.push_back(std::move(name));
    kept.push_back(n);
  }
  // Skipped pages would shift the numbering between the list and the file,
  // and a new page would then overwrite a stored one.
  if (static_cast<int>(kept.size()) != count) CompactStoredPages(kept, count);

  SetFlagString(TByteFlag::LineBreak, ini_.ReadString(kMainSection, "Zeilenw", ""));
  SetFlagString(TByteFlag::Start, ini_.ReadString(kMainSection, "Start", ""));
  SetFlagString(TByteFlag::Stop, ini_.ReadString(kMainSection, "Stop", ""));
  Select(ini_.ReadInteger(kMainSection, "CodeSeite", 0));
}

void TCodePages::CompactStoredPages(const std::vector<int>& kept, int storedCount) {
  std::vector<std::pair<std::string, std::string>> pages;
  for (const int n : kept)
    pages.emplace_back(ini_.ReadRawString(kSection, Key("Seite", n), ""),
                       ini_.ReadRawString(kSection, Key("Codes", n), ""));
  for (int n = 1; n <= storedCount; ++n) {
    ini_.DeleteKey(kSection, Key("Seite", n));
    ini_.DeleteKey(kSection, Key("Codes", n));
  }
  for (std::size_t i = 0; i < pages.size(); ++i) {
    const int n = static_cast<int>(i) + 1;
    ini_.WriteRawString(kSection, Key("Seite", n), pages[i].first);
    ini_.WriteRawString(kSection, Key("Codes", n), pages[i].second);
  }
  ini_.WriteInteger(kSection, "Anzahl", static_cast<int>(pages.size()));
}

void TCodePages::WriteSettings() const {
  ini_.WriteInteger(kMainSection, "CodeSeite", selected_);
  ini_.WriteString(kMainSection, "Zeilenw", FlagString(TByteFlag::LineBreak));
  ini_.WriteString(kMainSection, "Start", FlagString(TByteFlag::Start));
  ini_.WriteString(kMainSection, "Stop", FlagString(TByteFlag::Stop));
}

void TCodePages::Select(int index) {
  selected_ = std::clamp(index, 0, static_cast<int>(names_.size()) - 1);
  kind_ = selected_ < BuiltInPageCount ? selected_ : BasePageOf(names_[selected_]);
  for (int b = 0; b < 256; ++b) {
    TCodeEntry& e = entries_[b];
    e.Text = BuiltInText(kind_, static_cast<std::uint8_t>(b));
    e.BaseText = e.Text;
    e.Changed = false;
  }
  if (!UserPageSelected()) return;
  const auto texts = SplitCodeTexts(ini_.ReadString(kSection, Key("Codes", UserPageNumber()), ""));
  for (int b = 0; b < 256; ++b) {
    TCodeEntry& e = entries_[b];
    e.Text = texts[b];
    if (kind_ == cpNone) e.BaseText = e.Text;
    e.Changed = e.Text != e.BaseText;
  }
}

std::shared_ptr<const TCodeEntries> TCodePages::RxCodes() const { return std::make_shared<const TCodeEntries>(entries_); }

std::string TCodePages::Item(int b) const {
  if (b < 0 || b > 255) return std::string();
  return CodeListItem(static_cast<std::uint8_t>(b), entries_[b].Text, selected_ == cpDezimal);
}

std::vector<std::string> TCodePages::Items() const {
  std::vector<std::string> items;
  items.reserve(256);
  for (int b = 0; b < 256; ++b) items.push_back(Item(b));
  return items;
}

bool TCodePages::ShowsChanged(int b) const { return UserPageSelected() && b >= 0 && b < 256 && entries_[b].Changed; }

TColor TCodePages::ItemColor(int b, bool highlighted, bool listEnabled, TColor normal) const {
  TColor color = normal;
  if (ShowsChanged(b)) color = highlighted ? clAqua : clRed;
  if (!listEnabled) color ^= 0x303030;
  return color;
}

std::string TCodePages::EditPromptSuffix(int b) const {
  if (!ShowsChanged(b)) return std::string();
  return " (" + entries_[b].BaseText + ")";
}

TCodeEditResult TCodePages::EditText(int b, std::string_view text) {
  if (!CanEdit(b)) return TCodeEditResult::NotEditable;
  if (text.find("','") != std::string_view::npos) return TCodeEditResult::NotStorable;
  std::string cut = CutCodeText(text);
  if (!CodeTextStorable(cut)) return TCodeEditResult::NotStorable;
  TCodeEntry& e = entries_[b];
  e.Text = std::move(cut);
  e.Changed = e.Text != e.BaseText;
  std::array<std::string, 256> texts;
  for (int k = 0; k < 256; ++k) texts[k] = CutCodeText(entries_[k].Text);
  SaveCodes(texts);
  Store("12");
  return TCodeEditResult::Done;
}

void TCodePages::SaveCodes(const std::array<std::string, 256>& texts) {
  if (IniReadOnly.load() || ini_.ReadOnly()) return;
  ini_.WriteRawString(kSection, Key("Codes", UserPageNumber()), JoinCodeTexts(texts));
}

bool TCodePages::Store(const char* location) {
  if (IniReadOnly.load() || ini_.ReadOnly()) return true;
  if (ini_.UpdateFile()) return true;
  ReportError(location, ini_.LastError());
  return false;
}

bool TCodePages::NewPage(std::string_view name) {
  if (name.empty() || IniReadOnly.load() || ini_.ReadOnly()) return false;
  names_.emplace_back(name);
  const int n = UserPageCount();
  ini_.WriteInteger(kSection, "Anzahl", n);
  ini_.WriteString(kSection, Key("Seite", n), name);
  ini_.WriteRawString(kSection, Key("Codes", n), "");
  Store("13");
  Select(static_cast<int>(names_.size()) - 1);
  return true;
}

bool TCodePages::CopyPage(std::string_view name) {
  if (name.empty() || IniReadOnly.load() || ini_.ReadOnly()) return false;
  std::array<std::string, 256> texts;
  for (int b = 0; b < 256; ++b) {
    // The decimal page's entries are its numbers; a copy takes the numbers
    // themselves, without the trailing blank.
    if (selected_ == cpDezimal) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "%03d", b);
      texts[b] = buf;
    } else {
      texts[b] = CutCodeText(entries_[b].Text);
    }
  }
  names_.emplace_back(name);
  const int n = UserPageCount();
  ini_.WriteInteger(kSection, "Anzahl", n);
  ini_.WriteString(kSection, Key("Seite", n), name);
  selected_ = static_cast<int>(names_.size()) - 1;
  SaveCodes(texts);
  Store("14");
  Select(selected_);
  return true;
}

bool TCodePages::DeletePage() {
  if (!UserPageSelected() || IniReadOnly.load() || ini_.ReadOnly()) return false;
  const int index = selected_;
  const int last = static_cast<int>(names_.size()) - 1;
  const int next = index == last ? index - 1 : index;
  const int count = UserPageCount();
  for (int k = UserPageNumber(); k < count; ++k) {
    ini_.WriteRawString(kSection, Key("Seite", k), ini_.ReadRawString(kSection, Key("Seite", k + 1), ""));
    ini_.WriteRawString(kSection, Key("Codes", k), ini_.ReadRawString(kSection, Key("Codes", k + 1), ""));
  }
  ini_.WriteInteger(kSection, "Anzahl", count - 1);
  ini_.DeleteKey(kSection, Key("Seite", count));
  ini_.DeleteKey(kSection, Key("Codes", count));
  Store("15");
  names_.erase(names_.begin() + index);
  Select(next);
  return true;
}

bool TCodePages::Flag(TByteFlag flag, int b) const { return b >= 0 && b < 256 && FlagOf(entries_[b], flag); }

bool TCodePages::AnyFlag(TByteFlag flag) const {
  return std::any_of(entries_.begin(), entries_.end(), [&](const TCodeEntry& e) { return FlagOf(e, flag); });
}

void TCodePages::SetFlag(TByteFlag flag, std::span<const int> bytes, bool on) {
  for (const int b : bytes)
    if (b >= 0 && b < 256) FlagOf(entries_[b], flag) = on;
}

void TCodePages::SetFlag(TByteFlag flag, int b, bool on) { SetFlag(flag, std::span<const int>(&b, 1), on); }

std::vector<std::string> TCodePages::FlagList(TByteFlag flag) const {
  std::vector<std::string> items;
  for (int b = 0; b < 256; ++b)
    if (FlagOf(entries_[b], flag)) items.push_back(Item(b));
  return items;
}

std::string TCodePages::FlagString(TByteFlag flag) const { return ::FlagString(entries_, flag); }

void TCodePages::SetFlagString(TByteFlag flag, std::string_view flags) { ApplyFlagString(entries_, flag, flags); }
