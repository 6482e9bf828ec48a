// Loading images into the interface: the built-in firmware images, a file
// the user chose, and the HEX and binary readers the AVR programmer uses.
// No window in here: what the window shows goes through TUsbLoadUi.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

class TEzUsb;

struct TUsbLoadUi {
  std::function<void(std::string_view text)> StatusLine;  // the status bar
  std::function<void(bool busy)> Hourglass;
  // Beep, "USB - Gerätefehler, …" in the status bar, the indicator red.
  std::function<void()> DeviceError;
  // A message box (address overflow, a bad file).
  std::function<void(std::string_view text)> Message;
  // "UserAction: …" lines, only when user actions are logged.
  std::function<void(std::string_view line)> UserAction;
};

class TFirmwareLoader {
 public:
  TFirmwareLoader(TEzUsb& usb, TUsbLoadUi ui) : usb_(usb), ui_(std::move(ui)) {}

  // Holds the core, downloads the image from address 0; with userAction
  // releases the core and shows the image's status text. An image that was
  // not built downloads nothing and reports the device error. Returns
  // whether the image went down without an access error.
  bool LoadFirmware(std::string_view resourceName, bool userAction);
  // A user's image file: ".bin" (any case) raw from address 0, anything
  // else as Intel-HEX. Leaves the core held. Files that do not fit the
  // 8192-byte download buffer are refused with a message, nothing loaded.
  void SendFileToDevice(const std::string& fileName);
  // Returns the image length, 0 when the file was refused.
  int LoadHexToDevice(const std::string& fileName);

 private:
  void Status(std::string_view text) { if (ui_.StatusLine) ui_.StatusLine(text); }
  void Message(std::string_view text) { if (ui_.Message) ui_.Message(text); }

  TEzUsb& usb_;
  TUsbLoadUi ui_;
};

// Reads an Intel-HEX file into `buffer` up to `maxAddress`; returns the
// highest address written plus one. An overflow or a bad file shows its
// message through `message` and returns what was stored until then (0 for
// a bad file).
int LoadHexToBuffer(const std::string& fileName, std::span<uint8_t> buffer, uint32_t maxAddress,
                    const std::function<void(std::string_view)>& message);
// Reads a file raw into `buffer` from index 0; an index above `maxIndex`
// shows "Fehler: Adressüberlauf!" and returns the count so far. A file that
// cannot be opened gives 0.
int LoadBinToBuffer(const std::string& fileName, std::span<uint8_t> buffer, uint32_t maxIndex,
                    const std::function<void(std::string_view)>& message);

// The status text of a firmware image after a user load, empty for those
// without one.
std::string FirmwareStatusText(std::string_view resourceName);
