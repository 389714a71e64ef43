#!/usr/bin/env bash
# The real program under a Wayland compositor (weston), where Qt draws the window's decoration itself: one
# top-level window titled "Form1" whose client area follows the frame rule of X (outer size 826 x 439
# unless the decoration would leave less than 818 x 412 inside), the compositor's own screenshot shows the
# picture's first frame, the program keeps running and prints nothing but the protocol (no warning, e.g.
# about placing its window). Without a screen weston has no input device; with "click" it runs in a window
# on Xvfb, whose pointer clicks START (the view moves), STOP (the view stands still) and the decoration's
# close button (exit code 0). A screenshot of the screen is left in the folder the test started in.
# Usage: wayland.sh SCROLLTEST MAKEBG VIEWLEFT [click]
set -euo pipefail
program=$(realpath "$1") makebg=$(realpath "$2") viewleft=$(realpath "$3") click=${4:-}
shots=$PWD
source "$(dirname "$0")/session.sh"

"$makebg" "$work/BG.bmp" 2>/dev/null
if [[ -n $click ]]; then
    xvfb_start
    weston_start "$work/runtime" x11
    # weston draws the pointer into its screenshots: keep it on the panel, where no window goes.
    weston_pointer $((${WESTON_SCREEN%x*} / 2)) 10
else
    weston_start "$work/runtime"
fi
cd "$work"
# The list of leak suppressions used would count as output below.
[[ -z ${LSAN_OPTIONS:-} ]] || export LSAN_OPTIONS=$LSAN_OPTIONS:print_suppressions=0
env -u DISPLAY QT_QPA_PLATFORM=wayland WAYLAND_DEBUG=client "$program" 2>"$work/protocol.log" &
pid=$!

# Mapped is not yet painted: look until the compositor shows the first frame.
view=
for ((tries = 0; tries < 30; tries++)); do
    kill -0 "$pid" 2>/dev/null || fail "the program ended"
    if weston_screenshot "$work/screen.png"; then
        view=$("$viewleft" "$work/BG.bmp" "$work/screen.png" 2>/dev/null) && break
    fi
    sleep 1
done
[[ -n $view ]] || fail "no screenshot shows the picture's first frame"
cp "$work/screen.png" "$shots/wayland${click:+-click}.png"

# numbers PATTERN: the numbers in the last request matching PATTERN.
numbers() {
    grep -o "$1([^)]*)" "$work/protocol.log" | tail -n 1 | sed 's/.*(//; s/[^0-9]/ /g'
}
toplevels=$(grep -c 'get_toplevel(' "$work/protocol.log" || true)
((toplevels == 1)) || fail "$toplevels top-level windows, expected 1"
grep -q 'xdg_toplevel@[0-9]*\.set_title("Form1")' "$work/protocol.log" || fail "no window titled Form1"
# The buffer holds the decoration too; the opaque region inside it is the client area.
read -r _ _ outer_width outer_height _ < <(numbers 'create_buffer')
read -r left top width height < <(numbers 'wl_region@[0-9]*\.add')
frame_width=$((outer_width - width)) frame_height=$((outer_height - height))
want_width=$((826 - frame_width > 818 ? 826 - frame_width : 818))
want_height=$((439 - frame_height > 412 ? 439 - frame_height : 412))
read -r view_x view_y <<<"$view"
echo "client ${width}x$height at $left,$top of a ${outer_width}x$outer_height buffer; view at $view_x,$view_y"
[[ "${width}x$height" == "${want_width}x$want_height" ]] ||
    fail "client area ${width}x$height, expected ${want_width}x$want_height"

sleep 1
kill -0 "$pid" 2>/dev/null || fail "the program ended"
if [[ -n $click ]]; then
    # click_until X Y CHECK WHAT: clicks at X,Y until CHECK holds, trying it each second for 10 s after a
    # click. Under load the nested compositor has lost clicks: a second one costs nothing.
    click_until() {
        local tries waits
        for ((tries = 0; tries < 2; tries++)); do
            weston_click "$1" "$2" || exit 1
            for ((waits = 0; waits < 10; waits++)); do
                sleep 1
                "$3" && return 0
            done
            echo "no effect 10 s after a click on $4"
        done
        return 1
    }
    # shown NAME: the left edge of the view in a screenshot of the screen.
    shown() {
        weston_screenshot "$work/$1.png" || fail "no screenshot ($1)"
        "$viewleft" "$work/BG.bmp" "$work/$1.png" "$view_x" "$view_y" || fail "$1: the view is not a frame of BG.bmp"
    }
    # Checks of what a click did; a failed screenshot ends the test.
    started() { moved=$(shown started) || exit 1; ((moved != 0)); }
    stopped() {
        local still
        still=$(shown stopped) || exit 1
        ((still == moved)) || { moved=$still; return 1; }
    }
    ended() { ! kill -0 "$pid" 2>/dev/null; }

    # START and STOP are one button (Button1 at 8,368 of the client area, 89 x 33).
    click_until $((view_x + 44)) $((view_y + 376)) started START || fail "START did not scroll the view"
    # Stopped: the view stands still for a second.
    click_until $((view_x + 44)) $((view_y + 376)) stopped STOP || fail "STOP did not stop the view (it shows $moved)"
    echo "START and STOP moved the view to $moved"
    # Qt's decoration: an 18-pixel close button in the middle of the title bar, flush with the client's right.
    # Whether it ended the program, and how, is told below.
    click_until $((view_x - 8 + width - 9)) $((view_y - 8 - top / 2)) ended "the close button" || true
    expect_exit_zero "closing from the decoration"
fi
others=$(grep -v '^\[' "$work/protocol.log" || true)
[[ -z $others ]] || fail "the program printed more than the protocol: $others"
