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

namespace {
// No room for two more three-byte records: the image completed the buffer
// because it was full, not because it aged.
constexpr uint8_t kFullPayload = 246;
}  // namespace

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
  woken_ = true;
  wake_.notify_all();
}

bool TUSBEventThread::Sleep(const std::stop_token& stop, std::chrono::microseconds time) {
  std::unique_lock lock(sleepLock_);
  wake_.wait_for(lock, stop, time, [this] { return woken_ || AppClosing.load(); });
  woken_ = false;
  return !stop.stop_requested() && !AppClosing.load();
}

bool TUSBEventThread::KeepPolling(const std::stop_token& stop) const {
  return !stop.stop_requested() && !AppClosing.load() && owner_.Active() && !owner_.usb_.UsbError.load() &&
         owner_.activation_.load() == activationSeen_;
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
      // Waits in place: going back to buffer 0 would read a buffer of the
      // last round again, or skip the one the image fills.
      Sleep(stop, 10ms);
      KeepDisplayGoing();
      continue;
    }
    // The activation holds this lock while it prepares the buffers.
    std::unique_lock poll(owner_.pollLock_);
    if (!owner_.Active()) continue;
    if (!initialised_ || owner_.activation_.load() != activationSeen_) TakeActivation();
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
    // The pause after a cycle spares the bus while data trickles in; a full
    // last buffer says the image is ahead of us, and pausing then would
    // only make its inputs overrun.
    poll.unlock();
    if (readSlot_ == 0 && read >= 1 && buffer_[0] < kFullPayload) Sleep(stop, 15ms);
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

void TUSBEventThread::TakeActivation() {
  FlushPendingRecord(decode_, owner_.ring_);
  activationSeen_ = owner_.activation_.load();
  readSlot_ = owner_.readSlotStart_.load();
  // Times before the activation would date its first buffers back.
  slotTime_.fill(owner_.now_());
  decode_ = {};
  load_.Reset();
  initialised_ = true;
  passes_ = 0;
  lastDisplay_ = TClock::now();
}

int TUSBEventThread::ReadBuffer(uint16_t address) {
  TEzUsb& usb = owner_.usb_;
  int got = usb.UsbReadRamInto(address, 8, buffer_.data(), buffer_.size());
  if (got > 0 && buffer_[1] != readSlot_) usb.UsbWriteRam(kUsbReadSlotAddress, static_cast<uint8_t>(readSlot_));
  // Byte 0 is an old length until the image completes the buffer, which
  // it may do between two reads: read until what was read covers it.
  for (int tries = 0; tries < 4 && got > 0 && buffer_[0] > 5 && got < buffer_[0] + 3; ++tries)
    got = usb.UsbReadRamInto(address, buffer_[0] + 3, buffer_.data(), buffer_.size());
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
    if (complete) {
      // What was read is marked at once, so that coming round again the
      // thread cannot take this buffer's old contents for new ones before
      // the image has started it anew.
      usb.UsbWriteRam(static_cast<uint16_t>(address + 1), kUsbBufferNotComplete);
      return true;
    }
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
