// What a peer's bytes go through: the framer, fed in pieces of the sizes the
// input itself chooses, then the registration and coupling-message readers.
// Shared by the libFuzzer target and the test that replays its corpus.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "net/CouplingMessage.h"
#include "net/PacketFramer.h"

// Keeps the readers' work from being optimised away.
inline volatile std::uint64_t gFuzzSink = 0;

inline int FuzzCouplingInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  // The first byte: how the bytes arrive (1 … 256 per read).
  const std::size_t piece = static_cast<std::size_t>(data[0]) + 1;
  ++data;
  --size;
  TPacketReader reader;
  std::uint64_t sink = 0;
  for (std::size_t at = 0; at < size; at += piece) {
    const std::size_t n = size - at < piece ? size - at : piece;
    reader.Feed({data + at, n});
    TPacketView packet;
    TPacketReader::TResult result;
    while ((result = reader.Next(packet)) == TPacketReader::prPacket) {
      if (packet.Id == piRegister) {
        std::string user, room;
        if (ReadRegistration(packet.Body, user, room)) sink += user.size() + room.size();
      } else if (packet.Id == piMessage) {
        TCouplingHeader header;
        if (ReadCouplingHeader(packet.Body, header) == ccOk)
          for (int i = 0; i < header.Count; ++i) sink += CouplingRecord(packet.Body, i).Data[0];
      }
    }
    if (result == TPacketReader::prBadLength) break;
  }
  gFuzzSink = sink;
  return 0;
}
