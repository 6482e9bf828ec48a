// The CAN page's identifier filter: entries are identifiers, ranges
// ("200-100", either order) or patterns with "?" for any digit ("1?3").
// Only checked entries take part; an empty or switched-off filter passes
// everything.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct TCanFilterEntry {
  std::string Text;
  bool Checked = true;
  bool operator==(const TCanFilterEntry&) const = default;
};

class TCanFilter {
 public:
  TCanFilter() = default;
  // lstCANFilterClickCheck: the lists rebuilt from the checked entries.
  // enabled is chkCANFilter; listEmpty: lstCANFilter holds no entry.
  TCanFilter(const std::vector<TCanFilterEntry>& entries, bool enabled);

  // CanFilterPass.
  bool Pass(std::uint32_t ident) const;

  const std::vector<std::uint32_t>& RangeLow() const { return low_; }
  const std::vector<std::uint32_t>& RangeHigh() const { return high_; }
  const std::vector<std::string>& Patterns() const { return patterns_; }

 private:
  bool active_ = false;
  std::vector<std::uint32_t> low_, high_;
  std::vector<std::string> patterns_;
};

// The editing rules of edCANFilter.
inline constexpr int kCanFilterMaxLength = 8;
inline constexpr int kCanFilterRangeMaxLength = 17;

// edCANFilterKeyPress: the character the edit takes at caret, or nullopt
// when it is dropped. Letters are raised; Enter and backspace pass.
std::optional<char> CanFilterKey(std::string_view text, std::size_t caret, char key);
// edCANFilterChange: the text cut to what its form allows, and that length.
struct TCanFilterEdit {
  std::string Text;
  int MaxLength = kCanFilterMaxLength;
};
TCanFilterEdit CanFilterChange(std::string_view text);

// The sorted check list after Enter adds text (checked); an entry equal to
// it is not added twice.
void AddCanFilterEntry(std::vector<TCanFilterEntry>& entries, std::string_view text);
void SortCanFilterEntries(std::vector<TCanFilterEntry>& entries);
