// libFuzzer entry: scripts/fuzz.sh builds and runs it.
#include "FuzzCouplingInput.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  return FuzzCouplingInput(data, size);
}
