#include "core/CodeEntries.h"

#include <cstdio>

namespace {

std::array<std::string, 256> MakeAsciiNames() {
  static const char* const control[32] = {
      "[NUL]", "[SOH]", "[STX]", "[ETX]", "[EOT]", "[ENQ]", "[ACK]", "[BEL]", "[BS]",  "[HT]",  "[LF]",
      "[VT]",  "[FF]",  "[CR]",  "[SO]",  "[SI]",  "[DLE]", "[DC1]", "[DC2]", "[DC3]", "[DC4]", "[NAK]",
      "[SYN]", "[ETB]", "[CAN]", "[EM]",  "[SUB]", "[ESC]", "[FS]",  "[GS]",  "[RS]",  "[US]"};
  // Each name is constructed in place, never assigned over an empty string: GCC 12's
  // -Wrestrict misreads libstdc++'s _M_replace after inlining at -O2/-O3 (its bug 105329).
  std::array<std::string, 256> names;
  for (int b = 0; b < 256; ++b) {
    if (b < 32) {
      names[b] = std::string(control[b]);
    } else if (b == 32) {
      names[b] = std::string("[ ]");
    } else if (b == 0x60) {
      names[b] = std::string(1, '\'');  // an apostrophe, the same text as 39, not a grave accent
    } else if (b <= 126) {
      names[b] = std::string(1, static_cast<char>(b));
    } else if (b == 127) {
      names[b] = std::string("[DEL]");
    } else {
      char bracketed[8];
      const int length = std::snprintf(bracketed, sizeof bracketed, "[%d]", b);
      names[b] = std::string(bracketed, static_cast<std::size_t>(length));
    }
  }
  return names;
}

}  // namespace

const std::array<std::string, 256>& AsciiNames() {
  static const std::array<std::string, 256> names = MakeAsciiNames();
  return names;
}

std::shared_ptr<const TCodeEntries> DefaultCodeEntries() {
  auto entries = std::make_shared<TCodeEntries>();
  for (int b = 0; b < 256; ++b) {
    (*entries)[b].Text = AsciiNames()[b];
    (*entries)[b].BaseText = AsciiNames()[b];
  }
  return entries;
}
