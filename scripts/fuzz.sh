#!/usr/bin/env bash
# Fuzzes what a coupled peer sends (framer, registration, coupling messages)
# with libFuzzer under AddressSanitizer and UndefinedBehaviorSanitizer:
#   fuzz.sh [executions]   (default 1000000)
# New inputs go to build-fuzz/corpus; the stored seeds in tests/fuzz/corpus
# stay as they are (the test suite replays those).
set -euo pipefail
cd "$(dirname "$0")/.."
runs="${1:-1000000}"
out=build-fuzz
mkdir -p "$out/corpus"
clang++ -std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
  -Icommon -Iapp -Itests \
  tests/fuzz/fuzz_coupling.cpp app/net/PacketFramer.cpp app/net/CouplingMessage.cpp \
  -o "$out/fuzz_coupling"
"$out/fuzz_coupling" -runs="$runs" -max_len=4096 -print_final_stats=1 \
  -artifact_prefix="$out/" "$out/corpus" tests/fuzz/corpus
