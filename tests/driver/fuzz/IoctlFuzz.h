// One request built from fuzzer bytes against an emulated chip.
#pragma once

#include <cstddef>
#include <cstdint>

void FuzzIoctl(const uint8_t* data, size_t size);
