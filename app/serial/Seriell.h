// One serial port of the PC: opens it by name, applies the line settings,
// keeps the modem lines, and owns the thread that reads it into the receive
// ring and the thread that writes what is handed in through AddTxOut.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <stop_token>
#include <string>
#include <string_view>

#include "SeriellData.h"
#include "core/TraceSink.h"
#include "serial/PortDevice.h"

class ReceiveRing;
class TEventThread;
class TEventThreadSend;

class TSeriell final : public TTxPort {
 public:
  // Without a device, the port speaks termios to /dev.
  explicit TSeriell(ReceiveRing& ring, std::unique_ptr<TPortDevice> device = nullptr);
  ~TSeriell() override;
  TSeriell(const TSeriell&) = delete;
  TSeriell& operator=(const TSeriell&) = delete;

  // --- published properties (window thread) ---
  TSerialDirections Direction() const { return direction_.load(); }
  void SetDirection(TSerialDirections direction) { direction_.store(direction); }
  // The name below /dev: "ttyUSB0", "pts/3".
  std::string Port() const;
  void SetPort(const std::string& port);
  int Baudrate() const { return settings_.Baudrate; }
  void SetBaudrate(int baudrate);
  eParity Parity() const { return settings_.Parity; }
  void SetParity(eParity parity);
  eDataBits DataBits() const { return settings_.DataBits; }
  void SetDataBits(eDataBits dataBits);
  eStopBits StopBits() const { return settings_.StopBits; }
  void SetStopBits(eStopBits stopBits);
  eFlowControl FlowMode() const { return flowMode_.load(); }
  void SetFlowMode(eFlowControl flowMode);
  bool CheckParity() const { return checkParity_.load(); }
  void SetCheckParity(bool check);
  // The last system error code; reading resets it to 0.
  int ErrorCode() { return errorCode_.exchange(0); }

  // --- the send slot (any thread) ---
  // Waiting data is kept: a second writer's block follows the first.
  void AddTxOut(std::string_view data) override;
  std::string AddTxOutText() const;
  bool CanAddTxOut() const override;
  bool WaitCanAddTxOut(std::chrono::milliseconds timeout) override;
  std::size_t TxWaiting() const override { return txWaiting_.load(); }

  // --- operations (window thread) ---
  // Closes if open, then opens when active.
  void SetActive(bool active);
  bool Opened() const { return opened_.load(); }
  // line 0 = RTS, 1 = DTR.
  void SetLine(int line, bool on);
  // A break before a block; wait(ms) lets the caller keep its window alive.
  void SendBreak(const std::function<void(int ms)>& wait = {});
  static int BreakMilliseconds(int baudrate);
  void SetPartner(TSeriell* partner);

  // --- state the window sets ---
  std::atomic<int> DirectionLine{0};  // 0 = RTS, 1 = DTR
  std::atomic<bool> LinesOn{true};
  std::atomic<bool> RtsOn{false};
  std::atomic<bool> DtrOn{false};
  std::atomic<bool> MirrorSignals{false};
  std::atomic<bool> IsPortB{false};
  // The window's operating mode, consulted around each block sent.
  std::atomic<int> WorkMode{0};
  std::atomic<bool> TxEmpty{true};
  std::atomic<bool> BreakActive{false};

  // --- for the port's own threads ---
  TPortDevice& Device() { return *device_; }
  ReceiveRing& Ring() { return ring_; }
  std::atomic<bool>& InWait() { return inWait_; }
  // Bumped at every successful open, so the threads see a new session.
  unsigned Session() const { return session_.load(); }
  bool Lost() const { return lost_.load(); }
  // The device vanished: reported once, then the port only idles.
  void DeviceLost(int error);
  // Stores the code and reports it (location 23) when not 0.
  void Fail(int code, std::string_view what);
  // Moves the slot's data to the end of buffer and frees the slot.
  void TakeOverTxOut(std::string& buffer);
  // A block taken over has been written or given up.
  void TxBlockDone(std::size_t size) { txWaiting_.fetch_sub(size); }
  // Waits until data is handed in, at most timeout.
  void WaitForTxOut(std::stop_token stop, std::chrono::milliseconds timeout);
  // Writes from data as much as the device takes at once (written); false
  // when nothing left.
  bool WriteSome(const std::uint8_t* data, std::size_t size, std::size_t& written);
  // Copies a CTS or DSR level of this port onto RTS or DTR of the partner.
  void MirrorToPartner(int line, bool on);

 private:
  void Reopen() { SetActive(Opened()); }
  void OpenDevice();
  void CloseDevice();
  void ApplySettings();
  bool WaitForDsr();
  void ReleasePartner();

  ReceiveRing& ring_;
  std::unique_ptr<TPortDevice> device_;

  std::atomic<TSerialDirections> direction_{dirNone};
  mutable std::mutex nameLock_;
  std::string port_ = "COM1";
  TLineSettings settings_;  // window thread
  std::atomic<eFlowControl> flowMode_{fcDTR_DSR};
  std::atomic<bool> checkParity_{true};
  std::atomic<int> writeTimeoutMs_{0};  // 0: no limit
  std::atomic<int> errorCode_{0};

  std::atomic<bool> opened_{false};
  std::atomic<bool> inWait_{false};
  std::atomic<bool> lost_{false};
  std::atomic<bool> lostReported_{false};
  std::atomic<unsigned> session_{0};

  mutable std::mutex txLock_;
  std::condition_variable_any txChanged_;
  std::string addTxOut_;
  std::atomic<std::size_t> txWaiting_{0};

  std::mutex partnerLock_;  // held while the partner is used
  TSeriell* partner_ = nullptr;

  std::unique_ptr<TEventThread> eventThread_;
  std::unique_ptr<TEventThreadSend> sendThread_;
};
