#!/usr/bin/env bash
# Fuzzes the Intel-HEX reader (user files for the download and the AVR
# programmer) with libFuzzer under AddressSanitizer and UndefinedBehaviorSanitizer:
#   fuzz-hex.sh [executions]   (default 1000000)
# New inputs go to build-fuzz/hexcorpus; the stored seeds in tests/fuzz/hexcorpus
# stay as they are (the test suite replays those).
set -euo pipefail
cd "$(dirname "$0")/.."
runs="${1:-1000000}"
out=build-fuzz
mkdir -p "$out/hexcorpus"
# The reader's messages come from the core's text table, so the core is built in.
clang++ -std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
  -DTAMARIK_VERSION_MAJOR=0 -DTAMARIK_VERSION_MINOR=0 -DTAMARIK_VERSION_BUILD=0 \
  -Icommon -Iapp -Iapp/usb -Itests/fuzz \
  tests/fuzz/fuzz_intelhex.cpp app/usb/IntelHex.cpp app/core/*.cpp app/core/texts/*.cpp -lpthread \
  -o "$out/fuzz_intelhex"
"$out/fuzz_intelhex" -runs="$runs" -max_len=2048 -print_final_stats=1 \
  -artifact_prefix="$out/" "$out/hexcorpus" tests/fuzz/hexcorpus
