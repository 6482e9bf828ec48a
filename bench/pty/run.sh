#!/usr/bin/env bash
# The pseudo-terminal comparison: cat, the terminal front end and jpnevulator
# take the same data in one run; then the CPU share at two 12 Mbaud lines.
#   bench/pty/run.sh [build folder] [megabytes]
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/../.." && pwd)"
build="${1:-$root/build}"
bash "$here/setup.sh" || echo "jpnevulator could not be installed; it is left out" >&2
[ -x "$build/app/tamarik" ] || cmake --build "$build" --target tamarik
exec python3 "$here/pty_compare.py" --program "$build/app/tamarik" --megabytes "${2:-4}"
