#include <gtest/gtest.h>

#include <string>

#include "core/CodePages.h"
#include "headless/AnsiTerminal.h"

namespace {

// The first control character left once the writer's own colour sequences
// and line ends are taken out ("" when none): C0, DEL, C1, or a byte that is
// no UTF-8 (which a terminal may take for C1).
std::string FirstControl(const std::string& out) {
  std::string rest;
  for (std::size_t i = 0; i < out.size(); ++i) {
    // The writer's own: ESC [ 0 m and ESC [ 38;2;r;g;b m.
    if (out.compare(i, 4, "\x1b[0m") == 0) {
      i += 3;
      continue;
    }
    if (out.compare(i, 7, "\x1b[38;2;") == 0) {
      const std::size_t end = out.find('m', i);
      if (end != std::string::npos && out.find_first_not_of("0123456789;", i + 7) == end) {
        i = end;
        continue;
      }
    }
    rest += out[i];
  }
  for (std::size_t i = 0; i < rest.size();) {
    const auto c = static_cast<unsigned char>(rest[i]);
    if (c == '\n' || (c >= 0x20 && c < 0x7F)) {
      ++i;
      continue;
    }
    if (c < 0x80) return "byte " + std::to_string(c);
    const std::size_t n = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 ? 2 : 0;
    if (n == 0 || i + n > rest.size()) return "stray byte " + std::to_string(c);
    unsigned cp = c & (0x7F >> n);
    for (std::size_t k = 1; k < n; ++k) {
      const auto next = static_cast<unsigned char>(rest[i + k]);
      if ((next & 0xC0) != 0x80) return "broken sequence at " + std::to_string(i);
      cp = (cp << 6) | (next & 0x3F);
    }
    if (cp <= 0x9F) return "code point " + std::to_string(cp);
    i += n;
  }
  return "";
}

}  // namespace

TEST(AnsiTerminal, BlackIsTheTerminalsOwnColourAndLineEndsBecomeNewlines) {
  EXPECT_EQ(TAnsiTerminal::Render("AB\r\n", clBlack, true), "AB\n");
  EXPECT_EQ(TAnsiTerminal::Render("x", clRed, true), "\x1b[38;2;255;0;0mx\x1b[0m");
  EXPECT_EQ(TAnsiTerminal::Render("x\r\n", clRed, false), "x\n");
  // A lone CR is data, not a line end: shown by its name.
  EXPECT_EQ(TAnsiTerminal::Render("a\rb", clBlack, false), "a[CR]b");
}

TEST(AnsiTerminal, NoByteOfAnyBuiltInPageReachesTheTerminalAsAControl) {
  for (int kind = cpAscii; kind <= cpHexadezimal; ++kind) {
    for (int b = 0; b < 256; ++b) {
      const std::string text = BuiltInText(kind, static_cast<std::uint8_t>(b));
      for (const TColor color : {clBlack, clRed}) {
        const std::string out = TAnsiTerminal::Render(text + "\r\n", color, true);
        EXPECT_EQ(FirstControl(out), "") << "page " << kind << ", byte " << b;
        EXPECT_NE(out.find('\n'), std::string::npos) << "page " << kind << ", byte " << b;
      }
    }
  }
}

// Texts of a user page or a hand-edited settings file can hold anything.
TEST(AnsiTerminal, EscapeSequencesAndC1FromOutsideAreShownByName) {
  const auto visible = [](const std::string& text) { return TAnsiTerminal::Render(text, clBlack, false); };
  EXPECT_EQ(visible("\x1b]0;owned\x07"), "[ESC]]0;owned[BEL]");
  EXPECT_EQ(visible("\x1b[2J\x7f"), "[ESC][2J[DEL]");
  EXPECT_EQ(visible("\xc2\x9b" "1m"), "[155]1m");  // C1 as UTF-8
  EXPECT_EQ(visible("\x9b" "1m"), "[155]1m");      // C1 as a bare byte
  EXPECT_EQ(visible("\xc0\x9b"), "[192][155]");    // an overlong form
  EXPECT_EQ(visible("\xe2\x82"), "[226][130]");    // cut short
  EXPECT_EQ(visible("\xc3\xa4\xe2\x82\xac\xc2\xa0"), "\xc3\xa4\xe2\x82\xac\xc2\xa0");  // ä, € and NBSP stay
  EXPECT_EQ(visible("\n"), "[LF]");
  EXPECT_EQ(TAnsiTerminal::Visible("a\r\nb", false), "a[CR][LF]b");
}
