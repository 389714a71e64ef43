#!/usr/bin/env bash
# The real program's command line, without any display and without BG.bmp: --help and --version answer
# and exit 0; Qt's single-dash options are not read as ours; with no display to connect to, the program
# says so in one line and exits 1 (it used to abort inside Qt, exit code 134).
# Usage: command_line.sh SCROLLTEST VERSION
set -euo pipefail
program=$(realpath "$1") version=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

failures=0
# row NAME EXIT-CODE STDOUT-PATTERN STDERR-PATTERN [VARIABLE=VALUE...] -- [ARGUMENT...]
# Patterns are bash glob patterns matched against all of the output.
row() {
    local name=$1 want_code=$2 want_out=$3 want_err=$4
    shift 4
    local environment=()
    while [[ $1 != -- ]]; do environment+=("$1"); shift; done
    shift
    local code=0
    env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "${environment[@]}" "$program" "$@" \
        >"$work/out" 2>"$work/err" </dev/null || code=$?
    local out err
    out=$(<"$work/out") err=$(<"$work/err")
    # shellcheck disable=SC2053
    if [[ $code != "$want_code" || $out != $want_out || $err != $want_err ]]; then
        echo "FAIL $name: exit code $code (want $want_code)"
        echo "  stdout: $out"
        echo "  stderr: $err"
        failures=$((failures + 1))
    else
        echo "ok   $name"
    fi
}

no_display='scrolltest: cannot connect to a display (DISPLAY not set, WAYLAND_DISPLAY not set)'
row "--help" 0 "Usage: $program [[]options]"$'\n'*"-v, --version"* '' -- --help
row "-h" 0 'Usage: *' '' -- -h
row "--version is the project's" 0 "scrolltest $version" '' -- --version
row "-v after Qt's options" 0 "scrolltest $version" '' -- -platform xcb -reverse -v
row "Qt's -stylesheet holds an h but is not -h" 1 '' "$no_display" -- -stylesheet style.qss
row "other arguments are ignored" 1 '' "$no_display" -- --interval 5 BG.bmp
row "no display at all" 1 '' "$no_display" --
row "a display nobody serves" 1 '' \
    'scrolltest: cannot connect to a display (DISPLAY=":4999", WAYLAND_DISPLAY not set)' DISPLAY=:4999 --
((failures == 0))
