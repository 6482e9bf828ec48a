#include "core/TextTable.h"

#include <array>

namespace {

using TBlock = std::array<const char*, TextBlockSize>;  // index r; [0] unused

struct TTable {
  std::array<TBlock, BuiltInLanguageCount> Blocks{};
  std::vector<std::string> Faults;
};

TTable BuildTable() {
  TTable table;
  for (int language = 1; language <= BuiltInLanguageCount; ++language) {
    TBlock& block = table.Blocks[language - 1];
    for (const TTextEntry& entry : BuiltInBlock(language)) {
      const int r = entry.Id - language * TextBlockSize;
      const std::string id = std::to_string(entry.Id);
      if (r < 1 || r >= TextBlockSize) {
        table.Faults.push_back("text " + id + " lies outside block " + std::to_string(language * TextBlockSize));
        continue;
      }
      if (entry.Text == nullptr || *entry.Text == '\0') table.Faults.push_back("text " + id + " is empty");
      if (block[r] != nullptr) table.Faults.push_back("text " + id + " is defined twice");
      block[r] = entry.Text;
    }
  }
  return table;
}

const TTable& Table() {
  static const TTable table = BuildTable();
  return table;
}

}  // namespace

std::span<const TTextEntry> BuiltInBlock(int language) {
  switch (language) {
    case 1: return GermanTexts();
    case 2: return EnglishTexts();
    case 3: return DanishTexts();
    case 4: return DutchTexts();
    case 5: return FrenchTexts();
    default: return {};
  }
}

std::string_view BuiltInText(int id) {
  const int language = id / TextBlockSize;
  const int r = id % TextBlockSize;
  if (language < 1 || language > BuiltInLanguageCount || r == 0) return {};
  const char* text = Table().Blocks[language - 1][r];
  return text ? std::string_view(text) : std::string_view();
}

std::vector<std::string> TextTableFaults() { return Table().Faults; }
