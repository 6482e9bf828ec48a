// The USB start without a window: from the operating mode (410 … 470) and
// the interface settings to the image, the configuration bytes and the rate
// divisors, then the start sequence itself (load, configure, wait, switch
// the monitor on). The window and the terminal front end both run it; what
// they show goes through TUsbStartUi.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/SettingsSections.h"

class TEzUsb;
class TUSBTamarik;
class TFirmwareLoader;

// One input's line as the image takes it.
struct TUsbLineFormat {
  uint32_t Baud = 9600;
  uint8_t DataBits = 8;    // 5 … 8
  uint8_t StopChoice = 0;  // 0 one, 1 two
  uint8_t ParityCode = 0;  // 16550 line-control bits: none 0x00, odd 0x08, even 0x18, mark 0x28, space 0x38
};

struct TUsbStartRequest {
  int WorkMode = 410;
  bool RateSelected = true;  // an item of grpBaud is selected
  bool MeasureBaud = false;  // "Messen" chosen (page, port A or port B)
  TUsbLineFormat Input1, Input2;
};

// The request from the stored (or shown) interface settings: the resolved
// port records (port A = input 1, port B = input 2) and grpBaud's items.
// False, with error set, when a rate is no number.
bool UsbStartRequestFrom(int workMode, const TPortABSettings& ports, const std::vector<std::string>& baudItems,
                         const std::string& messen, TUsbStartRequest& out, std::string& error);
// grpParitaet's index (none, even, odd, mark, space) as a parity code.
uint8_t UsbParityCode(int parityIndex);

// Which image a mode loads.
struct TUsbImage {
  std::string_view Image;  // empty: none
  int FirmwareType = -1;
  int TransceiverMode = 0;  // written to 0x10D for the RS4XX modes, 0 = none
};
TUsbImage UsbImageFor(int workMode, bool measureBaud);

// Clock base, clock flag and divisors for the two inputs' rates.
struct TUsbDivisors {
  uint32_t Base = 691200;
  uint8_t ClockFlag = 0;  // 0: 691200, 1: 750000
  uint16_t Divisor1 = 72, Divisor2 = 72;
  uint32_t Rate1() const { return Base / Divisor1; }  // the rates obtained
  uint32_t Rate2() const { return Base / Divisor2; }
};
TUsbDivisors UsbDivisorsFor(uint32_t baud1, uint32_t baud2);

struct TUsbConfigByte {
  uint16_t Address;
  uint8_t Value;
};
// The serial images' configuration bytes: 0x101 … 0x106 for input 1,
// 0x7B … 0x7F for input 2.
std::vector<TUsbConfigByte> UsbSerialConfigBytes(const TUsbStartRequest& request, const TUsbDivisors& divisors);

// What a front end shows or does during the start.
struct TUsbStartUi {
  // Waits keep the front end responsive: the window processes its events,
  // the terminal sleeps. Returns false when the program is closing.
  std::function<bool(int milliseconds)> Wait;
  std::function<void(std::string_view text)> StatusLine;
  // Beep, "USB - Gerätefehler, …", the indicator red.
  std::function<void()> DeviceError;
  // shUSBOK: 0 button face, 1 yellow (starting), 2 green, 3 red.
  std::function<void(int lamp)> Lamp;
  // edOtherBaud shows the rate obtained (input 1 or 2).
  std::function<void(int input, uint32_t rate)> RateObtained;
  // The CAN page set for input 1's rate and the controller initialised
  // (type 2), the measurement cycle (type 3); false: the start failed with
  // its message already shown.
  std::function<bool(uint32_t bitRate)> ConfigureCan;
  std::function<bool()> StartMeasurement;
};

enum TUsbStartResult {
  usNoRate,       // no rate item: nothing happened
  usNoMode,       // no USB mode: core held, the page asks for one
  usStarted,      // the monitor is active
  usDeviceError,  // access error or closing: core held, OK to be pressed again
};

class TUsbStart {
 public:
  TUsbStart(TEzUsb& usb, TUSBTamarik& monitor, TFirmwareLoader& loader, TUsbStartUi ui);
  TUsbStartResult Run(const TUsbStartRequest& request);

 private:
  // Waits until read(address) satisfies done, at most timeoutMs.
  bool WaitFor(uint16_t address, const std::function<bool(uint8_t)>& done, int timeoutMs);

  TEzUsb& usb_;
  TUSBTamarik& monitor_;
  TFirmwareLoader& loader_;
  TUsbStartUi ui_;
};
