// An emulated CAN node whose microcontroller sits in its CAN boot loader:
// it takes frames from the bus, runs the boot loader's commands on its own
// flash image and puts its answers back on the bus. Frames in through
// FrameIn, answers out through FrameOut, so it hangs on any frame bus.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "CanBootProtocol.h"
#include "CanFrame.h"

class TAvrBootNode final : public TCanFrameSink {
 public:
  static constexpr std::uint8_t kBootVersion = 0x10;

  explicit TAvrBootNode(std::size_t flashSize = 32768, std::uint8_t nodeNumber = 0xFF, std::uint8_t segment = 0);

  void FrameIn(const TCanFrame& frame) override;
  std::function<void(const TCanFrame&)> FrameOut;

  // --- what a test or the demo looks at and arranges ---
  std::span<const std::uint8_t> Flash() const { return flash_; }
  std::span<std::uint8_t> Flash() { return flash_; }
  std::uint8_t Config(std::uint8_t index) const { return config_.at(index); }
  void SetConfig(std::uint8_t index, std::uint8_t value) { config_.at(index) = value; }
  bool Open() const { return open_; }
  bool ApplicationStarted() const { return started_; }
  // The next `count` answers are lost on their way to the host.
  void LoseAnswers(int count) { loseAnswers_ = count; }
  // From now on the node takes frames but answers none (pulled off the bus).
  void SetSilent(bool silent) { silent_ = silent; }
  // The security bit: flash may be neither written nor read.
  void SetSecurity(bool on) { secured_ = on; }
  // Frames taken and answers sent, for tests that count them.
  int FramesTaken() const { return framesTaken_; }

 private:
  using TBytes = std::vector<std::uint8_t>;
  void Answer(canboot::TGroup group, const TBytes& data);
  void Refuse(std::uint8_t code);
  void OnSelectNode(const TCanFrame& f);
  void OnProgStart(const TCanFrame& f);
  void OnProgData(const TCanFrame& f);
  void OnDisplayData(const TCanFrame& f);
  void OnWriteCommand(const TCanFrame& f);
  void OnReadCommand(const TCanFrame& f);

  std::vector<std::uint8_t> flash_;
  std::array<std::uint8_t, canboot::kConfigCount> config_{};
  std::uint8_t nodeNumber_;
  std::uint8_t segment_;
  bool open_ = false;
  bool started_ = false;
  bool secured_ = false;
  bool silent_ = false;
  int loseAnswers_ = 0;
  int framesTaken_ = 0;
  // A transfer between ProgStart and its last address.
  bool programming_ = false;
  std::uint32_t next_ = 0;
  std::uint32_t last_ = 0;
};
