#!/usr/bin/env bash
# Fails when clang-format would change any tracked C or C++ file, naming each
# one; `clang-format -i FILE` puts it right. Debian 12's clang-format (14) is
# the reference: other versions may lay out a few constructs differently.
set -euo pipefail
cd "$(dirname "$0")/.."

git ls-files -z '*.h' '*.cpp' '*.c' | xargs -0 clang-format --dry-run -Werror
