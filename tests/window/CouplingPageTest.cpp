// Mode F on the interface page: the window as the viewer of a capture
// instance over loopback.
#include <QAction>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTcpServer>

#include "../core/TempDir.h"
#include "WindowTestSupport.h"
#include "core/ReceiveRing.h"
#include "core/Startup.h"
#include "net/RemoteCoupling.h"
#include "serial/InterfacePorts.h"
#include "serial/PseudoTerminal.h"
#include "window/fSend.h"

namespace {

int FreeNumber() {
  QTcpServer probe;
  probe.listen(QHostAddress::LocalHost, 0);
  return probe.serverPort();
}

}  // namespace

TEST_F(WindowTest, ModeFShowsWhatTheCaptureInstanceReceives) {
  // The capture instance: first for its port, so the window does not listen.
  ReceiveRing boxRing;
  TRemoteCoupling box(boxRing);
  const TCouplingSettings settings{"127.0.0.1", FreeNumber(), true, "127.0.0.1", ""};
  box.Start(settings, false);
  box.SetWorkMode(200, false);
  ASSERT_TRUE(box.Listening());
  frm->StartTcp(settings);
  EXPECT_FALSE(frm->Coupling().Listening());

  Find<QRadioButton>("rgrpF")->setChecked(true);
  EXPECT_FALSE(Find<QLineEdit>("edIP")->isHidden());
  Find<QLineEdit>("edIP")->setText(QStringLiteral("127.0.0.1"));
  Check("chkIPSend")->setChecked(true);
  frm->chkIPSendClick();
  Button("btnOK1")->click();
  EXPECT_EQ(frm->ActiveWorkMode(), 300);
  EXPECT_FALSE(Button("btnOK1")->isEnabled());
  ASSERT_TRUE(WaitFor([&] { return box.Peers().size() == 1 && frm->Coupling().TcpClnt.Registered(); }));
  EXPECT_EQ(Find<QFrame>("shIPOK")->property("lamp").toInt(), lampGreen);
  EXPECT_EQ(Find<QLabel>("lbIPPeerList")->text(), QStringLiteral("127.0.0.1"));

  for (char c : std::string("TCP")) {
    TSeriellData r;
    r.Count = 1;
    r.Data[0] = static_cast<std::uint8_t>(c);
    r.Dir = dirPortA;
    boxRing.Put(r);
  }
  int start = 0;
  const int n = boxRing.ReadyBatch(start);
  box.Forward(boxRing, start, n);
  ASSERT_TRUE(WaitFor([&] { return Pane()->Text().contains(QStringLiteral("TCP")); }));

  // Leaving mode F lets the box go; the lamp goes back to yellow.
  Find<QRadioButton>("rgrpA")->setChecked(true);
  EXPECT_TRUE(Find<QLineEdit>("edIP")->isHidden());
  frm->Coupling().DisconnectClient();
  ASSERT_TRUE(WaitFor([&] { return box.Peers().isEmpty(); }));
  EXPECT_EQ(Find<QFrame>("shIPOK")->property("lamp").toInt(), lampYellow);
}

namespace {

int Lamp(const TFrmMain& frm) { return frm.findChild<QFrame*>(QStringLiteral("shIPOK"))->property("lamp").toInt(); }

}  // namespace

TEST_F(WindowTest, LampShowsButtonFaceOnlyWhenTheCouplingIsNotInUse) {
  TPseudoTerminal line;
  ASSERT_EQ(line.Open(), 0);
  auto* port = Find<QComboBox>("cbxSSA");
  port->setEditText(QString::fromStdString(line.SlaveName()));
  emit port->lineEdit()->editingFinished();
  Find<QRadioButton>("rgrpA")->setChecked(true);
  Find<QLineEdit>("edIP")->setText(QStringLiteral("192.0.2.7"));

  Check("chkIPSend")->setChecked(true);
  frm->chkIPSendClick();
  Button("btnOK1")->click();
  ASSERT_TRUE(frm->Ports().PortA().Opened()) << frm->StatusMessage().toStdString();
  EXPECT_EQ(Lamp(*frm), lampYellow) << "still meant to send to a viewer";

  Button("btnOK1")->click();  // "Trennen"
  Check("chkIPSend")->setChecked(false);
  frm->chkIPSendClick();
  Button("btnOK1")->click();
  ASSERT_TRUE(frm->Ports().PortA().Opened());
  EXPECT_EQ(Lamp(*frm), lampButtonFace);
}

// The viewer takes its data from the peer and has no port of its own open:
// the trace's send entry is not offered, and an open dialog goes away.
TEST_F(WindowTest, ModeFAsViewerOffersNoSendingAndWithoutChkIPSendSendsOnPortA) {
  Find<QRadioButton>("rgrpF")->setChecked(true);
  Check("chkIPSend")->setChecked(false);
  frm->chkIPSendClick();
  QAction* entry = frm->popDatenSendenAction();
  EXPECT_TRUE(entry->isVisible());
  frm->popDatenSendenClick();
  ASSERT_NE(frm->frmSend(), nullptr);
  TfrmSend& dialog = *frm->frmSend();
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_TRUE(dialog.findChild<QRadioButton*>(QStringLiteral("rbA"))->isVisibleTo(&dialog));

  Check("chkIPSend")->setChecked(true);
  frm->chkIPSendClick();
  EXPECT_FALSE(entry->isVisible());
  EXPECT_FALSE(dialog.isVisible());
  frm->popDatenSendenClick();
  EXPECT_FALSE(dialog.isVisible());
}

TEST(CouplingSettingsTest, TcpKeysGoBackToTheFileAtClose) {
  TTempDir dir;
  const std::string port = std::to_string(FreeNumber());
  TTempDir::Write(dir.File("Tamarik.ini"), "[FrmMain]\nedIP_Text=127.0.0.1\nTCP_Port=" + port +
                                               "\nchkIPSend_Checked=0\nTCP_Bind=127.0.0.1\n"
                                               "TCP_Allow=10.0.0.0/8; 127.0.0.1\n");
  {
    TStartup startup({{}, dir.Path().string(), ""});
    TFrmMain frm(nullptr, &startup);
    frm.show();
    frm.close();
  }
  const std::string written = TTempDir::Read(dir.File("Tamarik.ini"));
  for (const std::string& key : std::vector<std::string>{"edIP_Text=127.0.0.1", "TCP_Port=" + port, "chkIPSend_Checked=0",
                                                         "TCP_Bind=127.0.0.1", "TCP_Allow=10.0.0.0/8; 127.0.0.1"})
    EXPECT_NE(written.find(key), std::string::npos) << key << "\n" << written;
}
