#include "headless/AnsiTerminal.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "core/CodeEntries.h"

namespace {

// Length of the well-formed UTF-8 sequence at text[i] (shortest form, no
// surrogates, at most U+10FFFF) and its code point; 0 when there is none.
std::size_t Utf8Sequence(std::string_view text, std::size_t i, char32_t& cp) {
  const auto byte = [&](std::size_t k) { return static_cast<std::uint8_t>(text[k]); };
  const std::uint8_t lead = byte(i);
  std::size_t n = 0;
  char32_t min = 0;
  if (lead >= 0xC2 && lead <= 0xDF) n = 2, cp = lead & 0x1F, min = 0x80;
  else if (lead >= 0xE0 && lead <= 0xEF) n = 3, cp = lead & 0x0F, min = 0x800;
  else if (lead >= 0xF0 && lead <= 0xF4) n = 4, cp = lead & 0x07, min = 0x10000;
  else return 0;
  if (i + n > text.size()) return 0;
  for (std::size_t k = 1; k < n; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (byte(i + k) & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return n;
}

}  // namespace

TAnsiTerminal::TAnsiTerminal(std::FILE* out, bool colours) : out_(out), colours_(colours) {}

void TAnsiTerminal::AppendVisible(std::string& out, std::string_view text, bool lineEnds) {
  const auto& names = AsciiNames();
  for (std::size_t i = 0; i < text.size();) {
    const auto c = static_cast<std::uint8_t>(text[i]);
    if (c >= 0x20 && c < 0x7F) {
      out += static_cast<char>(c);
      ++i;
    } else if (lineEnds && c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      out += '\n';
      i += 2;
    } else if (c < 0x80) {
      out += names[c];  // C0 and DEL
      ++i;
    } else {
      char32_t cp = 0;
      const std::size_t n = Utf8Sequence(text, i, cp);
      if (n == 0) {
        out += names[c];  // a byte that is no UTF-8: its number
        ++i;
      } else if (cp <= 0x9F) {
        out += names[cp];  // C1
        i += n;
      } else {
        out.append(text.substr(i, n));
        i += n;
      }
    }
  }
}

std::string TAnsiTerminal::Visible(std::string_view text, bool lineEnds) {
  std::string out;
  out.reserve(text.size());
  AppendVisible(out, text, lineEnds);
  return out;
}

void TAnsiTerminal::AppendRun(std::string& out, std::string_view text, TColor color, bool colours) {
  // Black is the terminal's own text colour, so a dark terminal stays readable.
  const bool coloured = colours && color != clBlack;
  if (coloured) {
    char esc[32];
    std::snprintf(esc, sizeof esc, "\x1b[38;2;%d;%d;%dm", RedOf(color), GreenOf(color), BlueOf(color));
    out += esc;
  }
  AppendVisible(out, text, true);
  if (coloured) out += "\x1b[0m";
}

std::string TAnsiTerminal::Render(std::string_view text, TColor color, bool colours) {
  std::string out;
  out.reserve(text.size() + 24);
  AppendRun(out, text, color, colours);
  return out;
}

void TAnsiTerminal::Write(std::string_view text, TColor color) { WriteTo(out_, text, color, colours_); }

// A whole run at once: one conversion and one write per run, never per byte.
void TAnsiTerminal::WriteTo(std::FILE* out, std::string_view text, TColor color, bool colours) {
  thread_local std::string buffer;
  buffer.clear();
  AppendRun(buffer, text, color, colours);
  std::fwrite(buffer.data(), 1, buffer.size(), out);
}

void TAnsiTerminal::Finish() { std::fflush(out_); }
