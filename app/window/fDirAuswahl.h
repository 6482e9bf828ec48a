// The access dialog: a box is on USB but this program may not open it. It
// writes our udev rule into a chosen folder (or the system's rules folder
// when the program may write there) and then says how to reload the rules.
#pragma once

#include <QDialog>
#include <QString>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QStackedWidget;

class TfrmDirAuswahl : public QDialog {
  Q_OBJECT
 public:
  // `programDir` is where the rule goes when the system folder is not
  // writable and the user changes nothing.
  TfrmDirAuswahl(QWidget* owner, const QString& programDir, const QString& systemFolder);

  // The folder the rule goes to with the current choice.
  QString TargetDir() const;
  bool OnFinalPage() const;
  QString Instructions() const;

 public slots:
  void btnOKClick();

 private:
  QStackedWidget* pgMain_;
  QWidget* tabCopy_;
  QWidget* tabFertig_;
  QRadioButton* rgrpA_;
  QRadioButton* rgrpB_;
  QLineEdit* edVerz_;
  QPlainTextEdit* edReload_;
  QPushButton* btnOK_;
  QPushButton* btnAbbruch_;
  QString systemFolder_;
};
