#include "core/CodeEntries.h"

namespace {

std::array<std::string, 256> MakeAsciiNames() {
  static const char* const control[32] = {
      "[NUL]", "[SOH]", "[STX]", "[ETX]", "[EOT]", "[ENQ]", "[ACK]", "[BEL]", "[BS]",  "[HT]",  "[LF]",
      "[VT]",  "[FF]",  "[CR]",  "[SO]",  "[SI]",  "[DLE]", "[DC1]", "[DC2]", "[DC3]", "[DC4]", "[NAK]",
      "[SYN]", "[ETB]", "[CAN]", "[EM]",  "[SUB]", "[ESC]", "[FS]",  "[GS]",  "[RS]",  "[US]"};
  std::array<std::string, 256> names;
  for (int b = 0; b < 32; ++b) names[b] = control[b];
  names[32] = "[ ]";
  for (int b = 33; b <= 126; ++b) names[b] = std::string(1, static_cast<char>(b));
  names[0x60] = "'";  // an apostrophe, the same text as 39, not a grave accent
  names[127] = "[DEL]";
  for (int b = 128; b <= 255; ++b) names[b] = "[" + std::to_string(b) + "]";
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
