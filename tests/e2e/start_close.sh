#!/usr/bin/env bash
# The real program on a real X server: its window appears centred with an 818 x 412 client area, gets
# painted, and closing it as a user would ends the program with exit code 0.
# Usage: start_close.sh SCROLLTEST MAKEBG XCLOSE
set -euo pipefail
program=$(realpath "$1") makebg=$(realpath "$2") xclose=$(realpath "$3")
source "$(dirname "$0")/session.sh"

"$makebg" "$work/BG.bmp" 2>/dev/null
start "$program"

window=$(xvfb_wait_window "$pid" 30) || fail "no window"
read -r x y width height < <(xvfb_geometry "$window")
echo "window $window at $x,$y size ${width}x$height"
[[ "${width}x$height" == 818x412 ]] || fail "client area ${width}x$height, expected 818x412"
screen_width=${XVFB_SCREEN%%x*} rest=${XVFB_SCREEN#*x}
screen_height=${rest%%x*}
expected_x=$(((screen_width - width) / 2)) expected_y=$(((screen_height - height) / 2))
((x >= expected_x - 1 && x <= expected_x + 1 && y >= expected_y - 1 && y <= expected_y + 1)) ||
    fail "window at $x,$y, expected centred at $expected_x,$expected_y"

xvfb_wait_painted "$window" 30 || fail "window not painted"
xvfb_screenshot "$window" "$work/window.png"
shot=$(identify -format '%wx%h' "$work/window.png")
[[ $shot == 818x412 ]] || fail "screenshot is $shot, expected 818x412"

xvfb_close "$xclose" "$window"
expect_exit_zero "closing"
