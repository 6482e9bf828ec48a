// The options the receive handler reads: the window publishes a snapshot
// whenever one of these controls changes; the consumer thread never reads a
// widget.
#include <QCheckBox>
#include <QIntValidator>
#include <QLineEdit>

#include "core/DateTime.h"
#include "core/ErrorReport.h"
#include "ui_TabSchnittstelle.h"
#include "ui_TabZeit.h"
#include "window/FMain.h"

void TFrmMain::ConnectTimeOptions() {
  for (QCheckBox* box : {uiZeit_->chkProtZeit, uiZeit_->chkProtZeitDiff, uiZeit_->chkProtZeitEnde})
    connect(box, &QCheckBox::toggled, this, &TFrmMain::PublishRxOptions);
  connect(uiZeit_->chkMs, &QCheckBox::toggled, this, &TFrmMain::chkMsClick);
  connect(uiZeit_->chkProtZyk, &QCheckBox::toggled, this, &TFrmMain::chkProtZykClick);
  uiZeit_->edProtZyk->setValidator(new QIntValidator(0, 999999, uiZeit_->edProtZyk));
  connect(uiZeit_->edProtZyk, &QLineEdit::textChanged, this, &TFrmMain::edProtZykChange);
  connect(uiZeit_->edProtZyk, &QLineEdit::editingFinished, this, [this] {
    if (uiZeit_->edProtZyk->text().isEmpty()) uiZeit_->edProtZyk->setText(QStringLiteral("0"));
  });
  // The end time counts only while its box is enabled (the mode decides that).
  uiZeit_->chkProtZeitEnde->installEventFilter(this);
  connect(chkSound, &QCheckBox::toggled, this, &TFrmMain::PublishRxOptions);
  connect(chkSound, &QCheckBox::clicked, this, &TFrmMain::chkSoundClick);
}

bool TFrmMain::eventFilter(QObject* watched, QEvent* event) {
  if (watched == uiZeit_->chkProtZeitEnde && event->type() == QEvent::EnabledChange) PublishRxOptions();
  return QMainWindow::eventFilter(watched, event);
}

void TFrmMain::PublishRxOptions() {
  TRxOptions rx = rxBase_;
  ReadInterfaceOptions(rx);
  ReadTraceOptions(rx);
  ReadDataOptions(rx);
  ReadLogOptions(rx);
  ReadPlugInOptions(rx);
  ReadCanOptions(rx);
  pipeline_.SetOptions(rx);
}

void TFrmMain::ReadInterfaceOptions(TRxOptions& rx) const {
  rx.chkSound = chkSound->isChecked();
  rx.chkCTSDSR = uiSchnittstelle_->chkCTSDSR->isChecked();
  rx.chkError = uiSchnittstelle_->chkError->isChecked();
  // The demo is the monitor in the line whatever the page shows.
  if (demo_) return;
  rx.WorkMode = workMode_;
  rx.RelayPorts = TwoPortWorkMode(workMode_);
  rx.UsbModeSelected = uiSchnittstelle_->rgrpG->isChecked();
}

void TFrmMain::ReadTraceOptions(TRxOptions& rx) const {
  rx.TimeFmt = timeFmt_;
  rx.chkProtZeit = uiZeit_->chkProtZeit->isChecked();
  rx.chkProtZeitDiff = uiZeit_->chkProtZeitDiff->isChecked();
  rx.chkProtZeitEnde = uiZeit_->chkProtZeitEnde->isChecked() && uiZeit_->chkProtZeitEnde->isEnabled();
  rx.chkMs = uiZeit_->chkMs->isChecked();
}

void TFrmMain::RebuildTimeFmt() {
  bool ok = true;
  timeFmt_ = BuildTimeFmt(uiZeit_->chkMs->isChecked(), &ok);
  if (!ok) ReportError("18", "The system's time format cannot be read; hh:nn:ss is used.");
}

void TFrmMain::chkMsClick() {
  RebuildTimeFmt();
  PublishRxOptions();
}

void TFrmMain::UpdateProtZykMinutes() {
  periodicDate_.SetMinutes(uiZeit_->chkProtZyk->isChecked() ? uiZeit_->edProtZyk->text().toInt() : 0);
}

void TFrmMain::chkProtZykClick() {
  UpdateProtZykMinutes();
  if (uiZeit_->chkProtZyk->isChecked()) ArmPeriodicDateEntry();
}

void TFrmMain::edProtZykChange() { UpdateProtZykMinutes(); }
