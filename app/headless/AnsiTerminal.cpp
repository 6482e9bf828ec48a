#include "headless/AnsiTerminal.h"

#include <cstdio>

TAnsiTerminal::TAnsiTerminal(std::FILE* out, bool colours) : out_(out), colours_(colours) {}

std::string TAnsiTerminal::Render(std::string_view text, TColor color, bool colours) {
  std::string out;
  out.reserve(text.size() + 24);
  if (colours && color != clBlack) {
    // Black is the terminal's own text colour, so a dark terminal stays readable.
    char esc[32];
    std::snprintf(esc, sizeof esc, "\x1b[38;2;%d;%d;%dm", RedOf(color), GreenOf(color), BlueOf(color));
    out += esc;
  }
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    out += text[i];
  }
  if (colours && color != clBlack) out += "\x1b[0m";
  return out;
}

void TAnsiTerminal::Write(std::string_view text, TColor color) {
  const std::string rendered = Render(text, color, colours_);
  std::fwrite(rendered.data(), 1, rendered.size(), out_);
}

void TAnsiTerminal::Finish() { std::fflush(out_); }
