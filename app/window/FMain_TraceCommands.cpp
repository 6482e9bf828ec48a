// The trace page's commands: pause, clear, search, word wrap, always scroll,
// colour negation and the notes typed into the trace.
#include <QAction>
#include <QCheckBox>
#include <QInputDialog>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>

#include "core/ErrorLog.h"
#include "core/TextIds.h"
#include "ui_FMain.h"
#include "ui_TabTamarik.h"
#include "ui_TabZeit.h"
#include "window/ApplyTexts.h"
#include "window/Captions.h"
#include "window/FMain.h"
#include "window/TracePane.h"

namespace {
constexpr TColor kNoteColor = clOlive;
constexpr TColor kNoteColorNegated = 0xFF7F7F;
}  // namespace

void TFrmMain::BuildTracePopup() {
  const auto add = [this](const char* name, int tag, const QString& text, const QKeySequence& keys) {
    auto* action = new QAction(text, ed1);
    action->setObjectName(QLatin1String(name));
    action->setShortcut(keys);
    action->setProperty("tag", tag);
    ed1->addAction(action);
    return action;
  };
  popLoeschen = add("popLoeschen", TextId::popLoeschen, QStringLiteral("Protokoll &löschen"), {});
  popSuchen = add("popSuchen", TextId::popSuchen, QStringLiteral("&Suchen"), QKeySequence(Qt::CTRL | Qt::Key_F));
  popWeitersuchen =
      add("popWeitersuchen", TextId::popWeitersuchen, QStringLiteral("&Weitersuchen"), QKeySequence(Qt::Key_F3));
  popWordWrap = add("popWordWrap", TextId::popWordWrap, QStringLiteral("Zeilenumbruch"), {});
  popWordWrap->setCheckable(true);
}

bool TFrmMain::TracePageShown() const { return ui_->Page->currentWidget() == ui_->Page->widget(0); }

void TFrmMain::ConnectTrace() {
  connect(uiTamarik_->btnPause, &QPushButton::clicked, this, &TFrmMain::btnPauseClick);
  connect(uiTamarik_->btnLoesch, &QPushButton::clicked, this, &TFrmMain::btnLoeschClick);
  connect(uiTamarik_->btnSpeichern, &QPushButton::clicked, this, &TFrmMain::btnSpeichernClick);
  connect(uiTamarik_->chkProtScroll, &QCheckBox::clicked, this, &TFrmMain::chkProtScrollClick);
  connect(uiTamarik_->chkColorNeg, &QCheckBox::clicked, this, &TFrmMain::chkColorNegClick);
  connect(popLoeschen, &QAction::triggered, this, &TFrmMain::btnLoeschClick);
  connect(popSuchen, &QAction::triggered, this, &TFrmMain::popSuchenClick);
  connect(popWeitersuchen, &QAction::triggered, this, &TFrmMain::popWeitersuchenClick);
  connect(popWordWrap, &QAction::triggered, this, &TFrmMain::popWordWrapClick);
  connect(ed1, &TTracePane::NoteLineBreak, this, [this] { lastLineIdx_ = static_cast<int>(ed1->LineCount() - 1); });
  connect(ed1, &TTracePane::NoteCharDeleted, this, [](bool forward) {
    WriteErrorLog(forward ? "UserAction: Protocol delete one character [DEL]."
                          : "UserAction: Protocol delete one character.");
  });
  ApplyNoteColor();
}

void TFrmMain::btnPauseClick() {
  const bool pausing = !pipeline_.Paused();
  pipeline_.SetPaused(pausing);
  // The tag follows the state, so a language switch shows the right caption.
  QPushButton* button = uiTamarik_->btnPause;
  button->setProperty("tag", pausing ? TextId::btnPauseWeiter : TextId::btnPause);
  ApplyTextsTo(button, LanguageOffset());
  ShowLoggingState();
  WriteErrorLog(pausing ? "UserAction: Set logging to wait." : "UserAction: Restart logging.");
}

void TFrmMain::btnLoeschClick() {
  ed1->Clear();
  // The pipeline drops what it rendered before the click, in order with the
  // records, and the next record starts a fresh line.
  pipeline_.ClearTrace();
  lastLineIdx_ = 0;
  searchPos_ = -1;
  if (uiZeit_->chkProtZyk->isChecked()) ArmPeriodicDateEntry();
  WriteErrorLog("UserAction: Clear protocol.");
}

// Ctrl+F and F3 search only while the trace page is shown.
void TFrmMain::popSuchenClick() {
  if (!TracePageShown()) return;
  bool ok = false;
  const QString text = QInputDialog::getText(this, GetQText(TextId::SearchCaption), GetQText(TextId::SearchPrompt),
                                             QLineEdit::Normal, searchText_, &ok);
  if (ok) Search(text);
}

void TFrmMain::Search(const QString& text) {
  searchText_ = text;
  popWeitersuchenClick();
}

void TFrmMain::popWeitersuchenClick() {
  if (searchText_.isEmpty() || !TracePageShown()) return;
  const qsizetype at = ed1->Buffer().Find(searchText_, searchPos_ + 1);
  if (at < 0) {
    ShowStatusMessage(GetQText(TextId::MsgSearchNoMore));
    searchPos_ = -1;  // the next search starts at the top again
    return;
  }
  ed1->SetSelection(at, at + searchText_.size());
  ed1->EnsureCaretVisible();
  searchPos_ = at;
}

void TFrmMain::popWordWrapClick() { ed1->SetWordWrap(popWordWrap->isChecked()); }

void TFrmMain::chkProtScrollClick() {
  const bool on = uiTamarik_->chkProtScroll->isChecked();
  ed1->SetNotesRefused(on);
  if (!on) return;
  ed1->Clear();
  lastLineIdx_ = 0;
  searchPos_ = -1;
  WriteErrorLog("UserAction: Protocol scroll clicked (clear protocol).");
}

void TFrmMain::chkColorNegClick() {
  const QColor background = ed1->Background();
  ed1->SetBackground(QColor(255 - background.red(), 255 - background.green(), 255 - background.blue()));
  ApplyNoteColor();
}

void TFrmMain::ApplyNoteColor() {
  ed1->SetNoteColor(uiTamarik_->chkColorNeg->isChecked() ? kNoteColorNegated : kNoteColor, kNoteColor);
}
