// TamarikUSB, the driver library: device names, control codes and records,
// byte for byte as the program and the driver exchange them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace tamarikusb {

// Status values of a completed request.
enum TStatus : uint32_t {
  stSuccess = 0,
  stUnsuccessful = 0xC0000001,
  stInvalidParameter = 0xC000000D,
  stInsufficientResources = 0xC000009A,
  stDeletePending = 0xC0000056,
  stNoSuchDevice = 0xC000000E,
  stInvalidHandle = 0xC0000008,
};

// Control codes: device type 0x22, any access, function from 0x800.
constexpr uint32_t Ctl(uint32_t function, uint32_t method) { return (0x22u << 16) | (function << 2) | method; }
constexpr uint32_t mBuffered = 0, mDirectIn = 1, mDirectOut = 2;
constexpr uint32_t ioGetPipeInfo = Ctl(0x800, mBuffered);                 // 0x222000
constexpr uint32_t ioGetDeviceDescriptor = Ctl(0x801, mBuffered);         // 0x222004
constexpr uint32_t ioGetConfigDescriptor = Ctl(0x802, mBuffered);         // 0x222008
constexpr uint32_t ioVendorRequest = Ctl(0x805, mBuffered);               // 0x222014
constexpr uint32_t ioNoOperation = Ctl(0x806, mBuffered);                 // 0x222018
constexpr uint32_t ioBlockWrite512 = Ctl(0x807, mBuffered);               // 0x22201C
constexpr uint32_t ioResetParentPort = Ctl(0x80C, mDirectIn);             // 0x222031
constexpr uint32_t ioResetPipe = Ctl(0x80D, mDirectIn);                   // 0x222035
constexpr uint32_t ioAbortPipe = Ctl(0x80F, mDirectIn);                   // 0x22203D
constexpr uint32_t ioSetInterface = Ctl(0x810, mBuffered);                // 0x222040
constexpr uint32_t ioGetStringDescriptor = Ctl(0x811, mBuffered);         // 0x222044
constexpr uint32_t ioBulkRead = Ctl(0x813, mDirectOut);                   // 0x22204E
constexpr uint32_t ioBulkWrite = Ctl(0x814, mDirectIn);                   // 0x222051
constexpr uint32_t ioGetFrameNumber = Ctl(0x815, mBuffered);              // 0x222054
constexpr uint32_t ioVendorRequest2 = Ctl(0x816, mDirectIn);              // 0x222059
constexpr uint32_t ioGetLastError = Ctl(0x817, mBuffered);                // 0x22205C
constexpr uint32_t ioIsoRead = Ctl(0x819, mDirectOut);                    // 0x222066
constexpr uint32_t ioIsoWrite = Ctl(0x81A, mDirectIn);                    // 0x222069
constexpr uint32_t ioAnchorDownload = Ctl(0x81B, mDirectIn);              // 0x22206D
constexpr uint32_t ioGetDriverVersion = Ctl(0x81D, mBuffered);            // 0x222074
constexpr uint32_t ioStartIsoStream = Ctl(0x81E, mBuffered);              // 0x222078
constexpr uint32_t ioStopIsoStream = Ctl(0x81F, mBuffered);               // 0x22207C
constexpr uint32_t ioReadIsoBuffer = Ctl(0x820, mDirectOut);              // 0x222082
constexpr uint32_t ioSetFeature = Ctl(0x821, mBuffered);                  // 0x222084
static_assert(ioVendorRequest == 0x222014 && ioAnchorDownload == 0x22206D && ioGetDriverVersion == 0x222074);
static_assert(ioBulkRead == 0x22204E && ioReadIsoBuffer == 0x222082 && ioSetFeature == 0x222084);

// The vendor-request record, 10 bytes, little-endian.
struct TVendorRequestIn {
  uint8_t bRequest;
  uint8_t pad;
  uint16_t wValue;
  uint16_t wIndex;
  uint16_t wLength;
  uint8_t direction;  // 0 host to device, 1 device to host
  uint8_t bData;
};
static_assert(sizeof(TVendorRequestIn) == 10);

struct TDriverVersion {
  uint16_t major, minor, build;
};
static_assert(sizeof(TDriverVersion) == 6);
constexpr TDriverVersion kDriverVersion{1, 1, 14869};

class TEzUsbDevice;

using THandle = intptr_t;  // 0 = none

// Opens "\\.\tamarik-N", "\\.\ezusb-N" or "\\.\tamarik-emu-N" (the prefix
// is optional). Returns 0 when no such device is attached and started.
THandle Open(const std::string& name);
void Close(THandle handle);
// One control request. `information` receives the bytes returned.
uint32_t Ioctl(THandle handle, uint32_t code, const void* in, size_t inLength, void* out, size_t outLength,
               size_t* information);

// Emulated devices: attached in order, named "tamarik-emu-N" and, among all
// attached interfaces, "tamarik-N" (or "ezusb-N" when unconfigured) by order
// of discovery. Attaching returns the device; detaching removes it after
// every request in progress has finished.
// A device attached but not started (`started` false) refuses to be opened
// until StartEmulated.
std::shared_ptr<TEzUsbDevice> AttachEmulated(bool configured = true, bool startCore = true, bool realTime = true,
                                             bool started = true);
void StartEmulated(const std::shared_ptr<TEzUsbDevice>& device);
void DetachEmulated(const std::shared_ptr<TEzUsbDevice>& device);
void DetachAllEmulated();
// Attaches `count` emulated interfaces when the environment variable
// TAMARIK_USB_EMU asks for them (a number); used by the program at start.
void AttachEmulatedFromEnvironment();
// Attaches `count` emulated interface boxes: the chip with its board (the
// two UARTs, crystal and LED on port A), the core running in real time, as
// the main program's --usb-emu puts them behind the device names. They stay
// until the program ends.
void AttachEmulatedBoxes(int count);
// Looks for real chips on USB now; `message` says what was found or why
// nothing could be.
struct TLibusbScanResult {
  int found = 0;
  std::string message;
};
TLibusbScanResult ScanRealChips();
// Boxes on USB with our identifiers, and how many of them this process may
// not open (no permission on the device node).
struct TAccessProbe {
  int present = 0;
  int denied = 0;
};
TAccessProbe ProbeRealChipAccess();

}  // namespace tamarikusb
