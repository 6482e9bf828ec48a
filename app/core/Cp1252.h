// Windows-1252, the 8-bit text of files the program exchanges with its
// Windows counterpart (settings, language file, rich-text logs).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The Unicode code point of a cp1252 byte. The five bytes cp1252 leaves
// undefined map to the C1 control of the same value.
char32_t Cp1252ToUnicode(std::uint8_t byte);
// The cp1252 byte of a code point, or -1 when it has none.
int UnicodeToCp1252(char32_t cp);

std::string Cp1252ToUtf8(std::string_view bytes);
bool IsValidUtf8(std::string_view text);
// Decodes one code point at `at`, advancing it; malformed input yields
// U+FFFD and advances one byte.
char32_t NextUtf8(std::string_view text, std::size_t& at);
void AppendUtf8(std::string& out, char32_t cp);
