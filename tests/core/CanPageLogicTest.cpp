// The CAN page without the window: bit timing, the controller's
// initialisation, the identifier filter and its editing rules.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "core/CanFilter.h"
#include "core/CanTiming.h"
#include "core/Measurement.h"
#include "core/SendText.h"

TEST(CanTiming, TheTableFollowsTheRegistersAndTheCrystal) {
  const auto rows = CanBitTiming(0x00, 0x14, 1);
  EXPECT_EQ(rows[1].Hz, 6'000'000);        // SCL
  EXPECT_EQ(rows[4].Hz, 6'000'000 / 5);    // SEG 1: 5 tSCL
  EXPECT_EQ(rows[5].Hz, 3'000'000);        // SEG 2: 2 tSCL
  EXPECT_EQ(rows[6].Hz, 750'000);          // the bit rate
  const auto grid = CanTimingGrid(0x00, 0x14, 1);
  EXPECT_EQ(grid[0][1], "T in Sec");
  EXPECT_EQ(grid[7][0], "Baud");
  EXPECT_EQ(grid[7][1], "0.000001333");
  EXPECT_EQ(grid[7][2], "750000");
  // SJW from the top bits of BTR0; the sampling bit of BTR1 does not enter.
  EXPECT_EQ(CanBitTiming(0xC0, 0x94, 1)[2].Hz, 1'500'000);
  EXPECT_EQ(CanBitTiming(0xC0, 0x94, 1)[6].Hz, 750'000);
  // 125 kBit/s at 11.0592 MHz is not exact: the nearest integer shows.
  EXPECT_EQ(CanBitTiming(0x03, 0x1C, 0)[6].Hz, 86'400);
}

TEST(CanTiming, EveryListedBitRateTheControllerCanGiveIsSetExactly) {
  for (const std::uint32_t rate : {10000u, 20000u, 50000u, 75000u, 100000u, 125000u, 250000u, 500000u, 750000u, 1000000u}) {
    TCanRegisters regs;
    ASSERT_TRUE(SetCanBitRate(rate, regs)) << rate;
    const int btr0 = HexToInt(regs.edCANBTR0), btr1 = HexToInt(regs.edCANBTR1);
    const auto rows = CanBitTiming(static_cast<std::uint8_t>(btr0), static_cast<std::uint8_t>(btr1), regs.rgrpCANQuarz);
    EXPECT_DOUBLE_EQ(1.0 / rows[6].Seconds, rate) << rate;
    EXPECT_GE(rows[4].Seconds, rows[5].Seconds) << "sample point before the middle at " << rate;
    EXPECT_TRUE(regs.chkCANRS && regs.chkCANEN && regs.chkCANNSTB);
  }
  TCanRegisters regs;
  ASSERT_TRUE(SetCanBitRate(750000, regs));
  EXPECT_EQ(std::make_pair(regs.edCANBTR0, regs.edCANBTR1), std::make_pair(std::string("00"), std::string("14")));
  // 800 kBit/s divides neither crystal: the page keeps what it had.
  TCanRegisters kept;
  kept.edCANBTR0 = "41";
  EXPECT_FALSE(SetCanBitRate(800000, kept));
  EXPECT_EQ(kept.edCANBTR0, "41");
  EXPECT_FALSE(SetCanBitRate(0, kept));
}

class CanInit : public ::testing::Test {
 protected:
  void Run(int workMode) {
    writes.clear();
    InitCanController(regs, workMode, [this](std::uint16_t a, std::uint8_t v) {
      writes.emplace_back(a, v);
      return true;
    });
  }
  TCanRegisters regs;
  std::vector<std::pair<std::uint16_t, std::uint8_t>> writes;
};

TEST_F(CanInit, WritesTheRegistersInOrderAndTheCommandLast) {
  regs.edCANBTR0 = "00";
  regs.edCANBTR1 = "14";
  regs.edCANACR = {"12", "34", "56", "78"};
  Run(440);
  const std::vector<std::pair<std::uint16_t, std::uint8_t>> expected = {
      {0x101, 0x00}, {0x102, 0x14}, {0x103, 0x42}, {0x120, 0x12}, {0x121, 0x34}, {0x122, 0x56},
      {0x123, 0x78}, {0x125, 0xFF}, {0x126, 0xFF}, {0x127, 0xFF}, {0x128, 0xFF}, {0x106, 2}};
  EXPECT_EQ(writes, expected);
}

TEST_F(CanInit, TheConfigurationByteTakesEachOption) {
  EXPECT_EQ(CanConfigByte(regs, 440), 0x42);  // 12 MHz, RS off, normal, dual
  regs.rgrpCANQuarz = 0;
  regs.chkCANRS = true;
  regs.rgrpCANLOM = 1;
  regs.rgrpCANAFM = 0;
  regs.chkCANEN = regs.chkCANNSTB = true;
  EXPECT_EQ(CanConfigByte(regs, 440), 0x40 | 0x01 | 0x04 | 0x08);  // EN/NSTB only single-wire
  EXPECT_EQ(CanConfigByte(regs, 470), 0x40 | 0x01 | 0x04 | 0x08 | 0x10 | 0x20);
}

TEST_F(CanInit, AnEmptyEditIsZeroAndABadOneStopsBeforeTheCommand) {
  regs.edCANBTR0 = "";
  regs.edCANBTR1 = "1G";
  EXPECT_THROW(Run(440), THexError);
  ASSERT_EQ(writes.size(), 1u);
  EXPECT_EQ(writes[0], std::make_pair(std::uint16_t{0x101}, std::uint8_t{0}));
  EXPECT_EQ(CanHexKey('c'), 'C');
  EXPECT_EQ(CanHexKey('G'), 0);
  EXPECT_EQ(CanHexKey('\b'), '\b');
}

TEST(CanFilterPass, IdentifiersRangesAndPatterns) {
  const TCanFilter pattern({{"1?3", true}}, true);
  EXPECT_TRUE(pattern.Pass(0x123));
  EXPECT_FALSE(pattern.Pass(0x124));
  EXPECT_FALSE(pattern.Pass(0x1123));  // compared with all eight digits
  const TCanFilter two({{"2??", true}, {"3?5", true}}, true);
  EXPECT_TRUE(two.Pass(0x345));
  EXPECT_TRUE(two.Pass(0x2AB));
  EXPECT_FALSE(two.Pass(0x346));
  const TCanFilter range({{"200-100", true}, {"7FF", true}}, true);
  EXPECT_TRUE(range.Pass(0x150));
  EXPECT_TRUE(range.Pass(0x100));
  EXPECT_TRUE(range.Pass(0x7FF));
  EXPECT_FALSE(range.Pass(0x201));
  EXPECT_EQ(range.RangeLow(), (std::vector<std::uint32_t>{0x100, 0x7FF}));
}

TEST(CanFilterPass, UncheckedEntriesAndASwitchedOffFilter) {
  EXPECT_TRUE(TCanFilter({{"100", true}}, false).Pass(0x200));
  EXPECT_TRUE(TCanFilter({}, true).Pass(0x200));
  // Only unchecked entries: nothing passes, as the list is not empty.
  EXPECT_FALSE(TCanFilter({{"200", false}}, true).Pass(0x200));
  // A stored entry that is not hexadecimal is left out, the rest works.
  const TCanFilter bad({{"XYZ", true}, {"5", true}}, true);
  EXPECT_TRUE(bad.Pass(5));
  EXPECT_FALSE(bad.Pass(6));
}

TEST(CanFilterEdit, KeysFollowTheEntryForm) {
  EXPECT_EQ(CanFilterKey("", 0, 'a'), 'A');
  EXPECT_EQ(CanFilterKey("", 0, 'G'), std::nullopt);
  EXPECT_EQ(CanFilterKey("", 0, '-'), std::nullopt);     // a range needs its first end
  EXPECT_EQ(CanFilterKey("1?", 2, '-'), std::nullopt);   // no range of patterns
  EXPECT_EQ(CanFilterKey("1-2", 3, '?'), std::nullopt);  // no pattern in a range
  EXPECT_EQ(CanFilterKey("1-2", 3, '-'), std::nullopt);
  EXPECT_EQ(CanFilterKey("12345678", 8, '9'), std::nullopt);
  EXPECT_EQ(CanFilterKey("12345678", 8, '-'), '-');
  EXPECT_EQ(CanFilterKey("1-12345678", 10, 'A'), std::nullopt);
  EXPECT_EQ(CanFilterKey("1-12345678", 1, 'A'), 'A');  // the first end may still grow
  EXPECT_EQ(CanFilterKey("12345678", 8, '\b'), '\b');
  EXPECT_EQ(CanFilterChange("123456789").Text, "12345678");
  EXPECT_EQ(CanFilterChange("1-23456789").MaxLength, kCanFilterRangeMaxLength);
}

TEST(CanFilterEdit, EnterAddsACheckedEntryToTheSortedList) {
  std::vector<TCanFilterEntry> list = {{"300", true}, {"100", false}};
  AddCanFilterEntry(list, "200");
  AddCanFilterEntry(list, "100");
  EXPECT_EQ(list, (std::vector<TCanFilterEntry>{{"100", true}, {"200", true}, {"300", true}}));
}

TEST(FrequencyPanel, CycleClampingAndInputCodes) {
  EXPECT_EQ(FqCycle("0"), 1);
  EXPECT_EQ(FqCycle("999"), 255);
  EXPECT_EQ(FqCycle("x"), 1);
  EXPECT_EQ(FqCycle(""), 1);
  EXPECT_EQ(FqCycle("-5"), 1);
  EXPECT_EQ(FqCycle("12"), 12);
  EXPECT_EQ(FqInputCode(0), 2);
  EXPECT_EQ(FqInputCode(1), 3);
  EXPECT_EQ(FqInputCode(2), 0);
  EXPECT_EQ(FqInputCode(3), 1);
}
