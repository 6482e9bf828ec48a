// The record buffers of the interface images turned into ring records:
// pure functions over the bytes read from one buffer, so every rule can be
// tried on byte fixtures without a device.
#pragma once

#include <array>
#include <cstdint>
#include <span>

class ReceiveRing;

// Decoder state that lives from buffer to buffer.
struct TUsbDecodeState {
  // Time base of the previous buffer and the reference tick taken with it.
  double Base = -1.0;
  int Ref = 0;
  // Line flags of a line-status record waiting for the next record, and
  // the slot that record claimed but did not commit (-1: none).
  uint16_t PendingFlags = 0;
  int PendingSlot = -1;
};

// The buffer load of the last 101 buffers.
struct TUsbLoadStats {
  std::array<int32_t, 101> History{};
  int Index = 0;
  int32_t Sum = 0;
  int32_t Load = 0;  // Sum div 254

  void Add(int payloadLength);
  void Reset() { *this = {}; }
};

// Buffer layout.
inline constexpr uint16_t kUsbFillSlotAddress = 0x10B;  // buffer the image fills
inline constexpr uint16_t kUsbReadSlotAddress = 0x10C;  // buffer the host reads
inline constexpr uint16_t UsbBufferAddress(int slot) { return static_cast<uint16_t>(0x900 + 256 * slot); }

// Serial images (types 0, 1): L div 3 records of status, data, tick from
// offset 3. `buffer` holds what was read (L + 3 bytes, or the 8-byte header
// when that already held the payload); `base` the time base of this buffer.
void DecodeSerialBuffer(std::span<const uint8_t> buffer, int lastSlot, double base, TUsbDecodeState& state,
                        ReceiveRing& ring);
// CAN image (type 2): frames and controller events from offset 2.
void DecodeCanBuffer(std::span<const uint8_t> buffer, double base, ReceiveRing& ring);
// Measurement images (3 frequency, 4 baud rate): one record for L = 6.
void DecodeMeasurementBuffer(std::span<const uint8_t> buffer, int firmwareType, double base, ReceiveRing& ring);

// Everything one buffer brings: the time base rule, the load statistics
// and the decoder chosen by firmwareType (other types deliver nothing).
void DecodeUsbBuffer(std::span<const uint8_t> buffer, int lastSlot, double base, int firmwareType,
                     TUsbDecodeState& state, TUsbLoadStats& load, ReceiveRing& ring);

// Hands out a record held back for its line flags (the monitor stops, or
// the type changes): as an empty record carrying those flags, so the ring
// never waits on a slot that nobody will fill.
void FlushPendingRecord(TUsbDecodeState& state, ReceiveRing& ring);
