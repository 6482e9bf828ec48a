// Behaviour of the core that the reference simulator cannot check: where it
// differs from the hardware (bank switching by bit writes, serial bit times)
// and the EZ-USB core's own additions.
#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <vector>

#include "Core8051.h"

using emu8051::TCore8051;
using emu8051::TMemoryModel;
namespace sfr = emu8051::sfr;

namespace {

class CoreTest : public ::testing::Test, public emu8051::TSerialSink {
 protected:
  void Load(std::initializer_list<uint8_t> code, uint16_t at = 0) {
    std::memcpy(core.Code() + at, code.begin(), code.size());
  }
  void SerialOut(int uart, uint16_t frame) override { sent.push_back({uart, frame, core.Cycles()}); }
  struct TSent {
    int uart;
    uint16_t frame;
    uint64_t cycle;
  };
  TCore8051 core{TMemoryModel::Unified};
  std::vector<TSent> sent;
};

TEST_F(CoreTest, BankBitWritesSwitchRegistersAtOnce) {
  // mov 0x0f,#0x17; setb RS0; mov a,r7
  Load({0x75, 0x0F, 0x17, 0xD2, 0xD3, 0xEF});
  core.Run(3);
  EXPECT_EQ(core.ReadSfr(sfr::ACC), 0x17);
  EXPECT_EQ(core.ReadSfr(sfr::PSW) & 0x01, 0);  // 0x17 has an even number of ones
}

TEST_F(CoreTest, Mode1FromTimer1TakesTenBitsOfThirtyTwoOverflows) {
  core.SetSerialSink(this);
  // mov tmod,#0x20; mov th1,#0xfd; mov tl1,#0xfd; setb tr1; mov scon,#0x40;
  // mov sbuf,#0x41; sjmp $
  Load({0x75, 0x89, 0x20, 0x75, 0x8D, 0xFD, 0x75, 0x8B, 0xFD, 0xD2, 0x8E, 0x75, 0x98, 0x40,
        0x75, 0x99, 0x41, 0x80, 0xFE});
  core.Run(6);
  const uint64_t start = core.Cycles() - 1;  // the write lands after the instruction's first cycle
  core.RunUntilCycle(start + 10 * 32 * 3 + 4);
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].frame, 0x41);
  EXPECT_NEAR(double(sent[0].cycle - start), 960.0, 3.0);
  EXPECT_TRUE(core.ReadSfr(sfr::SCON0) & emu8051::bits::TI);
}

TEST_F(CoreTest, Mode3SendsTheNinthBitAndReceiveHonoursSm2) {
  core.SetSerialSink(this);
  // mov scon,#0xf8 (mode 3, SM2, REN, TB8); mov tmod,#0x20; mov th1,#0xff; setb tr1; mov sbuf,#0x12; sjmp $
  Load({0x75, 0x98, 0xF8, 0x75, 0x89, 0x20, 0x75, 0x8D, 0xFF, 0xD2, 0x8E, 0x75, 0x99, 0x12, 0x80, 0xFE});
  core.Run(5);
  core.Run(2000);
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].frame, 0x112);
  EXPECT_TRUE(core.SerialIn(0, 0x034));  // ninth bit clear: ignored under SM2
  EXPECT_FALSE(core.ReadSfr(sfr::SCON0) & emu8051::bits::RI);
  EXPECT_TRUE(core.SerialIn(0, 0x155));
  EXPECT_EQ(core.ReadSfr(sfr::SBUF0), 0x55);
  EXPECT_EQ(core.ReadSfr(sfr::SCON0) & 0x05, 0x05);   // RB8 and RI
  EXPECT_FALSE(core.SerialIn(0, 0x166));              // RI still set: refused, first byte kept
  EXPECT_EQ(core.ReadSfr(sfr::SBUF0), 0x55);
}

TEST_F(CoreTest, HighPriorityInterruptsALowPriorityHandler) {
  // main: mov ie,#0x83; mov ip,#0x02; setb IE0 (edge via IT0 first); loop
  Load({0x02, 0x00, 0x40}, 0x00);
  Load({0x05, 0x30, 0xD2, 0x8D, 0x00, 0x00, 0x32}, 0x03);  // INT0: inc 0x30; setb TF0; nop; nop; reti
  Load({0x05, 0x31, 0xE5, 0x30, 0xF5, 0x32, 0x32}, 0x0B);  // T0:   inc 0x31; mov 0x32,0x30; reti
  Load({0x75, 0xA8, 0x83, 0x75, 0xB8, 0x02, 0xD2, 0x88, 0xD2, 0x89, 0x80, 0xFE}, 0x40);
  core.Run(40);
  EXPECT_EQ(core.Iram()[0x30], 1);
  EXPECT_EQ(core.Iram()[0x31], 1);
  EXPECT_EQ(core.Iram()[0x32], 1);  // the timer handler ran inside the INT0 handler
  EXPECT_EQ(core.ReadSfr(sfr::SP), 0x07);
}

TEST_F(CoreTest, EzUsbPagesMovxWithMpageAndHasTwoDataPointers) {
  // mov 0x92,#0x12; mov r0,#0x34; mov a,#0x5a; movx @r0,a;
  // mov dptr,#0x0100; inc 0x86 (DPS); mov dptr,#0x0200; movx @dptr,a; dec 0x86; inc dptr
  Load({0x75, 0x92, 0x12, 0x78, 0x34, 0x74, 0x5A, 0xF2, 0x90, 0x01, 0x00, 0x05, 0x86, 0x90, 0x02, 0x00,
        0xF0, 0x15, 0x86, 0xA3});
  core.Run(10);
  EXPECT_EQ(core.Xdata()[0x1234], 0x5A);
  EXPECT_EQ(core.Xdata()[0x0200], 0x5A);
  EXPECT_EQ(core.ReadSfr(sfr::DPL), 0x01);
  EXPECT_EQ(core.ReadSfr(sfr::DPH), 0x01);
  EXPECT_EQ(core.ReadSfr(sfr::DPL1), 0x00);
  EXPECT_EQ(core.ReadSfr(sfr::DPH1), 0x02);
  EXPECT_EQ(core.Code(), core.Xdata());  // one memory for code and data
}

TEST_F(CoreTest, UsbInterruptVectorsToItsExtendedAddress) {
  Load({0x75, 0xA8, 0x80, 0x75, 0xE8, 0x01, 0x80, 0xFE});  // EA; EIE.EUSB; sjmp $
  Load({0x05, 0x30, 0x53, 0x91, 0xEF, 0x32}, 0x43);        // inc 0x30; anl EXIF,#0xef; reti
  core.Run(3);
  core.RaiseUsbInterrupt();
  core.Run(5);
  EXPECT_EQ(core.Iram()[0x30], 1);
  EXPECT_EQ(core.ReadSfr(sfr::EXIF) & emu8051::bits::USBINT, 0);
}

}  // namespace
