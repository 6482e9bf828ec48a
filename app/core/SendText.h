// What a typed send line becomes: hexadecimal numbers, byte escapes ("0x41"),
// the CAN header in front of a CAN line and its preview. Pure functions over
// text; the send routine and the send dialog both use them.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

// A hexadecimal field that is not one.
class THexError : public std::runtime_error {
 public:
  THexError() : std::runtime_error("Fehler bei der Wandlung von Hex-Zahlen zu Integer") {}
};

// Blanks around are ignored, leading zeros too; of the rest the first 8
// characters count. Empty gives 0. Throws THexError.
std::uint32_t HexToInt(std::string_view text);

// Plain characters pass unchanged, "0x" and two hexadecimal characters give
// one byte; a blank right after an escape belongs to it, and a blank in front
// of one is dropped after a plain character. Throws THexError, so a bad
// escape sends nothing of the line.
std::string ParseSendText(std::string_view text);

// CR and LF as the boxes ask.
std::string WithLineEnd(std::string bytes, bool addCR, bool addLF);

// The header of a CAN line: an optional non-hexadecimal prefix character
// marks an extended frame, then the identifier up to the first blank, then
// the data text.
struct TCanHeader {
  std::uint32_t Ident = 0;
  bool Extended = false;
  std::string DataText;  // after the first blank; empty without one
};
// Throws THexError for a bad identifier.
TCanHeader ParseCanHeader(std::string_view text);

// The data length of a remote frame: "0" followed by the box's text.
int RtrLengthOf(std::string_view edRTRLenText);

inline constexpr std::size_t kCanMaxData = 8;
// The preview of a CAN line: "ID11: 7FF      DLC: 1  > 01", or "Wrong CAN-ID!"
// (wrongIdText) when the identifier is not hexadecimal. rtrLength < 0: a
// data frame; otherwise a remote frame of that length.
std::string CanPreview(std::string_view text, int rtrLength, std::string_view wrongIdText);
