// The send frame the USB interface firmware takes at address 0x80: an 8-byte
// header and at most 118 data bytes. Built here without the device, so the
// transfer only has to move the bytes.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

inline constexpr std::size_t kUsbFrameHeader = 8;
inline constexpr std::size_t kUsbFrameMaxData = 118;
inline constexpr std::size_t kCanMaxFrameData = 8;

struct TUsbSendFrame {
  bool Can = false;
  // CAN frames.
  bool Extended = false;
  bool Rtr = false;
  int RtrLength = 0;
  std::uint32_t Ident = 0;
  // Serial data.
  bool TargetB = false;
  bool Break = false;
  int WorkMode = 0;
  std::string Data;  // this frame's bytes, at most 118 (8 for CAN)
  std::uint8_t Sequence = 1;
};

// 1 … 249, never 0.
std::uint8_t NextUsbSequence(std::uint8_t sequence);

// Writes the header bytes the frame sets; the others keep what header held
// before, as the firmware's buffer does.
void BuildUsbSendHeader(const TUsbSendFrame& frame, std::array<std::uint8_t, kUsbFrameHeader>& header);

// Splits the bytes of one send into frames of at most 118 bytes; a CAN send is
// one frame of at most 8 bytes, sent even without data. The sequence numbers
// are set as each frame goes out.
std::vector<TUsbSendFrame> SplitUsbSend(const TUsbSendFrame& templ, std::string_view bytes);
