// The CAN page: the register group, the bit-timing table and the
// controller's initialisation, over core/CanTiming.
#include <QCheckBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>

#include "core/AppFlags.h"
#include "core/CanSettings.h"
#include "core/ErrorLog.h"
#include "core/ErrorReport.h"
#include "core/SendText.h"
#include "core/Startup.h"
#include "ui_FMain.h"
#include "window/CanPageUi.h"
#include "window/FMain.h"
#include "window/RadioGroup.h"

namespace {

// KeyPressHex for text typed or pasted: digits and A–F, raised.
void KeepHex(QLineEdit* edit) {
  const QString text = edit->text();
  QString hex;
  for (const QChar c : text) {
    const char k = c.unicode() < 128 ? CanHexKey(static_cast<char>(c.unicode())) : 0;
    if (k != 0 && k != '\b') hex += QLatin1Char(k);
  }
  if (hex == text) return;
  const int cursor = edit->cursorPosition();
  edit->setText(hex);
  edit->setCursorPosition(std::min(cursor, static_cast<int>(hex.size())));
}

std::uint8_t HexOrZero(const QLineEdit* edit) {
  try {
    return static_cast<std::uint8_t>(HexToInt(edit->text().toStdString()));
  } catch (const THexError&) {
    return 0;
  }
}

}  // namespace

void TFrmMain::BuildCanPage() {
  canUi_ = std::make_unique<TCanPageUi>();
  auto* widget = new QWidget(ui_->Page);
  widget->setObjectName(QStringLiteral("tabCAN"));
  widget->setProperty("tag", 1313);
  widget->setProperty("HelpContext", 2151);
  canUi_->Build(widget);
  ui_->Page->insertTab(3, widget, QStringLiteral("CAN-Bus"));
  canUi_->btnInitCAN->setToolTip(QStringLiteral("Initialisiert die Werte im CAN- Controller"));
  usbWriteRam_ = DefaultUsbWriteRam();

  TCanPageUi& c = *canUi_;
  for (QLineEdit* edit : {c.edCANBTR0, c.edCANBTR1, c.edCANACR[0], c.edCANACR[1], c.edCANACR[2], c.edCANACR[3],
                          c.edCANAMR[0], c.edCANAMR[1], c.edCANAMR[2], c.edCANAMR[3]})
    connect(edit, &QLineEdit::textChanged, this, [edit] { KeepHex(edit); });
  connect(c.edCANBTR0, &QLineEdit::textChanged, this, &TFrmMain::CalcgrdCANObj);
  connect(c.edCANBTR1, &QLineEdit::textChanged, this, &TFrmMain::CalcgrdCANObj);
  connect(c.rgrpCANQuarz, &TRadioGroup::Clicked, this, &TFrmMain::CalcgrdCANObj);
  connect(c.btnInitCAN, &QPushButton::clicked, this, &TFrmMain::btnInitCANClick);
  // The programmer is a service tool.
  c.btnPrgAtmelCAN->setVisible(ServiceMode.load());
  connect(c.btnPrgAtmelCAN, &QPushButton::clicked, this, &TFrmMain::btnPrgAtmelCANClick);
  ApplyCanRegisters(TCanRegisters{});
  BuildCanFilter();
  // The lost-frame beep follows the page shown.
  connect(ui_->Page, &QTabWidget::currentChanged, this, &TFrmMain::PublishRxOptions);
}

TCanRegisters TFrmMain::CanRegistersFromControls() const {
  const TCanPageUi& c = *canUi_;
  TCanRegisters r;
  r.edCANBTR0 = c.edCANBTR0->text().toStdString();
  r.edCANBTR1 = c.edCANBTR1->text().toStdString();
  r.rgrpCANQuarz = c.rgrpCANQuarz->ItemIndex();
  r.chkCANRS = c.chkCANRS->isChecked();
  r.chkCANEN = c.chkCANEN->isChecked();
  r.chkCANNSTB = c.chkCANNSTB->isChecked();
  r.rgrpCANLOM = c.rgrpCANLOM->ItemIndex();
  r.rgrpCANAFM = c.rgrpCANAFM->ItemIndex();
  for (int i = 0; i < 4; ++i) {
    r.edCANACR[i] = c.edCANACR[i]->text().toStdString();
    r.edCANAMR[i] = c.edCANAMR[i]->text().toStdString();
  }
  return r;
}

void TFrmMain::ApplyCanRegisters(const TCanRegisters& r) {
  TCanPageUi& c = *canUi_;
  c.edCANBTR0->setText(QString::fromStdString(r.edCANBTR0));
  c.edCANBTR1->setText(QString::fromStdString(r.edCANBTR1));
  c.rgrpCANQuarz->SetItemIndex(r.rgrpCANQuarz);
  c.chkCANRS->setChecked(r.chkCANRS);
  c.chkCANEN->setChecked(r.chkCANEN);
  c.chkCANNSTB->setChecked(r.chkCANNSTB);
  c.rgrpCANLOM->SetItemIndex(r.rgrpCANLOM);
  c.rgrpCANAFM->SetItemIndex(r.rgrpCANAFM);
  for (int i = 0; i < 4; ++i) {
    c.edCANACR[i]->setText(QString::fromStdString(r.edCANACR[i]));
    c.edCANAMR[i]->setText(QString::fromStdString(r.edCANAMR[i]));
  }
  CalcgrdCANObj();
}

void TFrmMain::ShowCanModeControls() {
  if (!canUi_) return;  // the interface page is built first
  TCanPageUi& c = *canUi_;
  c.chkCANRS->setVisible(workMode_ != 470);
  c.chkCANEN->setVisible(workMode_ == 470);
  c.chkCANNSTB->setVisible(workMode_ == 470);
}

void TFrmMain::CalcgrdCANObj() {
  TCanPageUi& c = *canUi_;
  const TCanTimingGrid grid = CanTimingGrid(HexOrZero(c.edCANBTR0), HexOrZero(c.edCANBTR1), c.rgrpCANQuarz->ItemIndex());
  for (int row = 0; row < static_cast<int>(grid.size()); ++row)
    for (int col = 0; col < 3; ++col) {
      QTableWidgetItem* item = c.grdCAN->item(row, col);
      if (item == nullptr) {
        item = new QTableWidgetItem;
        c.grdCAN->setItem(row, col, item);
      }
      item->setText(QString::fromStdString(grid[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)]));
    }
  c.grdCAN->resizeColumnsToContents();
}

void TFrmMain::btnInitCANClick() {
  if (ErrorLogEnabled()) WriteErrorLog("UserAction: Init CAN-Controller.");
  try {
    InitCanController(CanRegistersFromControls(), workMode_, usbWriteRam_);
  } catch (const std::exception& e) {
    ReportError("1.1", e);
  }
}

void TFrmMain::ApplyCanSettings(const TSettingsValues& v) {
  ApplyCanRegisters(v.Can.Registers);
  FillCanFilterList(v.Can.Filter, v.Can.chkCANFilter);
  ApplyFqSettings(v.Fq);
}

void TFrmMain::StoreCanSettings(TSettingsValues& v) const {
  v.Can.Registers = CanRegistersFromControls();
  v.Can.Filter = CanFilterEntries();
  v.Can.chkCANFilter = canUi_->chkCANFilter->isChecked();
  StoreFqSettings(v.Fq);
}

void TFrmMain::ReadCanOptions(TRxOptions& rx) const {
  if (!canUi_) return;
  rx.CanFilter = std::make_shared<const TCanFilter>(CanFilterEntries(), canUi_->chkCANFilter->isChecked());
  const QWidget* shown = ui_->Page->currentWidget();
  rx.UsbTestPageShown = shown != nullptr && shown->objectName() == QLatin1String("tabUSB");
}
