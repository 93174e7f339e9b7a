#!/usr/bin/env bash
# Installs what is missing, builds Tarvik and starts it.
#   scripts/run.sh                   capture through the real printer port
#   scripts/run.sh --simulated-port  capture from the built-in simulated port
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release --target tarvik

if [ "${1:-}" = "--simulated-port" ]; then
  export LD_LIBRARY_PATH="$PWD/build/release/portlibs/simulated${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}"
fi
exec build/release/ui/tarvik
