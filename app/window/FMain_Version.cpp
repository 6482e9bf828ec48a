// The version check on the Info page: the button, and what the loaded
// version file offers.
#include <QApplication>
#include <QBoxLayout>
#include <QDirIterator>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include "core/ErrorLog.h"
#include "core/ErrorReport.h"
#include "core/Language.h"
#include "core/SendText.h"
#include "core/Startup.h"
#include "core/TextIds.h"
#include "net/VersionCtrl.h"
#include "window/FMain.h"
#include "window/Help.h"

#ifndef TAMARIK_VERSION_SOURCE
#define TAMARIK_VERSION_SOURCE ""
#endif

namespace {

QString Text(int id) { return QString::fromStdString(GetText(id)); }

// The help pages stand in for the one help file: their bytes together.
long long HelpSize(const QString& folder) {
  long long size = 0;
  QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories);
  while (it.hasNext()) size += QFileInfo(it.next()).size();
  return size;
}

}  // namespace

void TFrmMain::SetupVersionCheck() {
  VCtrl = new TQvVersionCtrl(this);
  VCtrl->XMLSource = QStringLiteral(TAMARIK_VERSION_SOURCE);
  if (startup_ != nullptr && !startup_->Settings().Values().FrmMain.XMLSource.empty())
    VCtrl->XMLSource = QString::fromStdString(startup_->Settings().Values().FrmMain.XMLSource);
  connect(VCtrl, &TQvVersionCtrl::EventLoadReady, this, &TFrmMain::VCtrlEventLoadReady);
  installedHelpSize_ = HelpSize(help_->Folder());

  btnCheckNewVersion = new QPushButton(Text(TextId::btnCheckNewVersion), this);
  btnCheckNewVersion->setObjectName(QStringLiteral("btnCheckNewVersion"));
  btnCheckNewVersion->setProperty("tag", TextId::btnCheckNewVersion);
  if (auto* buttons = findChild<QHBoxLayout*>(QStringLiteral("layButtonsInfo")))
    buttons->insertWidget(0, btnCheckNewVersion);
  connect(btnCheckNewVersion, &QPushButton::clicked, this, &TFrmMain::btnCheckNewVersionClick);
  versionPrompts_.Ask = [this](const QString& text) {
    return QMessageBox::question(this, QStringLiteral("Tamarik"), text, QMessageBox::Yes | QMessageBox::No) ==
           QMessageBox::Yes;
  };
  versionPrompts_.Tell = [this](const QString& text) {
    QMessageBox::information(this, QStringLiteral("Tamarik"), text);
  };
}

void TFrmMain::btnCheckNewVersionClick() {
  QApplication::setOverrideCursor(Qt::WaitCursor);
  if (ErrorLogEnabled()) WriteErrorLog("UserAction: Check new version.");
  VCtrl->Load();
  QApplication::restoreOverrideCursor();
  if (!VCtrl->Loading() && VCtrl->LoadedVersion().isEmpty() && !VCtrl->LastError().isEmpty())
    ShowStatusMessage(Text(TextId::MsgVersionFileFailed) + VCtrl->LastError());
}

void TFrmMain::VCtrlEventLoadReady() {
  if (VCtrl->LoadedVersion().isEmpty()) {
    // Unreadable, not well-formed, too large or no answer: said, and the
    // button stays for another try.
    ShowStatusMessage(Text(TextId::MsgVersionFileFailed) + VCtrl->LastError());
    return;
  }
  btnCheckNewVersion->setEnabled(false);
  std::optional<TVersionOffer> offer;
  try {
    offer = EvaluateVersionOffer(*VCtrl, QString::fromStdString(TLanguage::RunningVersion()), installedHelpSize_,
                                 Text(TextId::MsgNewVersion), Text(TextId::MsgNoNewVersion));
  } catch (const THexError& e) {
    ReportError("32", e);
    return;
  }
  if (!offer) return;
  if (!offer->ProgramNewer && !offer->HelpNewer) {
    versionPrompts_.Tell(offer->Message);
    return;
  }
  if (!versionPrompts_.Ask(offer->Message)) return;
  const bool programOpened = offer->ProgramNewer && VCtrl->OpenLink(QStringLiteral("DL"));
  if (offer->HelpNewer)
    QTimer::singleShot(programOpened ? 2000 : 0, VCtrl, [ctrl = VCtrl] { ctrl->OpenLink(QStringLiteral("DH")); });
}
