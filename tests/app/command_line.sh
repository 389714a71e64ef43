#!/usr/bin/env bash
# The real program's command line, without any display and without BG.bmp: --help and --version answer
# and exit 0; Qt's single-dash options are not read as ours; with no display to connect to, the program
# says so in one line and exits 1 (it used to abort inside Qt, exit code 134); a platform that is not there
# gets Qt's own lines, which name it, and exit code 1. Whatever session the caller has is left out.
# Lines Qt logs while the display guard stands reach standard error however the process ends: GUARDED_END
# logs some and ends each way a platform may end it.
# Usage: command_line.sh SCROLLTEST VERSION GUARDED_END
set -euo pipefail
program=$(realpath "$1") version=$2 guarded=$(realpath "$3")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
# The crash's row makes no core file.
ulimit -c 0

failures=0
# A copy of the program beside a qt.conf whose plugin folder holds the X11 platform only, as where the
# Wayland platform's package is not installed.
no_wayland=$work/no-wayland
mkdir -p "$no_wayland/plugins/platforms"
cp "$program" "$no_wayland/"
ln -s "$(qtpaths6 --query QT_INSTALL_PLUGINS)/platforms/libqxcb.so" "$no_wayland/plugins/platforms/"
printf '[Paths]\nPlugins = plugins\n' >"$no_wayland/qt.conf"

# A runtime folder with no compositor's socket in it, for the rows that ask for Wayland.
runtime=$work/runtime
mkdir -m 700 "$runtime"

# row NAME EXIT-CODE STDOUT-PATTERN STDERR-PATTERN [VARIABLE=VALUE...] -- [ARGUMENT...]
# Patterns are bash glob patterns matched against all of the output. The variable PROGRAM runs another
# program in place of the one under test.
row() {
    local name=$1 want_code=$2 want_out=$3 want_err=$4
    shift 4
    local environment=() run=$program
    while [[ $1 != -- ]]; do
        if [[ $1 == PROGRAM=* ]]; then run=${1#PROGRAM=}; else environment+=("$1"); fi
        shift
    done
    shift
    # Standard error is read to its end: what prints for a program that has ended may write until it ends too.
    local code=0 errors reader
    exec {errors}> >(cat >"$work/err")
    reader=$!
    env -u DISPLAY -u WAYLAND_DISPLAY -u XDG_SESSION_TYPE -u XDG_RUNTIME_DIR -u QT_QPA_PLATFORM \
        -u QT_QPA_PLATFORM_PLUGIN_PATH -u QT_PLUGIN_PATH "${environment[@]}" "$run" "$@" \
        >"$work/out" 2>&"$errors" {errors}>&- </dev/null || code=$?
    exec {errors}>&-
    wait "$reader"
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
row "Wayland asked for, no compositor" 1 '' "$no_display" QT_QPA_PLATFORM=wayland XDG_RUNTIME_DIR="$runtime" --
row "a Wayland session's default, no compositor" 1 '' "$no_display" XDG_SESSION_TYPE=wayland \
    XDG_RUNTIME_DIR="$runtime" --
# Qt's own lines, as Qt 6 writes them: the platform's, then its fatal one.
not_found() {
    echo "qt.qpa.plugin: Could not find the Qt platform plugin \"$1\" in \"\""
    echo 'This application failed to start because no Qt platform plugin could be initialized.*'
}
row "an unknown platform" 1 '' "$(not_found nosuchplatform)" QT_QPA_PLATFORM=nosuchplatform --
row "an unknown platform by Qt's option" 1 '' "$(not_found nosuchplatform)" -- -platform nosuchplatform
row "a platform whose plugin is not installed" 1 '' "$(not_found wayland)"'are: xcb.' \
    PROGRAM="$no_wayland/scrolltest" QT_QPA_PLATFORM=wayland --
row "the copy without Wayland, no display" 1 '' "$no_display" PROGRAM="$no_wayland/scrolltest" --
# The guarded child's lines: Qt's for a Wayland compositor it could not reach, then a cause of another
# platform's, held from the first on.
guarded_lines='Failed to create wl_display (No such file or directory)
qt.qpa.plugin: Could not load the Qt platform plugin "wayland" in "" even though it was found.
cause'
row "guarded, ends normally" 0 '' "$guarded_lines" PROGRAM="$guarded" --
row "guarded, Qt's fatal" 1 '' "$no_display" PROGRAM="$guarded" -- fatal
row "guarded, _exit as Qt's Wayland client" 1 '' "$guarded_lines" PROGRAM="$guarded" -- _exit
row "guarded, exit as Xlib on an I/O error" 1 '' "$guarded_lines" PROGRAM="$guarded" -- exit
# The shell's own word on the crash is left out.
row "guarded, a crash" 134 '' "$guarded_lines" PROGRAM="$guarded" -- abort 2>/dev/null
# Nothing of the guarded runs lives on: a process that printed their lines has ended.
for _ in {1..100}; do
    pgrep -f "^$guarded" >/dev/null || break
    sleep 0.1
done
if pgrep -af "^$guarded"; then
    echo "FAIL processes left behind"
    failures=$((failures + 1))
else
    echo "ok   no process left behind"
fi
((failures == 0))
