// libFuzzer entry (clang -fsanitize=fuzzer).
#include "IoctlFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzIoctl(data, size);
  return 0;
}
