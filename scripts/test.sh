#!/usr/bin/env bash
# Builds the program and runs every test, stage by stage; the first failing stage ends the run with a
# non-zero exit code. Safe to run again: each stage reuses its own build folder.
# Usage: scripts/test.sh [STAGE...]    (no stage: all of them, in order)
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

# Every test again with address and undefined-behaviour checks, but for installing and packaging, which
# the release stage covers; leaks that system libraries keep for the life of the process are listed in
# tests/sanitizers/lsan.supp.
stage_asan() {
    configure_and_build build-asan -DCMAKE_BUILD_TYPE=Debug -DSCROLL_SANITIZE=address,undefined \
        -DSCROLL_BENCH_PROGRAMS=OFF
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 \
    LSAN_OPTIONS=suppressions=$PWD/tests/sanitizers/lsan.supp \
    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
        run_tests build-asan -LE package
}

# The tests that run threads, under the race checker: any report fails the test. Only their programs
# are built; the others' tests show as not built and carry no label, so they are not run. The long
# stress runs repeat, thousands of times, paths the other threaded tests take under the race checker
# already; they run in the release and asan stages.
stage_tsan() {
    cmake -S . -B build-tsan -DBUILD_TESTING=ON -DCMAKE_BUILD_TYPE=Debug -DSCROLL_SANITIZE=thread
    cmake --build build-tsan -j"$JOBS" --target platform_threaded_tests mmtimer_threaded_tests \
        toolkit_threaded_tests app_tests scroll_tests scroll_threaded_tests stress_tests
    TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 run_tests build-tsan -L threaded -LE stress
}

# A minute of fuzzing the start-up picture path; scripts/fuzz.sh SECONDS runs it longer.
stage_fuzz() {
    bash scripts/fuzz.sh 60
}

# The precision timer and its tests built for Windows (cmake/x86_64-w64-mingw32.cmake), the tests run under
# wine over its own timer service, in a prefix in the build folder, without a display; and the zip and the
# installer, which the package test makes with cpack and installs in that prefix. Any failing test fails the
# stage, and so does a run without tests; ctest's summary gives their count.
stage_windows() {
    configure_and_build build-windows --toolchain cmake/x86_64-w64-mingw32.cmake -DCMAKE_BUILD_TYPE=Release
    # Wine's server for the tests' prefix stays up for the whole run: one that ends between two tests writes
    # the registry while it still holds the prefix, and a program starting meanwhile fails ("a wine server
    # seems to be running, but I cannot connect to it"). Wine's own services start with the first program and
    # live as long as the server: started here, they hold no test's output open. (The prefix for windows has
    # its display decided by the first program of each server, so its server comes and goes with its tests.)
    local prefix=$PWD/build-windows/wine status=0
    WINEPREFIX=$prefix /usr/lib/wine/wineserver -w
    WINEPREFIX=$prefix /usr/lib/wine/wineserver -p
    env -u DISPLAY -u WAYLAND_DISPLAY WINEPREFIX="$prefix" WINEDEBUG=-all \
        WINEDLLOVERRIDES='mscoree,mshtml=;winedbg.exe=d;winemenubuilder.exe=d' \
        /usr/lib/wine/wine64 cmd /c exit </dev/null >/dev/null 2>&1
    run_tests build-windows --no-tests=error || status=$?
    WINEPREFIX=$prefix /usr/lib/wine/wineserver -k 2>/dev/null || true
    return "$status"
}

STAGES=(deps release asan tsan fuzz windows)

if (($# > 0)); then
    for stage in "$@"; do
        if [[ " ${STAGES[*]} " != *" $stage "* ]]; then
            echo "unknown stage '$stage'; the stages are: ${STAGES[*]}" >&2
            exit 2
        fi
    done
    # Any stage needs the packages: on a fresh machine they are installed first, and it costs a second when
    # they are there.
    [[ " $* " == *" deps "* ]] || set -- deps "$@"
    STAGES=("$@")
fi

current=
trap 'code=$?; ((code == 0)) || echo "=== stage ${current:-setup} FAILED (exit code $code) ===" >&2' EXIT
for current in "${STAGES[@]}"; do
    echo "=== stage $current ==="
    started=$SECONDS
    "stage_$current"
    echo "=== stage $current passed in $((SECONDS - started)) s ==="
done
current=
echo "=== stages passed: ${STAGES[*]} ==="
