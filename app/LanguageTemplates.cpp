// Writes the built-in languages into a Language.txt: the templates an
// installation ships, from which each user's own Language.txt starts.
#include <cstdio>
#include <filesystem>

#include "core/Language.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s LANGUAGE.TXT\n", argv[0]);
    return 2;
  }
  const std::filesystem::path file(argv[1]);
  std::error_code ec;
  std::filesystem::remove(file, ec);
  TLanguage language(file, TLanguage::RunningVersion());
  language.KeepFileUpToDate(false);
  if (!std::filesystem::exists(file, ec)) {
    std::fprintf(stderr, "%s: %s not written\n", argv[0], argv[1]);
    return 1;
  }
  return 0;
}
