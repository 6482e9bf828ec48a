// The program's access layer against emulated chips: the name scan, block
// reads, downloads, the request cycle's close step and recovery after a
// device was unplugged and plugged in again.
#include <gtest/gtest.h>

#include <thread>

#include "EZUSB.h"
#include "EzUsbDevice.h"

using namespace tamarikusb;

namespace {

class EzUsbTest : public ::testing::Test {
 protected:
  void TearDown() override {
    usb.UsbClose();
    DetachAllEmulated();
  }
  TEzUsb usb;
};

TEST_F(EzUsbTest, ScanOpensTheFirstPresentName) {
  auto first = AttachEmulated(true, false);
  auto second = AttachEmulated(true, false);
  usb.UsbDeviceName = "\\\\.\\tamarik-5";
  EXPECT_TRUE(usb.UsbOpen());
  EXPECT_EQ(usb.UsbDeviceName, "\\\\.\\tamarik-0");
  usb.UsbClose();
  DetachEmulated(first);
  EXPECT_TRUE(usb.UsbOpen());
  EXPECT_EQ(usb.UsbDeviceName, "\\\\.\\tamarik-1");
}

TEST_F(EzUsbTest, FixedNameIsTheOnlyOneTried) {
  auto chip = AttachEmulated(true, false);
  usb.UsbFixedName = true;
  usb.UsbDeviceName = "\\\\.\\ezusb-0";
  EXPECT_FALSE(usb.UsbOpen());
  EXPECT_TRUE(usb.UsbError);
  EXPECT_EQ(usb.UsbDeviceName, "\\\\.\\ezusb-0");
  auto bare = AttachEmulated(false, false);
  EXPECT_TRUE(usb.UsbOpen());
}

TEST_F(EzUsbTest, BlockReadsDownloadsAndSingleBytes) {
  auto chip = AttachEmulated(true, false);
  for (int i = 0; i < 8192; ++i) usb.UsbDownloadBuffer[i] = static_cast<uint8_t>(i * 7);
  usb.UsbDownload(0, 8192);
  EXPECT_FALSE(usb.UsbError);
  EXPECT_EQ(chip->TakeWriteLog().size(), 128u);
  EXPECT_EQ(usb.UsbReadRamBlock(0, 8192), 8192);
  EXPECT_EQ(usb.UsbReadBuffer, usb.UsbDownloadBuffer);
  EXPECT_TRUE(usb.UsbWriteRam(0x0100, 0xA5));
  EXPECT_EQ(usb.UsbReadRam(0x0100), 0xA5);
  EXPECT_EQ(usb.UsbReadRamSmall(0x0100, 3), 3);
  EXPECT_EQ(usb.UsbSmallBuffer[0], 0xA5);
  EXPECT_EQ(usb.UsbReadRamSmall(0x0100, 257), 0) << "more than the buffer holds is never asked for";
  uint16_t major = 0, minor = 0, build = 0;
  EXPECT_TRUE(usb.UsbGetDriverVersion(major, minor, build));
  EXPECT_EQ(major * 100000 + minor * 10000 + build, 100000 + 10000 + 14869);
  EXPECT_TRUE(usb.Hold8051());
  EXPECT_TRUE(chip->Held());
  usb.Run8051();
  EXPECT_FALSE(chip->Held());
}

TEST_F(EzUsbTest, CloseRequestClosesAfterTheNextRequest) {
  auto chip = AttachEmulated(true, false);
  EXPECT_TRUE(usb.UsbWriteRam(0, 1));
  EXPECT_TRUE(usb.IsOpen());
  usb.UsbCloseRequest = true;
  EXPECT_TRUE(usb.UsbWriteRam(0, 2));
  EXPECT_FALSE(usb.IsOpen());
  EXPECT_FALSE(usb.UsbCloseRequest);
}

TEST_F(EzUsbTest, UnplugFailsOneRequestAndReplugIsFoundByTheNext) {
  auto chip = AttachEmulated(true, false);
  EXPECT_TRUE(usb.UsbWriteRam(0x10, 0x42));
  DetachEmulated(chip);
  EXPECT_FALSE(usb.UsbWriteRam(0x10, 0x43));
  EXPECT_TRUE(usb.UsbError);
  EXPECT_FALSE(usb.IsOpen());
  EXPECT_FALSE(usb.UsbReopen());
  auto again = AttachEmulated(true, false);
  EXPECT_TRUE(usb.UsbWriteRam(0x10, 0x44));
  EXPECT_FALSE(usb.UsbError);
  EXPECT_EQ(usb.UsbReadRam(0x10), 0x44);
}

TEST_F(EzUsbTest, RequestCyclesOfTwoThreadsNeverOverlap) {
  auto chip = AttachEmulated(true, false);
  std::thread other([&] {
    for (int i = 0; i < 300; ++i) usb.UsbWriteRam(0x200, static_cast<uint8_t>(i));
  });
  int reads = 0;
  for (int i = 0; i < 300; ++i) reads += usb.UsbReadRamBlock(0x0000, 512) == 512;
  other.join();
  EXPECT_EQ(reads, 300);
  EXPECT_FALSE(usb.UsbError);
  EXPECT_EQ(usb.UsbReadRam(0x200), 299 & 0xFF);
}

}  // namespace
