#!/usr/bin/env bash
# Installs what is missing and builds Tarvik's Debian package from the release
# preset: build/package/tarvik_<version>_<architecture>.deb.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh --package
rm -rf build/package
cmake --workflow --preset deb
