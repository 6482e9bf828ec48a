// The built-in demo on the interface page: while it runs the page shows its
// interface (mode 200 over its pseudo-terminals), not the stored ports, and
// those stay in the settings file.
#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>

#include "WindowTestSupport.h"
#include "core/ErrorLogFile.h"
#include "core/IniFile.h"
#include "core/Language.h"
#include "core/Startup.h"
#include "core/TempDir.h"
#include "core/TextIds.h"
#include "serial/InterfacePorts.h"
#include "serial/PseudoTerminal.h"

namespace {

class DemoInterfaceTest : public StartedWindowTest {
 protected:
  void SetUp() override {
    ASSERT_EQ(stored_.Open(), 0);
    Start({}, "[Programm]\r\nVersion=V 2.3.2700\r\n[FrmMain]\r\nrgrpA_Checked=1\r\ngrpSSA_ItemIndex_S=" +
                  stored_.SlaveName() + "\r\n");
    frm->StartDemo();
    ASSERT_TRUE(frm->DemoRunning());
    QCoreApplication::processEvents();
  }
  QString PortA() const { return Find<QComboBox>("cbxSSA")->currentText(); }

  TPseudoTerminal stored_;
};

TEST_F(DemoInterfaceTest, PageShowsTheDemoAndTheFileKeepsTheStoredPorts) {
  EXPECT_TRUE(Find<QRadioButton>("rgrpE")->isChecked());
  EXPECT_EQ(frm->WorkMode(), 200);
  EXPECT_TRUE(PortA().startsWith(QStringLiteral("pts/")));
  EXPECT_NE(PortA().toStdString(), stored_.SlaveName());
  EXPECT_EQ(Find<QPushButton>("btnOK1")->text().toStdString(), GetText(TextId::btnOK1Trennen));
  frm->close();
  const TIniFile ini(dir.File("Tamarik.ini"));
  EXPECT_TRUE(ini.ReadBool("FrmMain", "rgrpA_Checked", false));
  EXPECT_FALSE(ini.ReadBool("FrmMain", "rgrpE_Checked", true));
  EXPECT_EQ(ini.ReadString("FrmMain", "grpSSA_ItemIndex_S", ""), stored_.SlaveName());
}

TEST_F(DemoInterfaceTest, DisconnectingEndsTheDemoAndShowsTheStoredInterface) {
  Find<QPushButton>("btnOK1")->click();
  EXPECT_FALSE(frm->DemoRunning());
  EXPECT_FALSE(frm->Ports().AnyOpen());
  EXPECT_TRUE(Find<QRadioButton>("rgrpA")->isChecked());
  EXPECT_EQ(PortA().toStdString(), stored_.SlaveName());
  // Now applying opens the stored port.
  Find<QPushButton>("btnOK1")->click();
  EXPECT_TRUE(frm->Ports().PortA().Opened());
}

}  // namespace
