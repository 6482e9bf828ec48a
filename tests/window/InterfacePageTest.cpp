// The interface page over the real port component: pseudo-terminals stand in
// for the ports, the apply button opens and closes them.
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTabWidget>
#include <QToolButton>

#include "WindowTestSupport.h"
#include "serial/InterfacePorts.h"
#include "serial/PseudoTerminal.h"
#include "window/RadioGroup.h"

namespace {

class InterfacePageTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    ASSERT_EQ(lineA.Open(), 0);
    ASSERT_EQ(lineB.Open(), 0);
  }
  // Types a port name into a list the way a user does.
  void TypePort(const char* list, const std::string& name) {
    auto* box = Find<QComboBox>(list);
    box->setEditText(QString::fromStdString(name));
    emit box->lineEdit()->editingFinished();
  }
  QString Caption() const { return Button("btnOK1")->text(); }

  TPseudoTerminal lineA, lineB;
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
