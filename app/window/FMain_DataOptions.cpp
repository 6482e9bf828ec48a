// The data-conversion and protocol-limit pages: building them, their side
// texts and line-break options, what they hand to the receive handler, and
// their keys in Tamarik.ini.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QSplitter>
#include <QTabWidget>

#include "core/AppFlags.h"
#include "core/CodePageList.h"
#include "core/IniFile.h"
#include "core/LineRuleSettings.h"
#include "core/Startup.h"
#include "ui_FMain.h"
#include "window/CodeListDelegate.h"
#include "ui_TabDaten.h"
#include "ui_TabProtokollbegrenzung.h"
#include "window/FMain.h"

namespace {

// Fields that may be switched off show the button-face colour while they are.
void ShowGrayWhenDisabled(QWidget* widget) {
  QPalette palette = widget->palette();
  palette.setColor(QPalette::Disabled, QPalette::Base, QApplication::palette().color(QPalette::Button));
  widget->setPalette(palette);
}

QAction* AddMenuAction(QMenu* menu, const char* name, const QString& text, int tag) {
  QAction* action = menu->addAction(text);
  action->setObjectName(QLatin1String(name));
  action->setProperty("tag", tag);
  return action;
}

}  // namespace

void TFrmMain::BuildDataPages() {
  if (startup_ != nullptr) {
    codePages_ = &startup_->Settings().CodePages();
  } else {
    ownIni_ = std::make_unique<TIniFile>();
    ownIni_->SetReadOnly(true);
    ownCodePages_ = std::make_unique<TCodePages>(*ownIni_);
    codePages_ = ownCodePages_.get();
  }

  QTabWidget* page = ui_->Page;
  uiDaten_ = std::make_unique<Ui::TabDaten>();
  tabDaten = new QWidget(page);
  uiDaten_->setupUi(tabDaten);
  page->insertTab(4, tabDaten, tabDaten->windowTitle());
  uiProt_ = std::make_unique<Ui::TabProtokollbegrenzung>();
  tabProtokollbegrenzung = new QWidget(page);
  uiProt_->setupUi(tabProtokollbegrenzung);
  page->insertTab(5, tabProtokollbegrenzung, tabProtokollbegrenzung->windowTitle());
  Ui::TabDaten& d = *uiDaten_;
  Ui::TabProtokollbegrenzung& p = *uiProt_;

  popCodeseite = new QMenu(d.cbxCodeseite);
  popCodeseite->setObjectName(QStringLiteral("popCodeseite"));
  mnCodeNeu = AddMenuAction(popCodeseite, "mnCodeNeu", QStringLiteral("Neue Codeseite"), 1071);
  mnCodeKopieren = AddMenuAction(popCodeseite, "mnCodeKopieren", QStringLiteral("Codeseite Kopieren"), 1072);
  popCodeseite->addSeparator();
  mnCodeLoeschen = AddMenuAction(popCodeseite, "mnCodeLoeschen", QStringLiteral("Codeseite Löschen"), 1073);

  for (QListWidget* list : {d.lstCodes, p.lstStartProt, p.lstStopProt})
    list->setItemDelegate(new TCodeListDelegate(*codePages_, list));
  for (QWidget* field : std::initializer_list<QWidget*>{d.edZeichBegr, d.edZwPause, p.edProtChar, p.lstStopProt,
                                                        p.lstStopProtList})
    ShowGrayWhenDisabled(field);
  d.Splitter1->setStretchFactor(1, 1);

  ShowPageList();
  ShowSelectedPage();
  FillProtLists();
  d.edZeichBegr->setEnabled(d.chkZeichBegr->isChecked());
  d.edZwPause->setEnabled(d.chkZwPause->isChecked());
  rxCodes_ = codePages_->RxCodes();
  ConnectDataPages();
}

void TFrmMain::ConnectDataPages() {
  Ui::TabDaten& d = *uiDaten_;
  Ui::TabProtokollbegrenzung& p = *uiProt_;
  connect(d.cbxCodeseite, &QComboBox::currentIndexChanged, this, [this] {
    if (!fillingLists_) cbxCodeseiteClick();
  });
  connect(d.cbxCodeseite, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { popCodeseite->popup(uiDaten_->cbxCodeseite->mapToGlobal(at)); });
  connect(this, &TFrmMain::LanguageSwitched, this, [this] { ShowPageList(); });
  connect(mnCodeNeu, &QAction::triggered, this, &TFrmMain::mnCodeNeuClick);
  connect(mnCodeKopieren, &QAction::triggered, this, &TFrmMain::mnCodeKopierenClick);
  connect(mnCodeLoeschen, &QAction::triggered, this, &TFrmMain::mnCodeLoeschenClick);

  // A check change carries the clicked entry's state to every selected entry
  // when the clicked one is among them. A click on the box of another entry
  // selects that entry alone first (the box takes the click before the list
  // can select), so an entry selected earlier is not changed along.
  auto checkChange = [this](QListWidget* list, void (TFrmMain::*rebuild)()) {
    connect(list, &QListWidget::itemChanged, this, [this, list, rebuild](QListWidgetItem* item) {
      if (fillingLists_) return;
      fillingLists_ = true;
      if (!item->isSelected()) list->setCurrentItem(item, QItemSelectionModel::ClearAndSelect);
      const Qt::CheckState state = item->checkState();
      for (QListWidgetItem* selected : list->selectedItems()) selected->setCheckState(state);
      list->setCurrentItem(item, QItemSelectionModel::Select);
      fillingLists_ = false;
      (this->*rebuild)();
    });
  };
  checkChange(d.lstCodes, &TFrmMain::lstCodesClickCheck);
  checkChange(p.lstStartProt, &TFrmMain::lstStartProtClickCheck);
  checkChange(p.lstStopProt, &TFrmMain::lstStopProtClickCheck);

  connect(d.lstCodes, &QListWidget::itemDoubleClicked, this, &TFrmMain::lstCodesDblClick);
  auto* editCode = new QAction(d.lstCodes);
  editCode->setShortcut(Qt::Key_F2);
  editCode->setShortcutContext(Qt::WidgetShortcut);
  d.lstCodes->addAction(editCode);
  connect(editCode, &QAction::triggered, this, &TFrmMain::lstCodesDblClick);
  connect(d.lstZeile, &QListWidget::itemDoubleClicked, this, &TFrmMain::lstZeileDblClick);
  connect(p.lstStartProtList, &QListWidget::itemDoubleClicked, this, &TFrmMain::lstStartProtListDblClick);
  connect(p.lstStopProtList, &QListWidget::itemDoubleClicked, this, &TFrmMain::lstStopProtListDblClick);
  connect(ui_->Page, &QTabWidget::currentChanged, this, [this](int index) {
    if (ui_->Page->widget(index) == tabProtokollbegrenzung) FillProtLists();
  });
  connect(d.Splitter1, &QSplitter::splitterMoved, this,
          [this] { panel5Width_ = uiDaten_->Panel5->width(); });

  for (QCheckBox* box : {d.chkTextBegin, d.chkTextEnde, d.chkDatenAend, p.chkProtWechsel})
    connect(box, &QCheckBox::toggled, this, &TFrmMain::PublishRxOptions);
  for (QLineEdit* field : {d.edtTextPC, d.edtTextSPS, d.edZwPause})
    connect(field, &QLineEdit::textChanged, this, &TFrmMain::PublishRxOptions);
  connect(d.chkZeichBegr, &QCheckBox::toggled, this, &TFrmMain::chkZeichBegrClick);
  connect(d.edZeichBegr, &QLineEdit::editingFinished, this, &TFrmMain::edZeichBegrExit);
  connect(d.chkZwPause, &QCheckBox::toggled, this, &TFrmMain::chkZwPauseClick);
  connect(p.edProtChar, &QLineEdit::textChanged, this, &TFrmMain::edProtCharChange);
}

void TFrmMain::ReadDataOptions(TRxOptions& rx) const {
  const Ui::TabDaten& d = *uiDaten_;
  rx.chkTextBegin = d.chkTextBegin->isChecked();
  rx.chkTextEnde = d.chkTextEnde->isChecked();
  rx.edtTextPC = d.edtTextPC->text().toStdString();
  rx.edtTextSPS = d.edtTextSPS->text().toStdString();
  rx.DataPageShown = ui_->Page->isTabVisible(ui_->Page->indexOf(tabDaten));
  rx.chkDatenAend = d.chkDatenAend->isChecked();
  rx.chkZwPause = d.chkZwPause->isChecked();
  rx.PauseLimitMs = ParsePauseLimit(d.edZwPause->text().toStdString());
  rx.chkZeichBegr = d.chkZeichBegr->isChecked();
  rx.CharLimit = charLimit_;
  rx.StopAfterChars = stopAfterChars_;
  rx.chkProtWechsel = uiProt_->chkProtWechsel->isChecked();
  if (rxCodes_) rx.Codes = rxCodes_;
}

// The code entries changed (page, texts or flags): the receive handler gets a copy.
void TFrmMain::PublishCodes() {
  rxCodes_ = codePages_->RxCodes();
  PublishRxOptions();
}

void TFrmMain::edProtCharChange() {
  std::string text = uiProt_->edProtChar->text().toStdString();
  stopAfterChars_ = ApplyProtCharField(text);
  if (QString::fromStdString(text) != uiProt_->edProtChar->text())
    uiProt_->edProtChar->setText(QString::fromStdString(text));
  PublishRxOptions();
}

void TFrmMain::chkZeichBegrClick() {
  const Ui::TabDaten& d = *uiDaten_;
  d.edZeichBegr->setEnabled(d.chkZeichBegr->isChecked());
  edZeichBegrExit();
}

void TFrmMain::edZeichBegrExit() {
  const Ui::TabDaten& d = *uiDaten_;
  charLimit_ = ParseCharLimit(d.chkZeichBegr->isChecked(), d.edZeichBegr->text().toStdString());
  PublishRxOptions();
}

void TFrmMain::chkZwPauseClick() {
  const Ui::TabDaten& d = *uiDaten_;
  d.edZwPause->setEnabled(d.chkZwPause->isChecked());
  PublishRxOptions();
}

void TFrmMain::ApplyDataSettings() {
  const TSettingsValues& v = startup_->Settings().Values();
  const TFrmMainSettings& f = v.FrmMain;
  const TLineRuleSettings& r = v.LineRules;
  Ui::TabDaten& d = *uiDaten_;
  panel5Width_ = f.Panel5_Width;
  d.Splitter1->setSizes({panel5Width_, std::max(1, d.Splitter1->width() - panel5Width_)});
  d.edtTextPC->setText(QString::fromStdString(f.edtTextPC));
  d.edtTextSPS->setText(QString::fromStdString(f.edtTextSPS));
  d.chkTextBegin->setChecked(f.chkTextBegin);
  d.chkTextEnde->setChecked(f.chkTextEnde);
  d.chkDatenAend->setChecked(r.chkDatenAend);
  d.edZeichBegr->setText(QString::fromStdString(r.edZeichBegr));
  d.chkZeichBegr->setChecked(r.chkZeichBegr);
  d.edZwPause->setText(QString::fromStdString(r.edZwPause));
  d.chkZwPause->setChecked(r.chkZwPause);
  chkZeichBegrClick();
  chkZwPauseClick();
  uiProt_->edProtChar->setText(QString::number(r.iStopNachZeichen));
  uiProt_->chkProtWechsel->setChecked(r.chkProtWechsel);
  // The code pages were read with the file; show them as they are now.
  ShowPageList();
  ShowSelectedPage();
  FillProtLists();
  rxCodes_ = codePages_->RxCodes();
}

void TFrmMain::StoreDataSettings() {
  TSettingsValues& v = startup_->Settings().Values();
  TFrmMainSettings& f = v.FrmMain;
  TLineRuleSettings& r = v.LineRules;
  const Ui::TabDaten& d = *uiDaten_;
  f.Panel5_Width = panel5Width_;
  f.edtTextPC = d.edtTextPC->text().toStdString();
  f.edtTextSPS = d.edtTextSPS->text().toStdString();
  f.chkTextBegin = d.chkTextBegin->isChecked();
  f.chkTextEnde = d.chkTextEnde->isChecked();
  r.chkDatenAend = d.chkDatenAend->isChecked();
  r.chkZeichBegr = d.chkZeichBegr->isChecked();
  r.edZeichBegr = d.edZeichBegr->text().toStdString();
  r.chkZwPause = d.chkZwPause->isChecked();
  r.edZwPause = d.edZwPause->text().toStdString();
  r.iStopNachZeichen = stopAfterChars_;
  r.chkProtWechsel = uiProt_->chkProtWechsel->isChecked();
  // CodeSeite and the three flag strings go with the code pages.
}
