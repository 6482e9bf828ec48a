#include "core/CanTiming.h"

#include <cmath>
#include <cstdio>

#include "core/SendText.h"

double CanClockHz(int quarzIndex) { return quarzIndex == 0 ? 11'059'200.0 : 12'000'000.0; }

std::array<TCanTimingRow, kCanTimingRows> CanBitTiming(std::uint8_t btr0, std::uint8_t btr1, int quarzIndex) {
  const double clk = 1.0 / CanClockHz(quarzIndex);
  const double scl = 2.0 * clk * ((btr0 & 0x3F) + 1);
  const double seg1 = ((btr1 & 0x0F) + 1) * scl;
  const double seg2 = (((btr1 & 0x70) >> 4) + 1) * scl;
  std::array<TCanTimingRow, kCanTimingRows> rows{{{"CLK", clk, 0},
                                                   {"SCL", scl, 0},
                                                   {"SJW", (((btr0 & 0xC0) >> 6) + 1) * scl, 0},
                                                   {"SYNCSEG", scl, 0},
                                                   {"SEG 1", seg1, 0},
                                                   {"SEG 2", seg2, 0},
                                                   {"Baud", scl + seg1 + seg2, 0}}};
  for (TCanTimingRow& row : rows) row.Hz = std::llround(1.0 / row.Seconds);
  return rows;
}

TCanTimingGrid CanTimingGrid(std::uint8_t btr0, std::uint8_t btr1, int quarzIndex) {
  TCanTimingGrid grid;
  grid[0] = {"", "T in Sec", "F in Hz"};
  const auto rows = CanBitTiming(btr0, btr1, quarzIndex);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    char seconds[48];
    std::snprintf(seconds, sizeof seconds, "%1.9f", rows[i].Seconds);
    grid[i + 1] = {rows[i].Name, seconds, std::to_string(rows[i].Hz)};
  }
  return grid;
}

std::uint8_t CanConfigByte(const TCanRegisters& regs, int workMode) {
  std::uint8_t b = 0x40;
  if (regs.rgrpCANQuarz == 0) b |= 0x01;
  if (!regs.chkCANRS) b |= 0x02;
  if (regs.rgrpCANLOM == 1) b |= 0x04;
  if (regs.rgrpCANAFM == 0) b |= 0x08;
  if (workMode == 470) {
    if (regs.chkCANEN) b |= 0x10;
    if (regs.chkCANNSTB) b |= 0x20;
  }
  return b;
}

void InitCanController(const TCanRegisters& regs, int workMode, const TUsbRamWrite& write) {
  const auto hex = [](const std::string& text) { return static_cast<std::uint8_t>(HexToInt(text)); };
  write(0x101, hex(regs.edCANBTR0));
  write(0x102, hex(regs.edCANBTR1));
  write(0x103, CanConfigByte(regs, workMode));
  for (int i = 0; i < 4; ++i) write(static_cast<std::uint16_t>(0x120 + i), hex(regs.edCANACR[i]));
  for (int i = 0; i < 4; ++i) write(static_cast<std::uint16_t>(0x125 + i), hex(regs.edCANAMR[i]));
  write(0x106, 2);
}

char CanHexKey(char key) {
  if (key >= 'a' && key <= 'f') return static_cast<char>(key - 'a' + 'A');
  if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'F') || key == '\b') return key;
  return 0;
}
