// Erasing and writing the interface's configuration EEPROM through the
// service program "TESTCHIP" and its mailbox. No window in here: the USB
// page hands in how it shows status, keeps itself responsive while it
// waits, and switches the monitor off.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class TEzUsb;

struct TEepromServiceUi {
  std::function<void(std::string_view text)> StatusLine;  // the status bar
  std::function<void(bool busy)> Hourglass;
  // Beep, "USB - Gerätefehler, …", the indicator red.
  std::function<void()> DeviceError;
  // "UserAction: …" lines, only when user actions are logged.
  std::function<void(std::string_view line)> UserAction;
  // Lets `ms` milliseconds pass while the window stays responsive; false
  // when the program is closing, which ends the operation.
  std::function<bool(int ms)> Wait;
  // Around the whole operation: the monitor is switched off before the
  // service program replaces the firmware.
  std::function<void()> BeginDeviceAccess;
  std::function<void()> EndDeviceAccess;
};

// The mailbox of the service program.
namespace eeprom_mailbox {
constexpr uint16_t kReady = 0x101, kFound = 0x108, kMode = 0x109, kCommand = 0x10A, kOffsetHigh = 0x10D,
                   kOffsetLow = 0x10E, kFill = 0x10F, kPageBuffer = 0x0E00;
constexpr uint8_t kReadyValue = 4, kErase = 0x40, kWritePage = 0xA0, kDone = 0x10;
constexpr uint8_t kNoAnswer = 0x01, kVerifyFailed = 0x02, kOutOfRange = 0x04, kUnknownCommand = 0x08;
constexpr size_t kPageSize = 256;
}  // namespace eeprom_mailbox

class TEepromService {
 public:
  // `image`: "TESTCHIP" for the board, "TESTCHIP_OLD" for the older one.
  TEepromService(TEzUsb& usb, TEepromServiceUi ui, std::string image = "TESTCHIP")
      : usb_(usb), ui_(std::move(ui)), image_(std::move(image)) {}

  // Fills the whole EEPROM with 0xFF. True when the service program says
  // it is done without an error.
  bool Erase();
  // Writes the file from offset 0 in pages of 256 bytes; the last page is
  // filled up with 0xFF, the erased state.
  bool WriteFile(const std::string& fileName);
  bool WriteBytes(std::span<const uint8_t> bytes, const std::string& fileName);
  // Loads the service program and asks whether an EEPROM answered. False
  // when the service program could not be run.
  bool Detect(bool& found);

  // The pages a file of `bytes` is written as.
  static std::vector<std::array<uint8_t, eeprom_mailbox::kPageSize>> Pages(std::span<const uint8_t> bytes);

  // Waits in steps of this many milliseconds; the limits below count them.
  static constexpr int kPollMs = 10;
  static constexpr int kReadyLimitMs = 2000, kPageLimitMs = 5000, kEraseLimitMs = 60000;

 private:
  enum class TWait { Ok, Closing, DeviceError, Timeout };
  bool StartService(std::string_view userAction);
  TWait WaitFor(uint16_t address, const std::function<bool(uint8_t)>& done, int limitMs,
                const std::function<void(uint8_t)>& progress = {});
  bool WaitDone(int limitMs, uint8_t& answer, const std::function<void(uint8_t)>& progress = {});
  bool Failed(TWait w);
  bool ReportAnswer(uint8_t answer, uint16_t offset);
  void Status(std::string_view text) { if (ui_.StatusLine) ui_.StatusLine(text); }

  TEzUsb& usb_;
  TEepromServiceUi ui_;
  std::string image_;
};
