// The conversion plug-in in the window: the group grpPlugIn on the
// "Zeit/PlugIn" page. The host itself is window-free; this file turns its
// answers into the check box, the version label and the parameter button.
#include <QCheckBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

#include "core/ErrorLog.h"
#include "core/Startup.h"
#include "core/TextIds.h"
#include "ui_TabZeit.h"
#include "window/Captions.h"
#include "window/FMain.h"

namespace {
QString FromUtf8(const std::string& text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

// "Name|*.so" of the text table as the dialog's filter "Name (*.so)".
QString DialogFilter(const QString& text) {
  const QStringList parts = text.split(QLatin1Char('|'));
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) filters << parts[i] + QStringLiteral(" (") + parts[i + 1] + QLatin1Char(')');
  return filters.join(QStringLiteral(";;"));
}
}  // namespace

void TFrmMain::SetupPlugIn() {
  TPlugInHooks hooks;
  // Comes from the consumer or the timer thread, which must not wait here.
  hooks.ShowError = [this](std::string_view message) {
    QMetaObject::invokeMethod(this, [this, text = FromUtf8(std::string(message))] { ShowPlugInError(text); },
                              Qt::QueuedConnection);
  };
  plugIn_ = std::make_unique<TPlugInHost>(pipeline_, ProgramDirectory(), std::move(hooks));
  pipeline_.SetBatchRenderer(plugIn_.get());
  plugInDialog_ = [this](const QString& proposed) {
    QFileDialog dialog(this, GetQText(TextId::PlugInOpenTitle), proposed,
                       DialogFilter(GetQText(TextId::PlugInOpenFilter)));
    dialog.setDefaultSuffix(QStringLiteral("so"));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.selectFile(proposed);
    return dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty() ? dialog.selectedFiles().first()
                                                                                    : QString();
  };
  connect(uiZeit_->chkUsePlugin, &QCheckBox::clicked, this, &TFrmMain::chkUsePluginClick);
  connect(uiZeit_->BtnLoadDll, &QPushButton::clicked, this, &TFrmMain::BtnLoadDllClick);
  connect(uiZeit_->btnPlugInParam, &QPushButton::clicked, this, &TFrmMain::btnPlugInParamClick);
  if (startup_ != nullptr) RegisterPlugInSettings(startup_->Settings(), plugInSettings_);
}

void TFrmMain::ApplyPlugInSettings() {
  uiZeit_->edPlugInDLL->setText(FromUtf8(plugInSettings_.DllName));
  uiZeit_->chkUsePlugin->setChecked(plugInSettings_.Aktiv);
  if (plugInSettings_.Aktiv) chkUsePluginClick();
}

void TFrmMain::StorePlugInSettings() {
  plugInSettings_.DllName = uiZeit_->edPlugInDLL->text().toStdString();
  plugInSettings_.Aktiv = uiZeit_->chkUsePlugin->isChecked();
}

void TFrmMain::ReadPlugInOptions(TRxOptions& rx) const { rx.chkUsePlugin = uiZeit_->chkUsePlugin->isChecked(); }

void TFrmMain::chkUsePluginClick() {
  QCheckBox* box = uiZeit_->chkUsePlugin;
  if (box->isChecked()) box->setChecked(plugIn_->Activate(uiZeit_->edPlugInDLL->text().toStdString()));
  if (box->isChecked()) {
    uiZeit_->lbPlugInVersion->setText(FromUtf8(plugIn_->VersionLabel()));
  } else {
    plugIn_->Deactivate();
    uiZeit_->lbPlugInVersion->clear();
  }
  ShowPlugInParamButton();
  PublishRxOptions();
}

void TFrmMain::ShowPlugInParamButton() {
  QPushButton* button = uiZeit_->btnPlugInParam;
  button->setEnabled(plugIn_->Loaded() && plugIn_->ParamEnabled());
  if (button->isEnabled() && !plugIn_->ParamCaption().empty()) {
    // The plug-in's own caption no longer follows the language.
    button->setProperty("tag", 0);
    button->setText(FromUtf8(plugIn_->ParamCaption()));
  } else {
    button->setProperty("tag", TextId::btnPlugInParam);
    button->setText(GetQText(TextId::btnPlugInParam));
  }
}

void TFrmMain::BtnLoadDllClick() {
  QString proposed = uiZeit_->edPlugInDLL->text();
  const QString programDir = FromUtf8(ProgramDirectory());
  if (proposed.isEmpty())
    proposed = programDir + QStringLiteral("/PlugIn.so");
  else if (!proposed.contains(QLatin1Char('/')))
    proposed = programDir + QLatin1Char('/') + proposed;
  uiZeit_->chkUsePlugin->setChecked(false);
  chkUsePluginClick();
  const QString chosen = plugInDialog_ ? plugInDialog_(proposed) : QString();
  if (chosen.isEmpty()) return;
  if (ErrorLogEnabled()) WriteErrorLog("UserAction: Seek PlugIn-Dll.");
  const std::string path = QFileInfo(chosen).absoluteFilePath().toStdString();
  uiZeit_->edPlugInDLL->setText(FromUtf8(StoredDllName(path, ProgramDirectory())));
  uiZeit_->chkUsePlugin->setChecked(true);
  chkUsePluginClick();
}

void TFrmMain::btnPlugInParamClick() {
  if (!plugIn_->Loaded()) return;
  // The plug-in finds this window by its native id (QWidget::find).
  plugIn_->ParamSet(static_cast<std::uintptr_t>(winId()));
}

void TFrmMain::ShowPlugInError(const QString& message) {
  (void)message;  // the host's text, in the words of the language:
  const QString text = GetQText(TextId::MsgPlugInError);
  ShowStatusMessage(text);
  // One box at a time: a plug-in failing on every record must not stack them.
  if (plugInErrorShowing_) return;
  plugInErrorShowing_ = true;
  QMessageBox::warning(this, windowTitle(), text);
  plugInErrorShowing_ = false;
}
