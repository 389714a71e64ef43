#!/usr/bin/env bash
# Builds the program and runs every test, stage by stage; the first failing stage ends the run with a
# non-zero exit code. Safe to run again: each stage reuses its own build folder.
# To add a stage, write a function stage_NAME and add NAME to STAGES.
set -euo pipefail
cd "$(dirname "$0")/.."

JOBS=2
# Per test, in seconds: generous for a loaded two-core machine.
TEST_TIMEOUT=300

# configure_and_build DIR [CMAKE-OPTION...]
configure_and_build() {
    local dir=$1
    shift
    cmake -S . -B "$dir" -DBUILD_TESTING=ON "$@"
    cmake --build "$dir" -j"$JOBS"
}

# run_tests DIR [CTEST-OPTION...]
run_tests() {
    local dir=$1
    shift
    (cd "$dir" && ctest --output-on-failure --timeout "$TEST_TIMEOUT" -j"$JOBS" "$@")
}

stage_deps() {
    bash scripts/deps.sh
}

# Every test, the end-to-end ones on a private X server included.
stage_release() {
    configure_and_build build -DCMAKE_BUILD_TYPE=Release
    run_tests build
}

STAGES=(deps release)

current=
trap 'code=$?; ((code == 0)) || echo "=== stage ${current:-setup} FAILED (exit code $code) ===" >&2' EXIT
for current in "${STAGES[@]}"; do
    echo "=== stage $current ==="
    "stage_$current"
done
current=
echo "=== all stages passed: ${STAGES[*]} ==="
