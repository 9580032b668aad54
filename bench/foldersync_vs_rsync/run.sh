#!/usr/bin/env bash
# Times a two-way folder synchronisation (the Mappkopiering window's run, driven by
# foldersync_bench) against rsync -a --update run in both directions, on the same generated
# 20,000-file tree: first into an empty folder 2, then an unchanged run.
#
# usage: bench/foldersync_vs_rsync/run.sh [BENCH_EXECUTABLE] [WORK_FOLDER]
# Each run into an empty folder 2 gets a new file system (FS, IMAGES: see bench/common/work.sh).
# BASELINE=EXECUTABLE (another build's foldersync_bench) is timed in the same turns, for a
# before-and-after on the same machine and load.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
exe="${1:-$here/../../build/bench/foldersync_bench}"
exe="$(realpath "$exe")"
baseline="${BASELINE:+$(realpath "$BASELINE")}"
command -v rsync >/dev/null || { echo "rsync is needed" >&2; exit 1; }

source "$here/../common/timing.sh"
source "$here/../common/work.sh"
setup_work "${2:-}" tamrel-syncbench

rsync_both() { # folder1 folder2: both directions, newer files only
    rsync -a --update "$1/" "$2/" && rsync -a --update "$2/" "$1/"
}

bench() { # name files folders bytes
    local name=$1 files=$2 folders=$3 bytes=$4
    local dir="$work/$name"
    work_parts+=("$name")
    rm -rf "$dir"
    mkdir -p "$dir/program"
    # The tree generator of the backup bench; its job files are not used here.
    python3 "$here/../backup_vs_rsync/generate_tree.py" "$dir/tree" "$files" "$folders" "$bytes" \
        "$dir/program" "$dir/unused" Bench
    find "$dir/tree" -type f -exec cat {} + >/dev/null
    sync

    # Best of several runs, taken in turns, so load from elsewhere weighs on both alike.
    local t1=999999 t2=999999 r1=999999 r2=999999 b1=999999 b2=999999 t i
    for i in 1 2 3; do
        fresh "$dir/mapp2" "$bytes" "$files"
        fresh "$dir/rsync" "$bytes" "$files"
        t=$(seconds "$exe" "$dir/program" "$dir/tree" "$dir/mapp2"); t1=$(min "$t1" "$t")
        sync
        t=$(seconds rsync_both "$dir/tree" "$dir/rsync"); r1=$(min "$r1" "$t")
        sync
        if [ -n "$baseline" ]; then
            fresh "$dir/mapp2" "$bytes" "$files"
            t=$(seconds "$baseline" "$dir/program" "$dir/tree" "$dir/mapp2"); b1=$(min "$b1" "$t")
            sync
        fi
    done
    for i in 1 2 3 4 5; do
        t=$(seconds "$exe" "$dir/program" "$dir/tree" "$dir/mapp2"); t2=$(min "$t2" "$t")
        t=$(seconds rsync_both "$dir/tree" "$dir/rsync"); r2=$(min "$r2" "$t")
        if [ -n "$baseline" ]; then
            t=$(seconds "$baseline" "$dir/program" "$dir/tree" "$dir/mapp2"); b2=$(min "$b2" "$t")
        fi
    done
    local copied
    copied=$(find "$dir/mapp2" -type f | wc -l)
    printf '%-20s %6s files  two-way into empty: %6.2f s vs rsync both ways %6.2f s (ratio %4.2f)   unchanged: %6.2f s vs rsync %6.2f s (ratio %4.2f)   [%s files in folder 2]\n' \
        "$name" "$files" "$t1" "$r1" "$(echo "$t1 / $r1" | bc -l)" "$t2" "$r2" "$(echo "$t2 / $r2" | bc -l)" "$copied"
    [ -z "$baseline" ] || printf '%-20s baseline %s: two-way into empty: %6.2f s   unchanged: %6.2f s\n' \
        "$name" "$baseline" "$b1" "$b2"
    tail -n 8 "$dir/program/log.txt" | tr -d '\r' | sed 's/^/    log: /'
    unmount_below "$dir"
    rm -rf "$dir"
}

echo "work folder: $work"
bench "20k files, 1 GB" 20000 1000 1000000000
