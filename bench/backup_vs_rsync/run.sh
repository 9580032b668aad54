#!/usr/bin/env bash
# Times the command-line backup run against rsync -a on the same generated trees:
# the first backup into an empty folder and an unchanged second run. On the folder-heavy tree
# the job runs twice over, with the rescan of the folder structure before each run off and on.
#
# usage: bench/backup_vs_rsync/run.sh [EXECUTABLE] [WORK_FOLDER]
# KEEP_LOGS=FOLDER keeps log.txt of the last run of each kind there, to compare two builds.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
exe="${1:-$here/../../build/src/tamrel-backup}"
work="${2:-$(mktemp -d /tmp/tamrel-bench.XXXXXX)}"
exe="$(realpath "$exe")"
command -v rsync >/dev/null || { echo "rsync is needed" >&2; exit 1; }

source "$here/../common/timing.sh"

min() { if (( $(echo "$2 < $1" | bc -l) )); then echo "$2"; else echo "$1"; fi; }

# A target is emptied by moving it aside, and what was moved aside is deleted only once a tree is
# done: a file system that has just freed many inodes makes whoever creates files next search past
# them for a while (ext4: about half a minute), which would weigh on one program and not the other.
deleted=0
remove() { rm -rf "$@"; sync; deleted=$(date +%s); }
settle() { local wait=$((deleted + 35 - $(date +%s))); if [ "$wait" -gt 0 ]; then sleep "$wait"; fi; }
fresh() { # folder: moved aside, made again empty
    local aside
    aside=$(mktemp -d "$work/aside.XXXXXX")
    mv "$1" "$aside/"
    mkdir -p "$1"
    sync
}

bench() { # slug name files folders bytes with-watch(0|1)
    local slug=$1 name=$2 files=$3 folders=$4 bytes=$5 watch=$6
    local dir="$work/$slug"
    local jobs=(Bench) labels=("") j
    if [ "$watch" = 1 ]; then
        jobs=(Bench BenchWatch)
        labels=(", watch off" ", watch on")
    fi
    remove "$dir"
    mkdir -p "$dir/program"
    cp "$exe" "$dir/program/tamrel-backup"
    python3 "$here/generate_tree.py" "$dir/tree" "$files" "$folders" "$bytes" "$dir/program" "$dir/backup" \
        "${jobs[@]}"
    # Warm the page cache alike for both programs.
    find "$dir/tree" -type f -exec cat {} + >/dev/null
    sync
    settle

    prog() { seconds env QT_QPA_PLATFORM=offscreen "$dir/program/tamrel-backup" "$1"; }
    keep() {
        [ -n "${KEEP_LOGS:-}" ] || return 0
        mkdir -p "$KEEP_LOGS"
        cp "$dir/program/log.txt" "$KEEP_LOGS/$slug-$1-$2.txt"
    }
    # Each figure is the best of several runs, taken in turns, so load from elsewhere on the
    # machine weighs on both programs alike. Each target is emptied just before its own run.
    mkdir -p "$dir/rsync"
    local -A first=() unchanged=()
    local r1=999999 r2=999999 t i
    for j in "${jobs[@]}"; do first[$j]=999999; unchanged[$j]=999999; done
    for i in 1 2 3; do
        for j in "${jobs[@]}"; do
            fresh "$dir/backup"
            t=$(prog "$j"); first[$j]=$(min "${first[$j]}" "$t")
            keep "$j" first
            sync
        done
        fresh "$dir/rsync"
        t=$(seconds rsync -a "$dir/tree/" "$dir/rsync/"); r1=$(min "$r1" "$t")
        sync
    done
    for i in 1 2 3 4 5; do
        for j in "${jobs[@]}"; do
            t=$(prog "$j"); unchanged[$j]=$(min "${unchanged[$j]}" "$t")
            keep "$j" unchanged
        done
        t=$(seconds rsync -a "$dir/tree/" "$dir/rsync/"); r2=$(min "$r2" "$t")
    done
    local peak first_peak copied
    peak=$(peak_kb env QT_QPA_PLATFORM=offscreen "$dir/program/tamrel-backup" Bench)
    fresh "$dir/backup"
    first_peak=$(peak_kb env QT_QPA_PLATFORM=offscreen "$dir/program/tamrel-backup" Bench)
    copied=$(find "$dir/backup" -type f | wc -l)
    for i in "${!jobs[@]}"; do
        j=${jobs[$i]}
        printf '%-40s first: %7.2f s vs rsync %7.2f s (ratio %5.2f)   unchanged: %7.2f s vs rsync %7.2f s (ratio %5.2f)\n' \
            "$name${labels[$i]}" "${first[$j]}" "$r1" "$(echo "${first[$j]} / $r1" | bc -l)" \
            "${unchanged[$j]}" "$r2" "$(echo "${unchanged[$j]} / $r2" | bc -l)"
    done
    echo "    peak resident size: first backup $((${first_peak:-0} / 1024)) MB, unchanged run $((${peak:-0} / 1024)) MB; $copied files in backup"
    tail -n 3 "$dir/program/log.txt" | tr -d '\r' | sed 's/^/    log: /'
    remove "$work"/aside.*
}

echo "work folder: $work"
bench files20k "20k files, 1 GB" 20000 1000 1000000000 0
bench files200k "200k small files" 200000 1000 200000000 0
bench folders50k "50k folders, 1 small file each" 50000 50000 50000000 1
