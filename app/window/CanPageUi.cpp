#include "window/CanPageUi.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "window/RadioGroup.h"

namespace {

QLineEdit* HexEdit(QWidget* parent, const char* name, int maxLength) {
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(QLatin1String(name));
  edit->setMaxLength(maxLength);
  edit->setMaximumWidth(48);
  return edit;
}

TRadioGroup* Group(QWidget* parent, const char* name, const QString& title, const QStringList& items) {
  auto* group = new TRadioGroup(parent);
  group->setObjectName(QLatin1String(name));
  group->setTitle(title);
  group->SetItems(items);
  return group;
}

QCheckBox* Box(QWidget* parent, const char* name, const QString& caption) {
  auto* box = new QCheckBox(caption, parent);
  box->setObjectName(QLatin1String(name));
  return box;
}

QPushButton* Button(QWidget* parent, const QString& name, const QString& caption, int tag) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(name);
  button->setProperty("tag", tag);
  return button;
}

}  // namespace

void TCanPageUi::Build(QWidget* page) {
  tabCAN = page;
  auto* layout = new QVBoxLayout(page);
  auto* top = new QHBoxLayout;
  layout->addLayout(top);

  grpCANRegister = new QGroupBox(QStringLiteral("Register des SJA1000 (PeliCAN)"), page);
  grpCANRegister->setObjectName(QStringLiteral("grpCANRegister"));
  grpCANRegister->setProperty("tag", 1308);
  auto* grid = new QGridLayout(grpCANRegister);
  rgrpCANQuarz = Group(grpCANRegister, "rgrpCANQuarz", QStringLiteral("Quarz (MHz):"),
                       {QStringLiteral("11,0592"), QStringLiteral("12,0")});
  grid->addWidget(rgrpCANQuarz, 0, 0, 1, 3);
  edCANBTR0 = HexEdit(grpCANRegister, "edCANBTR0", 2);
  edCANBTR1 = HexEdit(grpCANRegister, "edCANBTR1", 2);
  grid->addWidget(new QLabel(QStringLiteral("Bus Timing 0:"), grpCANRegister), 1, 0);
  grid->addWidget(edCANBTR0, 1, 1);
  grid->addWidget(new QLabel(QStringLiteral("(BTR0)"), grpCANRegister), 1, 2);
  grid->addWidget(new QLabel(QStringLiteral("Bus Timing 1:"), grpCANRegister), 2, 0);
  grid->addWidget(edCANBTR1, 2, 1);
  grid->addWidget(new QLabel(QStringLiteral("(BTR1)"), grpCANRegister), 2, 2);
  chkCANRS = Box(grpCANRegister, "chkCANRS", QStringLiteral("RS- Signal (High speed)"));
  chkCANEN = Box(grpCANRegister, "chkCANEN", QStringLiteral("EN - AU5790"));
  chkCANNSTB = Box(grpCANRegister, "chkCANNSTB", QStringLiteral("NSTB - AU5790"));
  grid->addWidget(chkCANRS, 3, 0, 1, 3);
  grid->addWidget(chkCANEN, 4, 0, 1, 3);
  grid->addWidget(chkCANNSTB, 5, 0, 1, 3);
  rgrpCANLOM = Group(grpCANRegister, "rgrpCANLOM", QStringLiteral("Listen Only Mode (LOM):"),
                     {QStringLiteral("Normal"), QStringLiteral("Listen only")});
  rgrpCANAFM = Group(grpCANRegister, "rgrpCANAFM", QStringLiteral("Acceptance Filter Mode (AFM):"),
                     {QStringLiteral("Single"), QStringLiteral("Dual")});
  grid->addWidget(rgrpCANLOM, 0, 3, 3, 4);
  grid->addWidget(rgrpCANAFM, 3, 3, 3, 4);
  for (int i = 0; i < 4; ++i) {
    const std::string acr = "edCANACR" + std::to_string(i), amr = "edCANAMR" + std::to_string(i);
    edCANACR[i] = HexEdit(grpCANRegister, acr.c_str(), 2);
    edCANAMR[i] = HexEdit(grpCANRegister, amr.c_str(), 2);
    grid->addWidget(edCANACR[i], 7, 1 + i);
    grid->addWidget(edCANAMR[i], 8, 1 + i);
  }
  grid->addWidget(new QLabel(QStringLiteral("Acceptance Code 0..3 (ACR):"), grpCANRegister), 7, 0);
  grid->addWidget(new QLabel(QStringLiteral("Acceptance Mask 0..3 (AMR):"), grpCANRegister), 8, 0);
  btnInitCAN = Button(grpCANRegister, QStringLiteral("btnInitCAN"), QStringLiteral("Init CAN-Controller"), 1309);
  grid->addWidget(btnInitCAN, 9, 0, 1, 3);
  btnPrgAtmelCAN = Button(grpCANRegister, QStringLiteral("btnPrgAtmelCAN"), QStringLiteral("Prog Atmel CAN- Chip"), 0);
  btnPrgAtmelCAN->setVisible(false);
  grid->addWidget(btnPrgAtmelCAN, 9, 3, 1, 4);
  top->addWidget(grpCANRegister);

  auto* right = new QVBoxLayout;
  top->addLayout(right);
  grdCAN = new QTableWidget(8, 3, page);
  grdCAN->setObjectName(QStringLiteral("grdCAN"));
  grdCAN->horizontalHeader()->hide();
  grdCAN->verticalHeader()->hide();
  grdCAN->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grdCAN->setSelectionMode(QAbstractItemView::NoSelection);
  right->addWidget(grdCAN);

  grpCANFilter = new QGroupBox(QStringLiteral("Filter"), page);
  grpCANFilter->setObjectName(QStringLiteral("grpCANFilter"));
  grpCANFilter->setProperty("tag", 1310);
  auto* filter = new QVBoxLayout(grpCANFilter);
  chkCANFilter = Box(grpCANFilter, "chkCANFilter", QStringLiteral("Filter"));
  edCANFilter = new QLineEdit(grpCANFilter);
  edCANFilter->setObjectName(QStringLiteral("edCANFilter"));
  lstCANFilter = new QListWidget(grpCANFilter);
  lstCANFilter->setObjectName(QStringLiteral("lstCANFilter"));
  lstCANFilter->setSelectionMode(QAbstractItemView::ExtendedSelection);
  filter->addWidget(chkCANFilter);
  filter->addWidget(edCANFilter);
  filter->addWidget(lstCANFilter);
  right->addWidget(grpCANFilter);

  layout->addStretch(1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  QPushButton* help = Button(page, QStringLiteral("btnHelp3"), QStringLiteral("&Hilfe"), 1008);
  QPushButton* close = Button(page, QStringLiteral("btnEnde3"), QStringLiteral("S&chließen"), 1002);
  close->setToolTip(QStringLiteral("Beendet das Programm"));
  close->setStatusTip(close->toolTip());
  buttons->addWidget(help);
  buttons->addWidget(close);
  layout->addLayout(buttons);
}

void TFqPanelUi::Build(QWidget* panFQMess) {
  auto* layout = qobject_cast<QVBoxLayout*>(panFQMess->layout());
  if (layout == nullptr) layout = new QVBoxLayout(panFQMess);
  grpFQIN = Group(panFQMess, "grpFQIN", QStringLiteral("Eingang ausw."),
                  {QStringLiteral("V24- Eingang 1"), QStringLiteral("V24- Eingang 2"), QStringLiteral("RS485- Eingang 1"),
                   QStringLiteral("RS485- Eingang 2")});
  grpFQIN->setProperty("tag", 1250);
  grpFQIN->setProperty("HelpContext", 2140);
  layout->addWidget(grpFQIN);
  panFQZyk = new QWidget(panFQMess);
  panFQZyk->setObjectName(QStringLiteral("panFQZyk"));
  panFQZyk->setProperty("hint", 1743);
  panFQZyk->setProperty("HelpContext", 2140);
  auto* row = new QHBoxLayout(panFQZyk);
  row->setContentsMargins(0, 0, 0, 0);
  Label2 = new QLabel(QStringLiteral("Zyklus:"), panFQZyk);
  Label2->setObjectName(QStringLiteral("Label2"));
  Label2->setProperty("tag", 1243);
  edFQZyk = new QLineEdit(QStringLiteral("1"), panFQZyk);
  edFQZyk->setObjectName(QStringLiteral("edFQZyk"));
  edFQZyk->setProperty("tag", 1242);
  edFQZyk->setMaxLength(3);
  edFQZyk->setMaximumWidth(48);
  row->addWidget(Label2);
  row->addWidget(edFQZyk);
  row->addStretch(1);
  layout->addWidget(panFQZyk);
}
