// The AVR programmer dialog against an emulated boot-loader node: telegrams
// leave through DatenSenden in CAN mode, the node's answers come back as CAN
// records through the window's ring and receive pipeline, and the dialog
// runs on its own timers while the window keeps going.
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <QTimer>

#include "AvrBootNode.h"
#include "WindowTestSupport.h"
#include "core/SendData.h"
#include "prog/ProgAtmel.h"
#include "window/fProgAtmel.h"

namespace {

// The USB interface's CAN send path, ending at the node.
class TNodeLink final : public TUsbSendOutput {
 public:
  explicit TNodeLink(TAvrBootNode& node) : node_(node) {}
  std::size_t SendFrames(std::vector<TUsbSendFrame>& frames, bool, const TSendWait&) override {
    std::size_t count = 0;
    for (const TUsbSendFrame& u : frames) {
      TCanFrame f;
      f.Ident = u.Ident;
      f.Extended = u.Extended;
      f.Remote = u.Rtr;
      f.Length = static_cast<std::uint8_t>(u.Data.size());
      std::copy(u.Data.begin(), u.Data.end(), f.Data.begin());
      node_.FrameIn(f);
      count += u.Data.size();
    }
    return count;
  }

 private:
  TAvrBootNode& node_;
};

TSeriellData CanRecord(const TCanFrame& f) {
  TSeriellData r;
  r.RecType = rtCAN;
  r.Dir = dirUSBCAN2;
  r.Ident = static_cast<std::int32_t>(f.Ident);
  r.Count = f.Length;
  r.Signals = f.Extended ? 0x100 : 0x80;
  std::copy(f.Data.begin(), f.Data.end(), r.Data.begin());
  return r;
}

class ProgAtmelDialogTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    node.FrameOut = [this](const TCanFrame& f) { frm->Ring().Put(CanRecord(f)); };
    frm->SendRoutine().SetWorkMode(440, true);
    frm->SendRoutine().SetUsb(&link);
    frm->btnPrgAtmelCANClick();
    ASSERT_NE(frm->frmProgAtmel(), nullptr);
    dialog = frm->frmProgAtmel();
  }
  template <class T>
  T* C(const char* name) const {
    return dialog->findChild<T*>(QLatin1String(name));
  }
  QString Label(const char* name) const { return C<QLabel>(name)->text(); }
  void Click(const char* name) const { C<QPushButton>(name)->click(); }
  bool WaitLabel(const char* name, const char* text) const {
    return WaitFor([&] { return Label(name) == QLatin1String(text); });
  }
  void ConnectAndErase() {
    Click("btnStartConnect");
    ASSERT_TRUE(WaitLabel("lbStartStatus", "OK"));
    Click("btnErase");
    ASSERT_TRUE(WaitLabel("lbEraseOK", "OK"));
  }
  void ChooseFile(const std::string& bytes) {
    file = startDir.File("app.bin");
    TTempDir::Write(file, bytes);
    dialog->ODlg = [this] { return QString::fromStdString(file); };
    Click("btnFile");
  }

  TAvrBootNode node;
  TNodeLink link{node};
  TfrmProgAtmel* dialog = nullptr;
  TTempDir startDir;
  std::string file;
};

std::string Bytes(int size) {
  std::string b;
  for (int i = 0; i < size; ++i) b += static_cast<char>(i * 13 + 5);
  return b;
}

}  // namespace

TEST_F(ProgAtmelDialogTest, OpensWithItsControlsAtRest) {
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Atmel Chip programmieren"));
  EXPECT_EQ(ProgrammerActive.load(), -1);
  EXPECT_EQ(C<QTabWidget>("pgMain")->currentWidget(), C<QWidget>("tabMain"));
  for (const char* b : {"btnErase", "btnFile", "btnSendFile", "btnStartDev"}) EXPECT_FALSE(C<QPushButton>(b)->isEnabled()) << b;
  for (const char* l : {"lbStartStatus", "lbEraseOK", "lbSendOK", "lbStartDev"}) EXPECT_EQ(Label(l), QStringLiteral("---"));
  EXPECT_EQ(dialog->Tmr1->interval(), 36);
  EXPECT_EQ(dialog->Tmr2->interval(), 150);
  EXPECT_FALSE(dialog->Tmr1->isActive() || dialog->Tmr2->isActive());

  // Hexadecimal digits only, in upper case.
  QLineEdit* edit = C<QLineEdit>("edP1CF");
  for (const char* key : {"a", "g", "3", "7"}) {
    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString::fromLatin1(key));
    QApplication::sendEvent(edit, &press);
  }
  EXPECT_EQ(edit->text(), QStringLiteral("A3"));

  Click("btnAbbruch");
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_EQ(ProgrammerActive.load(), 0);
}

TEST_F(ProgAtmelDialogTest, RunsTheWholeSequenceAgainstTheNodeWithoutHoldingTheWindow) {
  ConnectAndErase();
  EXPECT_TRUE(C<QPushButton>("btnSendFile")->isEnabled());
  const std::string image = Bytes(600);
  ChooseFile(image);
  // The counter on the way shows that the window kept painting meanwhile.
  EXPECT_TRUE(WaitFor([&] { return Label("lbSendOK") == QStringLiteral("0100"); }));
  ASSERT_TRUE(WaitLabel("lbSendOK", "OK"));
  EXPECT_FALSE(dialog->Tmr1->isActive());
  EXPECT_TRUE(std::equal(image.begin(), image.end(), node.Flash().begin(),
                         [](char a, std::uint8_t b) { return static_cast<std::uint8_t>(a) == b; }));

  node.SetConfig(canboot::kEB, 0x5A);
  C<QTabWidget>("pgMain")->setCurrentWidget(C<QWidget>("tabExtra"));
  ASSERT_TRUE(WaitFor([&] { return C<QLineEdit>("edSBV")->text() == QStringLiteral("FC"); }));
  EXPECT_EQ(C<QLineEdit>("edEB")->text(), QStringLiteral("5A"));
  C<QLineEdit>("edP1CF")->setText(QStringLiteral("3C"));
  Click("btnSetExtra");
  ASSERT_TRUE(WaitLabel("lbSetExtra", "OK"));
  EXPECT_EQ(node.Config(canboot::kP1CF), 0x3C);

  C<QTabWidget>("pgMain")->setCurrentWidget(C<QWidget>("tabMain"));
  Click("btnStartDev");
  EXPECT_TRUE(node.ApplicationStarted());
  EXPECT_EQ(Label("lbStartDev"), QStringLiteral("OK"));
  EXPECT_FALSE(C<QTabWidget>("pgMain")->isTabVisible(1));
  EXPECT_FALSE(C<QPushButton>("btnErase")->isEnabled());
}

TEST_F(ProgAtmelDialogTest, ANodeThatFallsSilentEndsInErrorAndTheWindowGoesOn) {
  ConnectAndErase();
  node.SetSilent(true);
  ChooseFile(Bytes(300));
  ASSERT_TRUE(WaitLabel("lbSendOK", "ERROR"));
  EXPECT_FALSE(dialog->Tmr1->isActive());
  bool ran = false;
  QTimer::singleShot(0, [&] { ran = true; });
  EXPECT_TRUE(WaitFor([&] { return ran; }));
}
