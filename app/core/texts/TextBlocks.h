// The five built-in language blocks of the numbered text table, one source
// file per language. Ids are absolute: block k holds k·1000 + r, r = 1 … 999.
#pragma once

#include <span>

struct TTextEntry {
  int Id;
  const char* Text;  // UTF-8; the two characters \n stand for a line break
};

std::span<const TTextEntry> GermanTexts();
std::span<const TTextEntry> EnglishTexts();
std::span<const TTextEntry> DanishTexts();
std::span<const TTextEntry> DutchTexts();
std::span<const TTextEntry> FrenchTexts();
