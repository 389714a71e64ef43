#!/usr/bin/env bash
# Builds the two picture fuzzers (clang, address and undefined-behaviour sanitizers) in build-fuzz/, seeds
# them with the BMP corpus and runs them for a bounded time between them: a quarter of it the BMP check
# alone, which runs many times faster, the rest the window's whole start-up. Exits non-zero on any finding;
# each input that fails is kept as base64 in tests/fuzz/regressions/, which the picture tests replay.
# Usage: scripts/fuzz.sh [seconds]    (default 60, in all)
set -euo pipefail

seconds=${1:-60}
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-fuzz"
run="$build/fuzz-run"

bash "$root/scripts/deps.sh"

cmake -S "$root" -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DSCROLL_SANITIZE=address,undefined -DSCROLL_FUZZ=ON
cmake --build "$build" -j2 --target picture_fuzzer bmp_check_fuzzer write_seeds

rm -rf "$run"
mkdir -p "$run/seeds" "$run/findings"
"$build/tests/fuzz/write_seeds" "$run/seeds"

# fuzz NAME SECONDS: runs one fuzzer, with a growing corpus of its own. One malloc above 512 MB is a
# finding: the largest picture allowed takes 256 MB.
status=0
fuzz() {
  mkdir -p "$run/corpus-$1"
  QT_QPA_PLATFORM=offscreen "$build/tests/fuzz/$1" \
    -max_total_time="$2" -timeout=10 -rss_limit_mb=2048 -malloc_limit_mb=512 \
    -artifact_prefix="$run/findings/" -print_final_stats=1 \
    "$run/corpus-$1" "$run/seeds" || status=$?
}
fuzz bmp_check_fuzzer $((seconds / 4))
fuzz picture_fuzzer $((seconds - seconds / 4))

for finding in "$run"/findings/*; do
  [ -e "$finding" ] || continue
  kept="$root/tests/fuzz/regressions/$(basename "$finding").b64"
  mkdir -p "$(dirname "$kept")"
  base64 -w 76 "$finding" > "$kept"
  echo "kept $kept"
done
if [ "$status" -ne 0 ]; then
  echo "fuzzing found a fault (exit $status)" >&2
fi
exit "$status"
