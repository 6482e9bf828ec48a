// The send dialog: opened from the trace per operating mode, its history,
// its keys, and a file send over a pseudo-terminal that can be cancelled
// while the window keeps running.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QRadioButton>
#include <QTabWidget>
#include <filesystem>
#include <fstream>

#include "WindowTestSupport.h"
#include "core/AppFlags.h"
#include "core/SendData.h"
#include "serial/SendLine.h"
#include "window/fSend.h"

namespace {

template <class T>
T* C(const QObject& dialog, const char* name) {
  return dialog.findChild<T*>(QLatin1String(name));
}

class SendDialogTest : public WindowTest {
 protected:
  TfrmSend& OpenFor(const char* modeButton) {
    Find<QRadioButton>(modeButton)->setChecked(true);
    frm->popDatenSendenClick();
    EXPECT_NE(frm->frmSend(), nullptr);
    return *frm->frmSend();
  }
};

TEST_F(SendDialogTest, PortChoiceFollowsTheOperatingMode) {
  ASSERT_NE(frm->popDatenSendenAction(), nullptr);
  EXPECT_EQ(frm->popDatenSendenAction()->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_S));
  TfrmSend& dialog = OpenFor("rgrpB");  // 120: port A only
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_TRUE(dialog.windowFlags() & Qt::WindowStaysOnTopHint);
  EXPECT_FALSE(dialog.isModal());
  EXPECT_FALSE(C<QRadioButton>(dialog, "rbB")->isVisibleTo(&dialog));
  EXPECT_FALSE(C<QLabel>(dialog, "lbrbB")->isVisibleTo(&dialog));
  EXPECT_TRUE(C<QRadioButton>(dialog, "rbA")->isChecked());

  OpenFor("rgrpC");  // 130: port B only
  EXPECT_FALSE(C<QRadioButton>(dialog, "rbA")->isVisibleTo(&dialog));
  EXPECT_TRUE(C<QRadioButton>(dialog, "rbB")->isChecked());
  EXPECT_TRUE(C<QRadioButton>(dialog, "rbB1")->isChecked());

  OpenFor("rgrpE");  // 200: both
  EXPECT_TRUE(C<QRadioButton>(dialog, "rbA")->isVisibleTo(&dialog));
  EXPECT_TRUE(C<QRadioButton>(dialog, "rbB")->isVisibleTo(&dialog));
  EXPECT_TRUE(C<QCheckBox>(dialog, "chkBrkAdd")->isVisibleTo(&dialog));
  EXPECT_FALSE(C<QLineEdit>(dialog, "edRTRLen")->isVisibleTo(&dialog));
  EXPECT_TRUE(C<QTabWidget>(dialog, "pgMain")->isTabVisible(1));
  EXPECT_EQ(C<QCheckBox>(dialog, "chkBrkAdd")->text(), QStringLiteral("BREAK zuerst senden"));
}

TEST_F(SendDialogTest, HistoryKeepsTwentyFiveNewestFirstAndTheKeysComeBack) {
  TfrmSend& dialog = OpenFor("rgrpE");
  for (int i = 0; i < 26; ++i) {
    C<QComboBox>(dialog, "cboDaten")->setEditText(QStringLiteral("line %1").arg(i));
    C<QPushButton>(dialog, "btnSend")->click();  // the ports are closed: reported, not sent, but kept
  }
  EXPECT_EQ(C<QComboBox>(dialog, "cboDaten")->count(), 25);
  EXPECT_EQ(C<QComboBox>(dialog, "cboDaten")->itemText(0), QStringLiteral("line 25"));
  EXPECT_EQ(C<QComboBox>(dialog, "cboDaten")->itemText(24), QStringLiteral("line 1"));
  EXPECT_EQ(C<QComboBox>(dialog, "cboDaten")->currentText(), QStringLiteral("line 25"));

  C<QRadioButton>(dialog, "rbB")->setChecked(true);
  C<QCheckBox>(dialog, "chkLFAdd")->setChecked(false);
  C<QLineEdit>(dialog, "edDateiSend")->setText(QStringLiteral("data.bin"));
  const TSendSettings stored = dialog.Settings();
  TfrmSend again(nullptr, frm->SendRoutine(), stored);
  const TSendSettings back = again.Settings();
  EXPECT_EQ(back.History, stored.History);
  EXPECT_EQ(back.Form, stored.Form);
  EXPECT_TRUE(C<QRadioButton>(again, "rbB1")->isChecked());
  EXPECT_TRUE(C<QComboBox>(again, "cboDaten")->currentText().isEmpty());
}

class FileSendTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    SendAbort.store(false);
    ASSERT_TRUE(wire.Open());
    file = (std::filesystem::temp_directory_path() / ("tamarik-file-" + std::to_string(::getpid()))).string();
    std::string content;
    for (int i = 0; i < 500; ++i) content += "0123456789\r\n";
    std::ofstream(file, std::ios::binary) << content;
    TSendSettings settings;
    settings.Form.edDateiSend_Text = file;
    settings.Form.edWartAfterLine_Text = "20";  // a pause per line keeps the send going
    settings.Form.pgMain_ActivePageIndex = 1;
    settings.Form.rbB_Checked = false;
    dialog = std::make_unique<TfrmSend>(nullptr, wire.routine, settings);
    dialog->ShowForMode(SendDialogModeFor(200, false));
  }
  void TearDown() override {
    dialog.reset();
    std::filesystem::remove(file);
    SendAbort.store(false);
    WindowTest::TearDown();
  }

  serial_test::TSendLine wire;
  std::string file;
  std::unique_ptr<TfrmSend> dialog;
};

TEST_F(FileSendTest, CancelStopsTheSendAndHidesTheProgressBar) {
  bool finished = false;
  QObject::connect(dialog.get(), &TfrmSend::FileSendFinished, [&] { finished = true; });
  C<QPushButton>(*dialog, "btnFileSend")->click();
  EXPECT_TRUE(dialog->Sending());
  EXPECT_FALSE(C<QPushButton>(*dialog, "btnFileSend")->isEnabled());
  EXPECT_TRUE(C<QProgressBar>(*dialog, "pBarSize")->isVisibleTo(dialog.get()));
  // The window thread is free: progress arrives through its event loop.
  ASSERT_TRUE(WaitFor([&] { return C<QProgressBar>(*dialog, "pBarSize")->value() > 0; }));
  C<QPushButton>(*dialog, "btnAbbruch2")->click();
  ASSERT_TRUE(WaitFor([&] { return finished; }));
  EXPECT_FALSE(dialog->Sending());
  EXPECT_FALSE(C<QProgressBar>(*dialog, "pBarSize")->isVisibleTo(dialog.get()));
  EXPECT_TRUE(C<QPushButton>(*dialog, "btnFileSend")->isEnabled());
  EXPECT_TRUE(dialog->isVisible());  // cancel while sending does not hide
  EXPECT_LT(C<QProgressBar>(*dialog, "pBarSize")->value(), C<QProgressBar>(*dialog, "pBarSize")->maximum());
}

}  // namespace
