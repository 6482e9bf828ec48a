// The programmer against the boot-loader node on the emulated bus, the whole
// way: its telegrams through the send routine and the handshake into our
// "CAN" image, onto the bus, the node's answers back through the image's
// record buffers and the host's decoder to the programmer.
#include <gtest/gtest.h>

#include "BootNodeOnBus.h"
#include "FirmwareRig.h"
#include "UsbDecoder.h"
#include "UsbSendDevice.h"
#include "core/AppFlags.h"
#include "core/ReceiveRing.h"
#include "core/UsbSendHandshake.h"
#include "prog/CanAnswerQueue.h"
#include "prog/ProgFixture.h"

using namespace std::chrono_literals;

namespace {

class BootNodeOnBusTest : public ProgFixture {
 protected:
  void SetUp() override {
    SendAbort = false;
    AppClosing = false;
    // The CAN page's set-up: 750 kbit/s at 12 MHz, everything accepted.
    const std::pair<uint16_t, uint8_t> writes[] = {{0x101, 0x00}, {0x102, 0x14}, {0x103, 0x40}, {0x120, 0},
                                                   {0x121, 0},    {0x122, 0},    {0x123, 0},    {0x125, 0xFF},
                                                   {0x126, 0xFF}, {0x127, 0xFF}, {0x128, 0xFF}, {0x106, 2}};
    for (const auto& [address, value] : writes) rig_.usb.UsbWriteRam(address, value);
    rig_.RunMicroseconds(1000);
    ASSERT_EQ(rig_.usb.UsbReadRam(0x106), 4);
    rig_.Activate();
    rig_.RunPolling(10000, 5000);
    rig_.buffers.clear();
    routine_.SetUsb(&handshake_);
    routine_.SetWorkMode(440, true);
  }

  // What the programmer sent goes out through the box, what the box
  // received comes back as the receive path hands it over.
  void Pump() override {
    while (delivered_ < sent.size())
      ASSERT_TRUE(routine_.DatenSenden(false, sent[delivered_++], false, false, false, false, false, 0, wait_));
    rig_.RunPolling(2000, 1000);
    for (const auto& b : rig_.buffers) DecodeCanBuffer(b, 0, ring_);
    rig_.buffers.clear();
    int start = 0;
    while (const int n = ring_.ReadyBatch(start)) {
      for (int i = 0; i < n; ++i) {
        TCanFrame f;
        if (CanFrameOfRecord(ring_.Slot(start + i), f)) prog.CanFrameReceived(f);
      }
      ring_.Release(n);
    }
  }

  TFirmwareRig rig_{"CAN"};
  TAvrBootNode node_;
  tamarikusb::TBootNodeOnBus onBus_{rig_.board->Can(), node_};
  TEzUsbSendDevice device_{rig_.usb};
  TUsbHandshakeSend handshake_{device_};
  TSendRoutine routine_;
  TSendWait wait_ = [this](int ms) { rig_.RunMicroseconds(static_cast<uint64_t>(ms) * 1000); };
  ReceiveRing ring_;
  std::size_t delivered_ = 0;
};

TEST_F(BootNodeOnBusTest, ConnectEraseAndTransferThroughTheBoxProgramTheNodesFlash) {
  node_.Flash()[5] = 0x00;  // an old program: only an erase makes the byte writable again
  ASSERT_NO_FATAL_FAILURE(ConnectAndErase());

  std::string image;
  for (int i = 0; i < 1500; ++i) image += static_cast<char>(i * 13 + 7);
  const std::string file = dir.File("app.bin");
  TTempDir::Write(file, image);
  prog.btnSendFileClick(file);
  ASSERT_TRUE(RunUntilIdle());
  EXPECT_EQ(prog.View().lbSendOK, "OK");
  // Had the node heard its own answers, their status bytes would have been
  // written as data.
  const auto flash = node_.Flash();
  EXPECT_EQ(std::string(flash.begin(), flash.begin() + 1500), image);
  EXPECT_EQ(flash[1500], 0xFF);
  EXPECT_EQ(handshake_.Repeats(), 0);

  prog.btnStartDevClick();
  Pump();
  EXPECT_TRUE(node_.ApplicationStarted());
}

}  // namespace
