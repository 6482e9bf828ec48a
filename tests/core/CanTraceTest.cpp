// CAN and measurement records through the receive pipeline: the lines, their
// colours and what is left out.
#include <memory>

#include "CanRecordSupport.h"
#include "PipelineFixture.h"
#include "core/CanFilter.h"

namespace {

class CanTraceTest : public PipelineTest {
 protected:
  static TSeriellData Frame(int seq, std::uint32_t ident, std::initializer_list<std::uint8_t> data,
                            std::uint16_t signals = msID11) {
    return CanFrameRecord(seq, ident, data, signals, At());
  }
  static TSeriellData BusError(std::uint8_t status, std::uint8_t alc, std::uint8_t ecc, std::uint8_t rx,
                               std::uint8_t tx) {
    TSeriellData r;
    r.RecType = rtCAN;
    r.Dir = dirUSBCAN1;
    r.LineFlags = seBusDetail;
    r.Count = 6;
    r.Data[0] = status;
    r.Data[1] = alc;
    r.Data[2] = ecc;
    r.Data[3] = 96;  // warning limit
    r.Data[4] = rx;
    r.Data[5] = tx;
    r.Time = At();
    return r;
  }
  static TSeriellData Event(std::uint16_t flags) {
    TSeriellData r;
    r.RecType = rtCAN;
    r.Dir = dirUSBCAN1;
    r.LineFlags = flags;
    r.Time = At();
    return r;
  }
  static TSeriellData Measure(std::uint8_t type, std::uint32_t n, std::uint8_t cycle, std::uint8_t dir) {
    TSeriellData r;
    r.RecType = type;
    r.Dir = dir;
    r.Ready = 1;
    r.Count = 6;
    r.Data[1] = static_cast<std::uint8_t>(n >> 16);
    r.Data[2] = static_cast<std::uint8_t>(n >> 8);
    r.Data[3] = static_cast<std::uint8_t>(n);
    r.Data[4] = cycle;
    r.Time = At();
    return r;
  }
  std::vector<TColor> Colors() const {
    std::vector<TColor> c;
    for (const TRecordedRun& run : sink.Runs) c.push_back(run.Color);
    return c;
  }
};

TEST_F(CanTraceTest, FrameLinesShowIdentifierDataAndRemoteFrames) {
  Deliver({Frame(5, 0x7FF, {}, msID11 | msRTR), Frame(6, 0x123, {0x01, 0xAB}),
           Frame(7, 0x1ABCDEF, {0x10}, msID29)});
  EXPECT_EQ(sink.All,
            "No: 05 ID11:      7FF RTR DLC: 0\r\n"
            "No: 06 ID11:      123     DLC: 2 >  01 AB\r\n"
            "No: 07 ID29: 01ABCDEF     DLC: 1 >  10\r\n");
  EXPECT_EQ(pipeline.LineChars(), 0);
  EXPECT_FALSE(pipeline.LineOpen());
}

TEST_F(CanTraceTest, ALostFrameTurnsItsLineBlueButTheWrapDoesNot) {
  Deliver({Frame(254, 1, {}), Frame(255, 1, {}), Frame(0, 1, {}), Frame(1, 1, {}), Frame(3, 1, {})});
  EXPECT_EQ(Colors(), (std::vector<TColor>{clBlack, clBlue}));
  EXPECT_TRUE(sink.Runs.back().Text.starts_with("No: 03"));
  EXPECT_EQ(pipeline.CanLostFrames(), 1u);
  EXPECT_EQ(pipeline.TakeCanBeeps(), 0);  // only while the USB test page shows
}

TEST_F(CanTraceTest, TheFilterHidesFramesWithoutMakingLaterOnesLookLost) {
  options.CanFilter = std::make_shared<TCanFilter>(std::vector<TCanFilterEntry>{{"1?3", true}}, true);
  Apply();
  Deliver({Frame(1, 0x123, {}), Frame(2, 0x124, {}), Frame(3, 0x133, {})});
  EXPECT_EQ(sink.All, "No: 01 ID11:      123     DLC: 0\r\nNo: 03 ID11:      133     DLC: 0\r\n");
  EXPECT_EQ(Colors(), std::vector<TColor>{clBlack});
}

TEST_F(CanTraceTest, BusErrorDetailsAndTheirRepeatSuppression) {
  // Stuff error in the data field while receiving, arbitration lost at bit
  // 3, the receive counter above the warning limit, bus off.
  Deliver({BusError(0x80, 3, 0x80 | 0x20 | 10, 100, 0)});
  EXPECT_EQ(sink.All,
            "Bus-Error RX: Stuff error in data field, ALC lost in Bit 4 of Identifier, Error-Counter RX: 100 TX: 0, "
            "Bus OFF   \r\n");
  EXPECT_EQ(sink.Runs.back().Color, clRed);
  sink.All.clear();
  // The same values again: only the error itself.
  Deliver({BusError(0x80, 3, 0x40 | 3, 100, 0)});
  EXPECT_EQ(sink.All, "Bus-Error TX: Form error in start of frame\r\n");
  sink.All.clear();
  Deliver({BusError(0x02, 11, 0xC0 | 16, 100, 97), BusError(0x02, 12, 0x1B, 10, 10),
           BusError(0x02, 20, 0x1B, 10, 10), BusError(0x02, 31, 0x1B, 10, 10)});
  EXPECT_EQ(sink.All,
            "Bus-Error TX: Other error in , ALC lost in Bit RTR (11-Bit), Error-Counter RX: 100 TX: 97, Data Overrun\r\n"
            "Bus-Error TX: Bit error in acknowledge delimiter, ALC lost in Bit IDE\r\n"
            "Bus-Error TX: Bit error in acknowledge delimiter, ALC lost in Bit 19 of Identifier\r\n"
            "Bus-Error TX: Bit error in acknowledge delimiter, ALC lost in Bit RTR (29-Bit)\r\n");
}

TEST_F(CanTraceTest, EventTextsByTheirFirstFlag) {
  Deliver({Event(seBus | seBusOv), Event(seBusOv), Event(seNotSend), Event(seBufferOv | seBufferChange),
           Event(seBufferChange)});
  EXPECT_EQ(sink.All,
            "Bus-Error\r\nBus-Error Overflow\r\nTelegramm not sendet!\r\nError - Buffer overflow!\r\n");
}

TEST_F(CanTraceTest, MeasurementLines) {
  options.DecimalSep = ",";
  options.chkTextBegin = true;
  Apply();
  Deliver({Measure(rtFQMess, 1000, 2, dirUSB1), Measure(rtBaudMess, 9600, 0, dirUSB2),
           Measure(rtBaudMess, 222222, 0, dirUSB1), Measure(rtBaudMess, 19200, 0, dirUSB1)});
  EXPECT_EQ(sink.All,
            "> von PC : Hz: 500,000  Count: 1000\r\n< von SPS : SS: 9600 Baud\r\n> von PC : SS: 19200 Baud\r\n");
  EXPECT_EQ(Colors(), (std::vector<TColor>{clBlack, clRed, clBlack}));
}

}  // namespace
