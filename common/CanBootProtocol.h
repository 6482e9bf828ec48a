// The CAN boot loader of the maker's CAN microcontrollers, as its public
// application notes describe it: seven command groups, each one identifier
// relative to the node's relocatable segment (segment × 16 + group). The host
// asks and the node answers on the same identifier; refusals come on the
// error identifier. Shared by the programmer dialog and the emulated node.
#pragma once

#include <array>
#include <cstdint>

namespace canboot {

enum TGroup : std::uint8_t {
  SelectNode = 0,    // host: node number; node: boot version, 0 closed / 1 open
  ProgStart = 1,     // host: memory, first and last address; node: empty answer
  ProgData = 2,      // host: up to 8 bytes; node: one status byte (below)
  DisplayData = 3,   // host: 0 read / 1 blank check, first and last address
  WriteCommand = 4,  // erase, configuration bytes, start of the application
  ReadCommand = 5,   // versions and configuration bytes
  ErrorAnswer = 6,   // node only: why a command was refused
};

constexpr std::uint32_t Ident(std::uint8_t segment, TGroup group) {
  return (static_cast<std::uint32_t>(segment) << 4) | group;
}

// Status byte of an answer to ProgData.
inline constexpr std::uint8_t kDataDone = 0x00;  // last address written
inline constexpr std::uint8_t kDataFail = 0x01;
inline constexpr std::uint8_t kDataMore = 0x02;  // ready for the next bytes

// First data byte of an ErrorAnswer.
inline constexpr std::uint8_t kErrorSecurity = 0x00;
inline constexpr std::uint8_t kErrorAddress = 0x01;

// WriteCommand sub-commands (first data byte).
inline constexpr std::uint8_t kWriteErase = 0x00;   // second byte 0xFF: the whole flash
inline constexpr std::uint8_t kWriteConfig = 0x01;  // index, value
inline constexpr std::uint8_t kWriteStart = 0x03;   // 0x00 reset, 0x01 jump to the address that follows

// ReadCommand sub-commands.
inline constexpr std::uint8_t kReadVersion = 0x00;  // 0 boot loader version, 1 and 2 the device ids
inline constexpr std::uint8_t kReadConfig = 0x01;   // index

// Configuration byte indices.
inline constexpr std::uint8_t kBSB = 0, kSBV = 1, kP1CF = 2, kP3CF = 3, kP4CF = 4, kSSB = 5, kEB = 6;
inline constexpr std::uint8_t kConfigCount = 7;

}  // namespace canboot
