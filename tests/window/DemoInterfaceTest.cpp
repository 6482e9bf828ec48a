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

class DemoInterfaceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(stored_.Open(), 0);
    TTempDir::Write(work_.File("Tamarik.ini"), "[Programm]\r\nVersion=V 2.3.2700\r\n[FrmMain]\r\nrgrpA_Checked=1\r\n"
                                               "grpSSA_ItemIndex_S=" + stored_.SlaveName() + "\r\n");
    startup_ = std::make_unique<TStartup>(
        TStartupOptions{{}, work_.Path().string(), "", &errorLog_});
    frm_ = std::make_unique<TFrmMain>(nullptr, startup_.get());
    frm_->StartDemo();
    ASSERT_TRUE(frm_->DemoRunning());
    frm_->show();
    QCoreApplication::processEvents();
  }
  template <class T>
  T* Find(const char* name) const {
    return frm_->findChild<T*>(QLatin1String(name));
  }
  QString PortA() const { return Find<QComboBox>("cbxSSA")->currentText(); }

  TTempDir work_;
  TErrorLogFile errorLog_;
  TPseudoTerminal stored_;
  std::unique_ptr<TStartup> startup_;
  std::unique_ptr<TFrmMain> frm_;
};

TEST_F(DemoInterfaceTest, PageShowsTheDemoAndTheFileKeepsTheStoredPorts) {
  EXPECT_TRUE(Find<QRadioButton>("rgrpE")->isChecked());
  EXPECT_EQ(frm_->WorkMode(), 200);
  EXPECT_TRUE(PortA().startsWith(QStringLiteral("pts/")));
  EXPECT_NE(PortA().toStdString(), stored_.SlaveName());
  EXPECT_EQ(Find<QPushButton>("btnOK1")->text().toStdString(), GetText(TextId::btnOK1Trennen));
  frm_->close();
  const TIniFile ini(work_.File("Tamarik.ini"));
  EXPECT_TRUE(ini.ReadBool("FrmMain", "rgrpA_Checked", false));
  EXPECT_FALSE(ini.ReadBool("FrmMain", "rgrpE_Checked", true));
  EXPECT_EQ(ini.ReadString("FrmMain", "grpSSA_ItemIndex_S", ""), stored_.SlaveName());
}

TEST_F(DemoInterfaceTest, DisconnectingEndsTheDemoAndShowsTheStoredInterface) {
  Find<QPushButton>("btnOK1")->click();
  EXPECT_FALSE(frm_->DemoRunning());
  EXPECT_FALSE(frm_->Ports().AnyOpen());
  EXPECT_TRUE(Find<QRadioButton>("rgrpA")->isChecked());
  EXPECT_EQ(PortA().toStdString(), stored_.SlaveName());
  // Now applying opens the stored port.
  Find<QPushButton>("btnOK1")->click();
  EXPECT_TRUE(frm_->Ports().PortA().Opened());
}

}  // namespace
