// Colours are RGB triples packed as 0xRRGGBB.
#pragma once

#include <cstdint>

using TColor = std::uint32_t;

inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clRed = 0xFF0000;
inline constexpr TColor clGray = 0x808080;
inline constexpr TColor clMaroon = 0x800000;
inline constexpr TColor clNavy = 0x000080;
inline constexpr TColor clBlue = 0x0000FF;
inline constexpr TColor clGreen = 0x008000;
inline constexpr TColor clOlive = 0x808000;
inline constexpr TColor clAqua = 0x00FFFF;
inline constexpr TColor clWhite = 0xFFFFFF;

constexpr TColor NegateColor(TColor c) { return 0xFFFFFF ^ (c & 0xFFFFFF); }
constexpr int RedOf(TColor c) { return (c >> 16) & 0xFF; }
constexpr int GreenOf(TColor c) { return (c >> 8) & 0xFF; }
constexpr int BlueOf(TColor c) { return c & 0xFF; }
