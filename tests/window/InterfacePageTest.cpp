// The interface page over the real port component: pseudo-terminals stand in
// for the ports, the apply button opens and closes them.
#include <QComboBox>
#include <QLabel>
#include <unistd.h>

#include <filesystem>
#include <QLineEdit>
#include <QRadioButton>
#include <QTabWidget>
#include <QToolButton>

#include "WindowTestSupport.h"
#include "serial/InterfacePorts.h"
#include "window/RadioGroup.h"

namespace {

class InterfacePageTest : public PortPageTest {
 protected:
  void StopDemoIfAny() { ASSERT_FALSE(frm->DemoRunning()); }
};

TEST_F(InterfacePageTest, PageHasTheControlsAndShotLooksRight) {
  for (const char* name : {"grpArt", "rgrpA", "rgrpH", "ImagMini", "grpSSA", "grpSSB", "panUSB", "grpUSB", "panSeriell",
                           "spBaud", "spBaudA", "spBaudB", "grpBaud", "edOtherBaud", "grpDaten", "grpStop",
                           "grpParitaet", "grpFluss", "grpFlowSignals", "chkSound", "chkCTSDSR", "chkError", "btnOK1",
                           "Label3", "panSprache"})
    EXPECT_NE(frm->findChild<QWidget*>(QLatin1String(name)), nullptr) << name;
  auto* page = frm->findChild<QTabWidget*>(QStringLiteral("Page"));
  page->setCurrentIndex(1);
  Find<QRadioButton>("rgrpD")->setChecked(true);
  QCoreApplication::processEvents();
  if (const char* out = std::getenv("TAMARIK_SHOT")) frm->grab().save(QString::fromLocal8Bit(out));
}

}  // namespace

namespace {

std::size_t CountEntries(const char* dir) {
  std::size_t n = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir)) ++n;
  return n;
}

bool Relayed(TPseudoTerminal& from, TPseudoTerminal& to, const std::string& text) {
  from.WriteAll(text.data(), text.size());
  std::string got;
  return WaitFor([&] {
    char buffer[256];
    const ssize_t n = ::read(to.Master(), buffer, sizeof buffer);
    if (n > 0) got.append(buffer, static_cast<std::size_t>(n));
    return got.find(text) != std::string::npos;
  });
}

TEST_F(InterfacePageTest, ApplyOpensBothPortsRelaysAndTrennenCyclesLeaveNothingBehind) {
  StopDemoIfAny();
  Find<QRadioButton>("rgrpE")->setChecked(true);
  TypePort("cbxSSA", lineA.SlaveName());
  TypePort("cbxSSB", "/dev/" + lineB.SlaveName());
  EXPECT_EQ(Find<QLabel>("lbA")->text().toStdString(), lineA.SlaveName());
  EXPECT_EQ(Find<QCheckBox>("chkFlowSignalsRTSB")->text().toStdString(), "RTS " + lineB.SlaveName());
  // The ports' threads start with their first session and idle between
  // sessions; from then on a cycle must not add a thread or a descriptor.
  std::size_t fds = 0, tasks = 0;
  for (int cycle = 0; cycle < 4; ++cycle) {
    if (cycle == 1) {
      fds = CountEntries("/proc/self/fd");
      tasks = CountEntries("/proc/self/task");
    }
    Button("btnOK1")->click();
    ASSERT_EQ(Caption(), QStringLiteral("Trennen")) << frm->StatusMessage().toStdString();
    EXPECT_EQ(Find<QLabel>("Label3")->text(), QStringLiteral("=> Schnittstelle schliessen"));
    EXPECT_TRUE(frm->Ports().PortA().Opened());
    EXPECT_TRUE(frm->Ports().PortB().Opened());
    EXPECT_EQ(frm->Pipeline().Options().WorkMode, 200);
    EXPECT_TRUE(frm->Pipeline().Options().RelayPorts);
    EXPECT_EQ(frm->ActiveWorkMode(), 200);
    const std::string n = std::to_string(cycle);
    EXPECT_TRUE(Relayed(lineA, lineB, "to the PLC " + n + "\n"));
    EXPECT_TRUE(Relayed(lineB, lineA, "to the PC " + n + "\n"));
    Button("btnOK1")->click();  // "Trennen"
    EXPECT_FALSE(frm->Ports().PortA().Opened());
    EXPECT_FALSE(frm->Ports().PortB().Opened());
    EXPECT_EQ(Caption(), QStringLiteral("Übernehmen"));
  }
  EXPECT_EQ(CountEntries("/proc/self/fd"), fds);
  EXPECT_TRUE(WaitFor([&] { return CountEntries("/proc/self/task") == tasks; }));
}

TEST_F(InterfacePageTest, SamePortForAAndBIsRefusedAndNothingIsClosed) {
  StopDemoIfAny();
  TypePort("cbxSSA", lineA.SlaveName());
  TypePort("cbxSSB", lineB.SlaveName());
  Find<QRadioButton>("rgrpE")->setChecked(true);
  Button("btnOK1")->click();
  ASSERT_TRUE(frm->Ports().PortA().Opened());
  Find<QRadioButton>("rgrpD")->setChecked(true);
  TypePort("cbxSSB", lineA.SlaveName());
  Button("btnOK1")->click();
  EXPECT_EQ(frm->StatusMessage(), QStringLiteral("Schnittstelle A und B müssen unterschiedlich sein!"));
  EXPECT_TRUE(frm->Ports().PortA().Opened()) << "nothing is closed";
  EXPECT_TRUE(frm->Ports().PortB().Opened());
}

TEST_F(InterfacePageTest, PortBFailingInModeEKeepsTheButtonOnApply) {
  StopDemoIfAny();
  TypePort("cbxSSA", lineA.SlaveName());
  TypePort("cbxSSB", lineB.SlaveName());
  const std::string nameB = lineB.SlaveName();
  lineB.Close();  // the device is gone by the time the user applies
  Find<QRadioButton>("rgrpE")->setChecked(true);
  Button("btnOK1")->click();
  EXPECT_TRUE(frm->Ports().PortA().Opened());
  EXPECT_FALSE(frm->Ports().PortB().Opened());
  EXPECT_EQ(Caption(), QStringLiteral("Übernehmen"));
  EXPECT_TRUE(frm->StatusMessage().contains(QString::fromStdString("\"" + nameB + "\"")))
      << frm->StatusMessage().toStdString();
}

TEST_F(InterfacePageTest, ApplyStopsTheDemoAndUsbWithoutABoxSaysSo) {
  frm->StartDemo();
  ASSERT_TRUE(frm->DemoRunning());
  Find<QRadioButton>("rgrpG")->setChecked(true);
  Button("btnOK1")->click();
  EXPECT_FALSE(frm->DemoRunning());
  EXPECT_EQ(frm->StatusMessage(), QStringLiteral("USB - Gerätefehler, Vodezedevi nicht korrekt angeschlossen!"));
  EXPECT_TRUE(Button("btnOK1")->isEnabled()) << "the start can be tried again";
  EXPECT_FALSE(frm->Ports().AnyOpen());
  EXPECT_EQ(frm->WorkMode(), 410);
}

TEST_F(InterfacePageTest, LineSettingControlsFollowTheRules) {
  auto* grpBaud = Find<TRadioGroup>("grpBaud");
  Find<QRadioButton>("rgrpE")->setChecked(true);
  const int nine600 = static_cast<int>(grpBaud->Items().indexOf(QStringLiteral("9600")));
  grpBaud->Button(nine600)->click();
  Find<QRadioButton>("rgrpG")->setChecked(true);
  EXPECT_EQ(grpBaud->Item(1), QStringLiteral("Messen"));
  EXPECT_EQ(grpBaud->Item(grpBaud->ItemIndex()), QStringLiteral("9600"));
  Find<QRadioButton>("rgrpE")->setChecked(true);
  EXPECT_EQ(grpBaud->Item(grpBaud->ItemIndex()), QStringLiteral("9600"));

  auto* grpDaten = Find<TRadioGroup>("grpDaten");
  auto* grpStop = Find<TRadioGroup>("grpStop");
  grpDaten->Button(0)->click();
  EXPECT_EQ(grpStop->Item(1), QStringLiteral("1.5"));
  grpDaten->Button(3)->click();
  EXPECT_EQ(grpStop->Item(1), QStringLiteral("2"));

  // Port B's own record: switching to it and back keeps both records apart.
  Find<QToolButton>("spBaudB")->click();
  grpBaud->Button(static_cast<int>(grpBaud->Items().indexOf(QStringLiteral("19200"))))->click();
  Find<QToolButton>("spBaudA")->click();
  EXPECT_EQ(grpBaud->Item(grpBaud->ItemIndex()), QStringLiteral("9600"));
  EXPECT_EQ(grpBaud->Item(frm->PortSettings().PortBSettings.Baudrate), QStringLiteral("19200"));

  // "Andere" without a rate is refused before anything is closed.
  Find<QRadioButton>("rgrpA")->setChecked(true);
  grpBaud->Button(0)->click();
  EXPECT_TRUE(Find<QLineEdit>("edOtherBaud")->isEnabled());
  Button("btnOK1")->click();
  EXPECT_EQ(frm->StatusMessage(), QStringLiteral("Sie müssen eine Baudrate eingeben!"));
}

}  // namespace
