// The programmer's sequence without a window: connect, erase, transfer,
// extra bytes, start. The dialog forwards its clicks and timer ticks here,
// hands in the boot loader's answers from the CAN receive path, and shows
// View(). Time comes from an injected clock, so nothing here sleeps.
#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "CanFrame.h"
#include "prog/ProgImage.h"
#include "prog/ProgTelegrams.h"

// -1 while the programmer dialog is in use, 0 once it is cancelled or
// hidden, and when the interface configuration changes.
extern std::atomic<int> ProgrammerActive;

// What the dialog shows; the names are its controls'.
struct TProgAtmelView {
  std::string lbStartStatus = "---";
  std::string lbEraseOK = "---";
  std::string lbSendOK = "---";
  std::string lbStartDev = "---";
  std::string lbSetExtra;
  bool btnEraseEnabled = false;
  bool btnFileEnabled = false;
  bool btnSendFileEnabled = false;
  bool btnStartDevEnabled = false;
  bool tabExtraVisible = true;
  // edP1CF, edP3CF, edP4CF, edBSB, edEB, edSBV
  std::array<std::string, prog::kExtraCount> Extras;
  bool Tmr1Enabled = false;
  bool Tmr2Enabled = false;
};

class TProgAtmel {
 public:
  using TClock = std::function<std::chrono::steady_clock::time_point()>;
  // One telegram text for the send routine (target A, nothing added).
  using TSend = std::function<void(const std::string& telegram)>;

  enum TStep { stIdle = 0, stConnect = 1, stErase = 2, stTransfer = 3, stReadExtra = 4, stWriteExtra = 5 };

  static constexpr std::chrono::milliseconds kAnswerWait{200};
  static constexpr std::chrono::milliseconds kEraseWait{3000};
  // Unanswered repeats of one telegram before the node counts as gone.
  static constexpr int kMaxRepeats = 5;

  explicit TProgAtmel(TSend send, TClock clock = std::chrono::steady_clock::now);

  void btnStartConnectClick();
  void Tmr2Timer();
  void btnEraseClick();
  // The chosen file; a missing one does nothing. Messages of a bad file go
  // to `message`.
  void btnSendFileClick(const std::string& fileName, const std::function<void(std::string_view)>& message = {});
  void Tmr1Timer();
  void btnStartDevClick();
  // The extras page came to the front.
  void ExtraPageShown();
  void btnSetExtraClick(const std::array<std::string, prog::kExtraCount>& edits);
  // Cancel, or the dialog was hidden.
  void Cancel();
  // A CAN frame from the receive path, on the dialog's thread.
  void CanFrameReceived(const TCanFrame& frame);

  const TProgAtmelView& View() const { return view_; }
  int Step() const { return step_; }
  int Counter() const { return counter_; }
  const TProgImage& Image() const { return image_; }
  const std::string& LastCommand() const { return lastCommand_; }
  bool Acknowledged() const { return acknowledged_; }

 private:
  void Send(const std::string& telegram);
  // Sends a telegram whose answer is awaited (repeated if it stays away).
  void SendAwaited(const std::string& telegram, std::chrono::milliseconds wait);
  void SetStep(int step);
  void SendNextData();
  void RestartTransferAt(int offset);
  void FinishTransfer(bool ok);
  void TransferAnswer(const prog::TAnswerInfo& answer);
  void ExtraAnswer(const prog::TAnswerInfo& answer);
  void SendExtraRead();
  bool SendNextExtraWrite();
  void FinishExtras(const std::string& status);
  void RepeatOrGiveUp();

  TSend send_;
  TClock clock_;
  TProgAtmelView view_;
  TProgImage image_;
  int step_ = stIdle;
  int counter_ = 0;
  std::string lastCommand_;
  std::chrono::steady_clock::time_point deadline_{};
  bool acknowledged_ = false;
  // The transfer: where the outstanding data telegram began, whether the
  // node said the last address is written, and whether the outstanding
  // telegram is a transfer start.
  int telegramStart_ = 0;
  bool nodeDone_ = false;
  bool awaitingStart_ = false;
  int repeats_ = 0;
  std::array<std::string, prog::kExtraCount> writeValues_;
};
