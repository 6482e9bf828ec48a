#include "UsbEventThread.h"

#include <algorithm>
#include <span>

#include "EZUSB.h"
#include "USB.h"
#include "core/AppFlags.h"
#include "core/ErrorReport.h"
#include "core/Language.h"
#include "core/TextIds.h"
#include "serial/ThreadPriority.h"

using namespace std::chrono_literals;

TUSBEventThread::TUSBEventThread(TUSBTamarik& owner) : owner_(owner) {
  thread_ = std::jthread([this](std::stop_token stop) { Loop(stop); });
}

TUSBEventThread::~TUSBEventThread() {
  thread_.request_stop();
  Wake();
  if (thread_.joinable()) thread_.join();
}

void TUSBEventThread::Wake() {
  std::lock_guard lock(sleepLock_);
  wake_.notify_all();
}

bool TUSBEventThread::Sleep(const std::stop_token& stop, std::chrono::microseconds time) {
  std::unique_lock lock(sleepLock_);
  wake_.wait_for(lock, stop, time, [] { return AppClosing.load(); });
  return !stop.stop_requested() && !AppClosing.load();
}

bool TUSBEventThread::KeepPolling(const std::stop_token& stop) const {
  return !stop.stop_requested() && !AppClosing.load() && owner_.Active() && !owner_.StepMode.load() &&
         !owner_.usb_.UsbError.load() && owner_.activation_.load() == activationSeen_;
}

void TUSBEventThread::Loop(std::stop_token stop) {
  TryTimeCriticalPriority();
  slotTime_.fill(owner_.now_());
  decode_ = {};
  while (!stop.stop_requested() && !AppClosing.load()) {
    if (!owner_.Active() || owner_.usb_.UsbError.load()) {
      Idle(stop);
      continue;
    }
    if (owner_.StepMode.load() && !owner_.StepAllowed.load()) {
      Sleep(stop, 10ms);
      readSlot_ = 0;
      KeepDisplayGoing();
      continue;
    }
    if (!initialised_ || owner_.activation_.load() != activationSeen_) InitialiseBuffers();
    int length = 0;
    if (!PollSlot(stop, length)) continue;
    CountPass();
    readSlot_ = (readSlot_ + 1) & 3;
    errorReported_ = false;
    const double base = slotTime_[static_cast<size_t>((lastSlot_ + 1) & 3)];
    const int read = std::min(length, static_cast<int>(buffer_.size()));
    DecodeUsbBuffer(std::span<const uint8_t>(buffer_.data(), static_cast<size_t>(read)), lastSlot_, base,
                    owner_.FirmwareType.load(), decode_, load_, owner_.ring_);
    owner_.SetLoad(load_.Load);
    owner_.buffersDecoded_.fetch_add(1);
    if (owner_.StepMode.load()) owner_.StepAllowed = false;
    if (owner_.busyCount_.load() > 0) Sleep(stop, 3ms);
    if (readSlot_ == 0) Sleep(stop, 15ms);
  }
  FlushPendingRecord(decode_, owner_.ring_);
}

void TUSBEventThread::Idle(std::stop_token stop) {
  // A record held back for its flags must not hold the ring.
  FlushPendingRecord(decode_, owner_.ring_);
  if (owner_.Active() && owner_.usb_.UsbError.load() && !errorReported_) {
    // Reported once per loss; the access layer finds the device again when
    // it comes back and the USB start runs anew.
    errorReported_ = true;
    ReportError("3.2", GetText(TextId::MsgUsbDeviceNotConnected));
  }
  Sleep(stop, 10ms);
  if (initialised_) {
    initialised_ = false;
    owner_.ShowPasses(-1);
    passes_ = 0;
  }
}

void TUSBEventThread::InitialiseBuffers() {
  FlushPendingRecord(decode_, owner_.ring_);
  activationSeen_ = owner_.activation_.load();
  readSlot_ = owner_.readSlotStart_.load();
  decode_ = {};
  load_.Reset();
  // Every buffer then reads as complete buffer 0 of length 0 until the
  // image writes it.
  for (size_t i = 0; i < init_.size(); ++i) init_[i] = static_cast<uint8_t>(i);
  init_[0] = init_[1] = 0;
  TEzUsb& usb = owner_.usb_;
  for (int s = 0; s < 4; ++s) {
    usb.UsbDownloadFrom(UsbBufferAddress(s), init_.data(), static_cast<int>(init_.size()));
    usb.UsbReadRamInto(UsbBufferAddress(s), static_cast<int>(init_.size()), buffer_.data(), buffer_.size());
  }
  initialised_ = true;
  passes_ = 0;
  lastDisplay_ = TClock::now();
}

int TUSBEventThread::ReadBuffer(uint16_t address) {
  TEzUsb& usb = owner_.usb_;
  int got = usb.UsbReadRamInto(address, 8, buffer_.data(), buffer_.size());
  if (got > 0 && buffer_[1] != readSlot_) usb.UsbWriteRam(kUsbReadSlotAddress, static_cast<uint8_t>(readSlot_));
  if (got > 0 && buffer_[0] > 5) got = usb.UsbReadRamInto(address, buffer_[0] + 3, buffer_.data(), buffer_.size());
  return got;
}

int TUSBEventThread::ReadInPieces(uint16_t address) {
  TEzUsb& usb = owner_.usb_;
  if (usb.UsbReadRamInto(static_cast<uint16_t>(address + 1), 1, small_.data(), small_.size()) != 1) return 0;
  if (small_[0] != readSlot_) return 0;
  int have = 0, want = 8;
  while (have < want) {
    const int got = usb.UsbReadRamInto(static_cast<uint16_t>(address + have), 8, small_.data(), small_.size());
    if (got <= 0) return 0;
    std::copy_n(small_.begin(), got, buffer_.begin() + have);
    have += got;
    if (have >= 1) want = std::max(8, buffer_[0] + 3);
  }
  return have;
}

bool TUSBEventThread::PollSlot(std::stop_token stop, int& length) {
  TEzUsb& usb = owner_.usb_;
  const uint16_t address = UsbBufferAddress(readSlot_);
  for (;;) {
    usb.UsbWriteRam(kUsbReadSlotAddress, static_cast<uint8_t>(readSlot_));
    length = ReadBuffer(address);
    while (length <= 0 && KeepPolling(stop)) {
      KeepDisplayGoing();
      length = ReadBuffer(address);
      if (length <= 0) length = ReadInPieces(address);
    }
    lastSlot_ = readSlot_;
    slotTime_[static_cast<size_t>(readSlot_)] = owner_.now_();
    const bool complete = length >= 8 && (buffer_[1] & 0x0F) == readSlot_;
    if (complete) return true;
    if (!KeepPolling(stop)) return false;
    // The image has not finished this buffer: look again shortly, and let
    // the pass count show the wait instead of freezing at its last value.
    KeepDisplayGoing();
    Sleep(stop, 500us);
  }
}

void TUSBEventThread::CountPass() {
  ++passes_;
  KeepDisplayGoing();
}

void TUSBEventThread::KeepDisplayGoing() {
  const auto now = TClock::now();
  if (now - lastDisplay_ < 1000ms) return;
  owner_.ShowPasses(passes_);
  passes_ = 0;
  lastDisplay_ = now;
}
