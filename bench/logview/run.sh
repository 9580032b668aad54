#!/bin/sh
# Runs the log viewer benchmark: a 200,000-line log opened, marked and searched.
# usage: bench/logview/run.sh [BENCH_EXECUTABLE]   ($DISPLAY when set, else the offscreen platform)
set -e
here=$(cd "$(dirname "$0")" && pwd)
exe="${1:-$here/../../build/bench/bench_logview}"
if [ -z "$DISPLAY" ]; then
    export QT_QPA_PLATFORM=offscreen
fi
"$exe"
