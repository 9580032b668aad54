#!/usr/bin/env bash
# Times the command-line run of a job whose folder list names many folders that no longer exist,
# against one whose folders all exist. The run's cost must grow linearly with the folders named:
# doubling the count should roughly double the time, missing or not.
#
# usage: bench/missing_folders/run.sh [EXECUTABLE] [WORK_FOLDER] [COUNTS...]
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
exe="$(realpath "${1:-$here/../../build/src/tamrel-backup}")"
given_work="${2:-}"
shift $(( $# > 2 ? 2 : $# ))
counts=("$@")
[ ${#counts[@]} -gt 0 ] || counts=(25000 50000 100000)

source "$here/../common/timing.sh"
source "$here/../common/work.sh"
FS=none setup_work "$given_work" tamrel-missing

bench() { # name missing existing
    local name=$1 missing=$2 existing=$3
    local dir="$work/$name-$missing-$existing"
    work_parts+=("$name-$missing-$existing")
    rm -rf "$dir"
    mkdir -p "$dir/program"
    cp "$exe" "$dir/program/tamrel-backup"
    python3 "$here/generate_job.py" "$dir/source" "$missing" "$existing" "$dir/program" "$dir/backup" Bench
    local t
    t=$(seconds env QT_QPA_PLATFORM=offscreen "$dir/program/tamrel-backup" Bench)
    printf '%-10s %7s missing %7s existing   %7.2f s\n' "$name" "$missing" "$existing" "$t"
    grep -a -c '' "$dir/program/log.txt" | sed 's/^/    log.txt lines: /'
    rm -rf "$dir"
}

echo "work folder: $work"
for n in "${counts[@]}"; do
    bench missing "$n" 0
    bench existing 0 "$n"
    # Existing folders listed before missing ones: each folder done leaves the list while the
    # missing ones after it stay.
    bench mixed $((n / 2)) $((n / 2))
done
