// The interface firmware images the program carries, built from firmware/
// with sdcc. A name that was not built gives an empty span.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

std::span<const uint8_t> FirmwareImage(std::string_view name);
