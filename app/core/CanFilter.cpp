#include "core/CanFilter.h"

#include <algorithm>
#include <cstdio>

#include "core/SendText.h"

TCanFilter::TCanFilter(const std::vector<TCanFilterEntry>& entries, bool enabled) : active_(enabled && !entries.empty()) {
  for (const TCanFilterEntry& e : entries) {
    if (!e.Checked) continue;
    const std::size_t dash = e.Text.find('-');
    if (e.Text.find('?') != std::string::npos && dash == std::string::npos) {
      patterns_.push_back(e.Text);
      continue;
    }
    // Stored files are not typed through the edit: a bad entry is left out
    // instead of stopping the list.
    try {
      const std::uint32_t high =
          HexToInt(dash == std::string::npos ? std::string_view(e.Text) : std::string_view(e.Text).substr(dash + 1, 8));
      const std::uint32_t low = dash == std::string::npos ? high : HexToInt(std::string_view(e.Text).substr(0, dash));
      low_.push_back(std::min(low, high));
      high_.push_back(std::max(low, high));
    } catch (const THexError&) {
    }
  }
}

bool TCanFilter::Pass(std::uint32_t ident) const {
  if (!active_) return true;
  for (std::size_t k = 0; k < low_.size(); ++k)
    if (low_[k] <= ident && ident <= high_[k]) return true;
  if (patterns_.empty()) return false;
  char id[9];
  std::snprintf(id, sizeof id, "%08X", static_cast<unsigned>(ident));
  for (const std::string& pattern : patterns_) {
    if (pattern.size() > 8) continue;
    const std::string padded = std::string(8 - pattern.size(), '0') + pattern;
    bool equal = true;
    for (std::size_t i = 0; i < 8 && equal; ++i) {
      if (padded[i] == '?') continue;
      const char p = padded[i] >= 'a' && padded[i] <= 'f' ? static_cast<char>(padded[i] - 32) : padded[i];
      equal = p == id[i];
    }
    if (equal) return true;
  }
  return false;
}

std::optional<char> CanFilterKey(std::string_view text, std::size_t caret, char key) {
  if (key >= 'a' && key <= 'z') key = static_cast<char>(key - 32);
  if (key == '\b' || key == '\r') return key;
  const bool hex = (key >= '0' && key <= '9') || (key >= 'A' && key <= 'F');
  if (!hex && key != '-' && key != '?') return std::nullopt;
  const std::size_t dash = text.find('-');
  if (key == '-' && (text.find('?') != std::string_view::npos || text.empty() || dash != std::string_view::npos))
    return std::nullopt;
  if (key == '?' && dash != std::string_view::npos) return std::nullopt;
  const std::size_t tail = dash == std::string_view::npos ? text.size() : text.size() - dash - 1;
  const bool beforeDash = dash != std::string_view::npos && caret <= dash;
  if (key != '-' && tail >= static_cast<std::size_t>(kCanFilterMaxLength) && !beforeDash) return std::nullopt;
  return key;
}

TCanFilterEdit CanFilterChange(std::string_view text) {
  if (text.find('-') != std::string_view::npos)
    return {std::string(text.substr(0, kCanFilterRangeMaxLength)), kCanFilterRangeMaxLength};
  return {std::string(text.substr(0, kCanFilterMaxLength)), kCanFilterMaxLength};
}

void SortCanFilterEntries(std::vector<TCanFilterEntry>& entries) {
  std::stable_sort(entries.begin(), entries.end(),
                   [](const TCanFilterEntry& a, const TCanFilterEntry& b) { return a.Text < b.Text; });
}

void AddCanFilterEntry(std::vector<TCanFilterEntry>& entries, std::string_view text) {
  if (text.empty()) return;
  const auto same = std::find_if(entries.begin(), entries.end(), [&](const TCanFilterEntry& e) { return e.Text == text; });
  if (same != entries.end())
    same->Checked = true;
  else
    entries.push_back({std::string(text), true});
  SortCanFilterEntries(entries);
}
