#include "window/fDirAuswahl.h"

#include <unistd.h>

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "UsbAccessCheck.h"
#include "core/TextIds.h"
#include "window/Captions.h"

namespace {
// The language table keeps line breaks as the two characters "\n".
QString WithBreaks(QString text) { return text.replace(QStringLiteral("\\n"), QStringLiteral("\n")); }
}  // namespace

TfrmDirAuswahl::TfrmDirAuswahl(QWidget* owner, const QString& programDir, const QString& systemFolder)
    : QDialog(owner), systemFolder_(systemFolder) {
  setObjectName(QStringLiteral("frmDirAuswahl"));
  setWindowTitle(QStringLiteral("Tamarik USB"));
  setModal(true);
  if (owner) setWindowIcon(owner->windowIcon());
  auto* layout = new QVBoxLayout(this);
  pgMain_ = new QStackedWidget(this);
  pgMain_->setObjectName(QStringLiteral("pgMain"));
  layout->addWidget(pgMain_);

  tabCopy_ = new QWidget(pgMain_);
  tabCopy_->setObjectName(QStringLiteral("tabCopy"));
  auto* copy = new QVBoxLayout(tabCopy_);
  auto* copyText = new QLabel(WithBreaks(GetQText(TextId::tabCopyUdev)), tabCopy_);
  copyText->setWordWrap(true);
  copy->addWidget(copyText);
  rgrpA_ = new QRadioButton(systemFolder, tabCopy_);
  rgrpA_->setObjectName(QStringLiteral("rgrpA"));
  // The system folder only when this program may write there.
  rgrpA_->setEnabled(::access(systemFolder.toLocal8Bit().constData(), W_OK) == 0);
  rgrpB_ = new QRadioButton(tabCopy_);
  rgrpB_->setObjectName(QStringLiteral("rgrpB"));
  edVerz_ = new QLineEdit(programDir, tabCopy_);
  edVerz_->setObjectName(QStringLiteral("edVerz"));
  auto* folderRow = new QHBoxLayout;
  folderRow->addWidget(rgrpB_);
  folderRow->addWidget(edVerz_, 1);
  copy->addWidget(rgrpA_);
  copy->addLayout(folderRow);
  copy->addStretch(1);
  (rgrpA_->isEnabled() ? rgrpA_ : rgrpB_)->setChecked(true);
  edVerz_->setEnabled(rgrpB_->isChecked());
  connect(rgrpB_, &QRadioButton::toggled, edVerz_, &QLineEdit::setEnabled);
  pgMain_->addWidget(tabCopy_);

  tabFertig_ = new QWidget(pgMain_);
  tabFertig_->setObjectName(QStringLiteral("tabFertig"));
  auto* done = new QVBoxLayout(tabFertig_);
  auto* doneText = new QLabel(GetQText(TextId::tabFertigUdev), tabFertig_);
  doneText->setWordWrap(true);
  done->addWidget(doneText);
  edReload_ = new QPlainTextEdit(tabFertig_);
  edReload_->setObjectName(QStringLiteral("edReload"));
  edReload_->setReadOnly(true);
  done->addWidget(edReload_);
  pgMain_->addWidget(tabFertig_);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  btnOK_ = new QPushButton(QStringLiteral("OK"), this);
  btnOK_->setObjectName(QStringLiteral("btnOK"));
  btnAbbruch_ = new QPushButton(GetQText(TextId::btnAbbruch), this);
  btnAbbruch_->setObjectName(QStringLiteral("btnAbbruch"));
  buttons->addWidget(btnOK_);
  buttons->addWidget(btnAbbruch_);
  layout->addLayout(buttons);
  connect(btnOK_, &QPushButton::clicked, this, &TfrmDirAuswahl::btnOKClick);
  connect(btnAbbruch_, &QPushButton::clicked, this, &QDialog::reject);
}

QString TfrmDirAuswahl::TargetDir() const { return rgrpA_->isChecked() ? systemFolder_ : edVerz_->text(); }

bool TfrmDirAuswahl::OnFinalPage() const { return pgMain_->currentWidget() == tabFertig_; }

QString TfrmDirAuswahl::Instructions() const { return edReload_->toPlainText(); }

void TfrmDirAuswahl::btnOKClick() {
  if (OnFinalPage()) {
    accept();
    return;
  }
  const TRuleWrite w = WriteUdevRule(TargetDir().toStdString());
  if (!w.Ok) {
    // The page stays so the user can choose another folder.
    QApplication::beep();
    QMessageBox::warning(this, windowTitle(),
                         w.FolderFailed ? GetQText(TextId::MsgDirNotCreated) : QString::fromStdString(w.Error));
    return;
  }
  edReload_->setPlainText(QString::fromStdString(ReloadInstructions(w.Path, systemFolder_.toStdString())));
  pgMain_->setCurrentWidget(tabFertig_);
  btnAbbruch_->setEnabled(false);
}
