#!/usr/bin/env bash
# The real program under a Wayland compositor without a screen (weston), where Qt draws the window's
# decoration itself: one top-level window titled "Form1" whose client area follows the frame rule of X
# (outer size 826 x 439 unless the decoration would leave less than 818 x 412 inside), the compositor's
# own screenshot shows the picture's first frame, the program keeps running and prints nothing but the
# protocol (no warning, e.g. about placing its window). Nothing can click: weston has no input device
# there. A screenshot of the screen is left in the folder the test started in.
# Usage: wayland.sh SCROLLTEST MAKEBG VIEWLEFT
set -euo pipefail
program=$(realpath "$1") makebg=$(realpath "$2") viewleft=$(realpath "$3")
shots=$PWD
source "$(dirname "$0")/session.sh"

"$makebg" "$work/BG.bmp" 2>/dev/null
weston_start "$work/runtime"
cd "$work"
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
cp "$work/screen.png" "$shots/wayland.png"

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
echo "client ${width}x$height at $left,$top of a ${outer_width}x$outer_height buffer; first frame at $view on screen"
[[ "${width}x$height" == "${want_width}x$want_height" ]] ||
    fail "client area ${width}x$height, expected ${want_width}x$want_height"

sleep 1
kill -0 "$pid" 2>/dev/null || fail "the program ended"
others=$(grep -v '^\[' "$work/protocol.log" || true)
[[ -z $others ]] || fail "the program printed more than the protocol: $others"
