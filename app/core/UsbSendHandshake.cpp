#include "core/UsbSendHandshake.h"

#include <algorithm>
#include <stdexcept>

#include "core/AppFlags.h"
#include "core/ErrorReport.h"

namespace {

// EndDeviceAccess also when a frame fails.
class TDeviceAccess {
 public:
  explicit TDeviceAccess(TUsbSendDevice& device) : device_(device) { device_.BeginDeviceAccess(); }
  ~TDeviceAccess() { device_.EndDeviceAccess(); }
  TDeviceAccess(const TDeviceAccess&) = delete;
  TDeviceAccess& operator=(const TDeviceAccess&) = delete;

 private:
  TUsbSendDevice& device_;
};

}  // namespace

std::size_t TUsbHandshakeSend::SendFrames(std::vector<TUsbSendFrame>& frames, bool waitDone, const TSendWait& wait) {
  TDeviceAccess access(device_);
  if (waitDone) {
    // The frame before must be out: "go" not ahead of "done".
    for (;;) {
      std::uint8_t go[4] = {};
      if (device_.ReadRamSmall(kGo, 4, go) && go[0] <= go[3]) break;
      CheckError();
      if (SendStopped()) return 0;
      wait(5);
    }
  }
  std::size_t sent = 0;
  for (TUsbSendFrame& frame : frames) {
    if (SendAbort.load()) break;
    if (SendOne(frame, wait) == TOutcome::Stopped) break;
    sent += frame.Data.size();
  }
  return sent;
}

TUsbHandshakeSend::TOutcome TUsbHandshakeSend::SendOne(TUsbSendFrame& frame, const TSendWait& wait) {
  sequence_ = NextUsbSequence(sequence_);
  frame.Sequence = sequence_;
  int tries = 0;
  for (;;) {
    Download(frame);
    if (!Accepted(sequence_)) {
      Repeat(sequence_, tries);
      continue;
    }
    bool again = false;
    for (int waits = 0;; ++waits) {
      const std::uint8_t done = device_.ReadRam(kDone);
      CheckError();
      if (done == sequence_) return TOutcome::Sent;
      // Overwritten before it went out: the same frame once more.
      if (!Accepted(sequence_)) {
        again = true;
        break;
      }
      if (SendStopped()) return TOutcome::Stopped;
      if (waits >= kMaxDoneWaits) throw std::runtime_error("USB: the send frame was not sent out by the interface");
      wait(5);
    }
    if (again) Repeat(sequence_, tries);
  }
}

void TUsbHandshakeSend::Download(const TUsbSendFrame& frame) {
  BuildUsbSendHeader(frame, header_);
  std::uint8_t buffer[kUsbFrameHeader + kUsbFrameMaxData];
  const std::size_t count = frame.Data.size() < kUsbFrameMaxData ? frame.Data.size() : kUsbFrameMaxData;
  std::copy(header_.begin(), header_.end(), buffer);
  std::copy(frame.Data.begin(), frame.Data.begin() + static_cast<std::ptrdiff_t>(count), buffer + kUsbFrameHeader);
  device_.DownloadSmall(kFrameAddress, buffer, static_cast<int>(kUsbFrameHeader + count));
  device_.WriteRam(kGo, frame.Sequence);
  CheckError();
}

bool TUsbHandshakeSend::Accepted(std::uint8_t sequence) {
  const std::uint8_t taken = device_.ReadRam(kTaken);
  const std::uint8_t go = device_.ReadRam(kGo);
  CheckError();
  return taken == sequence && go == sequence;
}

void TUsbHandshakeSend::CheckError() const {
  if (device_.Error()) throw std::runtime_error("USB: the interface did not answer while sending");
}

// Both numbers one behind, so the firmware cannot take a frame half
// written, then the frame again.
void TUsbHandshakeSend::Repeat(std::uint8_t sequence, int& tries) {
  ++repeats_;
  if (++tries > kMaxRepeats) throw std::runtime_error("USB: the interface did not take the send frame");
  ReportError("28.1", "USB: send frame " + std::to_string(sequence) + " sent again");
  device_.WriteRam(kGo, static_cast<std::uint8_t>(sequence - 1));
  device_.WriteRam(kTaken, static_cast<std::uint8_t>(sequence - 1));
  CheckError();
}
