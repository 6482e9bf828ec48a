#!/usr/bin/env bash
# Fuzzes the driver library's ioctl(code, in, out) against an emulated chip:
# fuzz-usb.sh [executions] (default 200000). New finds go to build-fuzz/corpus;
# copy those worth keeping to tests/driver/fuzz/corpus, which the suite replays.
set -euo pipefail
cd "$(dirname "$0")/.."
runs="${1:-200000}"
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined" \
  -DTAMARIK_FUZZ=ON -DTAMARIK_WINDOW=OFF -DTAMARIK_BENCH=OFF >/dev/null
cmake --build build-fuzz --target fuzz_ioctl
mkdir -p build-fuzz/corpus
./build-fuzz/tests/driver/fuzz_ioctl -runs="$runs" build-fuzz/corpus tests/driver/fuzz/corpus
