// The frequency panel and the two measurement lines without the window.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "SeriellData.h"

// N of a measurement record: Data[1..3] as one 24-bit number.
std::uint32_t MeasurementValue(const TSeriellData& r);
// The baud-rate firmware's "no result".
inline constexpr std::uint32_t kNoBaudResult = 222222;

// "Hz: 500.000  Count: 1000" with the given decimal separator, without the
// line end. A cycle of 0 (never written by us) counts as 1 s.
std::string FrequencyText(const TSeriellData& r, std::string_view decimalSep);
// "SS: 9600 Baud", or empty for the firmware's "no result".
std::string BaudRateText(const TSeriellData& r);

// grpFQIN item to the input code the firmware takes at 0x101.
std::uint8_t FqInputCode(int itemIndex);
// edFQZyk: decimal, 1 when not a number, clamped to 1 … 255.
int FqCycle(std::string_view text);

// The locale's decimal separator (LC_NUMERIC of the environment).
std::string SystemDecimalSeparator();
