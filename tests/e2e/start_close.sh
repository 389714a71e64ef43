#!/usr/bin/env bash
# The real program on a real X server: its window appears centred, frame included, with an 818 x 412 client
# area, gets painted, and closing it as a user would ends the program with exit code 0. Under openbox
# (default theme, or a title font of SIZE points) the outer size is 826 x 439 unless that frame would leave
# less than 818 x 412 inside; then the window grows. A screenshot of the screen is left in the folder the
# test started in.
# Usage: start_close.sh SCROLLTEST MAKEBG XCLOSE [openbox [SIZE]]
set -euo pipefail
program=$(realpath "$1") makebg=$(realpath "$2") xclose=$(realpath "$3") wm=${4:-} title_font=${5:-}
shots=$PWD
source "$(dirname "$0")/session.sh"

screen_width=${XVFB_SCREEN%%x*} rest=${XVFB_SCREEN#*x}
screen_height=${rest%%x*}
# placed: reads the window's client geometry and frame, and says whether they are what they should be.
placed() {
    read -r x y width height < <(xvfb_geometry "$window")
    read -r left right top bottom < <(xvfb_frame_extents "$window")
    if [[ -z $wm ]]; then
        want_width=818 want_height=412
    else
        want_width=$((826 - left - right > 818 ? 826 - left - right : 818))
        want_height=$((439 - top - bottom > 412 ? 439 - top - bottom : 412))
    fi
    outer_x=$((x - left)) outer_y=$((y - top))
    outer_width=$((width + left + right)) outer_height=$((height + top + bottom))
    centre_x=$(((screen_width - outer_width) / 2)) centre_y=$(((screen_height - outer_height) / 2))
    [[ "${width}x$height" == "${want_width}x$want_height" ]] &&
        ((outer_x >= centre_x - 1 && outer_x <= centre_x + 1 && outer_y >= centre_y - 1 && outer_y <= centre_y + 1))
}

"$makebg" "$work/BG.bmp" 2>/dev/null
start "$program" "$wm" "$title_font"

window=$(xvfb_wait_window "$pid" 30) || fail "no window"
xvfb_wait_painted "$window" 30 || fail "window not painted"
# A window manager may still be framing and moving it.
for ((tries = 0; tries < 100; tries++)); do
    placed && break
    sleep 0.1
done
echo "window $window: client ${width}x$height at $x,$y; frame $left $right $top $bottom (left right top bottom);" \
    "outer ${outer_width}x$outer_height at $outer_x,$outer_y"
[[ "${width}x$height" == "${want_width}x$want_height" ]] ||
    fail "client area ${width}x$height, expected ${want_width}x$want_height"
placed || fail "window at $outer_x,$outer_y with its frame, expected centred at $centre_x,$centre_y"
[[ -z $wm ]] || import -window root "$shots/$wm${title_font:+-title-$title_font}.png"

xvfb_screenshot "$window" "$work/window.png"
shot=$(identify -format '%wx%h' "$work/window.png")
[[ $shot == "${width}x$height" ]] || fail "screenshot is $shot, expected ${width}x$height"

xvfb_close "$xclose" "$window"
expect_exit_zero "closing"
