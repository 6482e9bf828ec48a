// The fuzz target's corpus, replayed in every build (sanitizers included).
#include <gtest/gtest.h>

#include "fuzz/CorpusReplay.h"
#include "fuzz/FuzzCouplingInput.h"

TEST(FuzzCorpus, EveryStoredInputPassesTheReaders) {
  const int replayed = ReplayCorpus(TAMARIK_FUZZ_CORPUS, [](const std::vector<std::uint8_t>& bytes, const auto& path) {
    EXPECT_EQ(FuzzCouplingInput(bytes.data(), bytes.size()), 0) << path;
  });
  EXPECT_GE(replayed, 9);
}
