// Bulk and interrupt transfers through the driver's read/write codes to the
// emulated chip, with a small firmware that echoes endpoint 2 OUT to
// endpoint 2 IN, each byte plus one.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

#include "EzUsbDevice.h"
#include "TamarikUsb.h"

using namespace tamarikusb;

namespace {

// Arms OUT2; waits for a packet and for IN2 to be free; copies the packet
// to IN2BUF adding one to each byte (MOVX @Ri paged by MPAGE); arms IN2
// with the count and OUT2 again.
const std::vector<uint8_t> kEchoFirmware = {
    0x90, 0x7F, 0xC9,        // 0000 mov dptr,#OUT2BC
    0xF0,                    // 0003 movx @dptr,a
    0x90, 0x7F, 0xC8,        // 0004 mov dptr,#OUT2CS
    0xE0,                    // 0007 movx a,@dptr
    0x20, 0xE1, 0xF9,        // 0008 jb acc.1,0004
    0x90, 0x7F, 0xB8,        // 000B mov dptr,#IN2CS
    0xE0,                    // 000E movx a,@dptr
    0x20, 0xE1, 0xF9,        // 000F jb acc.1,000B
    0x90, 0x7F, 0xC9,        // 0012 mov dptr,#OUT2BC
    0xE0,                    // 0015 movx a,@dptr
    0xFF,                    // 0016 mov r7,a
    0xFE,                    // 0017 mov r6,a
    0x78, 0xC0,              // 0018 mov r0,#0C0h
    0x79, 0x00,              // 001A mov r1,#0
    0x60, 0x0D,              // 001C jz 002B
    0x75, 0x92, 0x7D,        // 001E mov MPAGE,#7Dh
    0xE2,                    // 0021 movx a,@r0
    0x04,                    // 0022 inc a
    0x75, 0x92, 0x7E,        // 0023 mov MPAGE,#7Eh
    0xF3,                    // 0026 movx @r1,a
    0x08,                    // 0027 inc r0
    0x09,                    // 0028 inc r1
    0xDF, 0xF3,              // 0029 djnz r7,001E
    0x90, 0x7F, 0xB9,        // 002B mov dptr,#IN2BC
    0xEE,                    // 002E mov a,r6
    0xF0,                    // 002F movx @dptr,a
    0x90, 0x7F, 0xC9,        // 0030 mov dptr,#OUT2BC
    0xF0,                    // 0033 movx @dptr,a
    0x80, 0xCE,              // 0034 sjmp 0004
};

// Pipe numbers in the order of the configuration descriptor.
constexpr uint32_t kPipeIn2 = 0, kPipeOut2 = 1, kPipeIso = 2, kPipeInterrupt1 = 3;

class EndpointTest : public ::testing::Test {
 protected:
  void SetUp() override {
    chip = AttachEmulated(true, true, false);
    chip->SetEndpointTimeout(std::chrono::milliseconds(2000));
    handle = Open("tamarik-emu-0");
    ASSERT_NE(handle, 0);
    const uint16_t start = 0;
    std::vector<uint8_t> image = kEchoFirmware;
    ASSERT_EQ(Ioctl(handle, ioAnchorDownload, &start, 2, image.data(), image.size(), nullptr), stSuccess);
  }
  void TearDown() override {
    Close(handle);
    DetachAllEmulated();
  }
  void Run() { WriteByte(kCpucs, 0); }
  void WriteByte(uint16_t address, uint8_t value) {
    const TVendorRequestIn r{0xA0, 0, address, 0, 1, 0, value};
    ASSERT_EQ(Ioctl(handle, ioVendorRequest, &r, sizeof r, nullptr, 0, nullptr), stSuccess);
  }
  uint32_t Write(uint32_t pipe, std::vector<uint8_t> data) {
    return Ioctl(handle, ioBulkWrite, &pipe, 4, data.data(), data.size(), nullptr);
  }
  uint32_t Read(uint32_t pipe, std::vector<uint8_t>& data) {
    size_t info = 0;
    const uint32_t status = Ioctl(handle, ioBulkRead, &pipe, 4, data.data(), data.size(), &info);
    data.resize(info);
    return status;
  }
  std::shared_ptr<TEzUsbDevice> chip;
  THandle handle = 0;
};

TEST_F(EndpointTest, FirmwareEchoesPacketsAndAShortPacketEndsARead) {
  Run();
  ASSERT_EQ(Write(kPipeOut2, {1, 2, 3}), stSuccess);
  std::vector<uint8_t> back(64);
  ASSERT_EQ(Read(kPipeIn2, back), stSuccess);
  EXPECT_EQ(back, (std::vector<uint8_t>{2, 3, 4}));

  // 130 bytes go as 64 + 64 + 2; one read of 200 gathers them and stops at
  // the short packet. The writer blocks until the firmware re-arms OUT2,
  // so it runs beside the reader.
  std::vector<uint8_t> data(130);
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i * 3);
  uint32_t written = 0;
  std::thread writer([&] { written = Write(kPipeOut2, data); });
  std::vector<uint8_t> all;
  while (all.size() < data.size()) {
    std::vector<uint8_t> part(200);
    if (Read(kPipeIn2, part) != stSuccess) break;
    all.insert(all.end(), part.begin(), part.end());
  }
  writer.join();
  EXPECT_EQ(written, stSuccess);
  ASSERT_EQ(all.size(), data.size());
  for (size_t i = 0; i < data.size(); ++i) EXPECT_EQ(all[i], static_cast<uint8_t>(data[i] + 1)) << i;
}

TEST_F(EndpointTest, PipesOfTheWrongKindOrDirectionAreRefused) {
  Run();
  std::vector<uint8_t> buffer(8);
  EXPECT_EQ(Read(kPipeOut2, buffer), stInvalidParameter);  // would have sent the buffer
  EXPECT_EQ(Write(kPipeIn2, {1}), stInvalidParameter);
  EXPECT_EQ(Read(kPipeIso, buffer), stInvalidParameter);
  EXPECT_EQ(Read(9, buffer), stInvalidParameter);
  uint16_t shortPipe = 0;
  EXPECT_EQ(Ioctl(handle, ioBulkRead, &shortPipe, 2, buffer.data(), buffer.size(), nullptr), stInvalidParameter);
}

TEST_F(EndpointTest, HeldCoreStalledEndpointAndUnplugEndWaitingTransfers) {
  // Held: no firmware will ever arm the endpoint; the read fails at once
  // and leaves the USB error for the last-error code.
  std::vector<uint8_t> buffer(64);
  EXPECT_EQ(Read(kPipeIn2, buffer), stUnsuccessful);
  uint32_t lastError = 0;
  EXPECT_EQ(Ioctl(handle, ioGetLastError, nullptr, 0, &lastError, 4, nullptr), stSuccess);
  EXPECT_NE(lastError, 0u);

  // The interrupt endpoint is never armed by this firmware: stall it from
  // the firmware side and the read fails instead of waiting.
  Run();
  chip->WithCore([](emu8051::TCore8051& core) {
    core.Xdata()[0x7FB6] |= 0x01;  // IN1CS stall
    return 0;
  });
  std::vector<uint8_t> interrupt(64);
  EXPECT_EQ(Read(kPipeInterrupt1, interrupt), stUnsuccessful);

  // A read waiting for IN2 ends when the chip is unplugged.
  std::thread unplug([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    chip->Unplug();
  });
  std::vector<uint8_t> waiting(64);
  EXPECT_EQ(Read(kPipeIn2, waiting), stUnsuccessful);
  unplug.join();
}

TEST(EndpointRegisterTest, FirmwareOwnsStallAndClearsInterruptBitsByWritingOnes) {
  TEzUsbDevice chip;
  // A program that sets IN2's stall bit and tries to set its busy bit, then
  // clears OUT07IRQ bit 2 by writing 0x04: MOV DPTR / MOV A / MOVX.
  const std::vector<uint8_t> program = {0x90, 0x7F, 0xB8, 0x74, 0x03, 0xF0,   // IN2CS := 3
                                        0x90, 0x7F, 0xAA, 0x74, 0x04, 0xF0,   // OUT07IRQ := 4
                                        0x80, 0xFE};
  uint8_t setIrq = 0x06;
  ASSERT_TRUE(chip.MemoryLoad(false, 0x7FAA, &setIrq, 1));
  std::vector<uint8_t> image = program;
  ASSERT_TRUE(chip.MemoryLoad(false, 0, image.data(), static_cast<uint16_t>(image.size())));
  chip.WithCore([](emu8051::TCore8051& core) {
    core.Reset();
    core.Run(6);
    return 0;
  });
  uint8_t cs = 0, irq = 0;
  ASSERT_TRUE(chip.MemoryLoad(true, 0x7FB8, &cs, 1));
  ASSERT_TRUE(chip.MemoryLoad(true, 0x7FAA, &irq, 1));
  EXPECT_EQ(cs, 0x01);   // stall kept, busy not the firmware's to set
  EXPECT_EQ(irq, 0x02);  // bit 2 cleared, bit 1 kept
}

}  // namespace
