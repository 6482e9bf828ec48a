// Replays a stored fuzz corpus in the test suite: every file of the folder
// goes to the fuzz target's input function. Returns how many files there were.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

template <typename Input>
int ReplayCorpus(const std::filesystem::path& folder, Input input) {
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    std::ifstream in(entry.path(), std::ios::binary);
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
    input(bytes, entry.path());
    ++files;
  }
  return files;
}
