#!/usr/bin/env bash
# The real program scrolling on a real X server, driven with the mouse: the first frame shows the
# picture's left edge; START under "Timer" and then under "Multimedia Timer", each followed by STOP,
# moves the view right, and every frame shown is the picture's own columns; closing exits 0. Under
# as_user.sh, no thread of the program may have got real-time priority.
# Usage: scroll.sh SCROLLTEST MAKEBG XCLOSE VIEWLEFT
set -euo pipefail
program=$(realpath "$1") makebg=$(realpath "$2") xclose=$(realpath "$3") viewleft=$(realpath "$4")
source "$(dirname "$0")/session.sh"

# shown NAME: screenshot of the window; prints the left edge its view shows.
shown() {
    xvfb_screenshot "$window" "$work/$1.png"
    "$viewleft" "$work/BG.bmp" "$work/$1.png" 8 8 || fail "$1: the view is not a frame of BG.bmp"
}
# label NAME: a digest of the status label's pixels in screenshot NAME.
label() {
    convert "$work/$1.png" -crop 225x17+584+376 -depth 8 rgb:- | md5sum
}
# realtime_threads: how many of the program's threads run at real-time priority.
realtime_threads() {
    local task count=0
    for task in /proc/"$pid"/task/*; do
        [[ $(chrt -p "${task##*/}" 2>/dev/null) == *SCHED_FIFO* ]] && count=$((count + 1))
    done
    echo "$count"
}
# run_for SECONDS: START, wait, STOP; adds the real-time threads seen while running to $realtime.
realtime=0
run_for() {
    xvfb_click "$window" 52 384
    sleep "$1"
    realtime=$((realtime + $(realtime_threads)))
    xvfb_click "$window" 52 384
    sleep 0.5  # the last frame reaches the screen
}

"$makebg" "$work/BG.bmp" 2>/dev/null
start "$program"
window=$(xvfb_wait_window "$pid" 30) || fail "no window"
xvfb_wait_painted "$window" 30 || fail "window not painted"

first=$(shown first)
((first == 0)) || fail "first frame shows left edge $first, expected 0"

run_for 1.5
standard=$(shown standard)
((standard > 0)) || fail "no scrolling under Timer"
[[ $(label standard) != $(label first) ]] || fail "the label did not change under Timer"
sleep 0.5
again=$(shown standard_again)
((again == standard)) || fail "the view moved on after STOP ($standard, then $again)"

xvfb_click "$window" 218 384  # "Multimedia Timer"
sleep 0.3
run_for 1.5
precision=$(shown precision)
((precision > standard)) || fail "Multimedia Timer did not go on from $standard (shows $precision)"
echo "left edges: first $first, after Timer $standard, after Multimedia Timer $precision;" \
    "threads at real-time priority: $realtime (user $(id -un))"
if [[ -n ${SCROLL_E2E_NO_REALTIME:-} ]]; then
    ((EUID != 0 && realtime == 0)) || fail "real-time priority was not refused (user $(id -un), $realtime threads)"
fi

xvfb_close "$xclose" "$window"
expect_exit_zero "closing"
