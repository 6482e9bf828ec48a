// Replays the fuzz target's stored corpus: every input that once found
// something, plus the hand-made seeds, must pass without a crash.
#include <gtest/gtest.h>

#include "TamarikUsb.h"
#include "fuzz/CorpusReplay.h"
#include "fuzz/IoctlFuzz.h"

TEST(IoctlCorpus, ReplaysWithoutFault) {
  const int files = ReplayCorpus(TAMARIK_IOCTL_CORPUS, [](const std::vector<std::uint8_t>& bytes, const auto&) {
    FuzzIoctl(bytes.data(), bytes.size());
  });
  EXPECT_GT(files, 0);
  tamarikusb::DetachAllEmulated();
}
