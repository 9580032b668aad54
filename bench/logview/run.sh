#!/bin/sh
# Builds and runs the log viewer benchmark: a 200,000-line log opened, marked and searched.
# Usage: bench/logview/run.sh   (uses $DISPLAY when set, else the offscreen platform)
set -e
here=$(cd "$(dirname "$0")/../.." && pwd)
build="$here/build-bench"
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAMREL_BUILD_TESTS=OFF \
    -DTAMREL_BUILD_BENCH=ON ${CMAKE_CXX_COMPILER_LAUNCHER:+-DCMAKE_CXX_COMPILER_LAUNCHER=$CMAKE_CXX_COMPILER_LAUNCHER} >/dev/null
cmake --build "$build" --target bench_logview -j3 >/dev/null
if [ -z "$DISPLAY" ]; then
    export QT_QPA_PLATFORM=offscreen
fi
"$build/bench/logview/bench_logview"
