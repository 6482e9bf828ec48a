#include "FakePortDevice.h"

#include <cerrno>

using namespace std::chrono_literals;

void TFakePortDevice::Push(std::initializer_list<std::uint8_t> bytes) {
  for (const std::uint8_t b : bytes) input_.push_back(static_cast<char>(b));
  changed_.notify_all();
}

void TFakePortDevice::PushByte(std::uint8_t byte) {
  std::lock_guard lock(lock_);
  if (byte == 0xFF)
    Push({0xFF, 0xFF});
  else
    Push({byte});
}

void TFakePortDevice::PushParityError(std::uint8_t byte) {
  std::lock_guard lock(lock_);
  ++counters_.Parity;
  Push({0xFF, 0x00, byte});
}

void TFakePortDevice::PushFrameError(std::uint8_t byte) {
  std::lock_guard lock(lock_);
  ++counters_.Frame;
  Push({0xFF, 0x00, byte});
}

void TFakePortDevice::PushBreak() {
  std::lock_guard lock(lock_);
  ++counters_.Break;
  Push({0xFF, 0x00, 0x00});
}

void TFakePortDevice::PushOverrun() {
  std::lock_guard lock(lock_);
  ++counters_.Overrun;
}

void TFakePortDevice::SetInputs(unsigned lines) {
  std::lock_guard lock(lock_);
  inputs_ = lines & (mlCTS | mlDSR | mlDCD | mlRI);
  waitState_.Raise(peModem);
  changed_.notify_all();
}

void TFakePortDevice::Vanish() {
  std::lock_guard lock(lock_);
  gone_ = true;
  changed_.notify_all();
}

void TFakePortDevice::HoldWrites(bool hold) {
  std::lock_guard lock(lock_);
  holdWrites_ = hold;
  changed_.notify_all();
}

bool TFakePortDevice::Pending() const { return !input_.empty() || waitState_.HasPending() || gone_; }

bool TFakePortDevice::Settle(std::chrono::milliseconds limit) {
  std::unique_lock lock(lock_);
  return changed_.wait_for(lock, limit, [this] { return waiting_ && !Pending(); });
}

bool TFakePortDevice::WaitWriterHeld(std::chrono::milliseconds limit) {
  std::unique_lock lock(lock_);
  return changed_.wait_for(lock, limit, [this] { return writerHeld_; });
}

bool TFakePortDevice::WaitWritten(std::size_t count, std::chrono::milliseconds limit) {
  std::unique_lock lock(lock_);
  return changed_.wait_for(lock, limit, [&] { return written_.size() >= count; });
}

std::string TFakePortDevice::Written() const {
  std::lock_guard lock(lock_);
  return written_;
}

unsigned TFakePortDevice::Outputs() const {
  std::lock_guard lock(lock_);
  return outputs_;
}

std::vector<std::string> TFakePortDevice::Log() const {
  std::lock_guard lock(lock_);
  return log_;
}

int TFakePortDevice::OpenCount() const {
  std::lock_guard lock(lock_);
  return openCount_;
}

std::string TFakePortDevice::LastPath() const {
  std::lock_guard lock(lock_);
  return path_;
}

TLineSettings TFakePortDevice::Settings() const {
  std::lock_guard lock(lock_);
  return settings_;
}

int TFakePortDevice::Open(const std::string& path) {
  std::lock_guard lock(lock_);
  path_ = path;
  if (failOpen_ != 0) return failOpen_;
  ++openCount_;
  open_ = true;
  waitState_.Rearm();
  gone_ = false;
  return 0;
}

int TFakePortDevice::Close() {
  std::lock_guard lock(lock_);
  waitState_.Release();
  open_ = false;
  changed_.notify_all();
  return 0;
}

bool TFakePortDevice::IsOpen() const {
  std::lock_guard lock(lock_);
  return open_;
}

int TFakePortDevice::Configure(const TLineSettings& settings) {
  std::lock_guard lock(lock_);
  settings_ = settings;
  return open_ ? 0 : EBADF;
}

int TFakePortDevice::ActualBaudrate(int& rate) {
  std::lock_guard lock(lock_);
  rate = forcedBaudrate_ != 0 ? forcedBaudrate_.load() : settings_.Baudrate;
  return open_ ? 0 : EBADF;
}

int TFakePortDevice::Purge() {
  std::lock_guard lock(lock_);
  input_.clear();
  return open_ ? 0 : EBADF;
}

unsigned TFakePortDevice::WaitEvent(int& error) {
  error = 0;
  std::unique_lock lock(lock_);
  if (!open_ || waitState_.Released()) return peReleased;
  waiting_ = true;
  changed_.notify_all();
  changed_.wait(lock, [this] { return waitState_.Released() || Pending(); });
  waiting_ = false;
  if (waitState_.Released()) return peReleased;
  unsigned events = waitState_.Take();
  if (!input_.empty()) events |= peData;
  if (gone_) events |= peHangup;
  return events;
}

void TFakePortDevice::ReleaseWaits() {
  std::lock_guard lock(lock_);
  waitState_.Release();
  changed_.notify_all();
}

int TFakePortDevice::Read(std::uint8_t* buffer, std::size_t max, std::size_t& got) {
  std::lock_guard lock(lock_);
  got = 0;
  if (!open_) return EBADF;
  if (input_.empty()) return gone_ ? EIO : 0;
  got = std::min(max, input_.size());
  for (std::size_t i = 0; i < got; ++i) buffer[i] = static_cast<std::uint8_t>(input_[i]);
  input_.erase(0, got);
  changed_.notify_all();
  return 0;
}

int TFakePortDevice::LastWriteTimeout() const {
  std::lock_guard lock(lock_);
  return lastWriteTimeout_;
}

int TFakePortDevice::Write(std::uint8_t byte, int timeoutMs) {
  std::unique_lock lock(lock_);
  lastWriteTimeout_ = timeoutMs;
  writerHeld_ = holdWrites_;
  changed_.notify_all();
  changed_.wait(lock, [this] { return !holdWrites_ || waitState_.Released(); });
  writerHeld_ = false;
  if (waitState_.Released()) return ECANCELED;
  if (!open_) return EBADF;
  if (gone_) return EIO;
  written_.push_back(static_cast<char>(byte));
  log_.push_back(std::string("W:") + static_cast<char>(byte));
  changed_.notify_all();
  return 0;
}

int TFakePortDevice::OutputPending(bool& pending) {
  pending = false;
  return 0;
}

int TFakePortDevice::GetModemLines(unsigned& lines) {
  std::lock_guard lock(lock_);
  if (!open_) return EBADF;
  if (gone_) return EIO;
  lines = inputs_ | outputs_;
  return 0;
}

int TFakePortDevice::SetModemLine(unsigned line, bool on) {
  std::lock_guard lock(lock_);
  if (!open_) return EBADF;
  outputs_ = on ? (outputs_ | line) : (outputs_ & ~line);
  log_.push_back(std::string(line == mlRTS ? "RTS:" : "DTR:") + (on ? "1" : "0"));
  changed_.notify_all();
  return 0;
}

int TFakePortDevice::SetBreak(bool on) {
  std::lock_guard lock(lock_);
  if (!open_) return EBADF;
  log_.push_back(on ? "BRK:1" : "BRK:0");
  return 0;
}

int TFakePortDevice::GetCounters(TLineCounters& counters) {
  std::lock_guard lock(lock_);
  if (!withCounters_) return ENOTTY;
  if (!open_) return EBADF;
  counters = counters_;
  return 0;
}
