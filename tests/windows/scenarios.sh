#!/usr/bin/env bash
# The Windows program under wine on a private X server with openbox, driven as a user would (real clicks and
# keys through XTEST) and read through the system by the probe (probe.cpp). One run is one scenario of the
# table below, in a copy of the build's wine prefix of its own, so that scenarios running at once never share
# a prefix or its wineserver. A failing scenario leaves a screenshot of the screen as SCENARIO-failed.png in
# the folder it started in.
# Usage: scenarios.sh --list
#        scenarios.sh SCENARIO PREFIX LAYOUT PICTURE SCROLLTEST PROBE THROWING_TICK INSTALLER
# PREFIX is the build's wine prefix, LAYOUT the window's Unit1.ui, PICTURE the sample BG.bmp. The scenario
# that needs the installer exits 77 (skipped) when there is none.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/xvfb.sh"
source "$(dirname "${BASH_SOURCE[0]}")/../install/wine_package.sh"

# --- The scenarios: scenario_NAME, each a test of its own. ---

# The window, its controls at the layout's pixels with their texts, states and styles, focus on START; the
# first frame shows the picture's left edge; Tab and the arrow keys move between controls as in a dialog, and
# Esc and Enter in the field click nothing.
scenario_window() {
    make_picture
    launch
    wait_view 0
    expect windows 1
    expect client "${form[width]} ${form[height]}"
    expect centred 1
    expect maximizebox 0
    expect thickframe 0
    expect focus "${ids[Button1]}"
    expect_controls
    expect_radio_group

    # Key, then the control that should have focus.
    local steps=(Tab RadioButton1 Down RadioButton2 Tab Edit1 Tab Button1 shift+Tab Edit1) i
    xdotool windowfocus --sync "$window"
    for ((i = 0; i < ${#steps[@]}; i += 2)); do
        xdotool key "${steps[i]}"
        until_seen fact_is focus "${ids[${steps[i + 1]}]}" || fail "after ${steps[*]:0:i+1}: focus on $(fact focus)," \
            "expected ${steps[i + 1]} (${ids[${steps[i + 1]}]})"
    done
    [[ $(control RadioButton2 checked) == 1 && $(control RadioButton1 checked) == 0 ]] ||
        fail "the arrow key did not check Multimedia Timer"
    # With the focus in the field, neither Esc nor Enter clicks START; the Tab after them shows they were taken.
    xdotool key Escape Return Tab
    until_seen fact_is focus "${ids[Button1]}" || fail "Tab after Esc and Enter: focus on $(fact focus)"
    [[ $(control Button1 text) == START && $(control Edit1 enabled) == 1 ]] || fail "Esc or Enter clicked START"
    close_and_expect_exit
}

scenario_timer() {
    scroll_under RadioButton1
}

scenario_multimedia_timer() {
    scroll_under RadioButton2
}

# The interval is read at each START: "2" ticks faster than 10 ms can, "abc" counts as 10. Read through the
# advance over a run, bounded by the run's whole time seen from here, so that a loaded machine cannot fail it.
# (At 2 ms the view wraps round after 3.2 s of ticks, far more than the run takes.)
scenario_interval_text() {
    make_picture
    launch
    wait_view 0
    click RadioButton2
    type_interval 2
    run_for 0.3
    local fast=$left fast_ceiling=$ceiling
    ((fast > fast_ceiling)) || fail "interval 2: advanced $fast, no more than 10 ms ticks could ($fast_ceiling)"
    type_interval abc
    run_for 1
    local slow=$((left - fast))
    ((slow >= 10 && slow <= ceiling)) ||
        fail "interval abc: advanced $slow, expected 10 ms ticks: 10 to $ceiling"
    echo "interval 2: advanced $fast (10 ms ticks: at most $fast_ceiling); abc: advanced $slow (at most $ceiling)"
    close_and_expect_exit
}

# Closing as a user would while the precision timer ticks at 1 ms ends the program with exit code 0.
scenario_close_while_ticking() {
    make_picture
    launch
    wait_view 0
    click RadioButton2
    type_interval 1
    click Button1
    until_seen label_moved || fail "the status line did not move"
    close_and_expect_exit
}

# A BG.bmp beside the program does not stand in for the missing one: the program reads its current folder only.
scenario_missing_picture() {
    mkdir ../bin
    cp "$program" "$picture" ../bin/
    program=$scratch/bin/${program##*/}
    start_program
    expect_one_error_box
}

scenario_broken_picture() {
    printf 'BM not a picture' >BG.bmp
    start_program
    expect_one_error_box
}

# A tick that throws gives one box, modal to the window: asked to close while the box is up, the window waits
# until the box is answered, which ends the program with exit code 0.
scenario_throwing_tick_timer() {
    program=$throwing_tick
    start_program
    close_under_box scrolltest
    expect_exit
}

scenario_throwing_tick_multimedia_timer() {
    program=$throwing_tick
    start_program multimedia
    close_under_box scrolltest
    expect_exit
}

# The precision timer's box (an interval of 0 is refused at START): a second START while it is up shows no
# second box, and a close waits for the answer, after which the window is stopped as before and closes.
scenario_close_under_timer_error_box() {
    make_picture
    launch
    wait_view 0
    click RadioButton2
    type_interval 0
    click Button1
    wait_window 'TMMTimer Error' 60 >/dev/null || fail "no box for the refused interval"
    click Button1
    close_under_box 'TMMTimer Error'
    until_seen control_is Button1 text START || fail "START shows '$(control Button1 text)' after the box"
    close_and_expect_exit
}

# Installed silently, the program opened through its Start-menu shortcut (start.exe: another process, found
# by its window's name) shows the sample picture from the folder the shortcut starts it in.
scenario_shortcut() {
    [[ -f $installer ]] || { echo "no installer $installer: skipped"; exit 77; }
    wine_install "$installer" || fail "the silent install failed"
    local shortcut tries
    shortcut=$(wine_shortcut) || fail "no Start-menu shortcut installed"
    # Started from a folder without BG.bmp: the shortcut must say where the program starts.
    wine_run start /unix "$shortcut"
    window=$(wait_window Form1 60) || fail "the shortcut opened no window Form1"
    cd "$(wine_install_dir)"
    wait_view 0
    wine_run "$probe" close >/dev/null
    for ((tries = 0; tries < 300; tries++)); do
        [[ -z $(xdotool search --onlyvisible --name '^Form1$' 2>/dev/null) ]] && return 0
        sleep 0.1
    done
    fail "the window did not close"
}

# --- What the scenarios share. ---

fail() {
    echo "FAIL: $*" >&2
    [[ -z ${seen:-} ]] || printf 'the last read of the window:\n%s\n' "$seen" >&2
    [[ -z ${DISPLAY:-} ]] || import -window root "$shots/$scenario-failed.png" 2>/dev/null || true
    exit 1
}

# The layout: form[...] the form's geometry; for each control, ids[NAME] (its window's id: its place in the
# file, counted on from the 11 ids the system reserves), and controls[NAME] "CLASS X Y WIDTH HEIGHT TABSTOP CHECKED TEXT" (TABSTOP 1 if in the tab order,
# CHECKED - for all but radio buttons).
read_layout() {
    declare -gA form=() ids=() controls=()
    local id name class x y width height tabstop checked text
    while read -r id name class x y width height tabstop checked text; do
        if ((id == 0)); then
            form=([width]=$width [height]=$height)
        else
            ids[$name]=$((11 + id))
            controls[$name]="$class $x $y $width $height $tabstop $checked $text"
        fi
    done < <(awk '
        BEGIN { n = 0 }
        /<widget class=/ {
            match($0, /class="[^"]*"/); class[n] = substr($0, RSTART + 7, RLENGTH - 8)
            match($0, /name="[^"]*"/); name[n] = substr($0, RSTART + 6, RLENGTH - 7)
            checked[n] = class[n] == "TRadioButton" ? 0 : "-"; current = n++
        }
        /<rect>/ { gsub(/<[^>]*>/, " "); rect[current] = $1 " " $2 " " $3 " " $4 }
        /<property name="(text|Caption)"/ { want = "text" }
        /<property name="checked"/ { want = "checked" }
        /<string/ && want == "text" {
            s = $0; sub(/.*<string[^>]*>/, "", s); sub(/<\/string>.*/, "", s); text[current] = s; want = ""
        }
        /<bool>/ && want == "checked" { checked[current] = /true/ ? 1 : 0; want = "" }
        /<tabstop>/ { s = $0; gsub(/<[^>]*>|[ \t]/, "", s); tab[s] = 1 }
        END {
            for (i = 0; i < n; i++)
                if (i in rect) print i, name[i], class[i], rect[i], (name[i] in tab) ? 1 : 0, checked[i], text[i]
        }
    ' "$layout")
}

# A copy of the build's prefix in 0.1 s: taking turns in one prefix would run the scenarios one at a time.
make_prefix() {
    rm -rf "$scratch"
    mkdir -p "$scratch/run"
    wine_copy_prefix "$prefix" "$scratch/prefix"
}

cleanup() {
    if [[ -n $pid ]]; then kill "$pid" 2>/dev/null || true; fi
    # Whatever the scenario started in its own prefix: start.exe's children, a box left open.
    /usr/lib/wine/wineserver -k 2>/dev/null || true
    xvfb_stop
    rm -rf "$scratch"
}

make_picture() {
    cp "$picture" BG.bmp
}

# start_program [ARG...]: starts the program in the scenario's folder; sets $pid.
start_program() {
    wine_run "$program" "$@" &
    pid=$!
}

# launch: starts the program and sets $window once its window is up.
launch() {
    start_program
    window=$(wait_window Form1 60) || fail "no window Form1"
}

# wait_window TITLE SECONDS: prints the X id of the first visible window named TITLE once there is one.
wait_window() {
    local tries found
    for ((tries = 0; tries < $2 * 10; tries++)); do
        found=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1 || true)
        [[ -n $found ]] && { echo "$found"; return 0; }
        [[ -z $pid ]] || kill -0 "$pid" 2>/dev/null || { echo "the program ended" >&2; return 1; }
        sleep 0.1
    done
    echo "no visible window $1 after $2 s" >&2
    return 1
}

# look: what the probe reads of the window now, with the view's left edge in BG.bmp, into $seen.
look() {
    seen=$(wine_run "$probe" show BG.bmp) || fail "the probe found no window Form1: $seen"
}

# fact KEY: the rest of the line KEY in $seen.
fact() {
    awk -v key="$1" '$1 == key { sub(/^[^ ]* /, ""); print; exit }' <<<"$seen"
}

# control NAME FIELD: a field of the probe's line for the control (class x y width height enabled tabstop
# group checked text).
control() {
    awk -v id="${ids[$1]}" -v field="$2" '
        BEGIN {
            split("class x y width height enabled tabstop group checked text", names)
            for (i in names) at[names[i]] = i + 2
        }
        $1 == "child" && $2 == id {
            if (field != "text") { print $at[field]; exit }
            for (i = 1; i < at["text"]; i++) sub(/^[^ ]* /, "")
            print; exit
        }' <<<"$seen"
}

expect() {
    local got
    got=$(fact "$1")
    [[ $got == "$2" ]] || fail "$1 is '$got', expected '$2'"
}

# until_seen TEST [ARG...]: reads the window until TEST succeeds on what was read, for up to about 15 s.
until_seen() {
    local tries
    for ((tries = 0; tries < 30; tries++)); do
        look
        "$@" && return 0
        sleep 0.2
    done
    return 1
}

fact_is() {
    [[ $(fact "$1") == "$2" ]]
}

# control_is NAME FIELD VALUE
control_is() {
    [[ $(control "$1" "$2") == "$3" ]]
}

label_moved() {
    ! control_is Label1 text "SourceRect.Left = 0"
}

# The status line and the view say the same left edge; sets $left.
view_agrees() {
    left=$(control Label1 text)
    left=${left#SourceRect.Left = }
    fact_is view "$left"
}

wait_view() {
    until_seen fact_is view "$1" || fail "the view shows left edge '$(fact view)', expected $1"
}

# The Windows class each of the layout's classes becomes.
declare -A window_classes=([TImage]=TImage [TLabel]=Static [TButton]=Button [TRadioButton]=Button [TEdit]=Edit)

# Every control where the layout puts it, with its text and states. The label shows the view's left edge; of
# the radio group, only the checked button is a tab stop, as the system's own buttons keep it.
expect_controls() {
    local name class x y width height tabstop checked text want got
    for name in "${!controls[@]}"; do
        read -r class x y width height tabstop checked text <<<"${controls[$name]}"
        [[ $name == Label1 ]] && text="SourceRect.Left = 0"
        [[ $class == TRadioButton ]] && tabstop=$checked
        got="$(control "$name" class) $(control "$name" x) $(control "$name" y) $(control "$name" width)"
        got+=" $(control "$name" height) $(control "$name" enabled) $(control "$name" tabstop)"
        got+=" $(control "$name" checked)"
        want="${window_classes[$class]} $x $y $width $height 1 $tabstop $checked"
        [[ ${got,,} == "${want,,}" ]] ||
            fail "$name: '$got' (class x y width height enabled tabstop checked), expected '$want'"
        [[ $class == TImage || $(control "$name" text) == "$text" ]] ||
            fail "$name: text '$(control "$name" text)', expected '$text'"
    done
}

# The radio buttons are one group: it begins at the first (WS_GROUP) and ends at the next control that
# begins a group, in the order the system keeps the controls in.
expect_radio_group() {
    local members
    members=$(awk '$1 == "child" { if ($10 == 1) group++; of[$2] = group; order[++n] = $2 }
        $1 == "child" && $11 != "-" { radio = group }
        END { for (i = 1; i <= n; i++) if (of[order[i]] == radio) printf "%s ", order[i] }' <<<"$seen")
    [[ $members == "${ids[RadioButton1]} ${ids[RadioButton2]} " ]] ||
        fail "the radio buttons' group holds controls ${members:-none}," \
            "expected ${ids[RadioButton1]} ${ids[RadioButton2]}"
}

click() {
    local class x y width height rest
    read -r class x y width height rest <<<"${controls[$1]}"
    xvfb_click "$window" $((x + width / 2)) $((y + height / 2))
}

# type_interval TEXT: types TEXT into the interval field in place of what it holds.
type_interval() {
    click Edit1
    xdotool key End $(printf 'BackSpace %.0s' {1..8})
    xdotool type "$1"
    until_seen control_is Edit1 text "$1" || fail "the interval field shows '$(control Edit1 text)', not '$1'"
}

# run_for SECONDS: START, SECONDS, STOP, checking that the timer choice and interval are locked while it runs
# and unlocked after; sets $left where it stopped, and $ceiling, the most 10 ms ticks the run could have
# made, from before START until after STOP took effect, plus one.
run_for() {
    local started=$EPOCHREALTIME
    click Button1
    until_seen control_is Button1 text STOP || fail "START did not start"
    [[ "$(control RadioButton1 enabled)$(control RadioButton2 enabled)$(control Edit1 enabled)" == 000 ]] ||
        fail "the timer choice or interval is not locked while running"
    sleep "$1"
    click Button1
    until_seen control_is Button1 text START || fail "STOP did not stop"
    [[ "$(control RadioButton1 enabled)$(control RadioButton2 enabled)$(control Edit1 enabled)" == 111 ]] ||
        fail "the timer choice or interval is still locked after STOP"
    local micros=$(((${EPOCHREALTIME/./} - ${started/./})))
    ceiling=$((micros / 10000 + 1))
    # A frame may still be in flight just after STOP.
    until_seen view_agrees ||
        fail "the status line says '$(control Label1 text)' while the view shows left edge '$(fact view)'"
}

# Under the timer that radio button chooses: STOP stops where it is, and the next START goes on from there.
scroll_under() {
    make_picture
    launch
    wait_view 0
    [[ $(control Label1 text) == "SourceRect.Left = 0" ]] || fail "the status line starts as '$(control Label1 text)'"
    click "$1"
    until_seen control_is "$1" checked 1 || fail "$1 not checked by a click"
    run_for 1
    local first=$left
    ((first > 0)) || fail "no scrolling"
    sleep 0.5
    look
    [[ $(fact view) == "$first" && $(control Label1 text) == "SourceRect.Left = $first" ]] ||
        fail "moved on after STOP: from $first to view $(fact view), $(control Label1 text)"
    run_for 0.5
    ((left > first)) || fail "the next START did not go on from $first: at $left"
    echo "stopped at $first, then at $left"
    close_and_expect_exit
}

close_and_expect_exit() {
    wine_run "$probe" close >/dev/null || fail "the probe could not close the window"
    expect_exit
}

# expect_exit: the program ends by itself, with exit code 0.
expect_exit() {
    xvfb_wait_exit "$pid" 30
    pid=
    [[ $XVFB_EXIT_CODE == 0 ]] || fail "exit code $XVFB_EXIT_CODE, expected 0"
}

# expect_one_error_box: one box named as the program and no window Form1 beside it; Return dismisses it and
# the program ends with exit code 0.
expect_one_error_box() {
    local box count
    box=$(wait_window scrolltest 60) || fail "no error box"
    sleep 0.5  # a second box would be up by now
    count=$(xdotool search --onlyvisible --name '^scrolltest$' | wc -l)
    ((count == 1)) || fail "$count error boxes, expected 1"
    [[ -z $(xdotool search --onlyvisible --name '^Form1$' 2>/dev/null) ]] || fail "a window Form1 beside the box"
    xdotool windowfocus --sync "$box"
    xdotool key Return
    expect_exit
}

# close_under_box TITLE: with a box TITLE up, asks the window to close as a user would; the box stays the only
# one, the window stays behind it, and Return then answers the box.
close_under_box() {
    local box count
    box=$(wait_window "$1" 60) || fail "no box $1"
    wine_run "$probe" close >/dev/null || fail "no window Form1 to close under the box"
    sleep 0.5  # the close, or a second box, would show by now
    count=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | wc -l || true)
    ((count == 1)) || fail "$count boxes $1, expected 1"
    [[ -n $(xdotool search --onlyvisible --name '^Form1$' 2>/dev/null) ]] || fail "the window closed under the box"
    xdotool windowfocus --sync "$box"
    xdotool key Return
}

# Sourced (as by bench/wine.sh), it only defines the functions above.
[[ ${BASH_SOURCE[0]} == "$0" ]] || return 0

if [[ ${1:-} == --list ]]; then
    compgen -A function scenario_ | sed 's/^scenario_//'
    exit 0
fi
if (($# != 8)); then
    echo "usage: scenarios.sh --list | SCENARIO PREFIX LAYOUT PICTURE SCROLLTEST PROBE THROWING_TICK INSTALLER" >&2
    exit 2
fi
scenario=$1 prefix=$(realpath "$2") layout=$(realpath "$3") picture=$(realpath "$4") program=$(realpath "$5")
probe=$(realpath "$6") throwing_tick=$(realpath "$7") installer=$(realpath -m "$8")
declare -F "scenario_$scenario" >/dev/null || { echo "no scenario '$scenario'" >&2; exit 2; }
shots=$PWD scratch=$PWD/$scenario.wine pid= window= seen=
read_layout
make_prefix
trap cleanup EXIT
xvfb_start
# Under a window manager, as a desktop has one: without one, wine waits 2 s for it whenever a window closes.
xvfb_start_openbox
cd "$scratch/run"
"scenario_$scenario"
echo "$scenario: passed"
