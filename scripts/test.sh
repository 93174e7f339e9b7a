#!/usr/bin/env bash
# Installs what is missing, checks that every source file is formatted as
# .clang-format says, then builds and runs the whole test suite: an optimised
# build with warnings as errors, the same tests under AddressSanitizer and
# UndefinedBehaviorSanitizer, a bounded run of the settings-file fuzzer, and
# the Debian package with its checks, installed into a throwaway Debian 12
# chroot.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh --test

echo "== Formatting"
scripts/check-format.sh

echo "== Optimised build, warnings as errors"
cmake --preset ci >/dev/null
cmake --build --preset ci
ctest --preset ci

echo "== AddressSanitizer and UndefinedBehaviorSanitizer"
cmake --preset sanitize >/dev/null
cmake --build --preset sanitize
UBSAN_OPTIONS=print_stacktrace=1 ctest --preset sanitize

echo "== Settings-file fuzzer"
tests/fuzz/run-settings-fuzzer.sh 60

echo "== Debian package"
scripts/package.sh
scripts/check-package.sh

echo "== Installing the package into a Debian 12 chroot"
scripts/check-install.sh
