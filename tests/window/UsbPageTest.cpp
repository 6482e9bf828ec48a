// The USB page and the access dialog against an emulated interface, and the
// access layer's wait on the window thread.
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

#include "EZUSB.h"
#include "EzUsbDevice.h"
#include "TamarikUsb.h"
#include "USB.h"
#include "WindowTestSupport.h"
#include "window/FMain_UsbPage.h"
#include "window/RadioGroup.h"
#include "window/fDirAuswahl.h"

using namespace tamarikusb;

namespace {

class UsbPageTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    chip = AttachEmulated(true, false);
    EzUsb().UsbClose();
    EzUsb().UsbDeviceName = "\\\\.\\tamarik-0";
    EzUsb().UsbFixedName = false;
    EzUsb().UsbError = false;
  }
  void TearDown() override {
    EzUsb().UsbClose();
    DetachAllEmulated();
    WindowTest::TearDown();
  }
  QLineEdit* Edit(const char* name) const { return Find<QLineEdit>(name); }
  QString Label(const char* name) const { return Find<QLabel>(name)->text(); }
  QString Status() const { return frm->StatusMessage(); }
  std::shared_ptr<TEzUsbDevice> chip;
};

TEST_F(UsbPageTest, WaitingRequestOnTheWindowThreadKeepsTheWindowAlive) {
  // A request of another thread hangs in the chip until released; the
  // window thread's own request must wait for it and meanwhile run the
  // event that releases it, or it would never end.
  std::atomic<bool> release{false}, releasedByEvent{false}, held{false};
  std::thread holder([&] {
    chip->WithCore([&](emu8051::TCore8051&) {
      held = true;
      const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(20);
      while (!release && std::chrono::steady_clock::now() < giveUp) std::this_thread::sleep_for(std::chrono::milliseconds(1));
      return 0;
    });
  });
  while (!held) std::this_thread::yield();
  std::thread other([] { EzUsb().UsbReadRam(0x100); });
  while (!EzUsb().UsbBusy()) std::this_thread::yield();
  QTimer::singleShot(0, [&] {
    releasedByEvent = true;
    release = true;
  });
  EXPECT_TRUE(EzUsb().UsbWriteRam(0x101, 0x5A));
  EXPECT_TRUE(releasedByEvent);
  other.join();
  holder.join();
  EXPECT_EQ(EzUsb().UsbReadRam(0x101), 0x5A);
}

TEST_F(UsbPageTest, MemoryReadWriteAndVersionThroughThePage) {
  Edit("edUSBAdr")->setText("0100");
  for (const char* value : {"11", "22", "33", "44"}) {
    Edit("edUSBByte")->setText(value);
    Button("btnUSBSendByte")->click();
    Edit("edUSBAdr")->setText(QString::number(Edit("edUSBAdr")->text().toInt(nullptr, 16) + 1, 16));
  }
  Edit("edUSBByte")->setText("1A5");  // the field takes two digits
  Button("btnUSBSendByte")->click();
  Edit("edUSBRAdr")->setText("0100");
  Edit("edUSBRBytes")->setText("4");
  Button("btnUSBReadBytes")->click();
  EXPECT_EQ(Edit("edUSBRead")->text(), "0100:11 22 33 44 1A ");

  Button("btnUSBVerInfo")->click();
  EXPECT_EQ(Label("lbUSBVersion"), "V1.1.3A15");
  EXPECT_EQ(Status(), "Version USB-Treiber: V1.1.3A15");

  Edit("edUSBRBytes")->setText("xyz");
  Button("btnUSBReadBytes")->click();
  EXPECT_EQ(Status(), "Fehler bei der Wandlung von Hex-Zahlen zu Integer");
}

TEST_F(UsbPageTest, FirmwareButtonStartsTheImageAndAMissingBoxTurnsTheLampRed) {
  Button("btnUSBBlinkLED")->click();
  EXPECT_EQ(Status(), "USB - Blinkende LED gestartet.");
  EXPECT_FALSE(chip->Held());
  Button("btnUSBReset")->click();
  EXPECT_TRUE(chip->Held());

  // Unplugged: the first check only closes the handle still open, the
  // version request then fails; the timer turns the lamp red, and the next
  // check finds no device and says so.
  DetachAllEmulated();
  Button("btnUSBVerInfo")->click();
  EXPECT_EQ(Label("lbUSBVersion"), "------");
  EXPECT_TRUE(EzUsb().UsbError);
  frm->UsbPage()->Duty().Tick();
  EXPECT_TRUE(Find<QFrame>("shUSBOK")->styleSheet().contains("red"));
  Button("btnUSBVerInfo")->click();
  EXPECT_EQ(Status(), "USB - Gerätefehler, Vodezedevi nicht korrekt angeschlossen!");

  chip = AttachEmulated(true, false);
  frm->UsbPage()->Duty().Tick();
  EXPECT_TRUE(Find<QFrame>("shUSBOK")->styleSheet().contains("red")) << "still red until a request succeeds";
  Button("btnUSBVerInfo")->click();
  frm->UsbPage()->Duty().Tick();
  EXPECT_TRUE(Find<QFrame>("shUSBOK")->styleSheet().isEmpty()) << "button face: no monitor runs";
}

TEST_F(UsbPageTest, DeviceChoiceSecondInterfaceFailsWithoutScanningAndStepsNeedTheCheckBox) {
  auto* rDev = Find<TRadioGroup>("rDev");
  rDev->Button(3)->click();
  EXPECT_EQ(Status(), "Geräte- Name: Tamarik an USB (2. Gerät)");
  Button("btnUSBVerInfo")->click();
  EXPECT_EQ(Label("lbUSBVersion"), "------") << "only tamarik-0 is attached";
  rDev->Button(2)->click();
  EXPECT_FALSE(Edit("edDev")->isReadOnly());
  rDev->Button(1)->click();
  EXPECT_TRUE(Edit("edDev")->isReadOnly());
  Button("btnUSBVerInfo")->click();
  EXPECT_EQ(Label("lbUSBVersion"), "V1.1.3A15");

  // The page drives the window's own monitor; the stepping itself is
  // checked end to end with the demo box.
  TUSBTamarik& monitor = frm->UsbMonitor();
  EXPECT_FALSE(Button("btnUSBEinzel")->isEnabled());
  Check("chkUSBStop")->click();
  EXPECT_TRUE(monitor.StepMode);
  EXPECT_TRUE(Button("btnUSBEinzel")->isEnabled());
  monitor.StepAllowed = false;
  Button("btnUSBEinzel")->click();
  EXPECT_TRUE(monitor.StepAllowed);
  Check("chkUSBStop")->click();
  EXPECT_FALSE(monitor.StepMode);
}

TEST_F(UsbPageTest, AccessDialogWritesTheRuleOrStaysOnItsPage) {
  TTempDir dir;
  TTempDir::Write(dir.File("plain"), "x");
  TfrmDirAuswahl dialog(frm.get(), QString::fromStdString(dir.File("plain") + "/sub"), QStringLiteral("/nonexistent/rules.d"));
  EXPECT_FALSE(dialog.findChild<QRadioButton*>("rgrpA")->isEnabled()) << "the system folder is not writable";
  WhenDialogShows([](QWidget* box) { box->close(); });
  dialog.btnOKClick();
  EXPECT_FALSE(dialog.OnFinalPage());

  dialog.findChild<QLineEdit*>("edVerz")->setText(QString::fromStdString(dir.File("rules")));
  dialog.btnOKClick();
  ASSERT_TRUE(dialog.OnFinalPage());
  EXPECT_TRUE(std::filesystem::exists(dir.File("rules") + "/60-tamarik.rules"));
  EXPECT_TRUE(dialog.Instructions().contains("udevadm control --reload-rules"));
  EXPECT_TRUE(dialog.Instructions().contains("/nonexistent/rules.d/"));
}

}  // namespace

TEST_F(UsbPageTest, EepromButtonsWriteAFileAndEraseThroughTheServiceProgram) {
  DetachAllEmulated();
  chip = AttachEmulated(false, true, false);  // the bare chip, its core free-running
  TEeprom24C rom{k24C64, 0x51};
  chip->AttachI2c(&rom);
  Find<TRadioGroup>("rDev")->Button(udChip)->click();
  EXPECT_FALSE(Find<QWidget>("panUsbEeprom")->isHidden());

  std::string bytes(300, '\0');
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7 + 3);
  TTempDir::Write(dir.File("box.iic"), bytes);
  frm->UsbPage()->OpenIicDialog = [&](const QString& proposed) {
    EXPECT_TRUE(proposed.endsWith("ProgUSB.iic"));
    return QString::fromStdString(dir.File("box.iic"));
  };
  Button("btnUSBDateiEE")->click();
  EXPECT_EQ(Status(), "Datei ist in EEPROM gespeichert. (300)");
  EXPECT_EQ(std::string(rom.Contents().begin(), rom.Contents().begin() + 300), bytes);
  EXPECT_EQ(rom.Contents()[300], 0xFF);

  Button("btnUSBLoescheEE")->click();
  EXPECT_EQ(Status(), "EEPROM gelöscht.");
  EXPECT_EQ(rom.Contents()[0], 0xFF);
  chip->DetachI2c(&rom);
}
