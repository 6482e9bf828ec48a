// Replays the fuzz target's stored corpus: every input that once found
// something, plus the hand-made seeds, must pass without a crash.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "TamarikUsb.h"
#include "fuzz/IoctlFuzz.h"

TEST(IoctlCorpus, ReplaysWithoutFault) {
  int files = 0;
  for (const auto& e : std::filesystem::directory_iterator(TAMARIK_IOCTL_CORPUS)) {
    std::ifstream in(e.path(), std::ios::binary);
    const std::vector<uint8_t> data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    FuzzIoctl(data.data(), data.size());
    ++files;
  }
  EXPECT_GT(files, 0);
  tamarikusb::DetachAllEmulated();
}
