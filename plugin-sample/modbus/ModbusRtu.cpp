// A conversion plug-in the program accepts, and the template to start a
// plug-in from: it decodes Modbus RTU and shows one line per frame, its CRC
// checked. Each side of the link is decoded on its own.
#define TAMARIK_PLUGIN_DECLARE_EXPORTS
#include "TamarikPlugIn.h"

#include <array>
#include <cmath>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "ModbusRtuDecoder.h"

namespace {
constexpr const char* kVersion = "3.0.0";
constexpr const char* kType = "Modbus RTU";

// Convert may come from two threads (one at a time): the state is guarded,
// and each thread hands back its own text.
std::mutex lock;
std::array<TModbusRtuDecoder, 9> decoders;  // by direction
thread_local std::string text;
std::vector<TModbusFrame> frames;

bool SpsSide(std::uint8_t dir) { return dir == 2 || dir == 4 || dir == 6 || dir == 8; }
}  // namespace

TAMARIK_PLUGIN_EXPORT std::int32_t Tamarik(const char** version) {
  *version = kVersion;
  return static_cast<std::int32_t>(std::strlen(kVersion));
}

TAMARIK_PLUGIN_EXPORT std::int32_t PlugInType(const char** name) {
  *name = kType;
  return static_cast<std::int32_t>(std::strlen(kType));
}

// No parameter dialog: the button stays disabled, and ParamSet is left out.
TAMARIK_PLUGIN_EXPORT std::uint8_t ParamGet(const char** caption) {
  *caption = nullptr;
  return 0;
}

TAMARIK_PLUGIN_EXPORT std::int32_t Convert(const TPlugInRecord* record, std::uint32_t* colour, std::int32_t* interval,
                                           const char** out) {
  *interval = 0;
  // Only received bytes; signal changes, CAN and measurements pass unseen.
  if (record == nullptr || record->RecType != 1 || record->Count <= 0 || record->Ready <= 0 || record->Dir > 8)
    return 0;
  const double timeMs = record->Time * 86'400'000.0 + record->SubMs / 1000.0;
  std::lock_guard guard(lock);
  frames.clear();
  decoders[record->Dir].Feed(record->Data[0], timeMs, frames);
  if (frames.empty()) return 0;
  text.clear();
  bool allOk = true;
  for (const TModbusFrame& frame : frames) {
    text += DescribeModbusFrame(frame);
    text += "\r\n";
    allOk = allOk && frame.CrcOk;
  }
  // Blue-green-red: the controller's side red, a bad frame maroon.
  *colour = !allOk ? TAMARIK_MAROON : (SpsSide(record->Dir) ? TAMARIK_RED : TAMARIK_BLACK);
  *out = text.c_str();
  return static_cast<std::int32_t>(text.size());
}
