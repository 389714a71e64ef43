# Sourced by the end-to-end scripts: the private X server helpers, a scratch folder $work with the session's
# runtime folder, the program's $pid once started, and cleanup of all three on any exit.
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/xvfb.sh"

work=$(mktemp -d)
# As a login gives it; without one Qt warns and falls back to a folder shared by every run of the user.
install -d -m 700 "$work/runtime"
export XDG_RUNTIME_DIR=$work/runtime
pid=
cleanup() {
    if [[ -n $pid ]]; then kill "$pid" 2>/dev/null || true; fi
    xvfb_stop
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# start PROGRAM [openbox [TITLE-FONT-SIZE]]: starts the X server, the window manager if one is named, and
# PROGRAM in $work, and sets $pid.
start() {
    xvfb_start
    if [[ -n ${2:-} ]]; then xvfb_start_openbox "${3:-}"; fi
    cd "$work"
    "$1" &
    pid=$!
}

# expect_exit_zero WHAT: waits for $pid to end by itself after WHAT and fails unless its exit code is 0.
expect_exit_zero() {
    xvfb_wait_exit "$pid" 30
    pid=
    [[ $XVFB_EXIT_CODE == 0 ]] || fail "exit code $XVFB_EXIT_CODE after $1, expected 0"
    echo "$1, exit code 0"
}
