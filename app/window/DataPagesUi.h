// The controls of the data-conversion and protocol-limit pages, and the code
// pages the window uses when it runs without a settings file.
#pragma once

#include <memory>

#include "core/CodePageList.h"
#include "core/IniFile.h"
#include "ui_TabDaten.h"
#include "ui_TabProtokollbegrenzung.h"

class QAction;
class QMenu;

struct TDataPagesUi {
  Ui::TabDaten daten;
  Ui::TabProtokollbegrenzung prot;
  QWidget* tabDaten = nullptr;
  QWidget* tabProtokollbegrenzung = nullptr;
  QMenu* popCodeseite = nullptr;
  QAction* mnCodeNeu = nullptr;
  QAction* mnCodeKopieren = nullptr;
  QAction* mnCodeLoeschen = nullptr;
  // Without a settings file: a read-only file in memory, so nothing is stored.
  std::unique_ptr<TIniFile> ownIni;
  std::unique_ptr<TCodePages> ownCodePages;
};
