#include "serial/Seriell.h"

#include <cerrno>
#include <string>
#include <system_error>
#include <thread>

#include "core/ErrorReport.h"
#include "serial/EventThread.h"
#include "serial/EventThreadSend.h"
#include "core/ReceiveRing.h"
#include "serial/PortPermission.h"
#include "serial/TermiosPortDevice.h"

namespace {

bool IsGone(int error) { return error == EIO || error == ENODEV || error == ENXIO; }

constexpr int kFlowWriteTimeoutMs = 10000;

}  // namespace

TSeriell::TSeriell(ReceiveRing& ring, std::unique_ptr<TPortDevice> device)
    : ring_(ring), device_(device ? std::move(device) : std::make_unique<TTermiosPortDevice>()) {
  eventThread_ = std::make_unique<TEventThread>(*this);
  sendThread_ = std::make_unique<TEventThreadSend>(*this);
}

TSeriell::~TSeriell() {
  SetActive(false);
  ReleasePartner();
  sendThread_->Terminate();
  eventThread_->Terminate();
}

std::string TSeriell::Port() const {
  std::lock_guard lock(nameLock_);
  return port_;
}

void TSeriell::SetPort(const std::string& port) {
  {
    std::lock_guard lock(nameLock_);
    if (port == port_) return;
    port_ = port;
  }
  Reopen();
}

void TSeriell::SetBaudrate(int baudrate) {
  if (baudrate == settings_.Baudrate) return;
  settings_.Baudrate = baudrate;
  Reopen();
}

void TSeriell::SetParity(eParity parity) {
  if (parity == settings_.Parity) return;
  settings_.Parity = parity;
  Reopen();
}

void TSeriell::SetDataBits(eDataBits dataBits) {
  if (dataBits == settings_.DataBits) return;
  settings_.DataBits = dataBits;
  Reopen();
}

void TSeriell::SetStopBits(eStopBits stopBits) {
  if (stopBits == settings_.StopBits) return;
  settings_.StopBits = stopBits;
  Reopen();
}

void TSeriell::SetFlowMode(eFlowControl flowMode) {
  if (flowMode == settings_.FlowMode) return;
  settings_.FlowMode = flowMode;
  flowMode_.store(flowMode);
  Reopen();
}

void TSeriell::SetCheckParity(bool check) {
  if (check == checkParity_.load()) return;
  checkParity_.store(check);
  Reopen();
}

// --- send slot ---

void TSeriell::AddTxOut(std::string_view data) {
  {
    std::lock_guard lock(txLock_);
    addTxOut_.append(data);
    txWaiting_.fetch_add(data.size());
  }
  txChanged_.notify_all();
}

std::string TSeriell::AddTxOutText() const {
  std::lock_guard lock(txLock_);
  return addTxOut_;
}

bool TSeriell::CanAddTxOut() const {
  std::lock_guard lock(txLock_);
  return addTxOut_.empty();
}

bool TSeriell::WaitCanAddTxOut(std::chrono::milliseconds timeout) {
  std::unique_lock lock(txLock_);
  return txChanged_.wait_for(lock, timeout, [this] { return addTxOut_.empty(); });
}

void TSeriell::TakeOverTxOut(std::string& buffer) {
  {
    std::lock_guard lock(txLock_);
    if (addTxOut_.empty()) return;
    buffer.append(addTxOut_);
    addTxOut_.clear();
  }
  txChanged_.notify_all();
}

void TSeriell::WaitForTxOut(std::stop_token stop, std::chrono::milliseconds timeout) {
  std::unique_lock lock(txLock_);
  txChanged_.wait_for(lock, stop, timeout, [this] { return !addTxOut_.empty(); });
}

// --- open and close ---

void TSeriell::SetActive(bool active) {
  errorCode_.store(0);
  if (opened_.load()) CloseDevice();
  if (active) OpenDevice();
}

void TSeriell::CloseDevice() {
  const bool lost = lost_.load();
  if (!lost) {
    Fail(device_->Purge(), "purge");
    SetLine(1, false);
    SetLine(0, false);
  }
  // Opened drops before the wait is released, so the event thread does not
  // wait again; the device is closed only once it has left its wait.
  opened_.store(false);
  device_->ReleaseWaits();
  for (int i = 0; i < 3000 && inWait_.load(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  const int closed = device_->Close();
  if (!lost) Fail(closed, "close");
}

void TSeriell::OpenDevice() {
  const int opened = device_->Open("/dev/" + Port());
  if (opened != 0) {
    Fail(opened, "open");
    return;
  }
  lost_.store(false);
  lostReported_.store(false);
  TxEmpty.store(true);
  ApplySettings();
  SetLine(0, LinesOn.load() || RtsOn.load());
  SetLine(1, LinesOn.load() || DtrOn.load());
  session_.fetch_add(1);
  opened_.store(true);
  eventThread_->Resume();
  sendThread_->Resume();
}

void TSeriell::ApplySettings() {
  if (settings_.Baudrate <= 0) {
    Fail(EINVAL, "baud rate");
  } else if (const int configured = device_->Configure(settings_); configured != 0) {
    Fail(configured, "line settings");
  } else {
    // A driver may answer a rate it cannot make with another one.
    int actual = 0;
    if (device_->ActualBaudrate(actual) == 0 && !BaudrateTaken(settings_.Baudrate, actual))
      Fail(EINVAL, "baud rate " + std::to_string(settings_.Baudrate) + " not taken, the driver set " +
                       std::to_string(actual));
  }
  // Once a flow mode was set, writes give up after 10 s; fcNone keeps the
  // limit that was set before.
  if (settings_.FlowMode != fcNone) writeTimeoutMs_.store(kFlowWriteTimeoutMs);
}

void TSeriell::SetLine(int line, bool on) {
  const int result = device_->SetModemLine(line == 0 ? mlRTS : mlDTR, on);
  // A port without modem lines (a pseudo-terminal) or one not open: nothing to switch.
  if (result == ENOTTY || result == EBADF) return;
  Fail(result, line == 0 ? "RTS" : "DTR");
}

int TSeriell::BreakMilliseconds(int baudrate) {
  // A port without a valid rate does not open; do not divide by it.
  const int rate = baudrate > 0 ? baudrate : 9600;
  const int classic = (1000 / rate) * 3 + 20;
  // Below 600 Bd that is shorter than a character with parity and two stop
  // bits, and the far end would see a framing error instead of a break.
  const int twelveBits = (12000 + rate - 1) / rate;
  return classic > twelveBits ? classic : twelveBits;
}

void TSeriell::SendBreak(const std::function<void(int ms)>& wait) {
  const int mode = WorkMode.load();
  if (mode >= 100 && mode <= 199) SetLine(DirectionLine.load(), false);
  if (mode >= 500 && mode <= 599) SetLine(DirectionLine.load(), true);
  BreakActive.store(true);
  Fail(device_->SetBreak(true), "break");
  const int ms = BreakMilliseconds(settings_.Baudrate);
  if (wait)
    wait(ms);
  else
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
  Fail(device_->SetBreak(false), "break");
  BreakActive.store(false);
  TxEmpty.store(true);
}

// --- failures ---

void TSeriell::Fail(int code, std::string_view what) {
  if (code == 0) return;
  errorCode_.store(code);
  std::string text = "Port ";
  text += Port();
  text += " (";
  text += what;
  text += "): ";
  text += std::system_category().message(code);
  // A bare "Permission denied" leaves a new user stuck; the group is the answer.
  if (what == "open" && (code == EACCES || code == EPERM)) text += "; " + PortPermissionHint("/dev/" + Port());
  ReportError("23", text);
}

void TSeriell::DeviceLost(int error) {
  lost_.store(true);
  if (lostReported_.exchange(true)) return;
  Fail(error != 0 ? error : ENODEV, "device gone");
}

// --- used by the threads ---

bool TSeriell::WaitForDsr() {
  // No DSR/DTR flow control in termios: the writer holds back while DSR is off.
  const int limit = writeTimeoutMs_.load();
  for (int waited = 0;; waited += 2) {
    unsigned lines = 0;
    if (device_->GetModemLines(lines) != 0 || (lines & mlDSR) != 0) return true;
    if (!opened_.load()) return false;
    if (limit > 0 && waited >= limit) {
      Fail(ETIMEDOUT, "write (DSR off)");
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
}

bool TSeriell::WriteSome(const std::uint8_t* data, std::size_t size, std::size_t& written) {
  written = 0;
  TxEmpty.store(false);
  if (flowMode_.load() == fcDTR_DSR && !WaitForDsr()) return false;
  const int result = device_->WriteSome(data, size, written, writeTimeoutMs_.load());
  if (result == 0) return true;
  if (result == ECANCELED || result == EBADF) return false;  // being closed
  if (IsGone(result))
    DeviceLost(result);
  else
    Fail(result, "write");
  return false;
}

void TSeriell::SetPartner(TSeriell* partner) {
  std::lock_guard lock(partnerLock_);
  partner_ = partner;
}

void TSeriell::MirrorToPartner(int line, bool on) {
  if (!MirrorSignals.load()) return;
  std::lock_guard lock(partnerLock_);
  if (partner_ != nullptr && partner_->Opened()) partner_->SetLine(line, on);
}

void TSeriell::ReleasePartner() {
  TSeriell* partner = nullptr;
  {
    std::lock_guard lock(partnerLock_);
    partner = partner_;
    partner_ = nullptr;
  }
  if (partner == nullptr) return;
  // The partner's event thread must not reach this port any more.
  std::lock_guard lock(partner->partnerLock_);
  if (partner->partner_ == this) partner->partner_ = nullptr;
}
