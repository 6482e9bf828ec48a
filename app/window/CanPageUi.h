// The controls of the CAN page and of the frequency panel, built in code
// and laid out here; the window's handlers live in FMain_Can*.cpp and
// FMain_FqMess.cpp.
#pragma once

#include <array>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTableWidget;
class QWidget;
class TRadioGroup;

struct TCanPageUi {
  QWidget* tabCAN = nullptr;
  QGroupBox* grpCANRegister = nullptr;
  TRadioGroup* rgrpCANQuarz = nullptr;
  QLineEdit* edCANBTR0 = nullptr;
  QLineEdit* edCANBTR1 = nullptr;
  QCheckBox* chkCANRS = nullptr;
  QCheckBox* chkCANEN = nullptr;
  QCheckBox* chkCANNSTB = nullptr;
  TRadioGroup* rgrpCANLOM = nullptr;
  TRadioGroup* rgrpCANAFM = nullptr;
  std::array<QLineEdit*, 4> edCANACR{};
  std::array<QLineEdit*, 4> edCANAMR{};
  QPushButton* btnInitCAN = nullptr;
  QPushButton* btnPrgAtmelCAN = nullptr;
  QTableWidget* grdCAN = nullptr;
  QGroupBox* grpCANFilter = nullptr;
  QCheckBox* chkCANFilter = nullptr;
  QLineEdit* edCANFilter = nullptr;
  QListWidget* lstCANFilter = nullptr;

  // The page with its close and help buttons (btnEnde3, btnHelp3).
  void Build(QWidget* page);
};

struct TFqPanelUi {
  TRadioGroup* grpFQIN = nullptr;
  QWidget* panFQZyk = nullptr;
  QLabel* Label2 = nullptr;
  QLineEdit* edFQZyk = nullptr;

  // Into panFQMess of the interface page.
  void Build(QWidget* panFQMess);
};
