// The chip's I2C master driven through its registers the way firmware
// does, against the EEPROM model, with bus time counted in core cycles.
#include <gtest/gtest.h>

#include <vector>

#include "Eeprom24C.h"
#include "I2cController.h"

using namespace tamarikusb;

namespace {

using C = TI2cController;

class I2cEepromTest : public ::testing::Test {
 protected:
  uint8_t Status() { return bus.ReadRegister(C::kI2cs, now); }
  // Polls I2CS as firmware does, a few cycles per poll.
  uint8_t WaitDone() {
    for (int i = 0; i < 100000; ++i, now += 4)
      if (Status() & C::kDone) return Status();
    ADD_FAILURE() << "DONE never came";
    return 0;
  }
  void WaitStopGone() {
    while (Status() & C::kStop) now += 4;
  }
  bool Address(uint8_t device, bool read) {
    bus.WriteRegister(C::kI2cs, C::kStart, now);
    bus.WriteRegister(C::kI2dat, static_cast<uint8_t>(device << 1 | (read ? 1 : 0)), now);
    return WaitDone() & C::kAck;
  }
  bool Send(uint8_t b) {
    bus.WriteRegister(C::kI2dat, b, now);
    return WaitDone() & C::kAck;
  }
  void Stop() {
    bus.WriteRegister(C::kI2cs, C::kStop, now);
    WaitStopGone();
  }
  bool WriteAt(uint8_t device, uint16_t offset, const std::vector<uint8_t>& data, int addressBytes = 2) {
    if (!Address(device, false)) {
      Stop();
      return false;
    }
    if (addressBytes == 2) Send(static_cast<uint8_t>(offset >> 8));
    Send(static_cast<uint8_t>(offset));
    for (uint8_t b : data) EXPECT_TRUE(Send(b));
    Stop();
    return true;
  }
  // A random read with the LASTRD sequence firmware has to follow.
  std::vector<uint8_t> ReadAt(uint8_t device, uint16_t offset, size_t n) {
    while (!Address(device, false)) {
      Stop();
      now += 100;
    }
    Send(static_cast<uint8_t>(offset >> 8));
    Send(static_cast<uint8_t>(offset));
    return ReadCurrent(device, n);
  }
  std::vector<uint8_t> ReadCurrent(uint8_t device, size_t n) {
    std::vector<uint8_t> out;
    EXPECT_TRUE(Address(device, true));
    bus.ReadRegister(C::kI2dat, now);  // the address byte comes back; starts the first byte
    for (size_t i = 0; i < n; ++i) {
      WaitDone();
      if (i + 2 == n || n == 1) bus.WriteRegister(C::kI2cs, C::kLastRead, now);
      if (i + 1 == n) {
        bus.WriteRegister(C::kI2cs, C::kStop, now);
        out.push_back(bus.ReadRegister(C::kI2dat, now));
      } else {
        out.push_back(bus.ReadRegister(C::kI2dat, now));
      }
    }
    WaitStopGone();
    return out;
  }

  uint64_t now = 1000;
  C bus;
  TEeprom24C rom{k24C64, 0x51};
  void SetUp() override { bus.Attach(&rom); }
};

TEST_F(I2cEepromTest, WrittenBytesReadBackAfterTheWriteCycleAndReadsStopAtTheLastByte) {
  ASSERT_TRUE(WriteAt(0x51, 0x0123, {1, 2, 3, 4, 5}));
  const uint64_t stopAt = now;
  // The part refuses its address until the write cycle is over.
  int refused = 0;
  while (!Address(0x51, false)) {
    Stop();
    ++refused;
  }
  Stop();
  EXPECT_GT(refused, 0);
  EXPECT_GE(now - stopAt, k24C64.writeCycles - 700);
  EXPECT_EQ(ReadAt(0x51, 0x0123, 5), (std::vector<uint8_t>{1, 2, 3, 4, 5}));
  // No extra byte was clocked after the last: the next current read goes on at 0x128.
  rom.Load(0x128, std::vector<uint8_t>{0x77});
  EXPECT_EQ(ReadCurrent(0x51, 1), (std::vector<uint8_t>{0x77}));
  EXPECT_EQ(rom.PageWrites(), 1u);
}

TEST_F(I2cEepromTest, PageWriteWrapsWithinItsPageAndReadsRollOverTheMemory) {
  std::vector<uint8_t> data(34);
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(0xA0 + i);
  ASSERT_TRUE(WriteAt(0x51, 0x003E, data));
  const auto m = rom.Contents();
  EXPECT_EQ(m[0x3E], data[32]);  // written twice: the later byte stays
  EXPECT_EQ(m[0x3F], data[33]);
  EXPECT_EQ(m[0x20], data[2]);
  EXPECT_EQ(m[0x3D], data[31]);
  EXPECT_EQ(m[0x40], 0xFF);  // the next page is untouched
  EXPECT_EQ(m[0x1F], 0xFF);
  rom.Load(0x1FFF, std::vector<uint8_t>{0x11});
  rom.Load(0, std::vector<uint8_t>{0x22});
  EXPECT_EQ(ReadAt(0x51, 0x1FFF, 2), (std::vector<uint8_t>{0x11, 0x22}));
}

TEST_F(I2cEepromTest, DoneRisesOnlyAfterTheBusTime) {
  bus.WriteRegister(C::kI2cs, C::kStart, now);
  bus.WriteRegister(C::kI2dat, 0x51 << 1, now);
  const uint64_t byteTime = 10 * bus.BitCycles();  // start plus nine clocks
  EXPECT_FALSE(bus.ReadRegister(C::kI2cs, now + byteTime - 1) & C::kDone);
  EXPECT_TRUE(bus.ReadRegister(C::kI2cs, now + byteTime) & C::kDone);
  bus.WriteRegister(C::kI2cMode, 1, now);  // 400 kHz
  EXPECT_EQ(bus.BitCycles() * 4, byteTime / 10);
}

TEST_F(I2cEepromTest, AbsentDeviceAndStuckBusAreReported) {
  EXPECT_FALSE(Address(0x52, false));
  EXPECT_FALSE(Status() & C::kBusError);
  Stop();
  bus.SetBusFault(true);
  EXPECT_FALSE(Address(0x51, false));
  EXPECT_TRUE(Status() & C::kBusError);
  Stop();
  bus.SetBusFault(false);
  EXPECT_TRUE(Address(0x51, false));
  EXPECT_FALSE(Status() & C::kBusError);
  Stop();
}

TEST_F(I2cEepromTest, OneByteAddressPartTakesTheBlockFromTheDeviceAddress) {
  TEeprom24C small{k24C16, 0x50};
  bus.Detach(&rom);
  bus.Attach(&small);
  ASSERT_TRUE(WriteAt(0x55, 0x10, {0xAB, 0xCD}, 1));
  EXPECT_EQ(small.Contents()[0x510], 0xAB);
  EXPECT_EQ(small.Contents()[0x511], 0xCD);
  EXPECT_FALSE(Address(0x58, false));  // outside its eight blocks
  Stop();
}

}  // namespace
