#!/usr/bin/env bash
# Times the command-line backup run against rsync -a and cp -a on the same generated trees: the
# first backup into an empty folder and an unchanged second run. On the folder-heavy tree the job
# runs twice over, with the rescan of the folder structure before each run off and on.
#
# usage: bench/backup_vs_rsync/run.sh [EXECUTABLE] [WORK_FOLDER]
# TREES="files20k folders50k" picks the trees (files200k is the third); BASELINE=EXECUTABLE (another
# build) is timed in the same turns; KEEP_LOGS=FOLDER keeps log.txt of the last run of each kind.
# Each first backup goes into a file system of its own, made just before it (FS, IMAGES: see
# bench/common/work.sh); the work folder goes on every exit.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
source "$here/../common/timing.sh"
exe="$(realpath "${1:-$here/../../build/src/tamrel-backup}")"
baseline="${BASELINE:+$(realpath "$BASELINE")}"
trees="${TREES:-files20k folders50k}"
command -v rsync >/dev/null || { echo "rsync is needed" >&2; exit 1; }
[ -x /usr/bin/time ] || { echo "/usr/bin/time is needed" >&2; exit 1; }
source "$here/../common/work.sh"
setup_work "${2:-}" tamrel-bench
work_parts=($trees)

bench() { # slug name files folders bytes with-watch(0|1)
    local slug=$1 name=$2 files=$3 folders=$4 bytes=$5 watch=$6
    local dir="$work/$slug"
    local jobs=(Bench) labels=("") j
    if [ "$watch" = 1 ]; then
        jobs=(Bench BenchWatch)
        labels=(", rescan off" ", rescan on")
    fi
    rm -rf "$dir"
    mkdir -p "$dir/program"
    cp "$exe" "$dir/program/tamrel-backup"
    python3 "$here/generate_tree.py" "$dir/tree" "$files" "$folders" "$bytes" "$dir/program" "$dir/backup" \
        "${jobs[@]}"
    local progs=(program)
    if [ -n "$baseline" ]; then
        cp -r "$dir/program" "$dir/baseline"
        cp "$baseline" "$dir/baseline/tamrel-backup"
        progs+=(baseline)
    fi
    # Warm the page cache alike for every program.
    find "$dir/tree" -type f -exec cat {} + >/dev/null
    sync

    keep() {
        [ -n "${KEEP_LOGS:-}" ] || return 0
        mkdir -p "$KEEP_LOGS"
        cp "$dir/$1/log.txt" "$KEEP_LOGS/$slug-$1-$2-$3.txt"
    }
    # Each figure is the best of several runs, taken in turns, so load from elsewhere on the
    # machine weighs on every program alike. Wall-clock and processor seconds (user + system) are
    # kept apart: on a machine busy with other work a program of several threads gets a bigger
    # share of it than a single-threaded one, which the processor seconds show.
    local -A wall=() cpu=()
    best() { # key command...
        local key=$1
        shift
        measure "$@"
        wall[$key]=$(min "${wall[$key]:-999999}" "$WALL")
        cpu[$key]=$(min "${cpu[$key]:-999999}" "$CPU")
    }
    local i p j
    for i in 1 2 3; do
        for p in "${progs[@]}"; do
            for j in "${jobs[@]}"; do
                fresh "$dir/backup" "$bytes" "$files"
                best "first $p $j" env QT_QPA_PLATFORM=offscreen "$dir/$p/tamrel-backup" "$j"
                keep "$p" "$j" first
                sync
            done
        done
        fresh "$dir/rsync" "$bytes" "$files"
        best "first rsync" rsync -a "$dir/tree/" "$dir/rsync/"
        sync
        fresh "$dir/cp" "$bytes" "$files"
        best "first cp" cp -a "$dir/tree/." "$dir/cp/"
        sync
    done
    # The unchanged runs go over the last first backup's file system.
    for i in 1 2 3 4 5; do
        for p in "${progs[@]}"; do
            for j in "${jobs[@]}"; do
                best "unchanged $p $j" env QT_QPA_PLATFORM=offscreen "$dir/$p/tamrel-backup" "$j"
                keep "$p" "$j" unchanged
            done
        done
        best "unchanged rsync" rsync -a "$dir/tree/" "$dir/rsync/"
    done
    local peak first_peak copied
    peak=$(peak_kb env QT_QPA_PLATFORM=offscreen "$dir/program/tamrel-backup" Bench)
    fresh "$dir/backup" "$bytes" "$files"
    first_peak=$(peak_kb env QT_QPA_PLATFORM=offscreen "$dir/program/tamrel-backup" Bench)
    copied=$(find "$dir/backup" -type f | wc -l)
    local f k
    for p in "${progs[@]}"; do
        for i in "${!jobs[@]}"; do
            j=${jobs[$i]}
            f="first $p $j"
            k="unchanged $p $j"
            printf '%-44s first: %6.2f s, rsync %6.2f s (%4.2f), cp -a %6.2f s (%4.2f)   unchanged: %6.2f s, rsync %6.2f s (%4.2f)\n' \
                "$name${labels[$i]}${baseline:+, $p}" "${wall[$f]}" "${wall[first rsync]}" "$(ratio "${wall[$f]}" "${wall[first rsync]}")" \
                "${wall[first cp]}" "$(ratio "${wall[$f]}" "${wall[first cp]}")" \
                "${wall[$k]}" "${wall[unchanged rsync]}" "$(ratio "${wall[$k]}" "${wall[unchanged rsync]}")"
            printf '%-44s   processor seconds: %6.2f, rsync %6.2f (%4.2f), cp -a %6.2f (%4.2f)   unchanged: %6.2f, rsync %6.2f (%4.2f)\n' \
                "" "${cpu[$f]}" "${cpu[first rsync]}" "$(ratio "${cpu[$f]}" "${cpu[first rsync]}")" \
                "${cpu[first cp]}" "$(ratio "${cpu[$f]}" "${cpu[first cp]}")" \
                "${cpu[$k]}" "${cpu[unchanged rsync]}" "$(ratio "${cpu[$k]}" "${cpu[unchanged rsync]}")"
        done
    done
    echo "    peak resident size: first backup $((${first_peak:-0} / 1024)) MB, unchanged run $((${peak:-0} / 1024)) MB; $copied files in backup"
    tail -n 3 "$dir/program/log.txt" | tr -d '\r' | sed 's/^/    log: /'
    unmount_below "$dir"
    rm -rf "$dir"
}

echo "work folder: $work; target file systems: $fs; load: $(cut -d' ' -f1-3 /proc/loadavg)"
for t in $trees; do
    case "$t" in
    files20k) bench files20k "20k files in 1,000 folders, 1 GB" 20000 1000 1000000000 0 ;;
    files200k) bench files200k "200k small files in 1,000 folders" 200000 1000 200000000 0 ;;
    folders50k) bench folders50k "50k folders, 1 small file each" 50000 50000 50000000 1 ;;
    *) echo "unknown tree: $t" >&2; exit 1 ;;
    esac
done
