# Shared by run.sh and the end-to-end tests: a private X server and the few ways we drive a window on it.
# Source this file. Every wait is bounded; functions print what they found on stdout and complain on stderr.
# No window manager runs unless xvfb_start_openbox starts one; a window's geometry is always its client area.
# weston_start starts a Wayland compositor, without a screen or in a window on Xvfb; xvfb_stop ends them all.

XVFB_SCREEN=1920x1080x24

# Starts Xvfb on a free display and exports DISPLAY. Call xvfb_stop when done (e.g. from an EXIT trap).
xvfb_start() {
    local displayfile
    displayfile=$(mktemp)
    # -noreset: otherwise the server resets whenever its last client leaves and drops a client connecting then.
    Xvfb -displayfd 3 -noreset -screen 0 "$XVFB_SCREEN" -nolisten tcp 3>"$displayfile" 2>/dev/null &
    XVFB_PID=$!
    local tries
    for ((tries = 0; tries < 100; tries++)); do
        [[ -s $displayfile ]] && break
        sleep 0.1
    done
    if [[ ! -s $displayfile ]]; then
        echo "xvfb: no display after 10 s" >&2
        rm -f "$displayfile"
        return 1
    fi
    export DISPLAY=":$(tr -d '[:space:]' <"$displayfile")"
    rm -f "$displayfile"
    for ((tries = 0; tries < 100; tries++)); do
        xdpyinfo >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    echo "xvfb: $DISPLAY does not answer after 10 s" >&2
    return 1
}

xvfb_stop() {
    xvfb_end XVFB_WESTON_PID
    [[ -z ${XVFB_WM_PID:-} ]] || rm -rf "$XVFB_WM_CONFIG"
    xvfb_end XVFB_WM_PID
    xvfb_end XVFB_PID
}

# xvfb_end VARIABLE: ends the process whose id VARIABLE holds, if any, and empties VARIABLE.
xvfb_end() {
    local pid=${!1:-}
    if [[ -n $pid ]]; then
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    fi
    printf -v "$1" ''
}

# xvfb_start_openbox [TITLE-FONT-SIZE]: starts openbox on $DISPLAY with its default theme, the active
# window's title font at that size if given (24 points make a title bar over 40 pixels), and waits until
# it manages the screen. Its own configuration, so a user's does not change what a test sees.
xvfb_start_openbox() {
    XVFB_WM_CONFIG=$(mktemp -d)
    mkdir "$XVFB_WM_CONFIG/openbox"
    sed "${1:+/<font place=\"ActiveWindow\">/,/<\/font>/ s|<size>[0-9]*</size>|<size>$1</size>|}" \
        /etc/xdg/openbox/rc.xml >"$XVFB_WM_CONFIG/openbox/rc.xml"
    XDG_CONFIG_HOME=$XVFB_WM_CONFIG openbox >/dev/null 2>&1 &
    XVFB_WM_PID=$!
    local tries
    for ((tries = 0; tries < 100; tries++)); do
        [[ $(xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null) == *"window id"* ]] && return 0
        sleep 0.1
    done
    echo "xvfb: openbox does not manage $DISPLAY after 10 s" >&2
    return 1
}

# xvfb_frame_extents WINDOW: prints "LEFT RIGHT TOP BOTTOM", the frame the window manager put around the
# window (_NET_FRAME_EXTENTS), or "0 0 0 0" while it has none.
xvfb_frame_extents() {
    xprop -id "$1" _NET_FRAME_EXTENTS 2>/dev/null |
        awk -F' = ' '/CARDINAL/ {gsub(",", "", $2); print $2; found = 1} END {if (!found) print "0 0 0 0"}'
}

# weston_start FOLDER [x11]: starts weston, drawing in memory (--use-pixman) so that any client may take
# screenshots (--debug), with FOLDER (made, mode 700) as the runtime folder that holds its socket; exports
# XDG_RUNTIME_DIR and WAYLAND_DISPLAY. Its log is FOLDER/weston.log. Its screen is a smaller one than
# Xvfb's: without a screen of its own (headless), it has no input device at all; with x11, it shows its
# screen in a window at the top left of the X server's, and X's pointer is its pointer.
WESTON_SCREEN=1280x800
weston_start() {
    install -d -m 700 "$1"
    export XDG_RUNTIME_DIR=$1 WAYLAND_DISPLAY=wayland-e2e
    weston --backend="${2:-headless}-backend.so" --use-pixman --debug --socket="$WAYLAND_DISPLAY" \
        --width="${WESTON_SCREEN%x*}" --height="${WESTON_SCREEN#*x}" --idle-time=0 >"$1/weston.log" 2>&1 &
    XVFB_WESTON_PID=$!
    local tries
    for ((tries = 0; tries < 100; tries++)); do
        [[ -S $1/$WAYLAND_DISPLAY ]] && return 0
        sleep 0.1
    done
    echo "xvfb: weston has no socket after 10 s" >&2
    return 1
}

# weston_pointer X Y: moves the pointer to X,Y of the screen of weston's x11 backend, coming in from
# outside its window: weston follows the pointer only after it has entered.
weston_pointer() {
    # Pauses: on a loaded machine weston may see the two moves as one and miss the pointer's entry.
    xdotool mousemove "${WESTON_SCREEN%x*}" "${WESTON_SCREEN#*x}" sleep 0.2 mousemove "$1" "$2" sleep 0.2
}

# weston_click X Y: a real left click there.
weston_click() {
    weston_pointer "$1" "$2"
    xdotool click 1
}

# weston_screenshot FILE.png: the compositor's own picture of its whole screen.
weston_screenshot() {
    local shots code=0
    shots=$(mktemp -d)
    if ! (cd "$shots" && timeout 30 weston-screenshooter >/dev/null 2>&1 && mv "$shots"/*.png "$1"); then
        echo "xvfb: no screenshot from weston" >&2
        code=1
    fi
    rm -rf "$shots"
    return "$code"
}

# xvfb_windows PID: the ids of the visible windows of process PID, one per line (none: empty).
xvfb_windows() {
    xdotool search --onlyvisible --pid "$1" 2>/dev/null || true
}

# xvfb_wait_window PID SECONDS: waits for the first visible window of PID and prints its id.
xvfb_wait_window() {
    local pid=$1 limit=$2 tries windows
    for ((tries = 0; tries < limit * 10; tries++)); do
        windows=$(xvfb_windows "$pid")
        if [[ -n $windows ]]; then
            head -n 1 <<<"$windows"
            return 0
        fi
        kill -0 "$pid" 2>/dev/null || { echo "xvfb: process $pid ended without a window" >&2; return 1; }
        sleep 0.1
    done
    echo "xvfb: no visible window of process $pid after $limit s" >&2
    return 1
}

# xvfb_geometry WINDOW: prints "X Y WIDTH HEIGHT" of the window on the screen.
xvfb_geometry() {
    xwininfo -id "$1" | awk '/Absolute upper-left X/ {x = $NF} /Absolute upper-left Y/ {y = $NF}
        /^ *Width:/ {w = $NF} /^ *Height:/ {h = $NF} END {print x, y, w, h}'
}

# xvfb_wait_painted WINDOW SECONDS: waits until the window shows more than a flat fill.
xvfb_wait_painted() {
    local window=$1 limit=$2 tries colours
    for ((tries = 0; tries < limit * 5; tries++)); do
        colours=$(import -window "$window" -depth 8 ppm:- 2>/dev/null | identify -format '%k' - 2>/dev/null || echo 0)
        ((colours > 16)) && return 0
        sleep 0.2
    done
    echo "xvfb: window $window still not painted after $limit s ($colours colours)" >&2
    return 1
}

# xvfb_screenshot WINDOW FILE.png
xvfb_screenshot() {
    import -window "$1" "$2"
}

# xvfb_click WINDOW X Y: a real left click at X,Y of the window's client area. (No --sync: it can block
# for seconds when the pointer is already there.)
xvfb_click() {
    xdotool mousemove --window "$1" "$2" "$3" click 1
}

# xvfb_close XCLOSE WINDOW: asks the window to close as a user would (WM_DELETE_WINDOW), through our helper.
xvfb_close() {
    "$1" "$2"
}

# xvfb_wait_exit PID SECONDS: waits for the child process PID to end and sets XVFB_EXIT_CODE to its exit
# code; a process still running then is killed and reported as 124. (Not for $(...): wait needs this shell.)
xvfb_wait_exit() {
    local pid=$1 limit=$2 tries
    for ((tries = 0; tries < limit * 10; tries++)); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    if kill -0 "$pid" 2>/dev/null; then
        echo "xvfb: process $pid still running after $limit s; killing it" >&2
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
        XVFB_EXIT_CODE=124
        return 0
    fi
    XVFB_EXIT_CODE=0
    wait "$pid" || XVFB_EXIT_CODE=$?
}
