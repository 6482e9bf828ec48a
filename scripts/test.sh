#!/usr/bin/env bash
# Installs what is missing, builds and runs every test: a normal build, then
# AddressSanitizer + UndefinedBehaviorSanitizer, then the thread tests under
# ThreadSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
export QT_QPA_PLATFORM=offscreen
jobs=$(nproc)

echo "== sanitizers: address, undefined"
bash scripts/build.sh build-asan -DTAMARIK_SANITIZE="address;undefined" -DTAMARIK_BENCH=OFF
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-asan --output-on-failure -j "$jobs"

echo "== sanitizer: thread (ring, consumer, serial workers)"
bash scripts/build.sh build-tsan -DTAMARIK_SANITIZE=thread -DTAMARIK_BENCH=OFF -DTAMARIK_WINDOW=OFF
TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" \
  ctest --test-dir build-tsan --output-on-failure -j "$jobs" -R 'Ring|Consumer|Thread|Serial|Port|Relay|HeadlessSend'

echo "== tests"
bash scripts/build.sh build
ctest --test-dir build --output-on-failure -j "$jobs"
