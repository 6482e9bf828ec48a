// The window's own USB monitor: the demo box's conversation in the trace and
// single-buffer stepping from the page, and mode G applied on the interface
// page with and without a box.
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

#include "EZUSB.h"
#include "EmulatedBox.h"
#include "EzUsbDevice.h"
#include "TamarikUsb.h"
#include "USB.h"
#include "WindowTestSupport.h"
#include "core/InterfaceConfig.h"
#include "window/RadioGroup.h"

namespace {

class UsbMonitorWindowTest : public StartedWindowTest {
 protected:
  void SetUp() override {
    EzUsb().UsbClose();
    EzUsb().UsbError = false;
    Start({}, "[FrmMain]\r\nSprache=0\r\n");
  }
  void TearDown() override {
    frm.reset();
    EzUsb().UsbClose();
    tamarikusb::DetachAllEmulated();
    EzUsb().UsbDeviceName = "\\\\.\\tamarik-0";
    EzUsb().UsbFixedName = false;
    EzUsb().UsbError = false;
    WindowTest::TearDown();
  }
  bool TraceHas(const char* text) const { return Pane()->Text().contains(QLatin1String(text)); }
  void ChooseUsbMode(const QString& rate) {
    Find<QRadioButton>("rgrpG")->click();
    auto* baud = Find<TRadioGroup>("grpBaud");
    const int item = static_cast<int>(baud->Items().indexOf(rate));
    ASSERT_GE(item, 0) << baud->Items().join(',').toStdString();
    baud->Button(item)->click();
  }
};

TEST_F(UsbMonitorWindowTest, DemoBoxShowsBothSidesAndEachStepLetsExactlyOneBufferThrough) {
  frm->StartUsbDemo();
  ASSERT_TRUE(frm->UsbDemoRunning());
  EXPECT_TRUE(Find<QRadioButton>("rgrpG")->isChecked());
  EXPECT_EQ(frm->WorkMode(), 410);
  TUSBTamarik& monitor = frm->UsbMonitor();
  EXPECT_TRUE(monitor.Active());
  ASSERT_TRUE(WaitFor([&] { return TraceHas("[STX]RD[ ]DB10.DBW") && TraceHas("[STX]DB10.DBW00="); }))
      << Pane()->Text().toStdString();
  // The window's timer shows the pass count once the monitor has counted a second.
  EXPECT_TRUE(WaitFor([&] { return Find<QLabel>("lbUSB")->text() != QStringLiteral("-"); }));

  Check("chkUSBStop")->click();
  // The buffer under way when the box was checked still goes through.
  ASSERT_TRUE(WaitFor([&] { return !monitor.StepAllowed; }));
  for (int step = 0; step < 2; ++step) {
    const uint64_t held = monitor.BuffersDecoded();
    Button("btnUSBEinzel")->click();
    ASSERT_TRUE(WaitFor([&] { return !monitor.StepAllowed; }));
    EXPECT_EQ(monitor.BuffersDecoded(), held + 1);
  }
  const uint64_t held = monitor.BuffersDecoded();
  Check("chkUSBStop")->click();
  EXPECT_TRUE(WaitFor([&] { return monitor.BuffersDecoded() > held + 4; }));
}

TEST_F(UsbMonitorWindowTest, CanDemoShowsTheBusFramesInTheTrace) {
  frm->StartCanDemo();
  ASSERT_TRUE(frm->UsbDemoRunning());
  EXPECT_EQ(frm->WorkMode(), 440);
  EXPECT_TRUE(frm->UsbMonitor().Active());
  EXPECT_EQ(frm->UsbMonitor().FirmwareType.load(), 2);
  ASSERT_TRUE(WaitFor([&] { return TraceHas("ID11:      100     DLC: 8 > ") && TraceHas("ID29: 18FEF100     DLC: 8 > "); }))
      << Pane()->Text().toStdString();
}

TEST_F(UsbMonitorWindowTest, ModeGStartsTheMonitorOnTheBoxOrReportsAMissingOne) {
  auto chip = tamarikusb::AttachEmulated(true, true, false);
  ChooseUsbMode(QStringLiteral("9600"));
  Button("btnOK1")->click();
  TUSBTamarik& monitor = frm->UsbMonitor();
  ASSERT_TRUE(monitor.Active()) << frm->StatusMessage().toStdString();
  EXPECT_EQ(monitor.FirmwareType.load(), 0);
  EXPECT_FALSE(Button("btnOK1")->isEnabled()) << "nothing to disconnect by hand in a USB mode";
  EXPECT_EQ(EzUsb().UsbReadRam(0x101), 0x00);
  EXPECT_EQ(EzUsb().UsbReadRam(0x102), 691200 / 9600) << "input 1's divisor";
  EXPECT_TRUE(Find<QFrame>("shUSBOK")->styleSheet().contains("lime"));

  // Another mode switches the monitor off; without a box the start fails
  // and OK can be pressed again.
  Find<QRadioButton>("rgrpA")->click();
  Button("btnOK1")->click();
  EXPECT_FALSE(monitor.Active());
  tamarikusb::DetachAllEmulated();
  EzUsb().UsbClose();
  ChooseUsbMode(QStringLiteral("9600"));
  Button("btnOK1")->click();
  EXPECT_FALSE(monitor.Active());
  EXPECT_TRUE(Button("btnOK1")->isEnabled());
  EXPECT_EQ(frm->StatusMessage().toStdString(), "USB - Gerätefehler, Vodezedevi nicht korrekt angeschlossen!");
  EXPECT_TRUE(Find<QFrame>("shUSBOK")->styleSheet().contains("red"));
}

TEST_F(UsbMonitorWindowTest, ACanModeTakesTheChosenBitRateAndRefusesOneTheControllerCannotGive) {
  TEmulatedBox box;
  Find<QRadioButton>("rgrpG")->click();
  auto* modes = Find<TRadioGroup>("grpUSB");
  for (int i = 0; i < modes->Count(); ++i)
    if (UsbWorkModeAt(i) == 440) modes->Button(i)->click();
  ChooseUsbMode(QStringLiteral("800000"));
  Button("btnOK1")->click();
  EXPECT_FALSE(frm->UsbMonitor().Active());
  EXPECT_TRUE(Button("btnOK1")->isEnabled());
  // A fresh CAN page has no timing registers: the rate sets them.
  ChooseUsbMode(QStringLiteral("500000"));
  Button("btnOK1")->click();
  ASSERT_TRUE(frm->UsbMonitor().Active()) << frm->StatusMessage().toStdString();
  EXPECT_EQ(EzUsb().UsbReadRam(0x101), 0x00);
  EXPECT_EQ(EzUsb().UsbReadRam(0x102), 0x27);
  EXPECT_EQ(Find<QLineEdit>("edCANBTR1")->text(), QStringLiteral("27"));
}

}  // namespace
