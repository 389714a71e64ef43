#!/usr/bin/env bash
# Builds the picture fuzzer (clang, address and undefined-behaviour sanitizers) in build-fuzz/, seeds
# it with the BMP corpus and runs it for a bounded time. Exits non-zero on any finding; each input that
# fails is kept as base64 in tests/fuzz/regressions/, which the picture tests replay.
# Usage: scripts/fuzz.sh [seconds]    (default 60)
set -euo pipefail

seconds=${1:-60}
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-fuzz"
run="$build/fuzz-run"

bash "$root/scripts/deps.sh"

cmake -S "$root" -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DSCROLL_SANITIZE=address,undefined -DSCROLL_FUZZ=ON
cmake --build "$build" -j2 --target picture_fuzzer write_seeds

rm -rf "$run"
mkdir -p "$run/seeds" "$run/corpus" "$run/findings"
"$build/tests/fuzz/write_seeds" "$run/seeds"

# One malloc above 512 MB is a finding: Qt's own limit is 128 MB a picture.
status=0
QT_QPA_PLATFORM=offscreen "$build/tests/fuzz/picture_fuzzer" \
  -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -malloc_limit_mb=512 \
  -artifact_prefix="$run/findings/" -print_final_stats=1 \
  "$run/corpus" "$run/seeds" || status=$?

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
