#!/usr/bin/env bash
# Installs what is missing, builds Tarvik and starts it.
#   scripts/run.sh                   capture through the real printer port
#   scripts/run.sh --simulated-port  capture from the built-in simulated port
#   scripts/run.sh OPTIONS...        any of the program's options (--help)
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release --target tarvik

exec build/release/ui/tarvik "$@"
