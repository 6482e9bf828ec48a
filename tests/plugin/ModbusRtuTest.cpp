// The Modbus RTU example plug-in: its decoder on byte fixtures, and the
// plug-in itself in the host, a frame split across two deliveries.
#include <gtest/gtest.h>

#include "ModbusRtuDecoder.h"
#include "core/PipelineFixture.h"
#include "plugin/PlugInHost.h"

namespace {
using TBytes = std::vector<std::uint8_t>;
const TBytes kRequest = {0x01, 0x03, 0x00, 0x00, 0x00, 0x0A, 0xC5, 0xCD};
const TBytes kResponse = {0x01, 0x03, 0x04, 0x00, 0x0A, 0x00, 0x0B, 0x9B, 0xF6};
const TBytes kException = {0x01, 0x83, 0x02, 0xC0, 0xF1};
const TBytes kWrite = {0x01, 0x06, 0x00, 0x01, 0x00, 0x03, 0x98, 0x0B};

std::vector<std::string> Decode(const std::vector<TBytes>& parts, double gapBetweenPartsMs = 1) {
  TModbusRtuDecoder decoder;
  std::vector<TModbusFrame> frames;
  double now = 1000;
  for (const TBytes& part : parts) {
    for (std::uint8_t b : part) decoder.Feed(b, now, frames);
    now += gapBetweenPartsMs;
  }
  std::vector<std::string> lines;
  for (const TModbusFrame& f : frames) lines.push_back(DescribeModbusFrame(f));
  return lines;
}
}  // namespace

TEST(ModbusRtuDecoderTest, ValidFramesOfEveryLayout) {
  EXPECT_EQ(Decode({kRequest}), std::vector<std::string>{"Modbus id=1 fc=3 Read Holding Registers: 00 00 00 0A, CRC ok"});
  EXPECT_EQ(Decode({kResponse}),
            std::vector<std::string>{"Modbus id=1 fc=3 Read Holding Registers: 04 00 0A 00 0B, CRC ok"});
  EXPECT_EQ(Decode({kException}),
            std::vector<std::string>{"Modbus id=1 fc=131 Read Holding Registers exception 2: Illegal Data Address, CRC ok"});
}

TEST(ModbusRtuDecoderTest, BackToBackFramesComeOutApart) {
  EXPECT_EQ(Decode({kWrite, kRequest}).size(), 2u);
  TBytes joined = kRequest;
  joined.insert(joined.end(), kResponse.begin(), kResponse.end());
  EXPECT_EQ(Decode({joined}).size(), 2u);
}

TEST(ModbusRtuDecoderTest, BadCrcIsShownWithItsBytes) {
  TBytes bad = kRequest;
  bad.back() ^= 0x01;
  EXPECT_EQ(Decode({bad}), std::vector<std::string>{"Modbus bad CRC: 01 03 00 00 00 0A C5 CC"});
}

TEST(ModbusRtuDecoderTest, APauseEndsAFrameCutShort) {
  const TBytes head(kRequest.begin(), kRequest.begin() + 3);
  const auto lines = Decode({head, kRequest}, 50);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "Modbus incomplete: 01 03 00");
  EXPECT_EQ(lines[1], "Modbus id=1 fc=3 Read Holding Registers: 00 00 00 0A, CRC ok");
}

class ModbusPlugInTest : public PipelineTest {
 protected:
  void SetUp() override {
    PipelineTest::SetUp();
    options.chkUsePlugin = true;
    Apply();
    pipeline.SetBatchRenderer(&host);
    ASSERT_TRUE(host.Activate(TAMARIK_MODBUS_PLUGIN));
  }
  TPlugInHost host{pipeline, ""};
};

TEST_F(ModbusPlugInTest, FrameSplitAcrossTwoDeliveriesIsOneLine) {
  EXPECT_EQ(host.VersionLabel(), "Version: 3.0.0\nModbus RTU");
  Deliver({Byte(0x01, dirPortA, At()), Byte(0x03, dirPortA, At()), Byte(0x00, dirPortA, At())});
  EXPECT_EQ(sink.All, "");
  Deliver({Byte(0x00, dirPortA, At()), Byte(0x00, dirPortA, At()), Byte(0x0A, dirPortA, At()),
           Byte(0xC5, dirPortA, At()), Byte(0xCD, dirPortA, At())});
  EXPECT_EQ(sink.All, "Modbus id=1 fc=3 Read Holding Registers: 00 00 00 0A, CRC ok\r\n");
  EXPECT_EQ(sink.Runs.back().Color, clBlack);
}

TEST_F(ModbusPlugInTest, SidesAreDecodedApart) {
  // Request and response interleaved byte by byte still make two frames.
  std::vector<TSeriellData> records;
  for (std::size_t i = 0; i < kResponse.size(); ++i) {
    if (i < kRequest.size()) records.push_back(Byte(kRequest[i], dirPortA, At()));
    records.push_back(Byte(kResponse[i], dirPortB, At()));
  }
  for (const TSeriellData& r : records) Deliver({r});
  EXPECT_EQ(sink.All,
            "Modbus id=1 fc=3 Read Holding Registers: 00 00 00 0A, CRC ok\r\n"
            "Modbus id=1 fc=3 Read Holding Registers: 04 00 0A 00 0B, CRC ok\r\n");
  EXPECT_EQ(sink.Runs.back().Color, clRed);
}
