#!/usr/bin/env bash
# Configures and builds into a build folder: build.sh [folder] [extra cmake options…]
set -euo pipefail
cd "$(dirname "$0")/.."
dir="${1:-build}"
shift || true
# The compiler cache keys on paths relative to the checkout, so clones and
# work trees share one cache.
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1 CCACHE_SLOPPINESS=pch_defines,time_macros
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B "$dir" "${launcher[@]}" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
cmake --build "$dir"
