#!/usr/bin/env bash
# Installs what is missing, builds and runs every test: AddressSanitizer +
# UndefinedBehaviorSanitizer, then the thread tests under ThreadSanitizer,
# then a Release build (-O3) as a packager makes it, so the optimiser's
# warnings stay errors too.
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
  ctest --test-dir build-tsan --output-on-failure -j "$jobs" -R 'Ring|Consumer|Thread|Serial|Port|Relay|Driver|EzUsb|UsbMonitor|PlugIn|HeadlessSend|BaudRate|CoreThread'

echo "== tests (Release)"
bash scripts/build.sh build-release -DCMAKE_BUILD_TYPE=Release
ctest --test-dir build-release --output-on-failure -j "$jobs"
