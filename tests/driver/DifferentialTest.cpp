// The core against the sdcc tool chain's simulator: the same program, run
// for the same instruction counts in both, must leave the same registers,
// flags, internal RAM, SFRs, external RAM, program counter and clock count.
#include <gtest/gtest.h>

#include <bitset>
#include <cstdio>
#include <string>

#include "Core8051.h"
#include "S51Runner.h"

using emu8051::TCore8051;
using emu8051::TMemoryModel;

namespace {

struct TProgram {
  const char* name;
  uint32_t stretches;  // number of comparisons
  uint32_t stride;     // instructions between them
  uint16_t xramEnd;
};

std::string Byte(unsigned v) {
  char b[8];
  std::snprintf(b, sizeof b, "%02X", v);
  return b;
}

// The first difference, or empty.
std::string Compare(const TSimSnapshot& sim, TCore8051& core, uint64_t cycles) {
  const emu8051::TCoreState st = core.State();
  if (st.pc != sim.pc) return "PC " + Byte(st.pc >> 8) + Byte(st.pc & 0xFF) + " vs " + Byte(sim.pc >> 8) + Byte(sim.pc & 0xFF);
  if (cycles * 12 != sim.ticks)
    return "cycles " + std::to_string(cycles) + " vs " + std::to_string(sim.ticks / 12);
  for (int i = 0; i < 256; ++i)
    if (st.iram[i] != sim.iram[i]) return "iram " + Byte(i) + ": " + Byte(st.iram[i]) + " vs " + Byte(sim.iram[i]);
  for (int i = 0; i < 128; ++i) {
    if (i + 0x80 == emu8051::sfr::SBUF0) continue;  // the write side; the simulator keeps the received byte there
    // The reference keeps a parity bit written into PSW until A changes; the
    // hardware (and the core) always show the parity of A.
    const uint8_t mask = i + 0x80 == emu8051::sfr::PSW ? 0xFE : 0xFF;
    if ((st.sfr[i] & mask) != (sim.sfr[i] & mask)) return "SFR " + Byte(i + 0x80) + ": " + Byte(st.sfr[i]) + " vs " + Byte(sim.sfr[i]);
  }
  for (size_t i = 0; i < sim.xram.size(); ++i)
    if (core.Xdata()[i] != sim.xram[i])
      return "xram " + Byte(unsigned(i) >> 8) + Byte(i & 0xFF) + ": " + Byte(core.Xdata()[i]) + " vs " + Byte(sim.xram[i]);
  return {};
}

class DifferentialTest : public ::testing::TestWithParam<TProgram> {
 protected:
  static std::string Path(const char* name) { return std::string(TAMARIK_8051_PROGRAMS) + "/" + name + ".ihx"; }
};

TEST_P(DifferentialTest, SameStateAsTheReferenceSimulator) {
  const TProgram& prog = GetParam();
  const std::vector<uint32_t> steps(prog.stretches, prog.stride);
  const auto sims = RunS51(TAMARIK_S51, Path(prog.name), steps, prog.xramEnd);

  TCore8051 core(TMemoryModel::Plain8052);
  // The reference charges one cycle for the call into a handler, the
  // hardware two; everything else is compared as the hardware does it.
  core.SetInterruptEntryCycles(1);
  LoadIhx(Path(prog.name), core.Code());
  std::bitset<256> seen;
  for (size_t i = 0; i < sims.size(); ++i) {
    const uint16_t pcBefore = core.Pc();
    const uint64_t before = core.Cycles();
    for (uint32_t k = 0; k < prog.stride; ++k) {
      seen.set(core.Code()[core.Pc()]);
      core.Run(1);
    }
    const std::string diff = Compare(sims[i], core, core.Cycles() - before);
    ASSERT_EQ(diff, "") << prog.name << ": stretch " << i << " from PC " << Byte(pcBefore >> 8) << Byte(pcBefore & 0xFF)
                        << " (opcode " << Byte(core.Code()[pcBefore]) << ")";
  }
  if (std::string(prog.name) == "opcodes") {
    // Every opcode but the one undefined code (0xA5) ran and was compared.
    seen.set(0xA5);
    std::string missing;
    for (int op = 0; op < 256; ++op)
      if (!seen[op]) missing += Byte(op) + " ";
    EXPECT_EQ(missing, "");
  }
}

INSTANTIATE_TEST_SUITE_P(Programs, DifferentialTest,
                         ::testing::Values(TProgram{"opcodes", 380, 2, 0x1FF},
                                           TProgram{"alu", 16, 50000, 0x1FF},
                                           TProgram{"periph", 76, 500, 0x1FF},
                                           TProgram{"mixed", 30, 5000, 0x1FF}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
