// What the user types on the interface page: port names that are not
// there, a rate that is not a number, and the button's caption while the
// page is being edited.
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>

#include "../core/TempDir.h"
#include "WindowTestSupport.h"
#include "core/Startup.h"
#include "core/TextIds.h"
#include "serial/InterfacePorts.h"
#include "window/Captions.h"
#include "window/RadioGroup.h"

namespace {

constexpr const char* kAbsentPort = "ttyTamarikAbsent9";

QString NotPresentText(const std::string& port) {
  return GetQText(TextId::MsgPortOpenFailedBefore) + QString::fromStdString(port) +
         GetQText(TextId::MsgPortNotPresentAfter);
}

class InterfaceInputTest : public PortPageTest {
 protected:
  void OpenBothPorts() {
    Find<QRadioButton>("rgrpE")->setChecked(true);
    TypePort("cbxSSA", lineA.SlaveName());
    TypePort("cbxSSB", lineB.SlaveName());
    Button("btnOK1")->click();
    ASSERT_TRUE(frm->Ports().PortA().Opened() && frm->Ports().PortB().Opened()) << frm->StatusMessage().toStdString();
    ASSERT_EQ(Caption(), GetQText(TextId::btnOK1Trennen));
  }
};

TEST_F(InterfaceInputTest, AnOtherRateThatIsNoNumberIsRefusedAndTheOpenPortsStay) {
  OpenBothPorts();
  auto* grpBaud = Find<TRadioGroup>("grpBaud");
  grpBaud->Button(0)->click();
  auto* edOtherBaud = Find<QLineEdit>("edOtherBaud");
  edOtherBaud->setText(QStringLiteral("abc"));
  emit edOtherBaud->textEdited(edOtherBaud->text());
  Button("btnOK1")->click();
  EXPECT_EQ(frm->StatusMessage(), GetQText(TextId::MsgCheckBaudrate));
  EXPECT_TRUE(frm->Ports().PortA().Opened());
  EXPECT_TRUE(frm->Ports().PortB().Opened());
}

TEST_F(InterfaceInputTest, TheCaptionTurnsToApplyAsSoonAsAPortNameIsEdited) {
  OpenBothPorts();
  QLineEdit* edit = Find<QComboBox>("cbxSSA")->lineEdit();
  edit->setFocus();
  QKeyEvent key(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, QStringLiteral("x"));
  QApplication::sendEvent(edit, &key);
  EXPECT_EQ(Caption(), GetQText(TextId::btnOK1));
}

TEST_F(InterfaceInputTest, ATypedPortThatIsNotThereStaysAndIsNamedOnApply) {
  Find<QRadioButton>("rgrpE")->setChecked(true);
  TypePort("cbxSSA", lineA.SlaveName());
  TypePort("cbxSSB", kAbsentPort);
  EXPECT_EQ(Find<QComboBox>("cbxSSB")->currentText().toStdString(), kAbsentPort);
  Button("btnOK1")->click();
  EXPECT_EQ(frm->StatusMessage(), NotPresentText(kAbsentPort));
  EXPECT_TRUE(frm->Ports().PortA().Opened()) << "the other port's outcome is its own";
  EXPECT_EQ(Find<QComboBox>("cbxSSB")->currentText().toStdString(), kAbsentPort);
}

TEST(InterfaceStoredPortTest, AStoredPortThatHasGoneKeepsItsNameAndIsReportedAtStart) {
  TPseudoTerminal pc;
  ASSERT_EQ(pc.Open(), 0);
  TTempDir dir;
  TTempDir::Write(dir.File("Tamarik.ini"), "[FrmMain]\nrgrpA_Checked=0\nrgrpE_Checked=1\nSprache=0\n"
                                           "grpSSA_ItemIndex_S=" + pc.SlaveName() + "\n"
                                           "grpSSB_ItemIndex_S=" + kAbsentPort + "\n");
  TStartup startup({{}, dir.Path().string(), ""});
  TFrmMain frm(nullptr, &startup);
  frm.SelectLanguage(0);
  auto* cbxSSB = frm.findChild<QComboBox*>(QStringLiteral("cbxSSB"));
  EXPECT_EQ(cbxSSB->currentText().toStdString(), kAbsentPort);
  frm.show();
  ASSERT_TRUE(WaitFor([&] { return frm.Ports().PortA().Opened(); })) << frm.StatusMessage().toStdString();
  EXPECT_EQ(frm.StatusMessage(), NotPresentText(kAbsentPort));
  EXPECT_EQ(cbxSSB->currentText().toStdString(), kAbsentPort);
  frm.close();
}

}  // namespace
