// Replays the Intel-HEX fuzz target's stored corpus: every input that once
// found something, plus the hand-made seeds, must keep the reader's promises.
#include <gtest/gtest.h>

#include "fuzz/CorpusReplay.h"
#include "fuzz/FuzzIntelHexInput.h"

TEST(HexCorpus, ReplaysWithoutFault) {
  const int files = ReplayCorpus(TAMARIK_HEX_CORPUS, [](const std::vector<std::uint8_t>& bytes, const auto&) {
    FuzzIntelHexInput(bytes.data(), bytes.size());
  });
  EXPECT_GE(files, 7);
}
