#!/usr/bin/env bash
# Runs PROGRAM COUNT times in a fresh folder with a BG.bmp; each run must end by itself with exit code 0.
# Usage: repeat_exit_zero.sh COUNT PROGRAM
set -uo pipefail
count=$1
program=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
for ((run = 1; run <= count; ++run)); do
    timeout 60 "$program" >out.log 2>&1
    code=$?
    if ((code != 0)); then
        cat out.log >&2
        echo "FAIL: run $run of $count ended with exit code $code" >&2
        exit 1
    fi
done
echo "$count runs, each exit code 0"
