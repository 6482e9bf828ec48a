// The page control: the pages in their fixed order, each with a close and a
// help button.
#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QVBoxLayout>

#include "core/AppFlags.h"
#include "ui_FMain.h"
#include "ui_TabTamarik.h"
#include "ui_TabZeit.h"
#include "window/FMain.h"

namespace {

// Ctrl+Tab and Ctrl+Shift+Tab go to the next page a user can see; the page
// control alone would also stop on the hidden ones.
class TVisiblePageKeys : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::KeyPress) return false;
    const auto* key = static_cast<const QKeyEvent*>(event);
    if (!key->modifiers().testFlag(Qt::ControlModifier) || (key->key() != Qt::Key_Tab && key->key() != Qt::Key_Backtab))
      return false;
    auto* page = static_cast<QTabWidget*>(watched);
    const int step = key->key() == Qt::Key_Backtab || key->modifiers().testFlag(Qt::ShiftModifier) ? -1 : 1;
    const int count = page->count();
    for (int i = 1; i < count; ++i) {
      const int next = ((page->currentIndex() + step * i) % count + count) % count;
      if (page->isTabVisible(next) && page->isTabEnabled(next)) {
        page->setCurrentIndex(next);
        break;
      }
    }
    return true;
  }
};

QWidget* AddFormPage(QTabWidget* page, QWidget* form) {
  page->addTab(form, form->windowTitle());
  return form;
}

}  // namespace

void TFrmMain::BuildPages() {
  QTabWidget* page = ui_->Page;
  auto* tamarik = new QWidget(page);
  uiTamarik_->setupUi(tamarik);
  AddFormPage(page, tamarik);
  ed1 = uiTamarik_->ed1;

  BuildInterfacePage();
  BuildFqPanel();
  BuildEmptyPage("tabUSB", QStringLiteral("USB-Test"), 1170, 0, 2);
  BuildCanPage();
  BuildDataPages();

  auto* zeit = new QWidget(page);
  uiZeit_->setupUi(zeit);
  AddFormPage(page, zeit);

  SetupInfo();

  // The USB test page only in the service mode, the CAN page only in the CAN modes.
  page->setTabVisible(2, ServiceMode.load());
  page->setTabVisible(3, false);
  page->installEventFilter(new TVisiblePageKeys(page));
}

// A page whose controls are not built yet: its name, caption, text id, help
// context and the close and help buttons (btnEnde<n>, btnHelp<n>).
void TFrmMain::BuildEmptyPage(const char* name, const QString& caption, int tag, int helpContext, int buttonIndex) {
  auto* widget = new QWidget(ui_->Page);
  widget->setObjectName(QLatin1String(name));
  widget->setProperty("tag", tag);
  widget->setProperty("HelpContext", helpContext);
  auto* layout = new QVBoxLayout(widget);
  layout->addStretch(1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  auto* help = new QPushButton(QStringLiteral("&Hilfe"), widget);
  help->setObjectName(QStringLiteral("btnHelp%1").arg(buttonIndex));
  help->setProperty("tag", 1008);
  auto* close = new QPushButton(QStringLiteral("S&chließen"), widget);
  close->setObjectName(QStringLiteral("btnEnde%1").arg(buttonIndex));
  close->setProperty("tag", 1002);
  close->setToolTip(QStringLiteral("Beendet das Programm"));
  close->setStatusTip(close->toolTip());
  buttons->addWidget(help);
  buttons->addWidget(close);
  layout->addLayout(buttons);
  ui_->Page->insertTab(buttonIndex, widget, caption);
}

// Every page's close and help buttons, found by name, so a page built later
// from its own form is wired too.
void TFrmMain::ConnectPageButtons() {
  static const QRegularExpression closeName(QStringLiteral("^btnEnde\\d*$"));
  static const QRegularExpression helpName(QStringLiteral("^btnHelp\\d*$"));
  for (QPushButton* button : ui_->Page->findChildren<QPushButton*>()) {
    if (closeName.match(button->objectName()).hasMatch())
      connect(button, &QPushButton::clicked, this, &TFrmMain::btnEndeClick, Qt::UniqueConnection);
    else if (helpName.match(button->objectName()).hasMatch())
      connect(button, &QPushButton::clicked, this, &TFrmMain::btnHelpClick, Qt::UniqueConnection);
  }
}

void TFrmMain::btnEndeClick() { close(); }
