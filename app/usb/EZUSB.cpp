#include "EZUSB.h"

#include <chrono>

using namespace tamarikusb;

TEzUsb& EzUsb() {
  static TEzUsb instance;
  return instance;
}

void TEzUsb::SetWindowWait(std::function<void()> processEvents) {
  std::lock_guard lock(waitMutex_);
  windowWait_ = std::move(processEvents);
  windowThread_ = std::this_thread::get_id();
}

void TEzUsb::TakeBusy() {
  bool expected = false;
  if (busy_.compare_exchange_strong(expected, true, std::memory_order_acquire)) return;
  std::function<void()> windowWait;
  {
    std::lock_guard lock(waitMutex_);
    if (windowWait_ && std::this_thread::get_id() == windowThread_) windowWait = windowWait_;
  }
  do {
    expected = false;
    if (windowWait) windowWait();  // the window stays responsive meanwhile
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  } while (!busy_.compare_exchange_weak(expected, true, std::memory_order_acquire));
}

void TEzUsb::CloseStep() {
  if ((UsbError || UsbCloseRequest) && handle_) {
    Close(handle_);
    handle_ = 0;
  }
  UsbCloseRequest = false;
}

bool TEzUsb::UsbOpen() {
  UsbError = false;
  std::string name = UsbDeviceName;
  if (!UsbFixedName) {
    const size_t dash = name.find('-');
    name = (dash == std::string::npos ? name + "-" : name.substr(0, dash + 1)) + "0";
  }
  const std::string base = name.substr(0, name.find('-') + 1);
  for (int n = 0;; ++n) {
    if (n > 0) name = base + std::to_string(n);
    handle_ = Open(name);
    if (handle_) {
      UsbDeviceName = name;
      return true;
    }
    if (UsbFixedName || n == 8) break;
  }
  UsbError = true;
  return false;
}

template <typename Request>
bool TEzUsb::Cycle(Request&& request) {
  TakeBusy();
  if (!handle_) UsbOpen();
  if (!UsbError) UsbError = !request();
  CloseStep();
  const bool ok = !UsbError;
  busy_.store(false, std::memory_order_release);
  return ok;
}

bool TEzUsb::UsbReopen() {
  TakeBusy();
  if (handle_) {
    Close(handle_);
    handle_ = 0;
  } else {
    UsbOpen();
  }
  CloseStep();
  const bool ok = !UsbError;
  busy_.store(false, std::memory_order_release);
  return ok;
}

void TEzUsb::UsbClose() {
  TakeBusy();
  if (handle_) Close(handle_);
  handle_ = 0;
  busy_.store(false, std::memory_order_release);
}

bool TEzUsb::UsbGetDriverVersion(uint16_t& major, uint16_t& minor, uint16_t& build) {
  TDriverVersion v{};
  const bool ok = Cycle([&] { return Ioctl(handle_, ioGetDriverVersion, nullptr, 0, &v, sizeof v, nullptr) == stSuccess; });
  if (ok) {
    major = v.major;
    minor = v.minor;
    build = v.build;
  }
  return ok;
}

bool TEzUsb::UsbWriteRam(uint16_t address, uint8_t value) {
  const TVendorRequestIn r{0xA0, 0, address, 0, 1, 0, value};
  return Cycle([&] { return Ioctl(handle_, ioVendorRequest, &r, sizeof r, nullptr, 0, nullptr) == stSuccess; });
}

uint8_t TEzUsb::UsbReadRam(uint16_t address) {
  const TVendorRequestIn r{0xA0, 0, address, 0, 1, 1, 0};
  // Taken while the cycle still holds the device: another thread's read
  // may fill the word as soon as it is released.
  uint8_t value = 0;
  Cycle([&] {
    const bool ok = Ioctl(handle_, ioVendorRequest, &r, sizeof r, &readWord_, sizeof readWord_, nullptr) == stSuccess;
    value = static_cast<uint8_t>(readWord_);
    return ok;
  });
  return value;
}

int TEzUsb::ReadInto(uint16_t address, int count, uint8_t* buffer, size_t size) {
  if (count <= 0 || static_cast<size_t>(count) > size) return 0;  // never asks for more than the buffer holds
  const TVendorRequestIn r{0xA0, 0, address, 0, static_cast<uint16_t>(count), 1, 0};
  size_t got = 0;
  if (!Cycle([&] { return Ioctl(handle_, ioVendorRequest, &r, sizeof r, buffer, size, &got) == stSuccess; })) return 0;
  return static_cast<int>(got);
}

int TEzUsb::UsbReadRamBlock(uint16_t address, int count) {
  return ReadInto(address, count, UsbReadBuffer.data(), UsbReadBuffer.size());
}

int TEzUsb::UsbReadRamSmall(uint16_t address, int count) {
  return ReadInto(address, count, UsbSmallBuffer.data(), UsbSmallBuffer.size());
}

void TEzUsb::Download(uint16_t address, int length, uint8_t* buffer, size_t size) {
  if (length <= 0 || static_cast<size_t>(length) > size) return;
  Cycle([&] { return Ioctl(handle_, ioAnchorDownload, &address, 2, buffer, static_cast<size_t>(length), nullptr) == stSuccess; });
}

bool TEzUsb::UsbDownloadFrom(uint16_t address, const uint8_t* data, int length) {
  if (length <= 0 || length > static_cast<int>(ReadBufferSize)) return false;
  return Cycle([&] {
    return Ioctl(handle_, ioAnchorDownload, &address, 2, const_cast<uint8_t*>(data), static_cast<size_t>(length), nullptr) ==
           stSuccess;
  });
}

void TEzUsb::UsbDownload(uint16_t address, int length) {
  Download(address, length, UsbDownloadBuffer.data(), UsbDownloadBuffer.size());
}

void TEzUsb::UsbDownloadSmall(uint16_t address, int length) {
  Download(address, length, UsbSendBuffer.data(), UsbSendBuffer.size());
}
