// Little-endian integers and doubles in byte buffers: every layout that
// leaves the program (plug-in records, TCP packets) is little-endian
// whatever the machine.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

template <typename T>
inline void PutLE(std::uint8_t* at, T value) {
  std::uint8_t raw[sizeof(T)];
  std::memcpy(raw, &value, sizeof(T));
  if constexpr (std::endian::native == std::endian::big)
    for (std::size_t i = 0; i < sizeof(T); ++i) at[i] = raw[sizeof(T) - 1 - i];
  else
    std::memcpy(at, raw, sizeof(T));
}

template <typename T>
inline T GetLE(const std::uint8_t* at) {
  std::uint8_t raw[sizeof(T)];
  if constexpr (std::endian::native == std::endian::big)
    for (std::size_t i = 0; i < sizeof(T); ++i) raw[i] = at[sizeof(T) - 1 - i];
  else
    std::memcpy(raw, at, sizeof(T));
  T value;
  std::memcpy(&value, raw, sizeof(T));
  return value;
}

inline void PutU32(std::uint8_t* at, std::uint32_t value) { PutLE<std::uint32_t>(at, value); }
inline std::uint32_t GetU32(const std::uint8_t* at) { return GetLE<std::uint32_t>(at); }
