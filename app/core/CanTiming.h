// The controller's bus timing as the CAN page shows it: the bit-timing
// table from the two timing registers and the crystal, and the register
// writes that initialise the controller.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

// rgrpCANQuarz: item 0 is 11.0592 MHz, item 1 12 MHz.
double CanClockHz(int quarzIndex);

struct TCanTimingRow {
  const char* Name;  // "CLK", "SCL", …, "Baud"
  double Seconds;
  long long Hz;  // nearest integer to 1 / Seconds
};
inline constexpr std::size_t kCanTimingRows = 7;
std::array<TCanTimingRow, kCanTimingRows> CanBitTiming(std::uint8_t btr0, std::uint8_t btr1, int quarzIndex);

// grdCAN as text, 3 columns × 8 rows: the header row, then a row per
// timing row with "%1.9f" seconds and "%d" hertz.
using TCanTimingGrid = std::array<std::array<std::string, 3>, kCanTimingRows + 1>;
TCanTimingGrid CanTimingGrid(std::uint8_t btr0, std::uint8_t btr1, int quarzIndex);

// The register group's values as the page holds them.
struct TCanRegisters {
  std::string edCANBTR0, edCANBTR1;
  int rgrpCANQuarz = 1;
  bool chkCANRS = false, chkCANEN = false, chkCANNSTB = false;
  int rgrpCANLOM = 0;
  int rgrpCANAFM = 1;
  std::array<std::string, 4> edCANACR{"00", "00", "00", "00"};
  std::array<std::string, 4> edCANAMR{"FF", "FF", "FF", "FF"};
  bool operator==(const TCanRegisters&) const = default;
};

// The register group for a bit rate chosen on the interface page: timing
// registers and crystal that give exactly that rate (sample point near
// 75 %, one quantum resynchronisation jump), the transceivers set to high
// speed and awake. False, and `regs` unchanged, when neither crystal can
// give the rate.
bool SetCanBitRate(std::uint32_t bitRate, TCanRegisters& regs);

// The byte the firmware reads at 0x103.
std::uint8_t CanConfigByte(const TCanRegisters& regs, int workMode);

// btnInitCANClick without the window: each value is converted just before
// its write, so a bad edit (THexError) leaves the writes before it made and
// neither the later ones nor the command byte.
using TUsbRamWrite = std::function<bool(std::uint16_t address, std::uint8_t value)>;
void InitCanController(const TCanRegisters& regs, int workMode, const TUsbRamWrite& write);

// The USB start's CAN step: the register group set for the chosen bit rate,
// then the controller initialised. A rate the controller cannot give, or a
// bad register edit, is reported and stops the start (false).
bool StartCanController(std::uint32_t bitRate, int workMode, TCanRegisters& regs, const TUsbRamWrite& write);

// KeyPressHex: the character a register edit takes, or 0 when it drops it
// (digits, A–F, lower case raised; backspace passes).
char CanHexKey(char key);
