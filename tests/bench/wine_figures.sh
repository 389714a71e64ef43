#!/usr/bin/env bash
# The figures bench/run --wine makes of its runs (bench/wine.jq), over made-up runs: one row a case, each a jq
# condition that must hold of the figures.
# Usage: wine_figures.sh WINE.jq
set -euo pipefail
analysis=$1
failed=0

# A run with CPU (its total and its process's share alike) and WAKEUPS (its window's thread's and its process's).
runs_made_with='def run($who; $ms; $round; $cpu; $wakeups): {who: $who, interval_ms: $ms, round: $round, seconds: 5,
    cpu_pct: {program: $cpu, total: $cpu}, wakeups_per_s: {window_thread: $wakeups, process: $wakeups}};'

# row NAME RUNS CONDITION: RUNS, jq calls of run(...) separated by commas.
row() {
    local figures
    figures=$(jq -nc "$runs_made_with $2" | jq -s --argjson rounds 0 --argjson seconds 0 -f "$analysis")
    if jq -e "$3" <<<"$figures" >/dev/null; then
        echo "ok: $1"
    else
        echo "FAIL: $1: $3 does not hold of $(jq -c .intervals <<<"$figures")"
        failed=1
    fi
}

row "odd rounds: the middle run's figures; each round's pair makes a ratio, paired by round, not by order" \
    'run("least"; 1; 0; 20; 100), run("program"; 1; 1; 30; 300), run("least"; 1; 1; 10; 200),
     run("program"; 1; 0; 20; 200), run("least"; 1; 2; 15; 300), run("program"; 1; 2; 60; 900)' \
    '.intervals["1ms"] | .least.cpu_pct.total == 15 and .program.cpu_pct.total == 30
        and .ratio.cpu_pct.total == {median: 2, range: [1, 4]}
        and .ratio.wakeups_per_s.window_thread == {median: 1.5, range: [1.5, 3]}'

row "even rounds: the mean of the middle two" \
    'run("least"; 10; 0; 10; 100), run("program"; 10; 0; 30; 100), run("program"; 10; 1; 60; 300),
     run("least"; 10; 1; 20; 100)' \
    '.intervals["10ms"] | .least.cpu_pct.total == 15 and .program.cpu_pct.total == 45
        and .ratio.cpu_pct.total.median == 3 and .ratio.wakeups_per_s.window_thread.median == 2'

row "aims at their limits are met" \
    'run("least"; 1; 0; 10; 500), run("program"; 1; 0; 12; 500)' \
    '.intervals["1ms"].met == {cpu_total: true, window_thread_wakeups: true}'

row "aims past their limits are not" \
    'run("least"; 1; 0; 10; 500), run("program"; 1; 0; 12.1; 501)' \
    '.intervals["1ms"].met == {cpu_total: false, window_thread_wakeups: false}'

row "each interval of its own runs, in the order of their lengths" \
    'run("least"; 16; 0; 4; 40), run("program"; 16; 0; 8; 80), run("least"; 1; 0; 10; 100),
     run("program"; 1; 0; 30; 300), run("least"; 10; 0; 5; 50), run("program"; 10; 0; 5; 100)' \
    '(.intervals | keys_unsorted) == ["1ms", "10ms", "16ms"] and (.runs | length) == 6
        and ([.intervals[].ratio.cpu_pct.total.median] == [3, 1, 2])'

exit "$failed"
