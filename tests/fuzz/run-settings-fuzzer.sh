#!/usr/bin/env bash
# Builds the settings-reader fuzzer with the fuzz preset and runs it for the
# given number of seconds on a copy of the seed corpus. Exits non-zero on a
# crash, a hang, a sanitizer report or a settings file that does not read back
# as it was written; the input that caused it is printed and kept in the build
# directory.
#
#   tests/fuzz/run-settings-fuzzer.sh SECONDS [BUILD_DIR]
set -euo pipefail

seconds=${1:?usage: run-settings-fuzzer.sh SECONDS [BUILD_DIR]}
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(realpath -m "${2:-$root/build/fuzz}")

cd "$root"
cmake --preset fuzz -B "$build" >/dev/null
cmake --build "$build" --target fuzz_settings_reader

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r tests/fuzz/corpus "$work/corpus"
mkdir "$work/findings"

echo "Fuzzing the settings reader for ${seconds}s"
if "$build/tests/fuzz/fuzz_settings_reader" -max_total_time="$seconds" -timeout=10 \
    -max_len=4096 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$work/findings/" "$work/corpus" >"$work/log" 2>&1; then
  grep -E '^(Done|stat::number_of_executed_units|stat::peak_rss_mb)' "$work/log" || true
  exit 0
fi

tail -n 80 "$work/log"
mkdir -p "$build/findings"
for finding in "$work"/findings/*; do
  [ -e "$finding" ] || continue
  cp "$finding" "$build/findings/"
  echo "== $build/findings/$(basename "$finding")"
  od -c "$finding" | head -n 40
done
exit 1
