// libFuzzer entry: scripts/fuzz-hex.sh builds and runs it.
#include "FuzzIntelHexInput.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  return FuzzIntelHexInput(data, size);
}
