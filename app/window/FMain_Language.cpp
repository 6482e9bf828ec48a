// The language: the choice on the interface page, filled from the built-in
// languages and those of Language.txt, and the texts it puts on every
// control, the status bar and the help.
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "core/AppFlags.h"
#include "core/Language.h"
#include "core/LocaleLanguage.h"
#include "core/TextIds.h"
#include "ui_FMain.h"
#include "window/ApplyTexts.h"
#include "window/Captions.h"
#include "window/FMain.h"
#include "window/FitCaption.h"
#include "window/Help.h"
#include "window/QtTranslations.h"

namespace {

constexpr int kLanguageHelpContext = 2000;
constexpr int kLanguagesPerColumn = 5;

}  // namespace

// The interface page keeps a slot for the language choice (panSprache);
// without it the choice goes below the sound option.
void TFrmMain::BuildLanguageChoice() {
  rgrpSprache = findChild<QGroupBox*>(QStringLiteral("rgrpSprache"));
  QWidget* slot = findChild<QWidget*>(QStringLiteral("panSprache"));
  if (!rgrpSprache && slot != nullptr && slot->layout() != nullptr) {
    rgrpSprache = new QGroupBox(QStringLiteral("Sprache"), slot);
    rgrpSprache->setObjectName(QStringLiteral("rgrpSprache"));
    rgrpSprache->setProperty("tag", TextId::rgrpSprache);
    slot->layout()->addWidget(rgrpSprache);
  }
  if (!rgrpSprache) {
    QWidget* page = ui_->Page->findChild<QWidget*>(QStringLiteral("tabSchnittstelle"));
    rgrpSprache = new QGroupBox(QStringLiteral("Sprache"), page);
    rgrpSprache->setObjectName(QStringLiteral("rgrpSprache"));
    rgrpSprache->setProperty("tag", TextId::rgrpSprache);
    rgrpSprache->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Maximum);
    if (auto* layout = qobject_cast<QBoxLayout*>(page->layout())) {
      const int below = chkSound ? layout->indexOf(chkSound) + 2 : 0;
      layout->insertWidget(below, rgrpSprache, 0, Qt::AlignLeft);
    }
  }
  rgrpSprache->setProperty("HelpContext", kLanguageHelpContext);
  rgrpSpracheItems_ = new QButtonGroup(rgrpSprache);
  connect(rgrpSpracheItems_, &QButtonGroup::idClicked, this, &TFrmMain::rgrpSpracheClick);
}

void TFrmMain::FillLanguageChoice(const std::vector<std::string>& items) {
  for (QAbstractButton* button : rgrpSpracheItems_->buttons()) {
    rgrpSpracheItems_->removeButton(button);
    delete button;
  }
  delete rgrpSprache->layout();
  auto* grid = new QGridLayout(rgrpSprache);
  for (size_t i = 0; i < items.size(); ++i) {
    const int index = static_cast<int>(i);
    auto* item = new QRadioButton(QString::fromStdString(items[i]), rgrpSprache);
    item->setObjectName(QStringLiteral("rgrpSprache_%1").arg(index));
    rgrpSpracheItems_->addButton(item, index);
    grid->addWidget(item, index % kLanguagesPerColumn, index / kLanguagesPerColumn);
  }
}

// Start-up: the list, the templates in Language.txt, then the stored choice
// or the system's language.
void TFrmMain::StartLanguage() {
  if (!rgrpSprache) BuildLanguageChoice();
  TLanguage& language = ProgramLanguage();
  FillLanguageChoice(language.BuildLanguageList());
  language.KeepFileUpToDate(IniReadOnly.load());
  SelectLanguage(language.StartIndex(Sprache, LocaleLanguageCode()));
}

void TFrmMain::SelectLanguage(int index) {
  QAbstractButton* item = rgrpSpracheItems_->button(index);
  if (!item) return;
  item->setChecked(true);
  rgrpSpracheClick();
}

void TFrmMain::rgrpSpracheClick() {
  const int index = rgrpSpracheItems_->checkedId();
  if (index < 0) return;
  LanguageSwitching = true;
  QApplication::setOverrideCursor(Qt::BusyCursor);
  Sprache = index;
  LoadQtTranslations(index);
  Spracheinstellung(ProgramLanguage().Select(index));
  help_->SetLanguage(index);
  emit LanguageSwitched();
  LanguageSwitching = false;
  QApplication::restoreOverrideCursor();
}

void TFrmMain::Spracheinstellung(int offset) {
  ApplyTexts(this, offset);
  ApplyStatusBarTexts(offset);
  FitCaptions();
}

void TFrmMain::ApplyStatusBarTexts(int offset) {
  const QFontMetrics metrics(stPanel0_->font());
  stPanel0_->setFixedWidth(metrics.horizontalAdvance(stPanel0_->text()) + 8);
  const QString on = GetQText(TextId::StatusAn + offset, false);
  const QString off = GetQText(TextId::StatusAus + offset, false);
  // Wide enough for either word, so the bar does not jump when the state changes.
  stPanel1_->setFixedWidth(std::max(metrics.horizontalAdvance(on), metrics.horizontalAdvance(off)) + 24);
  ShowLoggingState(loggingOn_);
}

void TFrmMain::ShowLoggingState(bool on) {
  loggingOn_ = on;
  stPanel1_->setText(GetQText(on ? TextId::StatusAn : TextId::StatusAus));
}

// Controls whose width is fixed cannot grow with a longer caption.
void TFrmMain::FitCaptions() {
  for (QWidget* control : findChildren<QWidget*>()) {
    if (TagOf(control) <= 1000 || !HasCaption(control)) continue;
    if (const int room = CaptionRoom(control); room >= 0) FitCaption(control, room);
  }
}
