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

source "$here/../common/timing.sh"

bench() { # name files folders bytes
    local name=$1 files=$2 folders=$3 bytes=$4
    local dir="$work/$name"
    rm -rf "$dir"
    mkdir -p "$dir/program"
    cp "$exe" "$dir/program/tamrel-backup"
    python3 "$here/generate_tree.py" "$dir/tree" "$files" "$folders" "$bytes" "$dir/program" "$dir/backup" Bench
    # Warm the page cache alike for both programs.
    find "$dir/tree" -type f -exec cat {} + >/dev/null
    sync

    # Each figure is the best of several runs, taken in turns, so load from elsewhere on the
    # machine weighs on both programs alike.
    local t1=999999 t2=999999 r1=999999 r2=999999 t i
    for i in 1 2 3; do
        rm -rf "$dir/backup" "$dir/rsync" && mkdir -p "$dir/backup" "$dir/rsync" && sync
        t=$(seconds env QT_QPA_PLATFORM=offscreen "$dir/program/tamrel-backup" Bench); t1=$(min "$t1" "$t")
        sync
        t=$(seconds rsync -a "$dir/tree/" "$dir/rsync/"); r1=$(min "$r1" "$t")
        sync
    done
    for i in 1 2 3 4 5; do
        t=$(seconds env QT_QPA_PLATFORM=offscreen "$dir/program/tamrel-backup" Bench); t2=$(min "$t2" "$t")
        t=$(seconds rsync -a "$dir/tree/" "$dir/rsync/"); r2=$(min "$r2" "$t")
    done
    local copied
    copied=$(find "$dir/backup" -type f | wc -l)
    printf '%-22s %8s files  first: %7.2f s vs rsync %7.2f s (ratio %5.2f)   unchanged: %7.2f s vs rsync %7.2f s (ratio %5.2f)   [%s files in backup]\n' \
        "$name" "$files" "$t1" "$r1" "$(echo "$t1 / $r1" | bc -l)" "$t2" "$r2" "$(echo "$t2 / $r2" | bc -l)" "$copied"
    tail -n 3 "$dir/program/log.txt" | tr -d '\r' | sed 's/^/    log: /'
}

echo "work folder: $work"
bench "20k files, 1 GB" 20000 1000 1000000000
bench "200k small files" 200000 1000 200000000
