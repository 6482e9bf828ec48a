#include "core/CanTiming.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/ErrorReport.h"
#include "core/Language.h"
#include "core/SendText.h"
#include "core/TextIds.h"

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

bool SetCanBitRate(std::uint32_t bitRate, TCanRegisters& regs) {
  if (bitRate == 0) return false;
  for (const int quarz : {1, 0}) {
    // A bit of `quanta` time quanta of 2 × (prescaler + 1) clock periods.
    const auto clock = static_cast<std::uint64_t>(CanClockHz(quarz));
    if (clock % (2ull * bitRate) != 0) continue;
    const std::uint64_t quantaPerBit = clock / (2ull * bitRate);
    for (std::uint64_t prescaler = 1; prescaler <= 64; ++prescaler) {
      if (quantaPerBit % prescaler != 0) continue;
      const std::uint64_t quanta = quantaPerBit / prescaler;
      if (quanta > 25) continue;
      if (quanta < 6) break;
      std::uint64_t seg2 = std::max<std::uint64_t>(2, (quanta + 2) / 4);
      std::uint64_t seg1 = quanta - 1 - seg2;
      if (seg1 > 16) {
        seg1 = 16;
        seg2 = quanta - 17;
      }
      char text[3];
      std::snprintf(text, sizeof text, "%02X", static_cast<unsigned>(prescaler - 1));
      regs.edCANBTR0 = text;
      std::snprintf(text, sizeof text, "%02X", static_cast<unsigned>(((seg2 - 1) << 4) | (seg1 - 1)));
      regs.edCANBTR1 = text;
      regs.rgrpCANQuarz = quarz;
      regs.chkCANRS = regs.chkCANEN = regs.chkCANNSTB = true;
      return true;
    }
  }
  return false;
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

bool StartCanController(std::uint32_t bitRate, int workMode, TCanRegisters& regs, const TUsbRamWrite& write) {
  if (!SetCanBitRate(bitRate, regs)) {
    ReportError("1.8", GetText(TextId::MsgBaudrateNotUsable));
    return false;
  }
  try {
    InitCanController(regs, workMode, write);
    return true;
  } catch (const std::exception& e) {
    ReportError("1.8", e);
    return false;
  }
}

char CanHexKey(char key) {
  if (key >= 'a' && key <= 'f') return static_cast<char>(key - 'a' + 'A');
  if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'F') || key == '\b') return key;
  return 0;
}
