// The page control: the pages in their fixed order, each with a close and a
// help button.
#include <QCheckBox>
#include <QHBoxLayout>
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

  BuildEmptyPage("tabSchnittstelle", QStringLiteral("&Schnittstelle"), 1011, 2100, 1);
  BuildEmptyPage("tabUSB", QStringLiteral("USB-Test"), 1170, 0, 2);
  BuildEmptyPage("tabCAN", QStringLiteral("CAN-Bus"), 1313, 2151, 3);
  BuildEmptyPage("tabDaten", QStringLiteral("&Datenwandlung"), 1012, 2200, 4);
  BuildEmptyPage("tabProtokollbegrenzung", QStringLiteral("Protokollbegrenzung"), 1127, 2300, 5);

  auto* zeit = new QWidget(page);
  uiZeit_->setupUi(zeit);
  AddFormPage(page, zeit);

  BuildEmptyPage("tabInfo", QStringLiteral("Info"), 1015, 3000, 7);

  // The USB test page only in the service mode, the CAN page only in the CAN modes.
  page->setTabVisible(2, ServiceMode.load());
  page->setTabVisible(3, false);

  // The sound option belongs to the interface page; until that page is built
  // it stands there alone, so that Timer1's sound rule has its box.
  QWidget* interfacePage = page->findChild<QWidget*>(QStringLiteral("tabSchnittstelle"));
  auto* layout = static_cast<QVBoxLayout*>(interfacePage->layout());
  chkSound = new QCheckBox(QStringLiteral("Sound, wenn Daten ankommen"), interfacePage);
  chkSound->setObjectName(QStringLiteral("chkSound"));
  chkSound->setProperty("tag", 1032);
  auto* label8 = new QLabel(QStringLiteral("Sound wird abgeschaltet, wenn mehr als 20 Zeichen in der Sekunde ankommen."),
                            interfacePage);
  label8->setObjectName(QStringLiteral("Label8"));
  label8->setProperty("tag", 1033);
  layout->insertWidget(0, chkSound);
  layout->insertWidget(1, label8);
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
