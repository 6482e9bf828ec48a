// Mode F on the interface page: the window as the viewer of a capture
// instance over loopback.
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTcpServer>

#include "WindowTestSupport.h"
#include "net/RemoteCoupling.h"
#include "core/ReceiveRing.h"

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
