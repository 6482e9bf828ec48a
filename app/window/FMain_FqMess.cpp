// The frequency panel of the interface page: the input and the counting
// cycle, written to the running firmware in the frequency mode.
#include <QLineEdit>

#include "EZUSB.h"
#include "core/CanSettings.h"
#include "core/Measurement.h"
#include "ui_TabSchnittstelle.h"
#include "window/CanPageUi.h"
#include "window/FMain.h"
#include "window/RadioGroup.h"

TUsbRamWrite TFrmMain::DefaultUsbWriteRam() {
  return [](std::uint16_t address, std::uint8_t value) { return EzUsb().UsbWriteRam(address, value); };
}

void TFrmMain::BuildFqPanel() {
  fqUi_ = std::make_unique<TFqPanelUi>();
  fqUi_->Build(uiSchnittstelle_->panFQMess);
  fqUi_->grpFQIN->SetItemIndex(1);
  connect(fqUi_->grpFQIN, &TRadioGroup::Clicked, this, &TFrmMain::grpFQINClick);
  connect(fqUi_->edFQZyk, &QLineEdit::textChanged, this, &TFrmMain::edFQZykChange);
}

void TFrmMain::grpFQINClick() {
  if (workMode_ != 430) return;
  usbWriteRam_(0x101, FqInputCode(fqUi_->grpFQIN->ItemIndex()));
}

void TFrmMain::edFQZykChange() {
  // Writing the clamped value back fires this again.
  if (fqCycleChanging_ || workMode_ != 430 || fqUi_->edFQZyk->text().isEmpty()) return;
  fqCycleChanging_ = true;
  const int cycle = FqCycle(fqUi_->edFQZyk->text().toStdString());
  if (fqUi_->edFQZyk->text() != QString::number(cycle)) fqUi_->edFQZyk->setText(QString::number(cycle));
  fqCycleChanging_ = false;
  usbWriteRam_(0x102, static_cast<std::uint8_t>(cycle));
}

void TFrmMain::ApplyFqSettings(const TFqSettings& fq) {
  fqUi_->grpFQIN->SetItemIndex(fq.grpFQIN_ItemIndex);
  const bool changing = fqCycleChanging_;
  fqCycleChanging_ = true;  // stored, not typed: nothing goes to the device here
  fqUi_->edFQZyk->setText(QString::fromStdString(fq.edFQZyk_Text));
  fqCycleChanging_ = changing;
}

void TFrmMain::StoreFqSettings(TFqSettings& fq) const {
  fq.grpFQIN_ItemIndex = fqUi_->grpFQIN->ItemIndex();
  fq.edFQZyk_Text = fqUi_->edFQZyk->text().toStdString();
}
