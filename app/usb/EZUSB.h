// The program's access layer to the USB interface: one instance for the
// whole program; every operation is a complete request cycle serialised by
// UsbBusy, and a failing request closes the device so that the next one
// opens it again (and finds a device that was plugged in again).
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "TamarikUsb.h"

class TEzUsb {
 public:
  static constexpr size_t ReadBufferSize = 8192, SmallBufferSize = 256;
  static constexpr uint16_t Cpucs = 0x7F92;

  std::string UsbDeviceName = "\\\\.\\tamarik-0";
  std::atomic<bool> UsbFixedName{false};
  std::atomic<bool> UsbError{false};
  std::atomic<bool> UsbCloseRequest{false};
  std::array<uint8_t, ReadBufferSize> UsbReadBuffer{};
  std::array<uint8_t, SmallBufferSize> UsbSmallBuffer{};
  std::array<uint8_t, ReadBufferSize> UsbDownloadBuffer{};
  std::array<uint8_t, SmallBufferSize> UsbSendBuffer{};

  bool UsbBusy() const { return busy_; }
  bool IsOpen() const { return handle_ != 0; }

  // The window thread registers how it keeps itself responsive while it
  // waits for UsbBusy; any other thread simply waits.
  void SetWindowWait(std::function<void()> processEvents);

  bool UsbOpen();
  bool UsbReopen();
  bool UsbGetDriverVersion(uint16_t& major, uint16_t& minor, uint16_t& build);
  bool UsbWriteRam(uint16_t address, uint8_t value);
  uint8_t UsbReadRam(uint16_t address);
  int UsbReadRamBlock(uint16_t address, int count);
  int UsbReadRamSmall(uint16_t address, int count);
  void UsbDownload(uint16_t address, int length);
  void UsbDownloadSmall(uint16_t address, int length);
  // The same into or from a caller's own buffer: the receive thread keeps
  // its own, so it never shares the program's buffers with the window.
  int UsbReadRamInto(uint16_t address, int count, uint8_t* buffer, size_t size) {
    return ReadInto(address, count, buffer, size);
  }
  bool UsbDownloadFrom(uint16_t address, const uint8_t* data, int length);
  bool Hold8051() { return UsbWriteRam(Cpucs, 1); }
  void Run8051() { UsbWriteRam(Cpucs, 0); }
  // Closes the device once the running request (if any) has finished.
  void UsbClose();

 private:
  template <typename Request>
  bool Cycle(Request&& request);
  void TakeBusy();
  void CloseStep();
  int ReadInto(uint16_t address, int count, uint8_t* buffer, size_t size);
  void Download(uint16_t address, int length, uint8_t* buffer, size_t size);

  std::atomic<bool> busy_{false};
  tamarikusb::THandle handle_ = 0;
  uint16_t readWord_ = 0;
  std::mutex waitMutex_;
  std::function<void()> windowWait_;
  std::thread::id windowThread_;
};

// The program's one access layer.
TEzUsb& EzUsb();
