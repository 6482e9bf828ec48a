#!/usr/bin/env bash
# Installs what is missing, builds, and starts the monitor on its built-in
# default: the window when there is a display, the terminal trace otherwise.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh build -DTAMARIK_TESTS=OFF -DTAMARIK_BENCH=OFF
exec ./build/app/tamarik "$@"
