#include "core/UsbSendFrame.h"

#include <algorithm>

namespace {

bool BreakFlagMode(int mode) { return mode == 410 || mode == 420 || mode == 450 || mode == 460; }

}  // namespace

std::uint8_t NextUsbSequence(std::uint8_t sequence) {
  const int next = (sequence + 1) % 250;
  return static_cast<std::uint8_t>(std::max(1, next));
}

void BuildUsbSendHeader(const TUsbSendFrame& frame, std::array<std::uint8_t, kUsbFrameHeader>& header) {
  const auto count = static_cast<std::uint8_t>(frame.Data.size());
  if (frame.Can) {
    int info = frame.Extended ? 0x80 : 0;
    info += frame.Rtr ? 0x40 + frame.RtrLength : count;
    header[0] = static_cast<std::uint8_t>(info);
    const std::uint32_t shifted = frame.Ident << (frame.Extended ? 3 : 5);
    header[1] = static_cast<std::uint8_t>(shifted >> 24);
    header[2] = static_cast<std::uint8_t>(shifted >> 16);
    header[3] = static_cast<std::uint8_t>(shifted >> 8);
    header[4] = static_cast<std::uint8_t>(shifted);
    header[5] = 1;
  } else {
    if (BreakFlagMode(frame.WorkMode)) header[4] = frame.Break ? 1 : 0;
    header[5] = frame.TargetB ? 1 : 0;
  }
  header[6] = count;
  header[7] = frame.Sequence;
}

std::vector<TUsbSendFrame> SplitUsbSend(const TUsbSendFrame& templ, std::string_view bytes) {
  std::vector<TUsbSendFrame> frames;
  if (templ.Can) {
    TUsbSendFrame frame = templ;
    frame.Data = std::string(bytes.substr(0, kCanMaxFrameData));
    frames.push_back(std::move(frame));
    return frames;
  }
  for (std::size_t at = 0; at < bytes.size(); at += kUsbFrameMaxData) {
    TUsbSendFrame frame = templ;
    frame.Data = std::string(bytes.substr(at, kUsbFrameMaxData));
    // Only the first frame of a send starts with the break.
    frame.Break = templ.Break && at == 0;
    frames.push_back(std::move(frame));
  }
  return frames;
}
