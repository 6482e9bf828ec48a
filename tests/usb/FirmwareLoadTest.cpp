// The Intel-HEX reader and the downloads of images and user files, against
// the emulated chip through the real driver library and access layer.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <vector>

#include "EZUSB.h"
#include "EzUsbDevice.h"
#include "FirmwareImages.h"
#include "FirmwareLoad.h"
#include "IntelHex.h"

using namespace tamarikusb;

namespace {

std::vector<uint8_t> Buffer(size_t n, uint8_t fill = 0xEE) { return std::vector<uint8_t>(n, fill); }

TEST(IntelHexTest, DataRecordsLandAtTheirAddressAndGapsKeepTheBuffer) {
  auto buf = Buffer(0x200);
  const auto r = ReadIntelHex(":10000000000102030405060708090A0B0C0D0E0F78\n"
                              ":040100001122334451\n:00000001FF\n", buf, 0x1FF);
  ASSERT_TRUE(r.Ok) << r.Error;
  EXPECT_EQ(r.End, 0x104u);
  EXPECT_EQ(buf[0x0F], 0x0F);
  EXPECT_EQ(buf[0x10], 0xEE);
  EXPECT_EQ(buf[0x103], 0x44);
}

TEST(IntelHexTest, BadLinesStopWithAMessageNamingTheLine) {
  struct TCase {
    const char* text;
    const char* expected;
  } cases[] = {
      {":040000001122334452\n:04000400112233444F\n", "2: Prüfsumme"},  // checksum off by one
      {":020000040001F9\n", "1: Erweiterte Adresse"},                        // extended linear
      {":020000021000EC\n", "1: Erweiterte Adresse"},                        // extended segment
      {":04000000112233\n", "1: Zeile zu kurz"},
      {":0400000011G2334452\n", "1: Fehler bei der Wandlung"},
      {":04000006112233444C\n", "1: Unbekannte Satzart"},
  };
  for (const TCase& c : cases) {
    auto buf = Buffer(0x100);
    const auto r = ReadIntelHex(c.text, buf, 0xFF);
    EXPECT_FALSE(r.Ok) << c.text;
    EXPECT_NE(r.Error.find(c.expected), std::string::npos) << c.text << " gave " << r.Error;
  }
}

TEST(IntelHexTest, AnAddressAboveTheLimitIsAnOverflowKeepingWhatCameBefore) {
  auto buf = Buffer(0x10);
  const auto r = ReadIntelHex(":040000001122334452\n:04000E001122334444\n", buf, 0x0F);
  EXPECT_TRUE(r.Overflow);
  EXPECT_EQ(r.End, 0x10u);  // 0x0E and 0x0F were stored before 0x10 overflowed
  EXPECT_EQ(buf[0x0F], 0x22);
}

class LoadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    chip_ = AttachEmulated(true, false);
    usb_.UsbDeviceName = "\\\\.\\tamarik-emu-0";
    usb_.UsbFixedName = true;
    ui_.StatusLine = [this](std::string_view t) { status_ = t; };
    ui_.Message = [this](std::string_view t) { messages_.emplace_back(t); };
    ui_.DeviceError = [this] { ++deviceErrors_; };
  }
  void TearDown() override {
    usb_.UsbClose();
    DetachAllEmulated();
  }
  std::string File(const std::string& name, const std::string& content) {
    const auto path = std::filesystem::path(::testing::TempDir()) / name;
    std::ofstream(path, std::ios::binary) << content;
    return path.string();
  }
  uint8_t Chip(uint16_t address) {
    uint8_t v = 0;
    chip_->MemoryLoad(true, address, &v, 1);
    return v;
  }

  std::shared_ptr<TEzUsbDevice> chip_;
  TEzUsb usb_;
  TUsbLoadUi ui_;
  std::string status_;
  std::vector<std::string> messages_;
  int deviceErrors_ = 0;
};

TEST_F(LoadTest, EveryBuiltInImageGoesDownWholeAndV24Runs) {
  for (const char* name : {"V24", "BLINKLED"}) {
    const auto image = FirmwareImage(name);
    ASSERT_FALSE(image.empty()) << name;
    EXPECT_LT(image.size(), 8192u);
    TFirmwareLoader loader(usb_, ui_);
    EXPECT_TRUE(loader.LoadFirmware(name, true));
    EXPECT_EQ(status_, FirmwareStatusText(name));
    EXPECT_FALSE(chip_->Held());
    for (size_t a = 0; a < image.size(); a += 97) EXPECT_EQ(Chip(static_cast<uint16_t>(a)), image[a]) << name << " @" << a;
  }
  EXPECT_EQ(status_, "USB - Blinkende LED gestartet.");
  EXPECT_EQ(deviceErrors_, 0);
}

TEST_F(LoadTest, AnImageThatWasNotBuiltIsADeviceErrorNotASuccess) {
  TFirmwareLoader loader(usb_, ui_);
  EXPECT_FALSE(loader.LoadFirmware("NOSUCH", true));
  EXPECT_EQ(deviceErrors_, 1);
  EXPECT_TRUE(chip_->TakeWriteLog().empty());
}

TEST_F(LoadTest, UserFilesBinaryAndHexAndTheirStatusText) {
  TFirmwareLoader loader(usb_, ui_);
  loader.SendFileToDevice(File("prog.BIN", std::string(5051, '\x5A')));
  EXPECT_EQ(status_, "Datei geschrieben: 13BB Bytes (HEX)");
  EXPECT_EQ(Chip(5050), 0x5A);
  EXPECT_TRUE(chip_->Held());

  loader.SendFileToDevice(File("prog.hex", ":040100001122334451\n:00000001FF\n"));
  EXPECT_EQ(status_, "Datei geschrieben: 0104 Bytes (HEX)");
  EXPECT_EQ(Chip(0x103), 0x44);
}

TEST_F(LoadTest, BadOrOversizedFilesDownloadNothing) {
  TFirmwareLoader loader(usb_, ui_);
  loader.SendFileToDevice(File("big.bin", std::string(8193, '\x01')));
  loader.SendFileToDevice(File("bad.hex", ":040000001122334452\n:04000400112233444F\n"));
  loader.SendFileToDevice(File("far.hex", ":042000001122334432\n"));
  ASSERT_EQ(messages_.size(), 3u);
  EXPECT_NE(messages_[0].find("8192"), std::string::npos);
  EXPECT_NE(messages_[1].find("Zeile 2"), std::string::npos);
  EXPECT_NE(messages_[2].find("Adressüberlauf"), std::string::npos);
  EXPECT_EQ(status_, "Datei geschrieben: 0000 Bytes (HEX)");
  for (const auto& [address, length] : chip_->TakeWriteLog()) EXPECT_EQ(address, 0x7F92) << "only CPUCS may be written";
}

TEST(LoadBufferTest, BinaryAndHexIntoACallersBufferStopAtTheBound) {
  const auto dir = std::filesystem::path(::testing::TempDir());
  std::ofstream(dir / "b.bin", std::ios::binary) << std::string(300, '\x07');
  std::vector<std::string> shown;
  auto message = [&](std::string_view t) { shown.emplace_back(t); };
  auto buf = Buffer(32768, 0xFF);
  EXPECT_EQ(LoadBinToBuffer((dir / "b.bin").string(), buf, 32767, message), 300);
  EXPECT_EQ(LoadBinToBuffer((dir / "b.bin").string(), buf, 99, message), 100);
  EXPECT_EQ(LoadBinToBuffer((dir / "missing.bin").string(), buf, 99, message), 0);
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0], "Fehler: Adressüberlauf!");
}

}  // namespace
