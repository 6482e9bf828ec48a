// Sending through the USB interface: each frame is downloaded to 0x80, its
// sequence number written to 0x77 ("go"); the firmware takes it when 0x77
// equals the header's copy at 0x87, and reports it sent in 0x7A ("done").
// A frame whose numbers do not read back as written is sent again.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/SendData.h"

// What the send path needs of the access layer and the USB component.
class TUsbSendDevice {
 public:
  virtual ~TUsbSendDevice() = default;
  // Header and data from the send buffer into the controller's memory.
  virtual void DownloadSmall(std::uint16_t address, const std::uint8_t* bytes, int length) = 0;
  virtual bool WriteRam(std::uint16_t address, std::uint8_t value) = 0;
  virtual std::uint8_t ReadRam(std::uint16_t address) = 0;
  // count bytes from address into out; false when the read failed.
  virtual bool ReadRamSmall(std::uint16_t address, int count, std::uint8_t* out) = 0;
  // The access layer's sticky failure flag.
  virtual bool Error() const = 0;
  // The receive thread leaves gaps while the window thread uses the device.
  virtual void BeginDeviceAccess() = 0;
  virtual void EndDeviceAccess() = 0;
};

class TUsbHandshakeSend final : public TUsbSendOutput {
 public:
  static constexpr std::uint16_t kFrameAddress = 0x80, kGo = 0x77, kDone = 0x7A, kTaken = 0x87;
  // Tries of one frame before the send fails: a firmware that never takes
  // it would otherwise hold the sender forever.
  static constexpr int kMaxRepeats = 8;
  // 5 ms waits for one frame's completion: 30 s, as 118 bytes at 110 Bd
  // take 11 s on the line.
  static constexpr int kMaxDoneWaits = 6000;

  explicit TUsbHandshakeSend(TUsbSendDevice& device) : device_(device) {}
  std::size_t SendFrames(std::vector<TUsbSendFrame>& frames, bool waitDone, const TSendWait& wait) override;

  std::uint8_t UsbSequence() const { return sequence_; }
  // Frames sent again because the device did not read back as written.
  int Repeats() const { return repeats_; }

 private:
  enum class TOutcome { Sent, Stopped };
  TOutcome SendOne(TUsbSendFrame& frame, const TSendWait& wait);
  void Download(const TUsbSendFrame& frame);
  bool Accepted(std::uint8_t sequence);
  void CheckError() const;
  void Repeat(std::uint8_t sequence, int& tries);

  TUsbSendDevice& device_;
  std::uint8_t sequence_ = 0;  // 1 … 249 once a frame went out
  // Bytes a frame does not set keep what the frame before left there.
  std::array<std::uint8_t, kUsbFrameHeader> header_{};
  int repeats_ = 0;
};
