// What a user's HEX file goes through: the Intel-HEX reader into an 8192-byte
// download buffer, with the address bound the input's first two bytes
// choose. Shared by the libFuzzer target and the test that replays its
// corpus; a broken promise of the reader's result traps.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "IntelHex.h"

inline int FuzzIntelHexInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const std::uint32_t maxAddress = (static_cast<std::uint32_t>(data[0]) << 8 | data[1]) & 0x3FFF;
  std::vector<std::uint8_t> buffer(8192, 0xA5);
  const std::string_view text(reinterpret_cast<const char*>(data + 2), size - 2);
  const THexReadResult r = ReadIntelHex(text, buffer, maxAddress);
  const std::uint32_t bound = maxAddress < buffer.size() ? maxAddress + 1 : static_cast<std::uint32_t>(buffer.size());
  if (r.End > bound) __builtin_trap();            // wrote past the bound it was given
  if (r.Ok != r.Error.empty()) __builtin_trap();  // an error always says why
  if (r.Overflow && r.Ok) __builtin_trap();
  for (std::size_t i = bound; i < buffer.size(); ++i)
    if (buffer[i] != 0xA5) __builtin_trap();  // nothing beyond the bound is touched
  return 0;
}
