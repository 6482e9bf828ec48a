#include "headless/AnsiTerminal.h"

#include <cstdio>
#include <cstdlib>

TAnsiTerminal::TAnsiTerminal(std::FILE* out, bool colours) : out_(out), colours_(colours) {}

std::string TAnsiTerminal::Render(std::string_view text, TColor color, bool colours) {
  char* buffer = nullptr;
  std::size_t size = 0;
  std::FILE* memory = open_memstream(&buffer, &size);
  if (memory == nullptr) return {};
  WriteTo(memory, text, color, colours);
  std::fclose(memory);
  std::string out(buffer, size);
  std::free(buffer);
  return out;
}

void TAnsiTerminal::Write(std::string_view text, TColor color) { WriteTo(out_, text, color, colours_); }

// A whole run at once, straight from its text: no copy per byte.
void TAnsiTerminal::WriteTo(std::FILE* out, std::string_view text, TColor color, bool colours) {
  const bool coloured = colours && color != clBlack;
  if (coloured) {
    char esc[32];
    const int n = std::snprintf(esc, sizeof esc, "\x1b[38;2;%d;%d;%dm", RedOf(color), GreenOf(color), BlueOf(color));
    std::fwrite(esc, 1, static_cast<std::size_t>(n), out);
  }
  std::size_t from = 0;
  for (std::size_t at; (at = text.find("\r\n", from)) != std::string_view::npos; from = at + 1)
    std::fwrite(text.data() + from, 1, at - from, out);
  std::fwrite(text.data() + from, 1, text.size() - from, out);
  if (coloured) std::fputs("\x1b[0m", out);
}

void TAnsiTerminal::Finish() { std::fflush(out_); }
