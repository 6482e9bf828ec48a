#include "prog/ProgAtmel.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "core/Language.h"
#include "core/TextIds.h"

std::atomic<int> ProgrammerActive{0};

using prog::TAnswer;
using prog::TAnswerInfo;

namespace {
const std::string kOk = "OK";
const std::string kError = "ERROR";
const std::string kNone = "---";

std::string Hex(unsigned value, int digits) {
  char buf[12];
  std::snprintf(buf, sizeof buf, "%0*X", digits, value);
  return buf;
}

bool IsHexByteText(const std::string& text) {
  return !text.empty() && text.size() <= 2 &&
         std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isxdigit(c) != 0; });
}
}  // namespace

TProgAtmel::TProgAtmel(TSend send, TClock clock) : send_(std::move(send)), clock_(std::move(clock)) {}

void TProgAtmel::Send(const std::string& telegram) {
  if (send_) send_(telegram);
}

void TProgAtmel::SendAwaited(const std::string& telegram, std::chrono::milliseconds wait) {
  // Everything is in place before the telegram leaves: its answer may come
  // back before the send returns.
  lastCommand_ = telegram;
  acknowledged_ = false;
  deadline_ = clock_() + wait;
  Send(telegram);
}

void TProgAtmel::SetStep(int step) {
  step_ = step;
  view_.Tmr1Enabled = step >= stErase && step <= stWriteExtra;
  view_.Tmr2Enabled = step == stConnect;
}

// --- connect ---

void TProgAtmel::btnStartConnectClick() {
  if (step_ == stConnect) {
    SetStep(stIdle);
    view_.lbStartStatus = GetText(TextId::StatusSendeStop);
    return;
  }
  SetStep(stConnect);
  counter_ = 1;
  view_.lbStartStatus = GetText(TextId::StatusSende) + "1";
  Send(prog::ConnectTelegram());
}

void TProgAtmel::Tmr2Timer() {
  if (step_ != stConnect) {
    view_.Tmr2Enabled = false;
    return;
  }
  ++counter_;
  view_.lbStartStatus = GetText(TextId::StatusSende) + std::to_string(counter_);
  Send(prog::ConnectTelegram());
}

// --- erase ---

void TProgAtmel::btnEraseClick() {
  SetStep(stErase);
  repeats_ = 0;
  view_.lbEraseOK = "...";
  SendAwaited(prog::EraseTelegram(), kEraseWait);
}

// --- transfer ---

void TProgAtmel::btnSendFileClick(const std::string& fileName, const std::function<void(std::string_view)>& message) {
  const TProgImage::TLoad loaded = image_.Load(fileName, message);
  if (loaded == TProgImage::TLoad::Missing) return;
  if (loaded == TProgImage::TLoad::Bad) {
    // Half a program in the chip is worse than none: nothing is sent.
    SetStep(stIdle);
    view_.lbSendOK = kError;
    return;
  }
  counter_ = 0;
  SetStep(stTransfer);
  view_.lbSendOK = GetText(TextId::StatusStart);
  nodeDone_ = false;
  repeats_ = 0;
  telegramStart_ = 0;
  awaitingStart_ = true;
  SendAwaited(prog::TransferStartTelegram(0, image_.ImageSize() - 1), kAnswerWait);
}

void TProgAtmel::SendNextData() {
  view_.lbSendOK = Hex(counter_, 4);
  const int count = std::min(8, image_.ImageSize() - counter_);
  if (count <= 0) return;
  telegramStart_ = counter_;
  counter_ += count;
  awaitingStart_ = false;
  SendAwaited(prog::DataTelegram(image_.Bytes().subspan(telegramStart_, count)), kAnswerWait);
}

void TProgAtmel::RestartTransferAt(int offset) {
  // The node may well have written the telegram whose answer went missing;
  // the same bytes again would land behind themselves. A new start from the
  // beginning of the flash page puts every byte back where it belongs,
  // whichever of the two frames was lost, also on a node that writes whole
  // pages.
  counter_ = offset & ~0xFF;
  awaitingStart_ = true;
  nodeDone_ = false;
  SendAwaited(prog::TransferStartTelegram(counter_, image_.ImageSize() - 1), kAnswerWait);
}

void TProgAtmel::FinishTransfer(bool ok) {
  SetStep(stIdle);
  view_.lbSendOK = ok ? kOk : kError;
  if (ok) view_.btnStartDevEnabled = true;
}

void TProgAtmel::TransferAnswer(const TAnswerInfo& answer) {
  switch (answer.Kind) {
    case TAnswer::Refused:
    case TAnswer::DataFail:
      FinishTransfer(false);
      break;
    case TAnswer::StartOk:
      if (awaitingStart_) acknowledged_ = true;
      break;
    case TAnswer::DataMore:
    case TAnswer::DataDone:
      // A late answer to a telegram already given up on is not this one's.
      if (!awaitingStart_) {
        acknowledged_ = true;
        nodeDone_ = answer.Kind == TAnswer::DataDone;
      }
      break;
    default:
      break;
  }
}

void TProgAtmel::Tmr1Timer() {
  switch (step_) {
    case stTransfer:
      if (acknowledged_) {
        acknowledged_ = false;
        repeats_ = 0;
        const bool bytesLeft = counter_ < image_.ImageSize();
        if (nodeDone_)
          FinishTransfer(!bytesLeft);
        else if (bytesLeft)
          SendNextData();
        else
          FinishTransfer(false);  // the node waits for more than the file holds
      } else if (clock_() >= deadline_) {
        RepeatOrGiveUp();
      }
      acknowledged_ = false;
      break;
    case stErase:
    case stReadExtra:
    case stWriteExtra:
      if (clock_() >= deadline_) RepeatOrGiveUp();
      break;
    default:
      view_.Tmr1Enabled = false;
      break;
  }
}

void TProgAtmel::RepeatOrGiveUp() {
  // An erase takes its time on the chip; one that stays unanswered this
  // long is not coming.
  if (repeats_ >= kMaxRepeats || step_ == stErase) {
    if (step_ == stTransfer) {
      FinishTransfer(false);
    } else if (step_ == stErase) {
      SetStep(stIdle);
      view_.lbEraseOK = kError;
    } else {
      FinishExtras(kError);
    }
    return;
  }
  ++repeats_;
  if (step_ == stTransfer && !awaitingStart_)
    RestartTransferAt(telegramStart_);
  else
    SendAwaited(lastCommand_, kAnswerWait);
}

// --- start the application ---

void TProgAtmel::btnStartDevClick() {
  view_.lbStartStatus = view_.lbEraseOK = view_.lbSendOK = view_.lbStartDev = kNone;
  SetStep(stIdle);
  view_.lbStartDev = kOk;
  Send(prog::StartProgramTelegram());
  view_.btnEraseEnabled = view_.btnSendFileEnabled = view_.btnFileEnabled = view_.btnStartDevEnabled = false;
  view_.tabExtraVisible = false;
}

// --- extra bytes ---

void TProgAtmel::ExtraPageShown() {
  for (std::string& e : view_.Extras) e.clear();
  SetStep(stReadExtra);
  counter_ = 2;
  SendExtraRead();
}

void TProgAtmel::SendExtraRead() {
  repeats_ = 0;
  SendAwaited(prog::ReadExtraTelegram(prog::ExtraIndex(counter_ - 2)), kAnswerWait);
}

void TProgAtmel::btnSetExtraClick(const std::array<std::string, prog::kExtraCount>& edits) {
  writeValues_ = edits;
  view_.lbSetExtra = "1";
  SetStep(stWriteExtra);
  counter_ = 2;
  if (!SendNextExtraWrite()) FinishExtras(kNone);
}

bool TProgAtmel::SendNextExtraWrite() {
  // An empty edit leaves its byte alone: an escape without digits would
  // put the characters themselves into the telegram.
  while (counter_ - 2 < prog::kExtraCount && !IsHexByteText(writeValues_[counter_ - 2])) ++counter_;
  if (counter_ - 2 >= prog::kExtraCount) return false;
  view_.lbSetExtra = std::to_string(counter_ - 1);
  repeats_ = 0;
  SendAwaited(prog::WriteExtraTelegram(prog::ExtraIndex(counter_ - 2), writeValues_[counter_ - 2]), kAnswerWait);
  return true;
}

void TProgAtmel::FinishExtras(const std::string& status) {
  SetStep(stIdle);
  if (!status.empty()) view_.lbSetExtra = status;
}

void TProgAtmel::ExtraAnswer(const TAnswerInfo& answer) {
  if (answer.Kind == TAnswer::Refused) {
    FinishExtras(kError);
    return;
  }
  if (step_ == stReadExtra && answer.Kind == TAnswer::ReadValue) {
    view_.Extras[counter_ - 2] = Hex(answer.Value, 2);
    ++counter_;
    if (counter_ - 2 >= prog::kExtraCount)
      FinishExtras("");
    else
      SendExtraRead();
  } else if (step_ == stWriteExtra && answer.Kind == TAnswer::WriteOk) {
    ++counter_;
    if (!SendNextExtraWrite()) FinishExtras(kOk);
  }
}

void TProgAtmel::Cancel() { SetStep(stIdle); }

// --- answers ---

void TProgAtmel::CanFrameReceived(const TCanFrame& frame) {
  const TAnswerInfo answer = prog::ClassifyAnswer(frame);
  if (answer.Kind == TAnswer::None) return;
  switch (step_) {
    case stConnect:
      // A node that answers "closed" is there but not ours yet: keep asking.
      if (answer.Kind == TAnswer::Opened) {
        SetStep(stIdle);
        view_.lbStartStatus = kOk;
        view_.btnEraseEnabled = view_.btnStartDevEnabled = true;
        view_.tabExtraVisible = true;
      }
      break;
    case stErase:
      if (answer.Kind == TAnswer::WriteOk) {
        SetStep(stIdle);
        view_.lbEraseOK = kOk;
        view_.btnFileEnabled = view_.btnSendFileEnabled = true;
      } else if (answer.Kind == TAnswer::Refused) {
        SetStep(stIdle);
        view_.lbEraseOK = kError;
      }
      break;
    case stTransfer:
      TransferAnswer(answer);
      break;
    case stReadExtra:
    case stWriteExtra:
      ExtraAnswer(answer);
      break;
    default:
      break;
  }
}
