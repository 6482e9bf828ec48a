// A received CAN frame as the USB receive thread puts it into the ring.
#pragma once

#include <cstdint>
#include <initializer_list>

#include "SeriellData.h"

inline TSeriellData CanFrameRecord(int seq, std::uint32_t ident, std::initializer_list<std::uint8_t> data,
                                   std::uint16_t signals = msID11, double time = 0.0) {
  TSeriellData r;
  r.RecType = rtCAN;
  r.Dir = dirUSBCAN1;
  r.Ready = 1;
  r.Info = seq;
  r.Ident = static_cast<std::int32_t>(ident);
  r.Signals = signals;
  r.Count = static_cast<std::int32_t>(data.size());
  int i = 0;
  for (std::uint8_t b : data) r.Data[i++] = b;
  r.Time = time;
  return r;
}
