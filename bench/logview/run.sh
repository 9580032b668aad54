#!/bin/sh
# Runs the log viewer benchmark: a 500,000-line saved log opened, marked and searched; the start
# with a 200 MB log.txt and a 300 MB one without line breaks against a small one; the viewer on the
# 200 MB log.txt.
# usage: bench/logview/run.sh [BENCH_EXECUTABLE]   ($DISPLAY when set, else the offscreen platform)
set -e
here=$(cd "$(dirname "$0")" && pwd)
exe="${1:-$here/../../build/bench/bench_logview}"
if [ -z "$DISPLAY" ]; then
    export QT_QPA_PLATFORM=offscreen
fi
"$exe"
