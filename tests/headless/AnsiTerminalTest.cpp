#include <gtest/gtest.h>

#include "headless/AnsiTerminal.h"

TEST(AnsiTerminal, BlackIsTheTerminalsOwnColourAndLineEndsBecomeNewlines) {
  EXPECT_EQ(TAnsiTerminal::Render("AB\r\n", clBlack, true), "AB\n");
  EXPECT_EQ(TAnsiTerminal::Render("x", clRed, true), "\x1b[38;2;255;0;0mx\x1b[0m");
  EXPECT_EQ(TAnsiTerminal::Render("x\r\n", clRed, false), "x\n");
  // A lone CR is data, not a line end.
  EXPECT_EQ(TAnsiTerminal::Render("a\rb", clBlack, false), "a\rb");
}
