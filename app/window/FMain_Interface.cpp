// The interface page: building it, the mode buttons and the page layout per
// mode (SetIcon), the baud-rate list and the line-setting handlers. Applying
// and disconnecting live in FMain_InterfaceApply.cpp, the settings file in
// FMain_InterfaceSettings.cpp; the decisions themselves in the core.
#include <QCheckBox>
#include <algorithm>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTabWidget>
#include <QToolButton>

#include "core/ErrorLog.h"
#include "core/Language.h"
#include "core/TextIds.h"
#include "serial/InterfacePorts.h"
#include "ui_FMain.h"
#include "ui_TabSchnittstelle.h"
#include "ui_TabZeit.h"
#include "window/FMain.h"

namespace {

QString Text(int id) { return QString::fromStdString(GetText(id)); }

QStringList Texts(std::initializer_list<int> ids) {
  QStringList list;
  for (int id : ids) list.push_back(Text(id));
  return list;
}

void SetTabShown(QTabWidget* page, const char* name, bool shown) {
  for (int i = 0; i < page->count(); ++i)
    if (page->widget(i)->objectName() == QLatin1String(name)) page->setTabVisible(i, shown);
}

}  // namespace

void TFrmMain::BuildInterfacePage() {
  uiSchnittstelle_ = std::make_unique<Ui::TabSchnittstelle>();
  auto* widget = new QWidget(ui_->Page);
  uiSchnittstelle_->setupUi(widget);
  ui_->Page->insertTab(1, widget, widget->windowTitle());
  ports_ = std::make_unique<TInterfacePorts>(Ring(), pipeline_);
  Ui::TabSchnittstelle& u = *uiSchnittstelle_;
  chkSound = u.chkSound;

  u.grpBaud->SetColumns(2);
  // The form's list until the mode picks its own (its kind is not known yet).
  TBaudListState form;
  TPortABSettings unused;
  ::BaudList(form, 1, false, GetText(TextId::BaudMessen), unused, {});
  QStringList baudItems;
  for (const std::string& item : form.Items) baudItems.push_back(QString::fromStdString(item));
  u.grpBaud->SetItems(baudItems);
  u.grpDaten->SetItems({QStringLiteral("5"), QStringLiteral("6"), QStringLiteral("7"), QStringLiteral("8")});
  u.grpStop->SetItems({QStringLiteral("1"), QStringLiteral("2")});
  u.grpParitaet->SetItems(Texts({1041, 1042, 1043}));
  u.grpFluss->SetItems(Texts({1091, 1092, 1093}));
  QStringList usbModes;
  for (int id : UsbModeTextIds()) usbModes.push_back(Text(id));
  u.grpUSB->SetItems(usbModes);
  u.grpUSB->SetItemIndex(0);
  u.grpSSB->setProperty("FontColor", 255);
  u.btnOK1->setIcon(ApplyGlyph(0));
  u.edOtherBaud->setEnabled(false);
  u.panBaud->setEnabled(false);
  for (QCheckBox* box : {u.chkFlowSignalsRTSA, u.chkFlowSignalsDTRA, u.chkFlowSignalsRTSB, u.chkFlowSignalsDTRB})
    box->setEnabled(false);
  FillPortLists({});
  ConnectInterface();
}

void TFrmMain::ConnectInterface() {
  Ui::TabSchnittstelle& u = *uiSchnittstelle_;
  const auto onChecked = [this](QRadioButton* button, auto handler) {
    connect(button, &QRadioButton::toggled, this, [handler](bool checked) {
      if (checked) handler();
    });
  };
  onChecked(u.rgrpA, [this] { SetIcon(0); });
  onChecked(u.rgrpC, [this] { SetIcon(1); });
  onChecked(u.rgrpB, [this] { SetIcon(2); });
  onChecked(u.rgrpD, [this] { rgrpDClick(); });
  for (QRadioButton* button : {u.rgrpE, u.rgrpF, u.rgrpG, u.rgrpH}) onChecked(button, [this] { SetIcon(-1); });
  connect(u.grpUSB, &TRadioGroup::Clicked, this, [this] { SetIcon(-1); });
  for (TRadioGroup* group : {u.grpBaud, u.grpDaten, u.grpStop, u.grpParitaet, u.grpFluss})
    connect(group, &TRadioGroup::Clicked, this, [this, group] { grpSSClick(group); });
  for (QToolButton* button : {u.spBaud, u.spBaudA, u.spBaudB})
    connect(button, &QToolButton::clicked, this, &TFrmMain::spBaudClick);
  connect(u.edOtherBaud, &QLineEdit::textEdited, this, &TFrmMain::edOtherBaudChange);
  connect(u.cbxSSA, &QComboBox::activated, this, &TFrmMain::grpSSAClick);
  connect(u.cbxSSB, &QComboBox::activated, this, &TFrmMain::grpSSBClick);
  u.cbxSSA->setInsertPolicy(QComboBox::NoInsert);
  u.cbxSSB->setInsertPolicy(QComboBox::NoInsert);
  connect(u.cbxSSA->lineEdit(), &QLineEdit::editingFinished, this, [this] {
    if (TakeTypedPort(false)) grpSSAClick();
  });
  connect(u.cbxSSB->lineEdit(), &QLineEdit::editingFinished, this, [this] {
    if (TakeTypedPort(true)) grpSSBClick();
  });
  // A name being typed is a change waiting: the button must not read
  // "Trennen" and then apply.
  for (QComboBox* box : {u.cbxSSA, u.cbxSSB})
    connect(box->lineEdit(), &QLineEdit::textEdited, this, [this] { btnOK1Enabled(true); });
  connect(u.btnOK1, &QPushButton::clicked, this, &TFrmMain::btnOK1Click);
  connect(u.chkFlowSignals, &QCheckBox::clicked, this, &TFrmMain::chkFlowSignalsClick);
  for (QCheckBox* box : {u.chkFlowSignalsRTSA, u.chkFlowSignalsDTRA, u.chkFlowSignalsRTSB, u.chkFlowSignalsDTRB})
    connect(box, &QCheckBox::toggled, this, [this, box] { chkFlowSignalsBoxClick(box); });
  for (QCheckBox* box : {u.chkCTSDSR, u.chkError})
    connect(box, &QCheckBox::toggled, this, &TFrmMain::PublishRxOptions);
}

TModeButton TFrmMain::SelectedMode() const {
  const Ui::TabSchnittstelle& u = *uiSchnittstelle_;
  const QRadioButton* buttons[] = {u.rgrpA, u.rgrpB, u.rgrpC, u.rgrpD, u.rgrpE, u.rgrpF, u.rgrpG, u.rgrpH};
  for (int i = 0; i < 8; ++i)
    if (buttons[i]->isChecked()) return static_cast<TModeButton>(mbA + i);
  return mbNone;
}

void TFrmMain::SetIcon(int picture) {
  if (LanguageSwitching) return;
  Ui::TabSchnittstelle& u = *uiSchnittstelle_;
  workMode_ = 0;
  btnOK1Enabled(true);
  const bool modeF = u.rgrpF->isChecked();
  const bool modeG = u.rgrpG->isChecked();
  const bool modeH = u.rgrpH->isChecked();
  const bool ssaShown = !((modeF && chkIPSend_) || modeG);
  const bool ssbShown = picture == 3 || (picture < 0 && !modeF && !modeH && !modeG);
  u.grpSSA->setVisible(ssaShown);
  u.grpSSB->setVisible(ssbShown);
  u.lbB->setVisible(ssbShown && picture >= 0);
  for (QWidget* label : {static_cast<QWidget*>(u.lbA), static_cast<QWidget*>(u.lbPC), static_cast<QWidget*>(u.lbSPS)})
    label->setVisible(picture >= 0);
  if (u.grpParitaet->Count() == 3) {
    u.grpParitaet->AddItem(Text(TextId::ParitaetMark));
    u.grpParitaet->AddItem(Text(TextId::ParitaetSpace));
  }
  u.grpFluss->setVisible(u.rgrpE->isChecked() || (modeF && !chkIPSend_));
  u.panUSB->setVisible(modeG);
  u.ImagMini->SetPicture(picture + 1);

  workMode_ = WorkModeFor(SelectedMode(), modeG ? UsbWorkModeAt(u.grpUSB->ItemIndex()) : 0);
  // The data pages mean nothing to the frequency and CAN modes.
  const bool canOrFrequency = workMode_ == 430 || workMode_ == 440 || workMode_ == 470;
  SetTabShown(ui_->Page, "tabDaten", !canOrFrequency);
  SetTabShown(ui_->Page, "tabProtokollbegrenzung", !canOrFrequency);
  SetTabShown(ui_->Page, "tabCAN", workMode_ == 440 || workMode_ == 470);
  ShowCanModeControls();
  const int usbHelp = workMode_ == 430 ? 2140 : workMode_ == 440 ? 2150 : workMode_ == 450 ? 2130 : 2120;
  u.panUSB->setProperty("HelpContext", usbHelp);
  u.grpBaud->setProperty("HelpContext", workMode_ == 440 ? 2150 : workMode_ == 450 ? 2130 : 0);
  if (ErrorLogEnabled()) WriteErrorLog("Active WorkMode: " + std::to_string(workMode_));

  const TModeLayout layout = ModeLayoutFor(workMode_, chkIPSend_);
  uiZeit_->chkProtZeitEnde->setEnabled(layout.ProtZeitEndeEnabled);
  u.chkError->setEnabled(layout.ErrorEnabled);
  u.chkCTSDSR->setEnabled(layout.CtsDsrEnabled);
  u.grpFlowSignals->setVisible(layout.FlowSignalsVisible);
  u.spBaudA->setVisible(layout.PortButtons);
  u.spBaudB->setVisible(layout.PortButtons);
  u.panBaudUmschalt->setVisible(layout.PortButtons);
  if (!layout.KeepPortChoice || !(u.spBaudA->isChecked() || u.spBaudB->isChecked())) u.spBaud->setChecked(true);
  if (layout.BaudKind >= 0) BaudList(layout.BaudKind);
  if (layout.FrequencyPanel) u.chkSound->setChecked(false);
  const bool serialShown = !layout.FrequencyPanel && !(workMode_ == 300 && chkIPSend_);
  u.panSeriell->setVisible(serialShown);
  u.panFQMess->setVisible(layout.FrequencyPanel);
  for (QWidget* group : {static_cast<QWidget*>(u.grpDaten), static_cast<QWidget*>(u.grpStop),
                         static_cast<QWidget*>(u.grpParitaet)})
    group->setVisible(serialShown && !layout.CanGroups);
  if (layout.FrequencyPanel) u.grpFluss->setVisible(false);
  u.chkFlowSignalsRTSB->setVisible(ssbShown);
  u.chkFlowSignalsDTRB->setVisible(ssbShown);
  spBaudClick();
  grpIPentferntEinstellen();
  TcpModeChanged();
  PublishRxOptions();
  UpdateSendEntry();
}

void TFrmMain::BaudList(int kind) {
  TRadioGroup* grpBaud = uiSchnittstelle_->grpBaud;
  TBaudListState list;
  for (const QString& item : grpBaud->Items()) list.Items.push_back(item.toStdString());
  list.ItemIndex = grpBaud->ItemIndex();
  list.Kind = baudListKind_;
  const Ui::TabSchnittstelle& u = *uiSchnittstelle_;
  ::BaudList(list, kind, u.rgrpG->isChecked(), GetText(TextId::BaudMessen), portAB_,
             {u.spBaud->isChecked(), u.spBaudA->isChecked(), u.spBaudB->isChecked()});
  if (list.Kind == baudListKind_) return;
  baudListKind_ = list.Kind;
  QStringList items;
  for (const std::string& item : list.Items) items.push_back(QString::fromStdString(item));
  if (items != grpBaud->Items()) grpBaud->SetItems(items);
  grpBaud->SetItemIndex(list.ItemIndex);
}

void TFrmMain::grpSSClick(QObject* sender) {
  Ui::TabSchnittstelle& u = *uiSchnittstelle_;
  btnOK1Enabled(true);
  if (sender == u.grpBaud) {
    const bool other = u.grpBaud->ItemIndex() == 0;
    u.panBaud->setEnabled(other);
    u.edOtherBaud->setEnabled(other);
  }
  u.grpStop->SetItemText(1, QString::fromStdString(StopItemText(u.grpDaten->Item(u.grpDaten->ItemIndex()).toStdString())));
  if (windowStarting_) return;
  const TPortSettings shown = ControlsRecord();
  const auto store = [&](TPortSettings& record) {
    record.Baudrate = shown.Baudrate;
    record.DataBits = shown.DataBits;
    record.StopBits = shown.StopBits;
    record.Parity = shown.Parity;
    record.FlowMode = shown.FlowMode;
  };
  if (u.spBaud->isChecked() || u.spBaudA->isChecked()) store(portAB_.PortASettings);
  if (u.spBaud->isChecked() || u.spBaudB->isChecked()) store(portAB_.PortBSettings);
}

void TFrmMain::edOtherBaudChange() {
  Ui::TabSchnittstelle& u = *uiSchnittstelle_;
  btnOK1Enabled(true);
  const std::string text = u.edOtherBaud->text().toStdString();
  if (u.spBaud->isChecked() || u.spBaudA->isChecked()) portAB_.PortASettings.OtherBaud = text;
  if (u.spBaud->isChecked() || u.spBaudB->isChecked()) portAB_.PortBSettings.OtherBaud = text;
}

TPortSettings TFrmMain::ControlsRecord() const {
  const Ui::TabSchnittstelle& u = *uiSchnittstelle_;
  TPortSettings record;
  record.Baudrate = u.grpBaud->ItemIndex();
  record.DataBits = u.grpDaten->ItemIndex();
  record.StopBits = u.grpStop->ItemIndex();
  record.Parity = u.grpParitaet->ItemIndex();
  record.FlowMode = u.grpFluss->ItemIndex();
  record.OtherBaud = u.edOtherBaud->text().toStdString();
  record.InitValues = true;
  return record;
}

// The flow-control choice is not reloaded: it stays as the user set it.
void TFrmMain::LoadPortRecord(const TPortSettings& record) {
  Ui::TabSchnittstelle& u = *uiSchnittstelle_;
  u.grpBaud->SetItemIndex(std::clamp(record.Baudrate, 0, std::max(u.grpBaud->Count() - 1, 0)));
  u.edOtherBaud->setText(QString::fromStdString(record.OtherBaud));
  u.grpDaten->SetItemIndex(record.DataBits);
  u.grpStop->SetItemIndex(record.StopBits);
  u.grpParitaet->SetItemIndex(record.Parity);
  const bool other = u.grpBaud->ItemIndex() == 0;
  u.panBaud->setEnabled(other);
  u.edOtherBaud->setEnabled(other);
  u.grpStop->SetItemText(1, QString::fromStdString(StopItemText(u.grpDaten->Item(u.grpDaten->ItemIndex()).toStdString())));
}

void TFrmMain::ColourLineGroups(bool red) {
  Ui::TabSchnittstelle& u = *uiSchnittstelle_;
  lineGroupsRed_ = red;
  const QString sheet = red ? QStringLiteral("color: rgb(255,0,0);") : QString();
  for (QWidget* w : {static_cast<QWidget*>(u.grpBaud), static_cast<QWidget*>(u.lbOtherBaud),
                     static_cast<QWidget*>(u.grpDaten), static_cast<QWidget*>(u.grpStop),
                     static_cast<QWidget*>(u.grpParitaet), static_cast<QWidget*>(u.grpFluss)})
    w->setStyleSheet(sheet);
}

void TFrmMain::spBaudClick() {
  Ui::TabSchnittstelle& u = *uiSchnittstelle_;
  const bool both = u.spBaud->isChecked();
  const bool wasBoth = !lastBaudADown_ && !lastBaudBDown_;
  if (wasBoth != both) btnOK1Enabled(true);
  const bool enabled = u.btnOK1->isEnabled();
  lastBaudADown_ = u.spBaudA->isChecked();
  lastBaudBDown_ = u.spBaudB->isChecked();
  const TPortSettings shown = ControlsRecord();
  if (both) {
    portAB_.PortASettings = shown;
    portAB_.PortBSettings = shown;
    ColourLineGroups(false);
  } else if (lastBaudADown_) {
    if (lineGroupsRed_) portAB_.PortBSettings = shown;
    if (portAB_.PortASettings.InitValues) LoadPortRecord(portAB_.PortASettings);
    ColourLineGroups(false);
  } else if (lastBaudBDown_) {
    if (!lineGroupsRed_) portAB_.PortASettings = shown;
    if (portAB_.PortBSettings.InitValues) LoadPortRecord(portAB_.PortBSettings);
    ColourLineGroups(true);
  }
  u.btnOK1->setEnabled(enabled);
}

void TFrmMain::UpdatePortLabels(bool portB) {
  Ui::TabSchnittstelle& u = *uiSchnittstelle_;
  const QString name = (portB ? u.cbxSSB : u.cbxSSA)->currentText();
  (portB ? u.lbB : u.lbA)->setText(name);
  (portB ? u.chkFlowSignalsRTSB : u.chkFlowSignalsRTSA)->setText(QStringLiteral("RTS ") + name);
  (portB ? u.chkFlowSignalsDTRB : u.chkFlowSignalsDTRA)->setText(QStringLiteral("DTR ") + name);
}

void TFrmMain::grpSSAClick() {
  UpdatePortLabels(false);
  btnOK1Enabled(true);
}

void TFrmMain::grpSSBClick() {
  UpdatePortLabels(true);
  btnOK1Enabled(true);
}

void TFrmMain::rgrpDClick() {
  UpdatePortLabels(true);
  btnOK1Enabled(true);
  SetIcon(3);
}
