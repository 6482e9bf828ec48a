// "/DEBUGMODE": every record of a batch as one dump line.
#include <cstdio>

#include "core/DateTime.h"
#include "core/ReceivePipeline.h"
#include "core/ReceiveRing.h"

namespace {

void AppendHex(std::string& out, std::uint32_t value, int digits) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%0*X", digits, value);
  out += buf;
}

const char* TypeName(std::uint8_t type) {
  switch (type) {
    case rtSeriell: return "Seriell";
    case rtCAN: return "CAN";
    case rtBaudMess: return "BaudMess";
    case rtFQMess: return "FQMess";
    default: return "";
  }
}

const char* DirName(std::uint8_t dir) {
  static const char* const names[] = {"dirNone", "dirPortA", "dirPortB",   "dirUSB1",   "dirUSB2",
                                      "dirUSB3", "dirUSB4",  "dirUSBCAN1", "dirUSBCAN2"};
  return dir <= 8 ? names[dir] : "";
}

void AppendBitNames(std::string& out, std::uint16_t bits, const char* const* names, int count) {
  for (int i = 0; i < count; ++i)
    if (bits & (1u << i)) out += names[i];
}

}  // namespace

void TReceivePipeline::RxData_Debug(const ReceiveRing& ring, int batchStart, int batchCount) {
  static const char* const lineFlagNames[] = {"seOther", "seOE",    "sePE",        "seFE",
                                              "seBI",    "seBus",   "seBusOv",     "seBusDetail",
                                              "seNotSend", "seBufferChange", "seBufferOv"};
  static const char* const signalNames[] = {"msCTS1", "msCTS2", "msDSR1", "msDSR2", "msCD",
                                            "msRing", "msRTR",  "msID11", "msID29"};
  std::string text;
  if (!trace_.LastLineEmpty()) text = LineEndText("");
  for (int i = batchStart; i < batchStart + batchCount; ++i) {
    const TSeriellData& r = ring.Slot(i);
    text += "DBG: ";
    text += TypeName(r.RecType);
    text += " OK: ";
    AppendHex(text, static_cast<std::uint32_t>(r.Ready), 2);
    text += " TNr: ";
    AppendHex(text, static_cast<std::uint32_t>(r.Info), 4);
    text += " T: ";
    text += FormatDateTime(opt_.TimeFmt, r.Time);
    text += '.';
    char ms[16];
    std::snprintf(ms, sizeof ms, "%03d", r.SubMs);
    text += ms;
    text += " ID: ";
    AppendHex(text, static_cast<std::uint32_t>(r.Ident), 8);
    text += " Len: ";
    AppendHex(text, static_cast<std::uint32_t>(r.Count), 2);
    text += " Dat:";
    for (int k = 0; k < 8; ++k) {
      if (k < r.Count || (r.RecType == rtSeriell && k < 6)) {
        text += ' ';
        AppendHex(text, r.Data[k], 2);
      } else {
        text += "   ";
      }
    }
    text += " D: ";
    text += DirName(r.Dir);
    text += " E: ";
    AppendBitNames(text, r.LineFlags, lineFlagNames, 11);
    text += " M: ";
    AppendBitNames(text, r.Signals, signalNames, 9);
    text += LineEndText("");
  }
  Emit(text, clBlack);
}
