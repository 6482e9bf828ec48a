// The receive record that every source writes into the receive ring, and the
// 60-byte little-endian layout in which it leaves the program (plug-ins, TCP
// coupling). Shared by more than one deliverable.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "LittleEndian.h"

enum TSerialDirections : std::uint8_t {
  dirNone = 0,
  dirPortA = 1,
  dirPortB = 2,
  dirUSB1 = 3,
  dirUSB2 = 4,
  dirUSB3 = 5,
  dirUSB4 = 6,
  dirUSBCAN1 = 7,
  dirUSBCAN2 = 8,
};

// Record types.
inline constexpr std::uint8_t rtSeriell = 1;
inline constexpr std::uint8_t rtCAN = 2;
inline constexpr std::uint8_t rtBaudMess = 3;
inline constexpr std::uint8_t rtFQMess = 4;

// Line event bits of LineFlags.
inline constexpr std::uint16_t seOther = 0x001;
inline constexpr std::uint16_t seOE = 0x002;
inline constexpr std::uint16_t sePE = 0x004;
inline constexpr std::uint16_t seFE = 0x008;
inline constexpr std::uint16_t seBI = 0x010;
inline constexpr std::uint16_t seBus = 0x020;
inline constexpr std::uint16_t seBusOv = 0x040;
inline constexpr std::uint16_t seBusDetail = 0x080;
inline constexpr std::uint16_t seNotSend = 0x100;
inline constexpr std::uint16_t seBufferChange = 0x200;
inline constexpr std::uint16_t seBufferOv = 0x400;

// Modem signal and CAN frame bits of Signals.
inline constexpr std::uint16_t msCTS1 = 0x001;
inline constexpr std::uint16_t msCTS2 = 0x002;
inline constexpr std::uint16_t msDSR1 = 0x004;
inline constexpr std::uint16_t msDSR2 = 0x008;
inline constexpr std::uint16_t msCD = 0x010;
inline constexpr std::uint16_t msRing = 0x020;
inline constexpr std::uint16_t msRTR = 0x040;
inline constexpr std::uint16_t msID11 = 0x080;
inline constexpr std::uint16_t msID29 = 0x100;

// The controller ("SPS") side for the line prefix text.
constexpr bool IsSpsSide(std::uint8_t dir) {
  return dir == dirPortB || dir == dirUSB2 || dir == dirUSB4 || dir == dirUSBCAN2;
}

struct TSeriellData {
  std::int32_t Kind = 4;
  std::uint8_t RecType = rtSeriell;
  std::int32_t Ready = 0;  // written last by the producer
  std::int32_t Ident = 0;
  std::int32_t Count = 0;
  std::array<std::uint8_t, 8> Data{};
  std::uint8_t Dir = dirNone;
  std::uint16_t LineFlags = 0;
  std::uint16_t Signals = 0;
  std::int32_t Info = 0;
  double Time = 0.0;  // local date-time, days since 1899-12-30
  std::int32_t SubMs = 0;
};

// The exchange layout, byte for byte as plug-ins and peers read it.
#pragma pack(push, 1)
struct TSeriellDataExchange {
  std::uint32_t HostInternal;
  std::int32_t Kind;
  std::uint8_t RecType;
  std::uint8_t Pad9[3];
  std::int32_t Ready;
  std::int32_t Ident;
  std::int32_t Count;
  std::uint8_t Data[8];
  std::uint8_t Dir;
  std::uint16_t LineFlags;
  std::uint16_t Signals;
  std::uint8_t Pad37[3];
  std::int32_t Info;
  std::uint8_t Pad44[4];
  double Time;
  std::int32_t SubMs;
};
#pragma pack(pop)

static_assert(sizeof(TSeriellDataExchange) == 60);
static_assert(offsetof(TSeriellDataExchange, HostInternal) == 0);
static_assert(offsetof(TSeriellDataExchange, Kind) == 4);
static_assert(offsetof(TSeriellDataExchange, RecType) == 8);
static_assert(offsetof(TSeriellDataExchange, Ready) == 12);
static_assert(offsetof(TSeriellDataExchange, Ident) == 16);
static_assert(offsetof(TSeriellDataExchange, Count) == 20);
static_assert(offsetof(TSeriellDataExchange, Data) == 24);
static_assert(offsetof(TSeriellDataExchange, Dir) == 32);
static_assert(offsetof(TSeriellDataExchange, LineFlags) == 33);
static_assert(offsetof(TSeriellDataExchange, Signals) == 35);
static_assert(offsetof(TSeriellDataExchange, Info) == 40);
static_assert(offsetof(TSeriellDataExchange, Time) == 48);
static_assert(offsetof(TSeriellDataExchange, SubMs) == 56);

using TSeriellDataBytes = std::array<std::uint8_t, 60>;

// Writes the record's 60 exchange bytes at `at` (padding and the first word
// zero), straight into a packet or a plug-in's buffer.
inline void WriteExchange(std::uint8_t* at, const TSeriellData& r) {
  std::memset(at, 0, sizeof(TSeriellDataExchange));
  PutLE<std::int32_t>(at + offsetof(TSeriellDataExchange, Kind), r.Kind);
  at[offsetof(TSeriellDataExchange, RecType)] = r.RecType;
  PutLE<std::int32_t>(at + offsetof(TSeriellDataExchange, Ready), r.Ready);
  PutLE<std::int32_t>(at + offsetof(TSeriellDataExchange, Ident), r.Ident);
  PutLE<std::int32_t>(at + offsetof(TSeriellDataExchange, Count), r.Count);
  std::memcpy(at + offsetof(TSeriellDataExchange, Data), r.Data.data(), 8);
  at[offsetof(TSeriellDataExchange, Dir)] = r.Dir;
  PutLE<std::uint16_t>(at + offsetof(TSeriellDataExchange, LineFlags), r.LineFlags);
  PutLE<std::uint16_t>(at + offsetof(TSeriellDataExchange, Signals), r.Signals);
  PutLE<std::int32_t>(at + offsetof(TSeriellDataExchange, Info), r.Info);
  PutLE<double>(at + offsetof(TSeriellDataExchange, Time), r.Time);
  PutLE<std::int32_t>(at + offsetof(TSeriellDataExchange, SubMs), r.SubMs);
}

// Reads 60 exchange bytes into a record in place (a ring slot).
inline void ReadExchange(const std::uint8_t* at, TSeriellData& r) {
  r.Kind = GetLE<std::int32_t>(at + offsetof(TSeriellDataExchange, Kind));
  r.RecType = at[offsetof(TSeriellDataExchange, RecType)];
  r.Ready = GetLE<std::int32_t>(at + offsetof(TSeriellDataExchange, Ready));
  r.Ident = GetLE<std::int32_t>(at + offsetof(TSeriellDataExchange, Ident));
  r.Count = GetLE<std::int32_t>(at + offsetof(TSeriellDataExchange, Count));
  std::memcpy(r.Data.data(), at + offsetof(TSeriellDataExchange, Data), 8);
  r.Dir = at[offsetof(TSeriellDataExchange, Dir)];
  r.LineFlags = GetLE<std::uint16_t>(at + offsetof(TSeriellDataExchange, LineFlags));
  r.Signals = GetLE<std::uint16_t>(at + offsetof(TSeriellDataExchange, Signals));
  r.Info = GetLE<std::int32_t>(at + offsetof(TSeriellDataExchange, Info));
  r.Time = GetLE<double>(at + offsetof(TSeriellDataExchange, Time));
  r.SubMs = GetLE<std::int32_t>(at + offsetof(TSeriellDataExchange, SubMs));
}

inline TSeriellDataBytes ToExchangeBytes(const TSeriellData& r) {
  TSeriellDataBytes b;
  WriteExchange(b.data(), r);
  return b;
}

inline TSeriellData FromExchangeBytes(const TSeriellDataBytes& b) {
  TSeriellData r;
  ReadExchange(b.data(), r);
  return r;
}
