#!/usr/bin/env bash
# Fuzzes one reader with libFuzzer under AddressSanitizer and
# UndefinedBehaviorSanitizer:
#   fuzz.sh [coupling|hex] [executions]   (default: coupling, 1000000)
#   coupling  what a coupled peer sends (framer, registration, coupling messages)
#   hex       the Intel-HEX reader (user files for the download and the AVR programmer)
# New inputs go to build-fuzz/<target>; the stored seeds in tests/fuzz stay
# as they are (the test suite replays those).
set -euo pipefail
cd "$(dirname "$0")/.."
target=coupling
case "${1:-}" in coupling | hex) target="$1"; shift ;; esac
runs="${1:-1000000}"
out=build-fuzz
mkdir -p "$out/$target"
flags=(-std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all -Icommon -Iapp)
if [ "$target" = coupling ]; then
  sources=(tests/fuzz/fuzz_coupling.cpp app/net/PacketFramer.cpp app/net/CouplingMessage.cpp)
  flags+=(-Itests)
  seeds=tests/fuzz/corpus max_len=4096
else
  # The reader's messages come from the core's text table, so the core is built in.
  sources=(tests/fuzz/fuzz_intelhex.cpp app/usb/IntelHex.cpp app/core/*.cpp app/core/texts/*.cpp -lpthread)
  flags+=(-Iapp/usb -Itests/fuzz -DTAMARIK_VERSION_MAJOR=0 -DTAMARIK_VERSION_MINOR=0 -DTAMARIK_VERSION_BUILD=0)
  seeds=tests/fuzz/hexcorpus max_len=2048
fi
clang++ "${flags[@]}" "${sources[@]}" -o "$out/fuzz_$target"
"$out/fuzz_$target" -runs="$runs" -max_len="$max_len" -print_final_stats=1 \
  -artifact_prefix="$out/" "$out/$target" "$seeds"
