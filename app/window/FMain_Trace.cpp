// AppendText: size limits, scrolling and colour negation of the trace pane.
#include <QCheckBox>

#include "core/ErrorLog.h"
#include "ui_TabTamarik.h"
#include "ui_TabZeit.h"
#include "window/FMain.h"
#include "window/TracePane.h"

namespace {
// With the limit the pane is cut back to 980,000 characters once it holds
// more than a million; without it at 50,000,001 to 48,000,000. The margin
// keeps trimming rare.
constexpr qsizetype kLimitChars = 1'000'000;
constexpr qsizetype kLimitKeep = 980'000;
constexpr qsizetype kNoLimitChars = 50'000'001;
constexpr qsizetype kNoLimitKeep = 48'000'000;
}  // namespace

int TFrmMain::AppendText(TTracePane* pane, std::string_view text, TColor color) {
  if (!text.empty()) {
    const bool hasLineEnd = text.find("\r\n") != std::string_view::npos;
    const TColor shown = uiTamarik_->chkColorNeg->isChecked() ? NegateColor(color) : color;
    const bool caretOnly = !pane->HasSelection();
    const bool caretOnLastLine = pane->Buffer().LineOf(pane->CaretPos()) == pane->LineCount() - 1;

    pane->AppendRun(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())), shown, color);
    // Trimmed after the append, so the pane never stands over its limit.
    const qsizetype length = pane->Length();
    const bool limited = uiZeit_->chkLogBegrenzen->isChecked();
    const qsizetype keep = limited ? (length > kLimitChars ? kLimitKeep : -1)
                                   : (length >= kNoLimitChars ? kNoLimitKeep : -1);
    if (keep >= 0) {
      TrimPane(pane, length - keep);
      WriteErrorLog("Protocol delete characters (too much in the protocol).");
    }
    const bool alwaysScroll = uiTamarik_->chkProtScroll->isChecked();
    if (alwaysScroll || (hasLineEnd && caretOnly && caretOnLastLine)) pane->FollowEnd();
    if (alwaysScroll) TrimForScrolling(pane);
  }
  const int last = static_cast<int>(pane->LineCount() - 1);
  if (pane == ed1) lastLineIdx_ = last;
  return last;
}

// While the trace always scrolls nobody reads far back: the lines above the
// view go once they are many.
void TFrmMain::TrimForScrolling(TTracePane* pane) {
  const qsizetype first = pane->FirstVisibleLine();
  if (first > 150 && pane->LineCount() > 40 && pane->Buffer().LineStart(first) > 20'000) {
    TrimPane(pane, pane->Buffer().LineStart(first));
    WriteErrorLog("Protocol delete characters (too much in the protocol, by scroling).");
  }
}

void TFrmMain::TrimPane(TTracePane* pane, qsizetype count) {
  pane->TrimFront(count);
  if (pane == ed1 && searchPos_ >= 0) searchPos_ = searchPos_ >= count ? searchPos_ - count : -1;
}
