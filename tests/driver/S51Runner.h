// Runs a program in the sdcc tool chain's simulator and collects the state
// it reports after each of a list of step counts.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

struct TSimSnapshot {
  uint16_t pc = 0;
  uint64_t ticks = 0;  // oscillator clocks of this stretch (12 per machine cycle)
  std::array<uint8_t, 256> iram{};
  std::array<uint8_t, 128> sfr{};
  std::vector<uint8_t> xram;  // the last snapshot only
};

// Memories start cleared. `steps` are the instruction counts of successive
// stretches; xram 0..xramEnd is reported. Throws std::runtime_error when the
// simulator's output cannot be read.
std::vector<TSimSnapshot> RunS51(const std::string& simulator, const std::string& ihx,
                                 const std::vector<uint32_t>& steps, uint16_t xramEnd);

// Reads an Intel-HEX image into a 64 KB code memory.
void LoadIhx(const std::string& path, uint8_t* code);
