// The interface page and Tamarik.ini: the stored choice shows at creation,
// opens at the first showing without a click, and goes back at close.
#include <QComboBox>
#include <QRadioButton>
#include <QToolButton>

#include "../core/TempDir.h"
#include "WindowTestSupport.h"
#include "core/Startup.h"
#include "serial/InterfacePorts.h"
#include "serial/PseudoTerminal.h"
#include "window/RadioGroup.h"

namespace {

TEST(InterfaceSettingsTest, StoredChoiceOpensAtFirstShowingAndIsWrittenBack) {
  TPseudoTerminal pc, sps;
  ASSERT_EQ(pc.Open(), 0);
  ASSERT_EQ(sps.Open(), 0);
  TTempDir dir;
  // A file of an old version: its data-bits index 1 counted from "7".
  TTempDir::Write(dir.File("Tamarik.ini"),
                  "[Programm]\nVersion=V 2.2.2000\n"
                  "[FrmMain]\nrgrpA_Checked=0\nrgrpD_Checked=1\n"
                  "grpSSA_ItemIndex_S=" + pc.SlaveName() + "\ngrpSSB_ItemIndex_S=" + sps.SlaveName() + "\n"
                  "chkError_Checked=1\n"
                  "[PortAB]\nsbBaudBDown=1\nppSSABaudrate=6\nppSSADataBits=1\nppSSBBaudrate=8\nppSSBDataBits=0\n"
                  "[FlowCtrl]\nchkFlowSignals_Checked=1\nchkFlowSignalsDTRA_Checked=1\n");
  {
    TStartup startup({{}, dir.Path().string(), ""});
    TFrmMain frm(nullptr, &startup);
    auto* grpBaud = frm.findChild<TRadioGroup*>(QStringLiteral("grpBaud"));
    auto* grpDaten = frm.findChild<TRadioGroup*>(QStringLiteral("grpDaten"));
    EXPECT_TRUE(frm.findChild<QRadioButton*>(QStringLiteral("rgrpD"))->isChecked());
    EXPECT_TRUE(frm.findChild<QToolButton*>(QStringLiteral("spBaudB"))->isChecked());
    EXPECT_EQ(grpBaud->Item(grpBaud->ItemIndex()), QStringLiteral("19200")) << "port B's record on show";
    EXPECT_EQ(grpDaten->Item(grpDaten->ItemIndex()), QStringLiteral("7")) << "old numbering: 0 means 7";
    EXPECT_EQ(frm.PortSettings().PortASettings.DataBits, 3);
    EXPECT_TRUE(frm.findChild<QCheckBox*>(QStringLiteral("chkError"))->isChecked());
    EXPECT_EQ(frm.WorkMode(), 140);
    EXPECT_FALSE(frm.Ports().PortA().Opened());

    frm.show();
    ASSERT_TRUE(WaitFor([&] { return frm.Ports().PortA().Opened() && frm.Ports().PortB().Opened(); }))
        << frm.StatusMessage().toStdString();
    EXPECT_EQ(frm.Ports().PortB().Baudrate(), 19200);
    EXPECT_EQ(frm.Ports().PortA().Baudrate(), 9600);
    EXPECT_EQ(frm.Ports().PortA().DataBits(), d8bit);
    EXPECT_EQ(frm.Ports().PortB().DataBits(), d7bit);
    EXPECT_TRUE(frm.findChild<QCheckBox*>(QStringLiteral("chkFlowSignalsDTRA"))->isChecked());
    EXPECT_FALSE(frm.findChild<QCheckBox*>(QStringLiteral("chkFlowSignalsRTSA"))->isChecked());
    frm.close();
    EXPECT_FALSE(frm.Ports().AnyOpen()) << "closing the window closes the ports";
  }
  const std::string written = TTempDir::Read(dir.File("Tamarik.ini"));
  for (const std::string& key : std::vector<std::string>{"rgrpD_Checked=1", "sbBaudBDown=1", "ppSSBBaudrate=8", "ppSSBDataBits=2",
                                "ppSSADataBits=3", "chkFlowSignalsDTRA_Checked=1", "chkError_Checked=1",
                                "grpSSA_ItemIndex_S=" + pc.SlaveName()})
    EXPECT_NE(written.find(key), std::string::npos) << key << "\n" << written;
}

}  // namespace
