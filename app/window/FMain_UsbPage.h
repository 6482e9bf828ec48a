// The USB page tabUSB: device choice, firmware buttons, start and stop of
// the core, memory read and write, driver version, single-buffer stepping
// and the timer's USB duties. Thin over app/usb/UsbService; what it needs
// of the main window comes in through TUsbPageHost.
#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

#include "EepromService.h"
#include "UsbService.h"

class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QWidget;
class TEzUsb;
class TRadioGroup;
class TFirmwareLoader;
class TUSBTamarik;

struct TUsbPageHost {
  std::function<void(const QString&)> Status;       // the status bar
  std::function<void(const char*)> UserAction;      // "UserAction: …" when logged
  std::function<void(TUsbLamp)> Lamp;               // shUSBOK
  std::function<bool()> UsbModeChosen;              // rgrpG
  std::function<bool()> OkEnabled;
  std::function<void()> EnableOk;
  std::function<void()> RunOk;
  std::function<void()> AccessCheck;                // the box may be present but refused
};

class TUsbPage : public QObject {
  Q_OBJECT
 public:
  // Fills `page` (the empty tabUSB with its close and help buttons). The
  // monitor is the window's one receive thread on the box: its load, pass
  // count and single-buffer stepping are shown and driven here.
  TUsbPage(QWidget* page, TEzUsb& usb, TUSBTamarik& monitor, TUsbPageHost host);
  ~TUsbPage() override;

  void TimerTick();
  TUsbTimerDuty& Duty() { return *duty_; }
  // The page's loader, so the USB start shows its messages the same way.
  TFirmwareLoader& Loader() { return *loader_; }
  // The open dialogs; tests answer them themselves.
  std::function<QString(const QString& proposed)> OpenFileDialog;
  std::function<QString(const QString& proposed)> OpenIicDialog;

 public slots:
  void rDevClick();
  void edDevChange(const QString& text);
  void btnUSBStartClick();
  void btnUSBResetClick();
  void btnUSBFileClick();
  void btnUSBSendFileClick();
  void btnUSBSendByteClick();
  void btnUSBReadBytesClick();
  void btnUSBVerInfoClick();
  void chkUSBStopClick();
  void btnUSBEinzelClick();
  void btnUSBLoescheEEClick();
  void btnUSBDateiEEClick();
  void LoadImage(const char* image);
  // Texts the window's language switch does not reach by their tags.
  void LanguageSwitched();
  // Beep, "… nicht korrekt angeschlossen!", the lamp red.
  void DeviceError();

 private:
  void Build(QWidget* page);
  QPushButton* AddButton(QWidget* parent, const char* name, const QString& caption);
  void Status(const QString& text) { if (host_.Status) host_.Status(text); }
  bool Check(bool reopen);
  void ShowEepromStatus();
  TEepromService Eeprom();

  TEzUsb& usb_;
  TUSBTamarik& monitor_;
  TUsbPageHost host_;
  std::unique_ptr<TUsbTimerDuty> duty_;
  std::unique_ptr<TFirmwareLoader> loader_;
  QString lastFile_;
  QString lastIicFile_;
  bool reading_ = false;

  TRadioGroup* rDev_ = nullptr;
  QLineEdit* edDev_ = nullptr;
  QLabel *lbUSB_ = nullptr, *lbUSBBuffLast_ = nullptr, *lbUSBVersion_ = nullptr, *lbUSBEEStatus_ = nullptr;
  QCheckBox *chkUSBStop_ = nullptr, *chkUSBAutoRead_ = nullptr;
  QPushButton* btnUSBEinzel_ = nullptr;
  QLineEdit *edUSBAdr_ = nullptr, *edUSBByte_ = nullptr, *edUSBRAdr_ = nullptr, *edUSBRBytes_ = nullptr,
            *edUSBRead_ = nullptr;
  QWidget* panUsbEeprom_ = nullptr;
  int eepromStatus_ = 0;  // the text id lbUSBEEStatus shows, 0 for none
};
