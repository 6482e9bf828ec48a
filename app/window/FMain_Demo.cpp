// The built-in demo: a simulated PC and controller on pseudo-terminals, with
// the trace options that make their dialogue readable.
#include <QCheckBox>

#include "core/CodePageList.h"
#include "ui_TabZeit.h"
#include "window/DataPagesUi.h"
#include "window/FMain.h"

void TFrmMain::StartDemo() {
  QListWidgetItem* lineFeed = dataUi_->daten.lstCodes->item('\n');
  if (lineFeed != nullptr) lineFeed->setCheckState(Qt::Checked);
  dataUi_->daten.chkTextBegin->setChecked(true);
  dataUi_->daten.chkDatenAend->setChecked(true);
  uiZeit_->chkProtZeit->setChecked(true);
  uiZeit_->chkMs->setChecked(true);
  PublishRxOptions();

  // The demo is the monitor in the line (mode 200) between two
  // pseudo-terminal pairs: every byte takes the real serial road.
  rxBase_.WorkMode = 200;
  rxBase_.RelayPorts = true;
  PublishRxOptions();
  demo_ = std::make_unique<TDemoLink>(Ring(), Pipeline());
  if (!demo_->Start()) demo_.reset();
}
