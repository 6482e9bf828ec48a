// The two single-byte character sets the program meets: Windows-1252 (the
// "ANSI" page and settings files written on Windows) and code page 850 (the
// "OEM" page), both turned into UTF-8. Also the UTF-8 checks that decide how
// a line of a settings file was written.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Unicode code point of a byte. Windows-1252 leaves 0x81, 0x8D, 0x8F, 0x90
// and 0x9D undefined; they map to the control code point of the same value,
// as the Windows conversion does, so every byte keeps a distinct character.
char32_t Cp1252ToUnicode(std::uint8_t b);
char32_t Cp850ToUnicode(std::uint8_t b);

// The Windows-1252 byte of a code point, or -1 when it has none.
int UnicodeToCp1252(char32_t c);

void AppendUtf8(std::string& out, char32_t c);
std::string Cp1252ToUtf8(std::string_view bytes);

// Text that is valid UTF-8 (no overlong forms, no surrogates, nothing past
// U+10FFFF).
bool IsValidUtf8(std::string_view text);
// Decodes the code point at `at` and moves past it; a malformed sequence
// yields U+FFFD and moves one byte.
char32_t NextUtf8(std::string_view text, std::size_t& at);
// True when text is valid UTF-8 and every code point fits Windows-1252;
// out receives the bytes.
bool Utf8ToCp1252(std::string_view text, std::string& out);

// The part of text from code point `first` (0-based), at most `count` code
// points long; never splits a sequence.
std::string_view Utf8Mid(std::string_view text, std::size_t first, std::size_t count);
