// The fuzz target's corpus, replayed in every build (sanitizers included).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "fuzz/FuzzCouplingInput.h"

TEST(FuzzCorpus, EveryStoredInputPassesTheReaders) {
  int replayed = 0;
  for (const auto& entry : std::filesystem::directory_iterator(TAMARIK_FUZZ_CORPUS)) {
    std::ifstream in(entry.path(), std::ios::binary);
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
    EXPECT_EQ(FuzzCouplingInput(bytes.data(), bytes.size()), 0) << entry.path();
    ++replayed;
  }
  EXPECT_GE(replayed, 9);
}
