#!/usr/bin/env bash
# Times the command-line backup run against rsync -a on the same generated trees:
# the first backup into an empty folder and an unchanged second run.
#
# usage: bench/backup_vs_rsync/run.sh [EXECUTABLE] [WORK_FOLDER]
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
exe="${1:-$here/../../build/src/tamrel-backup}"
work="${2:-$(mktemp -d /tmp/tamrel-bench.XXXXXX)}"
exe="$(realpath "$exe")"
command -v rsync >/dev/null || { echo "rsync is needed" >&2; exit 1; }

seconds() { # command... -> elapsed seconds on stdout
    local t0 t1
    t0=$(date +%s.%N)
    "$@" >/dev/null 2>&1 || true
    t1=$(date +%s.%N)
    echo "$t1 - $t0" | bc -l
}

bench() { # name files folders bytes
    local name=$1 files=$2 folders=$3 bytes=$4
    local dir="$work/$name"
    rm -rf "$dir"
    mkdir -p "$dir/program"
    cp "$exe" "$dir/program/tamrel-backup"
    python3 "$here/generate_tree.py" "$dir/tree" "$files" "$folders" "$bytes" "$dir/program" "$dir/backup" Bench
    mkdir -p "$dir/rsync"
    # Warm the page cache alike for both programs.
    find "$dir/tree" -type f -exec cat {} + >/dev/null
    sync

    local t1 t2 r1 r2
    t1=$(seconds env QT_QPA_PLATFORM=offscreen "$dir/program/tamrel-backup" Bench)
    t2=$(seconds env QT_QPA_PLATFORM=offscreen "$dir/program/tamrel-backup" Bench)
    r1=$(seconds rsync -a "$dir/tree/" "$dir/rsync/")
    r2=$(seconds rsync -a "$dir/tree/" "$dir/rsync/")
    local copied
    copied=$(find "$dir/backup" -type f | wc -l)
    printf '%-22s %8s files  first: %7.2f s vs rsync %7.2f s (ratio %5.2f)   unchanged: %7.2f s vs rsync %7.2f s (ratio %5.2f)   [%s files in backup]\n' \
        "$name" "$files" "$t1" "$r1" "$(echo "$t1 / $r1" | bc -l)" "$t2" "$r2" "$(echo "$t2 / $r2" | bc -l)" "$copied"
    tail -n 3 "$dir/program/log.txt" | tr -d '\r' | sed 's/^/    log: /'
}

echo "work folder: $work"
bench "20k files, 1 GB" 20000 1000 1000000000
bench "200k small files" 200000 1000 200000000
