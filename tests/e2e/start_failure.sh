#!/usr/bin/env bash
# A start-up that fails (no BG.bmp in the working folder) on a real X server: exactly one error box and
# no window; dismissing the box with a real key press ends the program with exit code 0.
# Usage: start_failure.sh PROGRAM
set -euo pipefail
program=$(realpath "$1")
source "$(dirname "$0")/session.sh"

start "$program"

box=$(xvfb_wait_window "$pid" 30) || fail "no error box"
xvfb_wait_painted "$box" 30 || fail "error box not painted"
windows=$(xvfb_windows "$pid" | wc -l)
((windows == 1)) || fail "$windows visible windows, expected the error box alone"
read -r x y width height < <(xvfb_geometry "$box")
echo "error box $box at $x,$y size ${width}x$height"
[[ "${width}x$height" != 818x412 ]] || fail "the visible window is the main window, not an error box"

xdotool windowfocus --sync "$box"
xdotool key Return
expect_exit_zero "dismissing the box"
