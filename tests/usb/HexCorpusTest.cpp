// Replays the Intel-HEX fuzz target's stored corpus: every input that once
// found something, plus the hand-made seeds, must keep the reader's promises.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "fuzz/FuzzIntelHexInput.h"

TEST(HexCorpus, ReplaysWithoutFault) {
  int files = 0;
  for (const auto& e : std::filesystem::directory_iterator(TAMARIK_HEX_CORPUS)) {
    std::ifstream in(e.path(), std::ios::binary);
    const std::vector<uint8_t> data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    FuzzIntelHexInput(data.data(), data.size());
    ++files;
  }
  EXPECT_GE(files, 7);
}
