# Sourced by bench/run for --wine: the Windows program (scrolltest.exe) scrolling under the precision timer
# against the least Windows program that shows the same motion (scroll_win_baseline, WinPaintBaseline.cpp),
# under wine on a private Xvfb with openbox, in a wine prefix of the run's own. At 1, 10 and 16 ms the two take
# turns for several rounds, each measured over the same span once it scrolls: the CPU time of its process, of
# the prefix's wineserver and of the X server, and the wake-ups (voluntary context switches) of its window's
# thread and of its whole process (wine's other processes and openbox use no CPU that shows meanwhile). Prints
# the medians and their ratios, and adds them as "wine" to build/bench/results.json (a later bench/run without
# --wine writes that file anew).
#
# The window's thread: both programs make their window in WinMain, and under wine a process's first Windows
# thread runs on its first Linux thread, whose id is the process's. Each run checks it: a reading of the
# program's controls by the probe (WM_GETTEXT sent to each) wakes that thread once for each control at least.

# Launching the program, driving and reading its window as a user would, and closing it.
source tests/windows/scenarios.sh

rounds=5 seconds=5
[[ ${1:-} == --quick ]] && rounds=3 seconds=2
wine_build=$PWD/build-bench-windows
# What scenarios.sh's functions read; a failure leaves build/bench/wine-failed.png.
layout=$PWD/resources/Unit1.ui probe=$wine_build/bench/scroll_win_probe.exe shots=$PWD/build/bench scenario=wine
prefix=$wine_build/wine scratch=$wine_build/bench-wine pid= window= seen=
results=$PWD/build/bench/results.json analysis=$PWD/bench/wine.jq
export WINEPREFIX=$scratch/prefix
# scenarios.sh's cleanup, which ends the X server and whatever runs in the prefix, takes bench/run's place.
trap 'cleanup; [[ -z $runtime ]] || rm -rf "$runtime"' EXIT

quietly cmake -S . -B "$wine_build" --toolchain cmake/x86_64-w64-mingw32.cmake -DCMAKE_BUILD_TYPE=Release \
    -DBUILD_TESTING=OFF -DSCROLL_BENCH_PROGRAMS=ON
quietly cmake --build "$wine_build" -j2 --target scrolltest scroll_win_baseline scroll_win_probe sample_picture
mkdir -p build/bench
read_layout
make_prefix
runs=$scratch/runs.jsonl
cp "$wine_build/resources/BG.bmp" "$scratch/run/"

# One server for every run, so that its CPU time is one process's throughout.
/usr/lib/wine/wineserver64 -f -p &
wineserver_pid=$!
for ((tries = 0; tries < 100; tries++)); do
    [[ -S /proc/$wineserver_pid/cwd/socket ]] && break
    sleep 0.1
done
[[ -S /proc/$wineserver_pid/cwd/socket ]] || fail "wineserver has no socket after 10 s"
xvfb_start
xvfb_start_openbox
cd "$scratch/run"

# The Windows program's process: the child of the shell that started it.
windows_process() {
    process=$(cut -d ' ' -f 1 "/proc/$pid/task/$pid/children")
    [[ -n $process ]] || fail "no Windows process under $pid"
}

# cpu_ns PID: the CPU time of the process's threads so far, in nanoseconds.
cpu_ns() {
    awk '{ ns += $1 } END { print ns }' /proc/"$1"/task/*/schedstat
}

# wakeups PID [TID]: the voluntary context switches of that thread, or of all the process's threads.
wakeups() {
    awk '/^voluntary_ctxt_switches/ { n += $2 } END { print n }' /proc/"$1"/task/${2:-*}/status
}

snapshot() {
    echo "${EPOCHREALTIME/,/.} $(cpu_ns "$process") $(cpu_ns "$wineserver_pid") $(cpu_ns "$XVFB_PID")" \
        "$(wakeups "$process" "$process") $(wakeups "$process")"
}

# measure WHO MS ROUND: a line of its figures over the span, each per second, to $runs.
measure() {
    local before after
    sleep 1  # the program settles, and the probe's last reading is over
    before=$(snapshot)
    sleep "$seconds"
    after=$(snapshot)
    kill -0 "$process" 2>/dev/null || fail "$1 ended while measured"
    jq -nc --arg who "$1" --argjson ms "$2" --argjson round "$3" --argjson a "[${before// /,}]" \
        --argjson b "[${after// /,}]" '
        ($b[0] - $a[0]) as $s | def rate($i): ($b[$i] - $a[$i]) / $s;
        {who: $who, interval_ms: $ms, round: $round, seconds: $s,
         cpu_pct: {program: (rate(1) / 1e7), wineserver: (rate(2) / 1e7), xserver: (rate(3) / 1e7)},
         wakeups_per_s: {window_thread: rate(4), process: rate(5)}} | .cpu_pct.total = (.cpu_pct | add)' >>"$runs"
}

run_least() {
    program=$wine_build/bench/scroll_win_baseline.exe
    start_program "$1"
    window=$(wait_window Form1 60) || fail "the least program shows no window"
    windows_process
    measure least "$1" "$2"
    close_and_expect_exit
}

# The program started as a user starts it: the precision timer chosen, the interval typed, START clicked.
run_program() {
    program=$wine_build/app/scrolltest.exe
    launch
    wait_view 0
    windows_process
    local before
    before=$(wakeups "$process" "$process")
    look
    (($(wakeups "$process" "$process") - before >= ${#ids[@]})) ||
        fail "thread $process did not answer the probe: it is not the window's thread"
    click RadioButton2
    until_seen control_is RadioButton2 checked 1 || fail "RadioButton2 not checked by a click"
    type_interval "$1"
    click Button1
    until_seen control_is Button1 text STOP || fail "START did not start"
    until_seen label_moved || fail "the status line did not move"
    # The pointer then rests off the window. On a button it would cost the window's thread 400 to 600 wake-ups
    # a second that the least program, which has no button, never has: the button tracks the pointer to light
    # up under it, and wine looks where the pointer is every 10 ms for as long as it stays there.
    xdotool mousemove 0 0
    measure program "$1" "$2"
    close_and_expect_exit
}

echo "bench/run --wine: at each interval $rounds rounds of $seconds s, the program and the least program in turn"
: >"$runs"
for ms in 1 10 16; do
    for ((round = 0; round < rounds; round++)); do
        # Each first in turn, so that neither always follows the other.
        if ((round % 2 == 0)); then
            run_least "$ms" "$round"
            run_program "$ms" "$round"
        else
            run_program "$ms" "$round"
            run_least "$ms" "$round"
        fi
    done
done

# The figures (bench/wine.jq), added to results.json beside what a run without --wine left there.
wine=$(jq -s --argjson rounds "$rounds" --argjson seconds "$seconds" -f "$analysis" "$runs")
jq --argjson wine "$wine" '.wine = $wine' <(cat "$results" 2>/dev/null || echo '{}') >"$runs.merged"
mv "$runs.merged" "$results"

# The table: at each interval the two programs' medians and their ratios, a ratio's range over the rounds' pairs in
# brackets where an aim judges it.
echo
echo "Under wine, the precision timer against the least Windows program: medians of $rounds rounds of $seconds s,"
echo "the two taking turns; CPU in % of one core, wake-ups a second."
printf '  %-6s %-14s %8s %11s %9s   %-20s %-22s %s\n' "" "" "program" "wineserver" "X server" "total CPU" \
    "window thread" "process"
jq -r '.intervals | to_entries[] | .key[:-2] as $ms | .value as $v
    | ((["program", $v.program], ["least program", $v.least]) as [$who, $run]
        | [$ms, $who, $run.cpu_pct.program, $run.cpu_pct.wineserver, $run.cpu_pct.xserver, $run.cpu_pct.total, "", "",
            $run.wakeups_per_s.window_thread, "", "", $run.wakeups_per_s.process, "", ""]),
      ([$ms, "ratio"] + ([["cpu_pct", "program"], ["cpu_pct", "wineserver"], ["cpu_pct", "xserver"]]
          | map(. as $p | $v.ratio | getpath($p).median))
        + ([["cpu_pct", "total"], ["wakeups_per_s", "window_thread"], ["wakeups_per_s", "process"]]
          | map(. as $p | $v.ratio | getpath($p) | .median, .range[0], .range[1])))
    | @tsv' <<<"$wine" | awk -F '\t' '
    function cell(value, low, high, digits) {
        return low == "" ? sprintf("%8.*f", digits, value) : sprintf("%8.2f (%.2f-%.2f)", value, low, high)
    }
    {
        ratio = $2 == "ratio"; cpu = ratio ? 2 : 1; wake = ratio ? 2 : 0
        printf "  %-6s %-14s %8.*f %11.*f %9.*f %-22s %-22s %s\n", $2 == "program" ? $1 " ms" : "", $2, cpu, $3,
            cpu, $4, cpu, $5, cell($6, $7, $8, cpu), cell($9, $10, $11, wake), cell($12, $13, $14, wake)
    }'
echo
echo "Aims under wine"
jq -r '.aims as $aims | .intervals | to_entries[] | .key[:-2] as $ms | .value as $v
    | ["at \($ms) ms, CPU: program, wineserver and X server / least program", $v.ratio.cpu_pct.total.median,
        $aims.cpu_total, $v.met.cpu_total],
      ["at \($ms) ms, wake-ups of the window thread / least program", $v.ratio.wakeups_per_s.window_thread.median,
        $aims.window_thread_wakeups, $v.met.window_thread_wakeups]
    | @tsv' <<<"$wine" |
    awk -F '\t' '{ printf "  %-72s %6.2f  limit %5.2f  %s\n", $1, $2, $3, $4 == "true" ? "met" : "NOT MET" }'
echo "wrote $results (key \"wine\")"
