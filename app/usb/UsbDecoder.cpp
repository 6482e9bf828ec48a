#include "UsbDecoder.h"

#include <algorithm>
#include <cmath>

#include "SeriellData.h"
#include "core/ReceiveRing.h"

namespace {

constexpr double kMsPerDay = 86400000.0;

// The millisecond part (0–999) of a date-time's time of day.
int32_t MillisecondOf(double dateTime) {
  const double msOfDay = std::floor((dateTime - std::floor(dateTime)) * kMsPerDay + 0.5);
  return static_cast<int32_t>(std::fmod(msOfDay, 1000.0));
}

// Splits a tick distance into whole milliseconds past base and the rest.
void PlaceInTime(TSeriellData& r, double base, int ticks) {
  const int us = ticks * 200;
  r.Time = us >= 1000 ? base + (us / 1000) / kMsPerDay : base;
  r.SubMs = us % 1000;
}

uint16_t SignalsOfStatus(uint8_t status) {
  uint16_t s = 0;
  if (status & 0x04) s |= msCTS1;
  if (status & 0x08) s |= msCTS2;
  if (status & 0x10) s |= msDSR1;
  if (status & 0x20) s |= msDSR2;
  if (status & 0x40) s |= msRing;
  if ((status & 0x80) && (status & 0x04) && (status & 0x08)) s |= msCD;
  return s;
}

uint16_t LineFlagsOfLineStatus(uint8_t data) {
  uint16_t f = 0;
  if (data & 0x02) f |= seOE;
  if (data & 0x04) f |= sePE;
  if (data & 0x08) f |= seFE;
  if (data & 0x10) f |= seBI;
  if ((data & 0x2E) == 0x20) f |= seOther;
  return f;
}

// Payload length L, and how many bytes of the buffer may be looked at: the
// records never reach past what was read.
int PayloadEnd(std::span<const uint8_t> buffer) {
  if (buffer.empty()) return 0;
  return std::min<int>(buffer[0] + 3, static_cast<int>(buffer.size()));
}

// Claims a slot, copies the record in (Ready last, as it is) and commits;
// a full ring drops it and counts it there.
void PutRecord(ReceiveRing& ring, const TSeriellData& record) {
  const int slot = ring.ClaimSlot();
  if (slot < 0) return;
  TSeriellData& r = ring.Slot(slot);
  const int32_t ready = record.Ready;
  r = record;
  r.Ready = 0;
  r.Ready = ready;
  ring.CommitSlot();
}

void ClearRecord(TSeriellData& r, uint8_t recType, double base) {
  r.Kind = 4;
  r.RecType = recType;
  r.Ready = 0;
  r.Ident = 0;
  r.Count = 0;
  r.Data.fill(0);
  r.Dir = dirNone;
  r.LineFlags = 0;
  r.Signals = 0;
  r.Info = 0;
  r.Time = base;
  r.SubMs = 0;
}

}  // namespace

void TUsbLoadStats::Add(int payloadLength) {
  Sum += payloadLength - History[static_cast<size_t>(Index)];
  History[static_cast<size_t>(Index)] = payloadLength;
  Index = Index >= 100 ? 0 : Index + 1;
  Load = Sum / 254;
}

void DecodeSerialBuffer(std::span<const uint8_t> buffer, int lastSlot, double base, TUsbDecodeState& state,
                        ReceiveRing& ring) {
  if (buffer.size() < 3) return;
  const int end = PayloadEnd(buffer);
  const int records = buffer[0] / 3;
  const int32_t baseMs = MillisecondOf(base);
  for (int i = 0; i < records; ++i) {
    const int at = 3 + 3 * i;
    if (at + 3 > end) break;  // a short read never yields invented records
    const uint8_t status = buffer[static_cast<size_t>(at)];
    const uint8_t data = buffer[static_cast<size_t>(at + 1)];
    const uint8_t tick = buffer[static_cast<size_t>(at + 2)];

    int slot = state.PendingSlot;
    if (slot < 0) slot = ring.ClaimSlot();
    state.PendingSlot = -1;
    // Two line-status records in a row: the first one's flags stay with
    // the byte that finally comes, instead of being overwritten.
    const uint16_t carried = state.PendingFlags;
    state.PendingFlags = 0;
    uint16_t pending = 0;
    int32_t ready = 1, count = 1;
    uint8_t dir = dirNone;
    switch (status & 0x03) {
      case 0: ready = 0; count = 0; break;
      case 1: dir = dirUSB1; break;
      case 2: dir = dirUSB2; break;
      default:
        ready = 0;
        count = 0;
        dir = dirUSB2;
        pending = LineFlagsOfLineStatus(data);
        break;
    }
    if (slot < 0) {  // the ring was full: the record is dropped (and counted there)
      state.PendingFlags = static_cast<uint16_t>(carried | pending);
      continue;
    }
    TSeriellData& r = ring.Slot(slot);
    ClearRecord(r, rtSeriell, base);
    r.Ident = baseMs;
    r.Count = count;
    r.Data[0] = data;
    r.Data[1] = status;
    r.Data[2] = tick;
    if ((status & 0x03) == 3) r.Data[3] = data;
    r.Data[4] = static_cast<uint8_t>(state.Ref);
    r.Data[5] = static_cast<uint8_t>(lastSlot);
    r.Dir = dir;
    r.Signals = SignalsOfStatus(status);
    r.LineFlags = carried;
    PlaceInTime(r, base, (tick - state.Ref) & 0xFF);
    if (pending != 0) {
      state.PendingFlags = static_cast<uint16_t>(carried | pending);
      state.PendingSlot = slot;
      continue;
    }
    r.Ready = ready;
    ring.CommitSlot();
  }
}

void DecodeCanBuffer(std::span<const uint8_t> buffer, double base, ReceiveRing& ring) {
  if (buffer.size() < 3) return;
  const int length = buffer[0];
  const int end = PayloadEnd(buffer);
  auto byteAt = [&](int i) { return buffer[static_cast<size_t>(i)]; };
  int at = 2;
  while (at <= length - 1 && at < end) {
    const uint8_t type = byteAt(at);
    TSeriellData r;
    ClearRecord(r, rtCAN, base);
    r.Dir = dirUSBCAN1;
    int next = at + 1;
    if (type == 2) {
      if (next + 2 > end) break;
      r.Info = byteAt(next++);
      const uint8_t f = byteAt(next++);
      if (f & 0x40) r.Signals |= msRTR;
      // A length code above 8 still carries eight bytes.
      r.Count = std::min(f & 0x0F, 8);
      const bool extended = f & 0x80;
      const int idBytes = extended ? 4 : 2;
      if (next + idBytes + r.Count + 1 > end) break;
      if (extended) {
        r.Signals |= msID29;
        r.Ident = static_cast<int32_t>((uint32_t{byteAt(next)} << 21) | (uint32_t{byteAt(next + 1)} << 13) |
                                       (uint32_t{byteAt(next + 2)} << 5) | (uint32_t{byteAt(next + 3)} >> 3));
      } else {
        r.Signals |= msID11;
        r.Ident = (byteAt(next) << 3) | (byteAt(next + 1) >> 5);
      }
      next += idBytes;
      for (int k = 0; k < r.Count; ++k) r.Data[static_cast<size_t>(k)] = byteAt(next++);
      r.Ready = 1;
    } else {
      static constexpr uint16_t kEventFlags[] = {seBus, seBusOv, seBusDetail, seNotSend, seBufferChange, seBufferOv};
      if (type >= 4 && type <= 9) r.LineFlags = kEventFlags[type - 4];
      if (type == 6) {
        if (next + 6 + 1 > end) break;
        for (int k = 0; k < 6; ++k) r.Data[static_cast<size_t>(k)] = byteAt(next++);
        r.Count = 6;
      }
      if (next + 1 > end) break;
    }
    PlaceInTime(r, base, byteAt(next++));
    PutRecord(ring, r);
    at = next;
  }
}

void DecodeMeasurementBuffer(std::span<const uint8_t> buffer, int firmwareType, double base, ReceiveRing& ring) {
  if (buffer.size() < 9 || buffer[0] != 6) return;
  TSeriellData r;
  ClearRecord(r, firmwareType == 3 ? rtFQMess : rtBaudMess, base);
  r.Count = 6;
  for (int k = 0; k < 6; ++k) r.Data[static_cast<size_t>(k)] = buffer[static_cast<size_t>(3 + k)];
  static constexpr uint8_t kInputs[] = {dirUSB3, dirUSB4, dirUSB1, dirUSB2, dirUSBCAN1};
  r.Dir = buffer[8] < 5 ? kInputs[buffer[8]] : static_cast<uint8_t>(dirNone);
  r.Ready = 1;
  PutRecord(ring, r);
}

void DecodeUsbBuffer(std::span<const uint8_t> buffer, int lastSlot, double base, int firmwareType,
                     TUsbDecodeState& state, TUsbLoadStats& load, ReceiveRing& ring) {
  if (buffer.size() < 3) return;
  if (base != state.Base) {
    state.Ref = buffer[2] - buffer[2] % 5;
    state.Base = base;
  }
  load.Add(buffer[0]);
  switch (firmwareType) {
    case 0:
    case 1: DecodeSerialBuffer(buffer, lastSlot, base, state, ring); break;
    case 2: DecodeCanBuffer(buffer, base, ring); break;
    case 3:
    case 4: DecodeMeasurementBuffer(buffer, firmwareType, base, ring); break;
    default: break;
  }
}

void FlushPendingRecord(TUsbDecodeState& state, ReceiveRing& ring) {
  if (state.PendingSlot >= 0) {
    TSeriellData& r = ring.Slot(state.PendingSlot);
    // Still the line-status record: its flags show without a byte.
    r.LineFlags = state.PendingFlags;
    r.Ready = 0;
    ring.CommitSlot();
  }
  state.PendingSlot = -1;
  state.PendingFlags = 0;
}
