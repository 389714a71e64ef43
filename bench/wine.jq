# The figures of bench/run --wine, from its runs (jq -s over the lines bench/wine.sh writes, one a run): at each
# interval each program's median figures, the ratios program / least program of the medians with their range
# over the rounds' pairs, and whether the aims are met: the program with its wineserver and X server at most
# 1.2 x the least program's CPU, its window's thread woken no more often. $rounds and $seconds are the run's.

def median: sort | if length % 2 == 1 then .[length / 2 | floor] else (.[length / 2 - 1] + .[length / 2]) / 2 end;

# The paths of a run's figures.
def figures: [.[0] | {cpu_pct, wakeups_per_s} | paths(numbers)];

def medians: . as $runs | reduce figures[] as $path ({}; setpath($path; [$runs[] | getpath($path)] | median));

. as $all
| {cpu_total: 1.2, window_thread_wakeups: 1.0} as $aims
| group_by(.interval_ms)
| map(map(select(.who == "least")) as $least
    | map(select(.who == "program")) as $program
    | ($least | medians) as $l
    | ($program | medians) as $p
    | [$least[] as $a | $program[] | select(.round == $a.round) | [$a, .]] as $pairs
    | (reduce ($least | figures[]) as $path ({}; setpath($path; {
        median: (($p | getpath($path)) / ($l | getpath($path))),
        range: ($pairs | map((.[1] | getpath($path)) / (.[0] | getpath($path))) | [min, max])}))) as $ratio
    | {key: "\(.[0].interval_ms)ms", value: {program: $p, least: $l, ratio: $ratio, met: {
        cpu_total: ($ratio.cpu_pct.total.median <= $aims.cpu_total),
        window_thread_wakeups: ($ratio.wakeups_per_s.window_thread.median <= $aims.window_thread_wakeups)}}})
| {rounds: $rounds, seconds: $seconds, aims: $aims, intervals: from_entries, runs: $all}
