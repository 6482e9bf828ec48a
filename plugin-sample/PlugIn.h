// The sample plug-in's exports. It shows the export names, the string
// passing and the parameter hooks with trivial conversions. Its Convert and
// ConvertCAN have argument lists of their own, and its version begins with
// "0": the program loads it, finds the version too old and unloads it again.
// A plug-in the program accepts is in modbus/ beside this one.
#pragma once

#include <cstdint>

#define SAMPLE_EXPORT extern "C" __attribute__((visibility("default")))

// The record ConvertCAN reads, little-endian.
#pragma pack(push, 1)
struct TSampleCanRecord {
  std::int32_t Kind;  // 1 CAN frame with 11-bit identifier, 2 with 29-bit, above 2 plain text
  std::int32_t Ident;
  std::uint8_t Reserved8[4];
  std::int32_t Count;  // data bytes, 0..8
  std::uint8_t Data[8];
};
#pragma pack(pop)
static_assert(sizeof(TSampleCanRecord) == 24);

SAMPLE_EXPORT std::int32_t Tamarik(const char** version);
SAMPLE_EXPORT std::int32_t PlugInType(const char** name);
SAMPLE_EXPORT std::uint8_t ParamGet(const char** caption);
SAMPLE_EXPORT std::int32_t ParamSet(std::uintptr_t ownerWindow);
SAMPLE_EXPORT std::int32_t Convert(std::int32_t unused, std::uint8_t directionFlags, const char* input,
                                   const char** output, std::uint32_t* colour);
SAMPLE_EXPORT std::int32_t ConvertCAN(const TSampleCanRecord* record, const char* input, const char** output,
                                      std::int32_t unused);
