// The Intel-HEX reader shared by the USB page's downloads and the AVR
// programmer. Data records land at their address in the caller's buffer;
// a line with a wrong checksum, an extended-address record (this target
// has 64 KB at most), a record type we do not know, a short line or a bad
// digit stops the reading with a message that names the line.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

struct THexReadResult {
  bool Ok = true;
  // Highest address written plus one (0 when nothing was written).
  uint32_t End = 0;
  // Set when reading stopped early; for the user, in the program's language.
  std::string Error;
  bool Overflow = false;  // an address above maxAddress
};

// Reads `text` line by line into `buffer`; addresses above `maxAddress`
// (and past the buffer's end) stop the reading as an overflow. Bytes stored
// before an error stay in the buffer.
THexReadResult ReadIntelHex(std::string_view text, std::span<uint8_t> buffer, uint32_t maxAddress);
