// Help: every help button and F1 open the page of the help context that the
// control, or the nearest of its parents, names.
#include <QAction>
#include <QApplication>

#include "core/ErrorReport.h"
#include "core/TextIds.h"
#include "ui_FMain.h"
#include "window/Captions.h"
#include "window/FMain.h"
#include "window/Help.h"

void TFrmMain::ConnectHelp() {
  auto* key = new QAction(this);
  key->setObjectName(QStringLiteral("actHelpKey"));
  key->setShortcut(QKeySequence(Qt::Key_F1));
  key->setShortcutContext(Qt::WindowShortcut);
  addAction(key);
  connect(key, &QAction::triggered, this, &TFrmMain::HelpKey);
}

// From the clicked button; failing that, from the control with the focus;
// failing that, from the window's own active control.
void TFrmMain::btnHelpClick() {
  int context = THelp::ContextOf(sender());
  if (context <= 0) context = THelp::ContextOf(QApplication::focusWidget());
  if (context <= 0) context = THelp::ContextOf(focusWidget());
  if (context > 0) FOnHelp(HelpCommandContext, context);
}

// F1: the control with the focus, else the page in front.
void TFrmMain::HelpKey() {
  int context = THelp::ContextOf(QApplication::focusWidget());
  if (context <= 0) context = THelp::ContextOf(focusWidget());
  if (context <= 0) context = THelp::ContextOf(ui_->Page->currentWidget());
  if (context > 0) FOnHelp(HelpCommandContext, context);
}

bool TFrmMain::FOnHelp(int command, int data) {
  if (command != HelpCommandContext) return false;
  QUrl failed;
  if (help_->Show(data, &failed)) return true;
  if (failed.isEmpty()) {
    ReportError("1.5", "Help context " + std::to_string(data) +
                            ": no help pages are installed and no home page address was configured");
    return false;
  }
  ShowStatusMessage(GetQText(TextId::MsgHelpNotOpened) + failed.toDisplayString());
  return false;
}
