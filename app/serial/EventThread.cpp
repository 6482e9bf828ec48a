#include "serial/EventThread.h"

#include <algorithm>
#include <cerrno>
#include <chrono>

#include "core/AppFlags.h"
#include "core/ReceiveRing.h"
#include "serial/Seriell.h"
#include "serial/ThreadPriority.h"

namespace {

void Nap(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

bool IsGone(int error) { return error == EIO || error == ENODEV || error == ENXIO; }

void SetBit(std::uint16_t& word, std::uint16_t bit, bool on) {
  word = static_cast<std::uint16_t>(on ? (word | bit) : (word & ~bit));
}

}  // namespace

TEventThread::TEventThread(TSeriell& port) : port_(port) {}

TEventThread::~TEventThread() { Terminate(); }

void TEventThread::Resume() {
  if (thread_.joinable()) return;
  thread_ = std::jthread([this](std::stop_token stop) { Loop(stop); });
}

void TEventThread::Terminate() {
  if (!thread_.joinable()) return;
  thread_.request_stop();
  port_.Device().ReleaseWaits();
  thread_.join();
}

void TEventThread::Loop(std::stop_token stop) {
  TryTimeCriticalPriority();
  while (!stop.stop_requested() && !AppClosing.load()) {
    // InWait goes up before Opened is looked at: the closing side drops
    // Opened first and then waits for InWait, so one of them sees the other.
    port_.InWait().store(true);
    if (!port_.Opened() || port_.Lost()) {
      port_.InWait().store(false);
      Nap(20);
      continue;
    }
    if (port_.Session() != session_) StartSession();
    ServeOneEvent(stop);
  }
  port_.InWait().store(false);
}

void TEventThread::StartSession() {
  session_ = port_.Session();
  TPortDevice& device = port_.Device();
  TLineCounters counters;
  hasCounters_ = device.GetCounters(counters) == 0;
  decoder_.Reset(hasCounters_ ? &counters : nullptr);
  decoder_.SetCheckParity(port_.CheckParity());
  // The word starts from the lines as they are, without a record: a change
  // is what the trace shows.
  hasLines_ = device.GetModemLines(lines_) == 0;
  if (!hasLines_) lines_ = 0;
  signals_ = 0;
  const bool portB = port_.IsPortB.load();
  SetBit(signals_, portB ? msCTS2 : msCTS1, lines_ & mlCTS);
  SetBit(signals_, portB ? msDSR2 : msDSR1, lines_ & mlDSR);
  SetBit(signals_, msCD, lines_ & mlDCD);
  SetBit(signals_, msRing, lines_ & mlRI);
  savedSignals_ = signals_;
}

void TEventThread::FollowModemLines() {
  unsigned now = 0;
  const int result = port_.Device().GetModemLines(now);
  if (result != 0) {
    if (IsGone(result)) port_.DeviceLost(result);
    return;
  }
  const unsigned changed = now ^ lines_;
  lines_ = now;
  const bool portB = port_.IsPortB.load();
  if (changed & mlCTS) {
    SetBit(signals_, portB ? msCTS2 : msCTS1, now & mlCTS);
    port_.MirrorToPartner(0, now & mlCTS);
  }
  if (changed & mlDSR) {
    SetBit(signals_, portB ? msDSR2 : msDSR1, now & mlDSR);
    port_.MirrorToPartner(1, now & mlDSR);
  }
  // DCD and RING are shown, never mirrored.
  if (changed & mlDCD) SetBit(signals_, msCD, now & mlDCD);
  if (changed & mlRI) SetBit(signals_, msRing, now & mlRI);
}

void TEventThread::ServeOneEvent(std::stop_token stop) {
  TPortDevice& device = port_.Device();
  int error = 0;
  const unsigned events = device.WaitEvent(error);
  if (stop.stop_requested() || (events & peReleased)) return;
  if (events == 0) {
    if (!port_.Opened()) return;
    if (IsGone(error)) {
      port_.DeviceLost(error);
    } else {
      port_.Fail(error, "wait");
      Nap(20);
    }
    return;
  }

  if ((events & peModem) && hasLines_) FollowModemLines();

  std::size_t got = 0;
  if (events & (peData | peHangup)) {
    // Bytes the ring cannot hold stay with the device, whose buffer and
    // flow control take over; read they would only be dropped.
    const std::size_t room = RoomToRead(stop);
    if (room == 0) return;
    const int result = device.Read(raw_.data(), room, got);
    if (result != 0) {
      got = 0;
      if (IsGone(result)) {
        port_.DeviceLost(result);
        return;
      }
      port_.Fail(result, "read");
    }
  }
  // Counters after the bytes: the kernel counts a fault before it queues
  // its mark, so every mark just read is counted by now.
  if (hasCounters_) {
    TLineCounters counters;
    if (device.GetCounters(counters) == 0) decoder_.TakeCounters(counters);
  }
  const std::uint16_t overrun = decoder_.TakeOverrun();
  std::size_t n = decoder_.Decode(raw_.data(), got, decoded_.data());
  if (n > 0) {
    decoded_[0].LineFlags = static_cast<std::uint16_t>(decoded_[0].LineFlags | overrun);
  } else if (signals_ != savedSignals_ || overrun != 0) {
    decoded_[0] = {0, overrun, false};  // a record of the lines alone
    n = 1;
  }
  WriteRecords(n);
  savedSignals_ = signals_;

  if ((events & peHangup) && got == 0) {
    port_.DeviceLost(EIO);
  } else if ((events & peData) && got == 0) {
    Nap(1);  // readable but nothing came: do not spin on it
  }
}

std::size_t TEventThread::RoomToRead(std::stop_token stop) {
  const ReceiveRing& ring = port_.Ring();
  for (;;) {
    // One slot more than bytes: a 0xFF held back from the last read may
    // come out now.
    const int free = ring.FreeSlots() - 1;
    if (free > 0) return std::min(raw_.size(), static_cast<std::size_t>(free));
    if (stop.stop_requested() || AppClosing.load() || !port_.Opened()) return 0;
    // Woken when the consumer releases slots; the timeout keeps closing and
    // a vanished port looked at.
    port_.Ring().WaitForRoom(1, stop, std::chrono::milliseconds(10));
  }
}

// One claim per read: the bytes of one read arrived together and share its
// time stamp; finer times would be invented.
void TEventThread::WriteRecords(std::size_t n) {
  if (n == 0) return;
  ReceiveRing& ring = port_.Ring();
  int first = 0;
  double stamp = 0.0;
  const int granted = ring.ClaimRun(static_cast<int>(n), first, stamp);  // the rest is counted as lost
  const std::uint8_t dir = port_.Direction();
  for (int k = 0; k < granted; ++k) {
    const TDecodedByte& d = decoded_[static_cast<std::size_t>(k)];
    TSeriellData& r = ring.Slot((first + k) % ReceiveRing::Size);
    r.Ready = 0;
    r.Kind = 4;
    r.RecType = rtSeriell;
    r.Ident = 0;
    r.Count = d.IsData ? 1 : 0;
    r.Data.fill(0);
    r.Data[0] = d.Byte;
    r.Dir = dir;
    r.LineFlags = d.LineFlags;
    r.Signals = signals_;
    r.Info = 0;
    r.Time = stamp;
    r.SubMs = 0;
    r.Ready = 1;
  }
  ring.CommitRun(granted);
}
