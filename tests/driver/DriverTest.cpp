// The driver library's control codes against the emulated chip: lengths,
// the 64-byte download split, the write pattern, names, removal.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

#include "EzUsbDevice.h"
#include "IsoStream.h"
#include "TamarikUsb.h"

using namespace tamarikusb;

namespace {

class DriverTest : public ::testing::Test {
 protected:
  void SetUp() override {
    chip = AttachEmulated(true, false);
    handle = Open("\\\\.\\tamarik-0");
    ASSERT_NE(handle, 0);
  }
  void TearDown() override {
    Close(handle);
    DetachAllEmulated();
  }
  uint32_t Vendor(TVendorRequestIn r, void* out = nullptr, size_t outLength = 0, size_t* info = nullptr) {
    return Ioctl(handle, ioVendorRequest, &r, sizeof r, out, outLength, info);
  }
  std::shared_ptr<TEzUsbDevice> chip;
  THandle handle = 0;
};

TEST_F(DriverTest, DownloadsAreSplitIntoMemoryLoadsOf64Bytes) {
  std::vector<uint8_t> data(130);
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(0x80 + i);
  const uint16_t start = 0x0400;
  for (size_t length : {64u, 65u, 130u}) {
    chip->TakeWriteLog();
    EXPECT_EQ(Ioctl(handle, ioAnchorDownload, &start, 2, data.data(), length, nullptr), stSuccess);
    const auto log = chip->TakeWriteLog();
    std::vector<std::pair<uint16_t, uint16_t>> expected;
    for (size_t off = 0; off < length; off += 64)
      expected.emplace_back(static_cast<uint16_t>(start + off), static_cast<uint16_t>(std::min<size_t>(64, length - off)));
    EXPECT_EQ(log, expected) << length << " bytes";
  }
  uint8_t back[130];
  EXPECT_EQ(Vendor({0xA0, 0, start, 0, 130, 1, 0}, back, sizeof back), stSuccess);
  EXPECT_EQ(std::memcmp(back, data.data(), 130), 0);
}

TEST_F(DriverTest, WritesSendByteDataOrTheTestPattern) {
  EXPECT_EQ(Vendor({0xA0, 0, 0x0100, 0, 3, 0, 0x77}), stSuccess);
  EXPECT_EQ(Vendor({0xA0, 0, 0x0200, 0, 1, 0, 0x77}), stSuccess);
  uint8_t b[3] = {};
  size_t info = 99;
  EXPECT_EQ(Vendor({0xA0, 0, 0x0100, 0, 3, 1, 0}, b, 3, &info), stSuccess);
  EXPECT_EQ(info, 3u);
  EXPECT_EQ(std::vector<uint8_t>(b, b + 3), (std::vector<uint8_t>{0, 1, 2}));
  EXPECT_EQ(Vendor({0xA0, 0, 0x0200, 0, 1, 1, 0}, b, 1), stSuccess);
  EXPECT_EQ(b[0], 0x77);
}

TEST_F(DriverTest, VersionAndDescriptors) {
  TDriverVersion v{};
  size_t info = 0;
  EXPECT_EQ(Ioctl(handle, ioGetDriverVersion, nullptr, 0, &v, sizeof v, &info), stSuccess);
  EXPECT_EQ(info, 6u);
  EXPECT_EQ(v.major, 1);
  EXPECT_EQ(v.minor, 1);
  EXPECT_EQ(v.build, 14869);
  uint8_t small[5];
  EXPECT_EQ(Ioctl(handle, ioGetDriverVersion, nullptr, 0, small, 5, &info), stUnsuccessful);
  uint8_t d[18];
  EXPECT_EQ(Ioctl(handle, ioGetDeviceDescriptor, nullptr, 0, d, 18, &info), stSuccess);
  EXPECT_EQ(d[8] | (d[9] << 8), kVendorId);
  EXPECT_EQ(d[10] | (d[11] << 8), kTamarikProductId);
  uint8_t pipes[128];
  EXPECT_EQ(Ioctl(handle, ioGetPipeInfo, nullptr, 0, pipes, sizeof pipes, &info), stSuccess);
  EXPECT_EQ(info, size_t(pipes[0] | (pipes[1] << 8)));
  EXPECT_EQ(pipes[12], 4);  // two bulk pipes, the isochronous source, the interrupt pipe
  const uint8_t stringIn[4] = {0, 0, 0x09, 0x04};
  EXPECT_EQ(Ioctl(handle, ioGetStringDescriptor, stringIn, 4, d, 0, &info), stInvalidParameter);
}

TEST_F(DriverTest, BadRequestsGetTheirStatusAndNothingElse) {
  uint8_t out[16];
  const TVendorRequestIn r{0xA0, 0, 0, 0, 16, 1, 0};
  EXPECT_EQ(Ioctl(handle, ioVendorRequest, &r, 9, out, sizeof out, nullptr), stInvalidParameter);
  EXPECT_EQ(Ioctl(handle, ioVendorRequest, &r, 11, out, sizeof out, nullptr), stInvalidParameter);
  EXPECT_EQ(Vendor({0xA0, 0, 0, 0, 17, 1, 0}, out, sizeof out), stInvalidParameter);  // read beyond the buffer
  EXPECT_EQ(Ioctl(handle, 0x222010, nullptr, 0, nullptr, 0, nullptr), stInvalidParameter);
  const uint16_t a = 0;
  EXPECT_EQ(Ioctl(handle, ioAnchorDownload, &a, 2, out, 0, nullptr), stInvalidParameter);
  EXPECT_EQ(Ioctl(handle, ioAnchorDownload, &a, 1, out, 4, nullptr), stInvalidParameter);
  EXPECT_EQ(Ioctl(handle + 1000, ioGetDriverVersion, nullptr, 0, out, 6, nullptr), stInvalidHandle);
  EXPECT_EQ(chip->TakeWriteLog().size(), 0u);
}

TEST_F(DriverTest, BlockWriteWritesWholeBlocksOnly) {
  std::vector<uint8_t> data(1100, 0x5A);
  EXPECT_EQ(Ioctl(handle, ioBlockWrite512, data.data(), data.size(), nullptr, 0, nullptr), stSuccess);
  const auto log = chip->TakeWriteLog();
  EXPECT_EQ(log, (std::vector<std::pair<uint16_t, uint16_t>>{{0, 512}, {512, 512}}));
}

TEST_F(DriverTest, MemoryLoadServedWhileTheCpuRunsAndHolds) {
  // inc dptr-addressed counter at 0x1000 forever: mov dptr,#0x1000; loop: movx a,@dptr; inc a; movx @dptr,a; sjmp loop
  const uint8_t prog[] = {0x90, 0x10, 0x00, 0xE0, 0x04, 0xF0, 0x80, 0xFB};
  const uint16_t zero = 0;
  EXPECT_EQ(Ioctl(handle, ioAnchorDownload, &zero, 2, const_cast<uint8_t*>(prog), sizeof prog, nullptr), stSuccess);
  EXPECT_TRUE(chip->Held());
  chip->StartCore(false);
  EXPECT_EQ(Vendor({0xA0, 0, 0x7F92, 0, 1, 0, 0}), stSuccess);  // release
  uint8_t a = 0, b = 0;
  while (chip->Instructions() < 20000) std::this_thread::yield();
  EXPECT_EQ(Vendor({0xA0, 0, 0x1000, 0, 1, 1, 0}, &a, 1), stSuccess);
  // The counter wraps every 1024 instructions, so one later read may meet the same value by chance.
  const uint64_t giveUp = chip->Instructions() + 1000000;
  uint8_t seen = a;
  while (seen == a && chip->Instructions() < giveUp)
    EXPECT_EQ(Vendor({0xA0, 0, 0x1000, 0, 1, 1, 0}, &seen, 1), stSuccess);
  EXPECT_NE(seen, a) << "the counter must move while the core runs";
  EXPECT_EQ(Vendor({0xA0, 0, 0x7F92, 0, 1, 0, 1}), stSuccess);  // hold
  EXPECT_EQ(Vendor({0xA0, 0, 0x1000, 0, 1, 1, 0}, &b, 1), stSuccess);
  const uint64_t stopped = chip->Instructions();
  uint8_t c = 0;
  EXPECT_EQ(Vendor({0xA0, 0, 0x1000, 0, 1, 1, 0}, &c, 1), stSuccess);
  EXPECT_EQ(b, c);
  EXPECT_EQ(chip->Instructions(), stopped);
}

TEST(DriverNames, SecondDeviceAndUnstartedAndUnconfigured) {
  auto first = AttachEmulated(true, false);
  auto second = AttachEmulated(true, false, true, false);
  EXPECT_EQ(Open("tamarik-1"), 0) << "a device not yet started cannot be opened";
  StartEmulated(second);
  const THandle h1 = Open("\\\\.\\tamarik-1");
  EXPECT_NE(h1, 0);
  EXPECT_NE(Open("tamarik-emu-1"), 0);
  auto bare = AttachEmulated(false, false);
  EXPECT_NE(Open("\\\\.\\ezusb-0"), 0);
  EXPECT_EQ(Open("tamarik-2"), 0);
  DetachAllEmulated();
  EXPECT_EQ(Open("tamarik-0"), 0);
}

TEST(DriverRemoval, WaitsForTheRequestInProgressThenRefuses) {
  auto chip = AttachEmulated(true, false);
  const THandle h = Open("tamarik-0");
  ASSERT_NE(h, 0);
  std::atomic<bool> stop{false};
  std::atomic<int> ok{0}, refused{0};
  std::thread reader([&] {
    uint8_t buf[8192];
    const TVendorRequestIn r{0xA0, 0, 0, 0, 8192, 1, 0};
    while (!stop) {
      const uint32_t s = Ioctl(h, ioVendorRequest, &r, sizeof r, buf, sizeof buf, nullptr);
      (s == stSuccess ? ok : refused)++;
    }
  });
  while (ok < 10) std::this_thread::yield();
  DetachEmulated(chip);
  const int after = ok;
  while (refused == 0) std::this_thread::yield();
  stop = true;
  reader.join();
  // The one request that may have finished just before removal returned is
  // counted late; none starts afterwards.
  EXPECT_LE(ok, after + 1);
}

TEST(LibusbBackEnd, FindsNoChipWithoutHardwareAndSaysWhy) {
  const TLibusbScanResult scan = ScanRealChips();
  EXPECT_EQ(scan.found, 0);
  EXPECT_FALSE(scan.message.empty());
  EXPECT_EQ(Open("tamarik-0"), 0);
}

}  // namespace

namespace {

TEST(DriverIsoStream, RingsCarryTheTestSourceInOrderWithDescriptors) {
  auto chip = AttachEmulated(true, false);
  const THandle h = Open("tamarik-0");
  ASSERT_NE(h, 0);
  const TIsoStreamRequest start{2, 16, 64, 1, 2};
  EXPECT_EQ(Ioctl(h, ioStartIsoStream, &start, sizeof start, nullptr, 0, nullptr), stSuccess);
  const uint32_t req[5] = {2, 16, 4, 0, 0};
  std::vector<uint8_t> out(4 * (16 + 12));
  size_t info = 0;
  EXPECT_EQ(Ioctl(h, ioReadIsoBuffer, req, sizeof req, out.data(), out.size() - 1, &info), stInvalidParameter);
  std::vector<uint8_t> data;
  while (data.size() < 64) {
    EXPECT_EQ(Ioctl(h, ioReadIsoBuffer, req, sizeof req, out.data(), out.size(), &info), stSuccess);
    const size_t packets = info / (16 + 12);
    for (size_t p = 0; p < packets; ++p) {
      const uint8_t* d = &out[4 * 16 + 12 * p];
      EXPECT_EQ(uint32_t(d[0] | d[1] << 8), data.size() + 16 * p);  // offset in the stream
      EXPECT_EQ(d[4], 16);                                           // length
    }
    data.insert(data.end(), out.begin(), out.begin() + long(16 * packets));
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  for (size_t i = 0; i < data.size(); ++i) ASSERT_EQ(data[i], uint8_t(i));
  EXPECT_EQ(Ioctl(h, ioStopIsoStream, nullptr, 0, nullptr, 0, nullptr), stSuccess);
  EXPECT_EQ(Ioctl(h, ioReadIsoBuffer, req, sizeof req, out.data(), out.size(), &info), stUnsuccessful);
  const TIsoStreamRequest bulkPipe{0, 16, 64, 1, 2};
  EXPECT_EQ(Ioctl(h, ioStartIsoStream, &bulkPipe, sizeof bulkPipe, nullptr, 0, nullptr), stInvalidParameter);
  DetachAllEmulated();
}

TEST(RingBuffer, WritesWholeOrNothingAndReadsWhatIsThere) {
  TRingBuffer ring(8);
  const uint8_t in[6] = {1, 2, 3, 4, 5, 6};
  uint8_t out[9] = {};
  EXPECT_EQ(ring.Read(out, 4), 0u);
  EXPECT_EQ(ring.Write(in, 6), 6u);
  EXPECT_EQ(ring.Write(in, 3), 0u);  // only two free
  EXPECT_EQ(ring.Read(out, 9), 0u);  // more than the ring holds
  EXPECT_EQ(ring.Read(out, 4), 4u);
  EXPECT_EQ(ring.Write(in, 6), 6u);  // wraps
  EXPECT_EQ(ring.Read(out, 8), 8u);
  EXPECT_EQ(std::vector<uint8_t>(out, out + 8), (std::vector<uint8_t>{5, 6, 1, 2, 3, 4, 5, 6}));
}

}  // namespace

namespace {

struct TRecordingBus : emu8051::TXdataBus {
  uint8_t XRead(uint16_t address) override { return static_cast<uint8_t>(address >> 8); }
  void XWrite(uint16_t address, uint8_t value) override { writes.emplace_back(address, value); }
  std::vector<std::pair<uint16_t, uint8_t>> writes;
};

TEST(ChipPeripherals, ExternalBusAndRegisterBlockReachTheirDevices) {
  TEzUsbDevice chip;
  TRecordingBus external, registers;
  chip.AttachPeripherals(&external, &registers);
  // mov dptr,#0x7f96; mov a,#0x5a; movx @dptr,a; mov dptr,#0xa000; movx a,@dptr;
  // mov dptr,#0x1000; movx @dptr,a; mov dptr,#0x9000; movx @dptr,a; sjmp $
  uint8_t prog[] = {0x90, 0x7F, 0x96, 0x74, 0x5A, 0xF0, 0x90, 0xA0, 0x00, 0xE0, 0x90, 0x10,
                    0x00, 0xF0, 0x90, 0x90, 0x00, 0xF0, 0x80, 0xFE};
  ASSERT_TRUE(chip.MemoryLoad(false, 0, prog, sizeof prog));
  uint8_t release = 0;
  ASSERT_TRUE(chip.MemoryLoad(false, kCpucs, &release, 1));
  chip.WithCore([](emu8051::TCore8051& core) { return core.Run(12); });
  EXPECT_EQ(registers.writes, (std::vector<std::pair<uint16_t, uint8_t>>{{0x7F96, 0x5A}}));
  EXPECT_EQ(external.writes, (std::vector<std::pair<uint16_t, uint8_t>>{{0x9000, 0xA0}}));
  uint8_t ram = 0;
  ASSERT_TRUE(chip.MemoryLoad(true, 0x1000, &ram, 1));
  EXPECT_EQ(ram, 0xA0);  // what the external device answered
}

}  // namespace
