#!/usr/bin/env bash
# Peak resident size of the command-line run over 50,000, 100,000 and 200,000 small new files in
# 1,000 folders (about 1 KB each, as the 200k tree of run.sh): the first backup into an empty
# folder and the unchanged run after it. The first backup's peak must not grow with the files.
#
# usage: bench/backup_vs_rsync/peaks.sh [EXECUTABLE] [WORK_FOLDER]
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
exe="${1:-$here/../../build/src/tamrel-backup}"
exe="$(realpath "$exe")"
[ -x /usr/bin/time ] || { echo "/usr/bin/time is needed" >&2; exit 1; }

source "$here/../common/timing.sh"
source "$here/../common/work.sh"
FS=none setup_work "${2:-}" tamrel-peaks

echo "work folder: $work"
for files in 50000 100000 200000; do
    dir="$work/small$files"
    work_parts+=("small$files")
    rm -rf "$dir"
    mkdir -p "$dir/program"
    cp "$exe" "$dir/program/tamrel-backup"
    python3 "$here/generate_tree.py" "$dir/tree" "$files" 1000 $((files * 1000)) "$dir/program" "$dir/backup" Bench
    run() { peak_kb env QT_QPA_PLATFORM=offscreen "$dir/program/tamrel-backup" Bench; }
    first=$(run)
    unchanged=$(run)
    printf '%7d small files: peak resident size, first backup %4d MB, unchanged run %4d MB; %d files in backup\n' \
        "$files" $((${first:-0} / 1024)) $((${unchanged:-0} / 1024)) "$(find "$dir/backup" -type f | wc -l)"
    rm -rf "$dir"
done
