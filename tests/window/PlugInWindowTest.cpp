// The group grpPlugIn: choosing a library, what the check box, the version
// label and the parameter button show, and the trace while it converts.
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>

#include "WindowTestSupport.h"
#include "core/ErrorLogFile.h"
#include "core/Startup.h"
#include "core/TempDir.h"

namespace {
QString FromUtf8(const std::string& text) { return QString::fromStdString(text); }
}  // namespace

class PlugInWindowTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    // A copy of an accepted test plug-in in the program's directory, one
    // per test: ctest runs this fixture's tests side by side.
    const std::string test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    inProgramDir = FromUtf8(ProgramDirectory() + "/window_test_plugin_" + test + ".so");
    QFile::remove(inProgramDir);
    ASSERT_TRUE(QFile::copy(QStringLiteral(TAMARIK_TEST_PLUGINS "/scripted_v30.so"), inProgramDir));
  }
  void TearDown() override {
    WindowTest::TearDown();
    QFile::remove(inProgramDir);
  }
  void Choose(const QString& file) {
    frm->PlugInDialog() = [file](const QString&) { return file; };
    Button("BtnLoadDll")->click();
  }
  QString DllName() const { return Find<QLineEdit>("edPlugInDLL")->text(); }
  QString Version() const { return Find<QLabel>("lbPlugInVersion")->text(); }

  QString inProgramDir;
};

TEST_F(PlugInWindowTest, LibraryInTheProgramsDirectoryIsStoredByItsBareName) {
  Choose(inProgramDir);
  EXPECT_EQ(DllName(), QFileInfo(inProgramDir).fileName());
  EXPECT_TRUE(Check("chkUsePlugin")->isChecked());
  EXPECT_EQ(Version(), QStringLiteral("Version: 3.0\nScripted"));
  EXPECT_TRUE(Button("btnPlugInParam")->isEnabled());
  EXPECT_EQ(Button("btnPlugInParam")->text(), QStringLiteral("Einstellen"));
  EXPECT_TRUE(frm->Pipeline().Options().chkUsePlugin);
}

TEST_F(PlugInWindowTest, RejectedLibraryLeavesTheBoxUncheckedAndKeepsItsPath) {
  Choose(inProgramDir);
  const QString old = QStringLiteral(TAMARIK_TEST_PLUGINS "/scripted_v29.so");
  Choose(old);
  EXPECT_EQ(DllName(), old);
  EXPECT_FALSE(Check("chkUsePlugin")->isChecked());
  EXPECT_EQ(Version(), QString());
  EXPECT_FALSE(Button("btnPlugInParam")->isEnabled());
  EXPECT_EQ(Button("btnPlugInParam")->text(), QStringLiteral("Parameter"));
  EXPECT_FALSE(frm->PlugIn().Loaded());
  EXPECT_FALSE(frm->Pipeline().Options().chkUsePlugin);
}

TEST_F(PlugInWindowTest, CancelledDialogLeavesThePlugInOff) {
  Choose(inProgramDir);
  Choose(QString());
  EXPECT_EQ(DllName(), QFileInfo(inProgramDir).fileName());
  EXPECT_FALSE(Check("chkUsePlugin")->isChecked());
  EXPECT_FALSE(frm->PlugIn().Loaded());
}

// Two runs over one start directory: the plug-in in use at exit is loaded
// again at the next start, from section PlugIn.
TEST(PlugInWindowRestart, PlugInInUseAtExitIsLoadedAtTheNextStart) {
  TStartDir start;
  const TTempDir& work = start.Work;
  const TStartupOptions& options = start.Options;
  const QString plugIn = QStringLiteral(TAMARIK_TEST_PLUGINS "/scripted_v30.so");
  {
    TStartup startup(options);
    TFrmMain frm(nullptr, &startup);
    frm.PlugInDialog() = [plugIn](const QString&) { return plugIn; };
    frm.findChild<QPushButton*>(QStringLiteral("BtnLoadDll"))->click();
    ASSERT_TRUE(frm.PlugIn().Loaded());
    frm.close();
  }
  const std::string ini = TTempDir::Read(work.File("Tamarik.ini"));
  EXPECT_NE(ini.find("[PlugIn]\r\nDllName=" + plugIn.toStdString() + "\r\nAktiv=1\r\n"), std::string::npos) << ini;
  {
    TStartup startup(options);
    TFrmMain frm(nullptr, &startup);
    EXPECT_TRUE(frm.findChild<QCheckBox*>(QStringLiteral("chkUsePlugin"))->isChecked());
    EXPECT_TRUE(frm.PlugIn().Loaded());
    EXPECT_EQ(frm.findChild<QLabel*>(QStringLiteral("lbPlugInVersion"))->text(), QStringLiteral("Version: 3.0\nScripted"));
    frm.close();
  }
}
