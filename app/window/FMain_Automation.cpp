// The automation object in the window (with "/COMON"): the object's methods
// press the same controls a user would, and while a client holds an object
// the status bar shows "OLE" and the exit buttons are off.
#include <QDBusConnection>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QToolButton>

#include "automation/AutomationHost.h"
#include "automation/AutomationRules.h"
#include "automation/CLSTamarik.h"
#include "core/ErrorReport.h"
#include "core/Language.h"
#include "core/Startup.h"
#include "core/TextIds.h"
#include "ui_FMain.h"
#include "ui_TabSchnittstelle.h"
#include "window/FMain.h"
#include "window/RadioGroup.h"

class TWindowAutomation final : public TAutomationHost, public TSetComTarget {
 public:
  explicit TWindowAutomation(TFrmMain& window) : w_(window), u_(*window.uiSchnittstelle_) {}

  TTamarikServer* Server() { return server_.get(); }
  bool Start(QString* error) {
    server_ = std::make_unique<TTamarikServer>(*this, w_.pipeline_);
    return server_->Register(QDBusConnection::sessionBus(), error);
  }

  // --- TAutomationHost ---
  void Info() override {
    QMessageBox::information(&w_, QStringLiteral("Tamarik"),
                             "Tamarik V: " + QString::fromStdString(TLanguage::RunningVersion()));
  }
  int Hide() override {
    w_.hide();
    return 0;
  }
  int Show() override {
    w_.show();
    return 0;
  }
  int WorkMode() const override { return w_.WorkMode(); }
  bool Send(bool targetB, const std::string& bytes, bool raw) override {
    return w_.DatenSenden(targetB, bytes, false, false, raw, false, false, 0);
  }
  TSetComTarget& SetComTarget() override { return *this; }
  int OpenPort() override { return PressIfShowing(TextId::btnOK1); }
  int ClosePort() override { return PressIfShowing(TextId::btnOK1Trennen); }
  void AutomationActiveChanged(bool active) override { w_.AutomationActiveChanged(active); }

  // --- TSetComTarget: the interface page's controls ---
  void SelectMode(TModeButton mode) override {
    QRadioButton* buttons[] = {u_.rgrpA, u_.rgrpB, u_.rgrpC, u_.rgrpD, u_.rgrpE, u_.rgrpF, u_.rgrpG, u_.rgrpH};
    if (mode >= mbA && mode <= mbH) buttons[mode - mbA]->setChecked(true);
  }
  int UsbModeCount() const override { return u_.grpUSB->Count(); }
  void SelectUsbMode(int index) override {
    u_.grpUSB->SetItemIndex(index);
    w_.SetIcon(-1);
  }
  bool BaudSwitchVisible() const override { return Shown(u_.panBaudUmschalt); }
  void PressSpeedButton(int which) override {
    QToolButton* buttons[] = {u_.spBaud, u_.spBaudA, u_.spBaudB};
    if (!buttons[which]->isChecked()) buttons[which]->click();
  }
  bool PortListVisible() const override { return Shown(u_.grpSSA); }
  bool PortBListVisible() const override { return Shown(u_.grpSSB); }
  void SelectPortA(int index) override {
    if (index >= u_.cbxSSA->count()) return;
    u_.cbxSSA->setCurrentIndex(index);
    w_.grpSSAClick();
  }
  void SelectPortB(int index) override {
    if (index >= u_.cbxSSB->count()) return;
    u_.cbxSSB->setCurrentIndex(index);
    w_.grpSSBClick();
  }
  std::vector<std::string> BaudItems() const override {
    std::vector<std::string> items;
    for (const QString& item : u_.grpBaud->Items()) items.push_back(item.toStdString());
    return items;
  }
  void SelectBaud(int index) override { Select(u_.grpBaud, index); }
  void SetOtherBaud(const std::string& text) override {
    u_.edOtherBaud->setText(QString::fromStdString(text));
    w_.edOtherBaudChange();
  }
  int DataBitCount() const override { return u_.grpDaten->Count(); }
  int StopBitCount() const override { return u_.grpStop->Count(); }
  int ParityCount() const override { return u_.grpParitaet->Count(); }
  void SelectDataBits(int index) override { Select(u_.grpDaten, index); }
  void SelectStopBits(int index) override { Select(u_.grpStop, index); }
  void SelectParity(int index) override { Select(u_.grpParitaet, index); }

 private:
  // Visible on its page, whichever page is in front.
  static bool Shown(const QWidget* widget) {
    for (const QWidget* p = widget; p != nullptr; p = p->parentWidget()) {
      if (p->objectName() == QLatin1String("tabSchnittstelle")) return true;
      if (p->isHidden()) return false;
    }
    return true;
  }
  void Select(TRadioGroup* group, int index) {
    group->SetItemIndex(index);
    w_.grpSSClick(group);
  }
  // 1 when the button still shows its caption afterwards (nothing changed).
  int PressIfShowing(int textId) {
    const QString caption = QString::fromStdString(GetText(textId));
    if (u_.btnOK1->text() == caption && u_.btnOK1->isEnabled()) w_.btnOK1Click();
    if (textId == TextId::btnOK1) return u_.btnOK1->isEnabled() && u_.btnOK1->text() == caption ? 1 : 0;
    return u_.btnOK1->text() == caption ? 1 : 0;
  }

  TFrmMain& w_;
  Ui::TabSchnittstelle& u_;
  std::unique_ptr<TTamarikServer> server_;
};

void TFrmMain::SetupAutomation() {
  if (startup_ == nullptr || !startup_->CommandLine().ComOn) return;
  StartAutomation();
}

bool TFrmMain::StartAutomation() {
  auto automation = std::make_shared<TWindowAutomation>(*this);
  QString error;
  if (!automation->Start(&error)) {
    ReportError("31", "Automation object not available: " + error.toStdString());
    return false;
  }
  automation_ = std::move(automation);
  return true;
}

TTamarikServer* TFrmMain::Automation() const { return automation_ ? automation_->Server() : nullptr; }

void TFrmMain::AutomationActiveChanged(bool active) {
  if (active && stOLE_ == nullptr) {
    stOLE_ = new QLabel(QStringLiteral("OLE"), ui_->StBar);
    stOLE_->setObjectName(QStringLiteral("StBarPanelOLE"));
    stOLE_->setFixedWidth(35);
    ui_->StBar->addPermanentWidget(stOLE_);
  } else if (!active && stOLE_ != nullptr) {
    ui_->StBar->removeWidget(stOLE_);
    delete stOLE_;
    stOLE_ = nullptr;
  }
  for (int i = 0; i <= 7; ++i) {
    const QString name = i == 0 ? QStringLiteral("btnEnde") : QStringLiteral("btnEnde%1").arg(i);
    if (auto* button = findChild<QPushButton*>(name)) button->setEnabled(!active);
  }
}
