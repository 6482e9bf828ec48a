// The program's own string table: five languages, German first. Block k
// (1 German, 2 English, 3 Danish, 4 Dutch, 5 French) holds the ids
// k·1000 + 1 … k·1000 + 999, and the same r means the same text in every block.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/texts/TextBlocks.h"

inline constexpr int BuiltInLanguageCount = 5;
inline constexpr int TextBlockSize = 1000;

// The raw table text of an id (line breaks still as the two characters \n);
// empty for an id the table does not hold.
std::string_view BuiltInText(int id);

// The entries of built-in language 1 … 5, as they stand in the source.
std::span<const TTextEntry> BuiltInBlock(int language);

// Faults in the table (an id outside its block, a duplicate id, an empty
// text), one description each; empty when the table is sound.
std::vector<std::string> TextTableFaults();
