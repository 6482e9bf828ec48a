#include "window/FMain_UsbPage.h"

#include <QApplication>
#include <algorithm>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "EZUSB.h"
#include "FirmwareLoad.h"
#include "USB.h"
#include "core/AppFlags.h"
#include "core/SendText.h"
#include "core/TextIds.h"
#include "window/Captions.h"
#include "window/RadioGroup.h"

namespace {

class THourglass {
 public:
  THourglass() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~THourglass() { QApplication::restoreOverrideCursor(); }
};

QLineEdit* AddEdit(QWidget* parent, const char* name, int maxLength = 8) {
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(QLatin1String(name));
  edit->setMaxLength(maxLength);
  return edit;
}

QLabel* AddLabel(QWidget* parent, const char* name, const QString& text) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(QLatin1String(name));
  return label;
}

}  // namespace

TUsbPage::TUsbPage(QWidget* page, TEzUsb& usb, TUSBTamarik& monitor, TUsbPageHost host)
    : QObject(page), usb_(usb), monitor_(monitor), host_(std::move(host)) {
  TUsbTimerHooks hooks;
  hooks.MonitorActive = [this] { return monitor_.Active(); };
  hooks.UsbModeChosen = host_.UsbModeChosen;
  hooks.OkEnabled = host_.OkEnabled;
  hooks.EnableOk = host_.EnableOk;
  hooks.RunOk = host_.RunOk;
  hooks.DeviceError = [this] {
    QApplication::beep();
    Status(GetQText(TextId::MsgUsbDeviceNotConnected));
  };
  hooks.Lamp = host_.Lamp;
  duty_ = std::make_unique<TUsbTimerDuty>(usb_, std::move(hooks));
  TUsbLoadUi ui;
  ui.StatusLine = [this](std::string_view text) { Status(QString::fromUtf8(text.data(), qsizetype(text.size()))); };
  ui.Hourglass = [](bool busy) {
    if (busy) QApplication::setOverrideCursor(Qt::WaitCursor);
    else QApplication::restoreOverrideCursor();
  };
  ui.DeviceError = [this] { DeviceError(); };
  ui.Message = [this](std::string_view text) { Status(QString::fromUtf8(text.data(), qsizetype(text.size()))); };
  ui.UserAction = [this](std::string_view line) {
    if (host_.UserAction) host_.UserAction(std::string(line).c_str());
  };
  loader_ = std::make_unique<TFirmwareLoader>(usb_, std::move(ui));
  OpenFileDialog = [page](const QString& proposed) {
    const QString filter = GetQText(TextId::FilterHexFormat) + QStringLiteral(" (*.hex);;") +
                           GetQText(TextId::FilterBinaryFile) + QStringLiteral(" (*.bin)");
    return QFileDialog::getOpenFileName(page, GetQText(TextId::UsbOpenFileTitle), proposed, filter);
  };
  OpenIicDialog = [page](const QString& proposed) {
    const QString filter = GetQText(TextId::FilterIicFormat) + QStringLiteral(" (*.iic)");
    return QFileDialog::getOpenFileName(page, GetQText(TextId::UsbOpenFileTitle), proposed, filter);
  };
  Build(page);
}

TUsbPage::~TUsbPage() = default;

QPushButton* TUsbPage::AddButton(QWidget* parent, const char* name, const QString& caption) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(QLatin1String(name));
  return button;
}

void TUsbPage::Build(QWidget* page) {
  auto* content = new QWidget(page);
  content->setObjectName(QStringLiteral("panUSBPage"));
  auto* grid = new QGridLayout(content);

  rDev_ = new TRadioGroup(content);
  rDev_->setObjectName(QStringLiteral("rDev"));
  rDev_->setProperty("tag", TextId::rDev);
  rDev_->setTitle(GetQText(TextId::rDev));
  rDev_->SetColumns(2);
  for (int item = 1; item <= 4; ++item) rDev_->AddItem(GetQText(TextId::rDev + item));
  rDev_->SetItemIndex(udFirst);
  edDev_ = AddEdit(content, "edDev", 40);
  edDev_->setReadOnly(true);
  grid->addWidget(rDev_, 0, 0, 1, 2);
  grid->addWidget(edDev_, 1, 0, 1, 2);

  auto* core = new QGroupBox(content);
  auto* coreRow = new QHBoxLayout(core);
  QPushButton* start = AddButton(core, "btnUSBStart", QStringLiteral("Start"));
  QPushButton* reset = AddButton(core, "btnUSBReset", QStringLiteral("Reset"));
  QPushButton* file = AddButton(core, "btnUSBFile", QStringLiteral("Datei ..."));
  QPushButton* sendFile = AddButton(core, "btnUSBSendFile", QStringLiteral("Datei senden"));
  for (QPushButton* b : {start, reset, file, sendFile}) coreRow->addWidget(b);
  grid->addWidget(core, 2, 0, 1, 2);

  auto* images = new QGroupBox(content);
  auto* imageRow = new QHBoxLayout(images);
  struct TImageButton {
    const char* name;
    const char* caption;
    const char* image;
  };
  static const TImageButton kImages[] = {{"btnUSBBlinkLED", "Blink-LED", "BLINKLED"}, {"btnUSBV24", "V24", "V24"},
                                         {"btnUSBRS4xx", "RS4xx", "RS4XX"},          {"btnUSBCAN", "CAN", "CAN"},
                                         {"btnUSBFrequenz", "Frequenz", "FQ"},       {"btnUSBBaudmess", "Baudmess", "BAUDMESS"}};
  for (const TImageButton& i : kImages) {
    QPushButton* b = AddButton(images, i.name, QString::fromUtf8(i.caption));
    imageRow->addWidget(b);
    const char* image = i.image;
    connect(b, &QPushButton::clicked, this, [this, image] { LoadImage(image); });
  }
  grid->addWidget(images, 3, 0, 1, 2);

  auto* state = new QGridLayout;
  state->addWidget(AddLabel(content, "lbAuslastUSB", QStringLiteral("Auslastung:")), 0, 0);
  lbUSBBuffLast_ = AddLabel(content, "lbUSBBuffLast", QStringLiteral("0 %"));
  state->addWidget(lbUSBBuffLast_, 0, 1);
  lbUSB_ = AddLabel(content, "lbUSB", QStringLiteral("-"));
  state->addWidget(lbUSB_, 0, 2);
  chkUSBStop_ = new QCheckBox(QStringLiteral("Einzelpuffer"), content);
  chkUSBStop_->setObjectName(QStringLiteral("chkUSBStop"));
  btnUSBEinzel_ = AddButton(content, "btnUSBEinzel", QStringLiteral("Einzel"));
  btnUSBEinzel_->setEnabled(false);
  state->addWidget(chkUSBStop_, 1, 0);
  state->addWidget(btnUSBEinzel_, 1, 1);
  lbUSBVersion_ = AddLabel(content, "lbUSBVersion", QString());
  QPushButton* verInfo = AddButton(content, "btnUSBVerInfo", QStringLiteral("Version"));
  state->addWidget(verInfo, 2, 0);
  state->addWidget(lbUSBVersion_, 2, 1);
  grid->addLayout(state, 4, 0, 1, 2);

  auto* memory = new QGridLayout;
  edUSBAdr_ = AddEdit(content, "edUSBAdr", 4);
  edUSBByte_ = AddEdit(content, "edUSBByte", 2);
  QPushButton* sendByte = AddButton(content, "btnUSBSendByte", QStringLiteral("Schreiben"));
  memory->addWidget(edUSBAdr_, 0, 0);
  memory->addWidget(edUSBByte_, 0, 1);
  memory->addWidget(sendByte, 0, 2);
  edUSBRAdr_ = AddEdit(content, "edUSBRAdr", 4);
  edUSBRBytes_ = AddEdit(content, "edUSBRBytes", 4);
  QPushButton* readBytes = AddButton(content, "btnUSBReadBytes", QStringLiteral("Lesen"));
  memory->addWidget(edUSBRAdr_, 1, 0);
  memory->addWidget(edUSBRBytes_, 1, 1);
  memory->addWidget(readBytes, 1, 2);
  edUSBRead_ = AddEdit(content, "edUSBRead", 32767);
  edUSBRead_->setReadOnly(true);
  memory->addWidget(edUSBRead_, 2, 0, 1, 3);
  chkUSBAutoRead_ = new QCheckBox(GetQText(TextId::chkUSBAutoRead), content);
  chkUSBAutoRead_->setObjectName(QStringLiteral("chkUSBAutoRead"));
  chkUSBAutoRead_->setProperty("tag", TextId::chkUSBAutoRead);
  memory->addWidget(chkUSBAutoRead_, 3, 0, 1, 3);
  grid->addLayout(memory, 5, 0, 1, 2);

  // The EEPROM service belongs to the bare chip (item 0).
  panUsbEeprom_ = new QGroupBox(content);
  panUsbEeprom_->setObjectName(QStringLiteral("panUsbEeprom"));
  auto* eeprom = new QHBoxLayout(panUsbEeprom_);
  lbUSBEEStatus_ = AddLabel(panUsbEeprom_, "lbUSBEEStatus", QString());
  eeprom->addWidget(lbUSBEEStatus_);
  auto* erase = AddButton(panUsbEeprom_, "btnUSBLoescheEE", QStringLiteral("EEPROM löschen"));
  auto* writeFile = AddButton(panUsbEeprom_, "btnUSBDateiEE", QStringLiteral("Datei in EEPROM"));
  eeprom->addWidget(erase);
  eeprom->addWidget(writeFile);
  connect(erase, &QPushButton::clicked, this, &TUsbPage::btnUSBLoescheEEClick);
  connect(writeFile, &QPushButton::clicked, this, &TUsbPage::btnUSBDateiEEClick);
  panUsbEeprom_->setVisible(false);
  grid->addWidget(panUsbEeprom_, 6, 0, 1, 2);

  if (auto* layout = qobject_cast<QVBoxLayout*>(page->layout())) layout->insertWidget(0, content);

  connect(rDev_, &TRadioGroup::Clicked, this, &TUsbPage::rDevClick);
  connect(edDev_, &QLineEdit::textEdited, this, &TUsbPage::edDevChange);
  connect(start, &QPushButton::clicked, this, &TUsbPage::btnUSBStartClick);
  connect(reset, &QPushButton::clicked, this, &TUsbPage::btnUSBResetClick);
  connect(file, &QPushButton::clicked, this, &TUsbPage::btnUSBFileClick);
  connect(sendFile, &QPushButton::clicked, this, &TUsbPage::btnUSBSendFileClick);
  connect(sendByte, &QPushButton::clicked, this, &TUsbPage::btnUSBSendByteClick);
  connect(readBytes, &QPushButton::clicked, this, &TUsbPage::btnUSBReadBytesClick);
  connect(verInfo, &QPushButton::clicked, this, &TUsbPage::btnUSBVerInfoClick);
  connect(chkUSBStop_, &QCheckBox::clicked, this, &TUsbPage::chkUSBStopClick);
  connect(btnUSBEinzel_, &QPushButton::clicked, this, &TUsbPage::btnUSBEinzelClick);
}

void TUsbPage::DeviceError() {
  QApplication::beep();
  Status(GetQText(TextId::MsgUsbDeviceNotConnected));
  duty_->SetLamp(TUsbLamp::Red);
}

bool TUsbPage::Check(bool reopen) { return CheckDevice(usb_, reopen, [this] { DeviceError(); }); }

void TUsbPage::rDevClick() {
  lbUSBVersion_->clear();
  const int item = rDev_->ItemIndex();
  const TUsbDeviceChoice choice = DeviceForChoice(item, edDev_->text().toStdString());
  usb_.UsbClose();
  usb_.UsbDeviceName = choice.Name;
  usb_.UsbFixedName = choice.Fixed;
  edDev_->setReadOnly(item != udFree);
  if (item == udFree) edDev_->setFocus();
  panUsbEeprom_->setVisible(item == udChip);
  if (item == udChip) {
    if (!usb_.UsbReopen() && host_.AccessCheck) host_.AccessCheck();
    eepromStatus_ = ConfigEepromFound() ? TextId::EepromFound : TextId::EepromNotFound;
    ShowEepromStatus();
  }
  const QString shown = item == udFree ? edDev_->text() : rDev_->Item(item);
  Status(GetQText(TextId::StatusDeviceName) + QLatin1Char(' ') + shown);
}

void TUsbPage::edDevChange(const QString& text) {
  if (rDev_->ItemIndex() != udFree) return;
  usb_.UsbDeviceName = text.toStdString();
  Status(GetQText(TextId::StatusDeviceName) + QLatin1Char(' ') + text);
}

void TUsbPage::btnUSBStartClick() {
  {
    THourglass busy;
    usb_.Run8051();
    if (host_.UserAction) host_.UserAction("UserAction: USB-Test Start.");
  }
  Check(false);
}

void TUsbPage::btnUSBResetClick() {
  {
    THourglass busy;
    usb_.Hold8051();
    if (host_.UserAction) host_.UserAction("UserAction: USB-Test Stop.");
  }
  Check(false);
}

void TUsbPage::btnUSBFileClick() {
  const QString proposed = lastFile_.isEmpty() ? QCoreApplication::applicationDirPath() + QStringLiteral("/ProgUSB.hex") : lastFile_;
  const QString chosen = OpenFileDialog ? OpenFileDialog(proposed) : QString();
  if (chosen.isEmpty()) return;
  lastFile_ = chosen;
  loader_->SendFileToDevice(chosen.toStdString());
  Check(false);
}

void TUsbPage::btnUSBSendFileClick() {
  if (lastFile_.isEmpty()) return;  // nothing chosen yet: nothing to send
  loader_->SendFileToDevice(lastFile_.toStdString());
  Check(false);
}

TEepromService TUsbPage::Eeprom() {
  TEepromServiceUi ui;
  ui.StatusLine = [this](std::string_view text) { Status(QString::fromUtf8(text.data(), qsizetype(text.size()))); };
  ui.Hourglass = [](bool busy) {
    if (busy)
      QApplication::setOverrideCursor(Qt::WaitCursor);
    else
      QApplication::restoreOverrideCursor();
  };
  ui.DeviceError = [this] { DeviceError(); };
  ui.UserAction = [this](std::string_view line) {
    if (host_.UserAction) host_.UserAction(std::string(line).c_str());
  };
  ui.Wait = [](int ms) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms && !AppClosing.load()) QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    return !AppClosing.load();
  };
  ui.BeginDeviceAccess = [this] { monitor_.BeginDeviceAccess(); };
  ui.EndDeviceAccess = [this] { monitor_.EndDeviceAccess(); };
  return TEepromService(usb_, std::move(ui));
}

void TUsbPage::btnUSBLoescheEEClick() { Eeprom().Erase(); }

void TUsbPage::btnUSBDateiEEClick() {
  const QString proposed =
      lastIicFile_.isEmpty() ? QCoreApplication::applicationDirPath() + QStringLiteral("/ProgUSB.iic") : lastIicFile_;
  const QString chosen = OpenIicDialog ? OpenIicDialog(proposed) : QString();
  if (chosen.isEmpty()) return;
  lastIicFile_ = chosen;
  Eeprom().WriteFile(chosen.toStdString());
}

void TUsbPage::LoadImage(const char* image) {
  loader_->LoadFirmware(image, true);
  Check(false);
}

void TUsbPage::btnUSBSendByteClick() {
  uint32_t address = 0, value = 0;
  try {
    address = HexToInt(edUSBAdr_->text().toStdString());
    value = HexToInt(edUSBByte_->text().toStdString());
  } catch (const THexError&) {
    Status(GetQText(TextId::MsgHexConversion));
    return;
  }
  monitor_.BeginDeviceAccess();
  if (!usb_.UsbWriteRam(static_cast<uint16_t>(address), static_cast<uint8_t>(value & 0xFF)))
    Status(GetQText(TextId::MsgUsbSendFailed));
  monitor_.EndDeviceAccess();
}

void TUsbPage::btnUSBReadBytesClick() {
  if (reading_) return;  // the timer's read waits for the user's, not beside it
  uint32_t address = 0, count = 0;
  try {
    address = HexToInt(edUSBRAdr_->text().toStdString());
    count = HexToInt(edUSBRBytes_->text().toStdString());
  } catch (const THexError&) {
    Status(GetQText(TextId::MsgHexConversion));
    chkUSBAutoRead_->setChecked(false);
    return;
  }
  reading_ = true;
  THourglass busy;
  monitor_.BeginDeviceAccess();
  // One request per byte: a read stops at 8 KiB so the window never stalls for minutes.
  const TMemoryRead r = ReadMemoryBytes(usb_, static_cast<uint16_t>(address), static_cast<int>(std::min<uint32_t>(count, 0x1FFF)));
  if (!r.Ok) {
    Status(GetQText(TextId::MsgUsbDeviceNotFound));
    chkUSBAutoRead_->setChecked(false);
  }
  edUSBRead_->setText(QString::fromStdString(r.Text));
  Check(false);
  monitor_.EndDeviceAccess();
  reading_ = false;
}

void TUsbPage::btnUSBVerInfoClick() {
  uint16_t major = 0, minor = 0, build = 0;
  if (Check(true) && usb_.UsbGetDriverVersion(major, minor, build)) {
    const QString text = QString::fromStdString(DriverVersionText(major, minor, build));
    lbUSBVersion_->setText(text);
    Status(GetQText(TextId::StatusUsbDriverVersion) + QLatin1Char(' ') + text);
  } else {
    lbUSBVersion_->setText(QStringLiteral("------"));
  }
}

void TUsbPage::chkUSBStopClick() {
  monitor_.StepMode = chkUSBStop_->isChecked();
  btnUSBEinzel_->setEnabled(chkUSBStop_->isChecked());
}

void TUsbPage::btnUSBEinzelClick() { monitor_.StepAllowed = true; }

void TUsbPage::ShowEepromStatus() {
  lbUSBEEStatus_->setText(eepromStatus_ ? GetQText(eepromStatus_) : QString());
}

void TUsbPage::LanguageSwitched() {
  // The tagged captions follow with the rest of the window; the EEPROM
  // state is a text of its own, and the device list's items are the group's.
  ShowEepromStatus();
  for (int item = 0; item < rDev_->Count(); ++item) rDev_->SetItemText(item, GetQText(TextId::rDev + 1 + item));
}

void TUsbPage::TimerTick() {
  if (chkUSBAutoRead_->isChecked()) btnUSBReadBytesClick();
  duty_->Tick();
  lbUSBBuffLast_->setText(QString::number(monitor_.Load()) + QStringLiteral(" %"));
  lbUSB_->setText(QString::fromStdString(monitor_.PassText()));
}
