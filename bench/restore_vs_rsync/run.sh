#!/usr/bin/env bash
# Times the restore wizard against rsync on the tree of the backup benchmark: restoring every
# file into an emptied source (rsync -a --ignore-existing), and scanning an up-to-date source for
# missing and newer files (rsync -a --update --dry-run).
#
# usage: bench/restore_vs_rsync/run.sh [RESTORE_BENCH] [WORK_FOLDER]
# Each copy back into an empty folder gets a new file system (FS, IMAGES: see bench/common/work.sh).
# BASELINE=RESTORE_BENCH (another build's) is timed in the same turns, for a before-and-after on
# the same machine and load.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
driver="$(realpath "${1:-$here/../../build/bench/restore_bench}")"
baseline="${BASELINE:+$(realpath "$BASELINE")}"
command -v rsync >/dev/null || { echo "rsync is needed" >&2; exit 1; }
export QT_QPA_PLATFORM=offscreen

source "$here/../common/timing.sh"
source "$here/../common/work.sh"
setup_work "${2:-}" tamrel-restore-bench

bench() { # name files folders bytes
    local name=$1 files=$2 folders=$3 bytes=$4
    local dir="$work/$name"
    work_parts+=("$name")
    rm -rf "$dir"
    mkdir -p "$dir"
    python3 "$here/../backup_vs_rsync/generate_tree.py" "$dir/tree" "$files" "$folders" "$bytes" \
        "$dir/program" "$dir/unused" Bench
    # The backup: the tree as a backup run leaves it (the restore is stated by hand).
    rsync -a "$dir/tree/" "$dir/backup/"
    find "$dir/backup" "$dir/tree" -type f -exec cat {} + >/dev/null
    sync

    # Best of several runs, taken in turns, so load from elsewhere weighs on both alike.
    local c1=999999 r1=999999 c2=999999 r2=999999 b1=999999 b2=999999 t i
    for i in 1 2 3; do
        fresh "$dir/restored" "$bytes" "$files"
        t=$(seconds "$driver" copy "$dir/backup" "$dir/restored"); c1=$(min "$c1" "$t")
        fresh "$dir/rsynced" "$bytes" "$files"
        t=$(seconds rsync -a --ignore-existing "$dir/backup/" "$dir/rsynced/"); r1=$(min "$r1" "$t")
        sync
        if [ -n "$baseline" ]; then
            fresh "$dir/restored" "$bytes" "$files"
            t=$(seconds "$baseline" copy "$dir/backup" "$dir/restored"); b1=$(min "$b1" "$t")
            sync
        fi
    done
    for i in 1 2 3 4 5; do
        t=$(seconds "$driver" scan "$dir/backup" "$dir/tree"); c2=$(min "$c2" "$t")
        t=$(seconds rsync -a --update --dry-run "$dir/backup/" "$dir/tree/"); r2=$(min "$r2" "$t")
        [ -z "$baseline" ] || { t=$(seconds "$baseline" scan "$dir/backup" "$dir/tree"); b2=$(min "$b2" "$t"); }
    done
    printf '%-18s %7s files  copy back: %6.2f s vs rsync --ignore-existing %6.2f s (ratio %4.2f)   scan: %6.2f s vs rsync --update --dry-run %6.2f s (ratio %4.2f)\n' \
        "$name" "$files" "$c1" "$r1" "$(echo "$c1 / $r1" | bc -l)" "$c2" "$r2" "$(echo "$c2 / $r2" | bc -l)"
    [ -z "$baseline" ] || printf '%-18s baseline %s: copy back: %6.2f s   scan: %6.2f s\n' "$name" "$baseline" "$b1" "$b2"
    "$driver" copy "$dir/backup" "$dir/check" 2>&1 | sed 's/^/    copy: /'
    "$driver" scan "$dir/backup" "$dir/tree" 2>&1 | sed 's/^/    scan: /'
    echo "    restored files: $(find "$dir/check" -type f | wc -l), rsync: $(find "$dir/rsynced" -type f | wc -l)"
    diff -rq "$dir/backup" "$dir/check" >/dev/null && echo "    restored tree equals the backup"
    unmount_below "$dir"
    rm -rf "$dir"
}

echo "work folder: $work"
bench "20k files, 1 GB" 20000 1000 1000000000
