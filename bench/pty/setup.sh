#!/usr/bin/env bash
# What the pseudo-terminal comparison needs besides the build: the Debian
# serial sniffer it is compared with.
set -euo pipefail
if ! command -v jpnevulator >/dev/null; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends jpnevulator
fi
