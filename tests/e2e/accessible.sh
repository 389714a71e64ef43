#!/usr/bin/env bash
# What a screen reader reads of the real window: the program on a private X server, with accessibility on,
# on a private session bus and accessibility bus; accessible.py walks its tree.
# Usage: accessible.sh SCROLLTEST MAKEBG
set -euo pipefail
program=$(realpath "$1") makebg=$(realpath "$2")
source "$(dirname "$0")/session.sh"

launcher=
end_buses() {
    xvfb_end launcher
    if [[ -n ${DBUS_SESSION_BUS_PID:-} ]]; then kill "$DBUS_SESSION_BUS_PID" 2>/dev/null || true; fi
    cleanup
}
trap end_buses EXIT

# A desktop session's accessibility bus would take the place of ours.
unset AT_SPI_BUS_ADDRESS
eval "$(dbus-launch --sh-syntax)"
/usr/libexec/at-spi-bus-launcher --launch-immediately &
launcher=$!
"$makebg" "$work/BG.bmp"
QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 start "$program"
xvfb_wait_window "$pid" 30 >/dev/null || fail "no window"
# pyatspi is the system Python's.
/usr/bin/python3 "$(dirname "$0")/accessible.py" "$pid"
