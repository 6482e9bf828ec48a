// Code pages: how each byte value is written into the trace. Five pages are
// built in; user pages are stored in the settings file as 256 quoted texts.
// Everything here is plain text work, shared by the page list and the lists
// of the data-conversion and protocol-limit pages.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/CodeEntries.h"

inline constexpr int BuiltInPageCount = 5;

// The built-in pages, by their index in the page list.
enum TCodePageKind : int { cpNone = -1, cpAscii = 0, cpAnsi = 1, cpOem = 2, cpDezimal = 3, cpHexadezimal = 4 };

inline constexpr int kMaxCodeTextChars = 30;
// "Die Zeichenfolge ',' kann nicht gespeichert werden!"
inline constexpr int txtCodeNotStorable = 1139;

// "ASC-II", "ANSI", "OEM", "Dezimal", "Hexadezimal".
std::string_view BuiltInPageName(int kind);

// The text of byte b on a built-in page (UTF-8); empty for cpNone.
std::string BuiltInText(int kind, std::uint8_t b);

// The base page of a user page, by the first tag found in its name:
// "[ASC-II]", "[ANSI]", "[OEM]", "[DEZ]", "[HEX]"; cpNone without a tag.
int BasePageOf(std::string_view pageName);

// A list entry: the byte as three digits, ": " and the text; on the page
// "Dezimal" the text alone.
std::string CodeListItem(std::uint8_t b, std::string_view text, bool decimalPage);
// The byte number in the first three characters of an entry; -1 when they
// are not a number from 0 to 255.
int ByteOfItem(std::string_view item);
// The text in characters 6 to 35 of an entry (at most 30 characters).
std::string TextOfItem(std::string_view item);

// A text as a user page keeps it: at most 30 characters.
std::string CutCodeText(std::string_view text);
// Whether the stored form reads back as the same text: once enclosed in
// apostrophes it must not contain "','" (which also rules out a text that
// begins with ",'" or ends with "',").
bool CodeTextStorable(std::string_view text);

// The stored form: 't0','t1',…,'t255'.
std::string JoinCodeTexts(const std::array<std::string, 256>& texts);
// Splits a stored value, as the settings reader returns it (without its
// enclosing apostrophes), into 256 texts; missing texts are empty.
std::array<std::string, 256> SplitCodeTexts(std::string_view value);

// The per-byte flags as 256 "0"/"1" characters; position b+1 belongs to
// byte b. Reading, only "1" sets a flag; a short string leaves the rest off.
enum class TByteFlag { LineBreak, Start, Stop };
bool& FlagOf(TCodeEntry& entry, TByteFlag flag);
bool FlagOf(const TCodeEntry& entry, TByteFlag flag);
std::string FlagString(const TCodeEntries& entries, TByteFlag flag);
void ApplyFlagString(TCodeEntries& entries, TByteFlag flag, std::string_view flags);
