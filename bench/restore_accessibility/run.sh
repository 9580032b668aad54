#!/usr/bin/env bash
# Times the restore's copy back of 20,000 files on a private X server, without and with an
# accessibility client that hears every event (screen_reader, standing in for a screen reader),
# and prints both. The copy back with the client should take at most 1.5 times as long.
#
# usage: bench/restore_accessibility/run.sh [BUILD_FOLDER] [WORK_FOLDER]   (FILES=n for another count)
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
build="$(realpath "${1:-$here/../../build}")"
files="${FILES:-20000}"
driver="$build/bench/restore_bench"
client="$build/bench/screen_reader"

find_tool() { # name, then places where distributions keep it
    local name=$1 p
    shift
    for p in "$@"; do [ -x "$p" ] && { echo "$p"; return; }; done
    command -v "$name" || true
}
launcher=$(find_tool at-spi-bus-launcher /usr/libexec/at-spi-bus-launcher /usr/lib/at-spi2-core/at-spi-bus-launcher)
registry=$(find_tool at-spi2-registryd /usr/libexec/at-spi2-registryd /usr/lib/at-spi2-core/at-spi2-registryd)
for tool in Xvfb dbus-daemon "$launcher" "$registry" "$driver" "$client"; do
    [ -n "$tool" ] && command -v "$tool" >/dev/null || { echo "needs Xvfb, dbus-daemon, at-spi2-core and the built bench drivers" >&2; exit 1; }
done

source "$here/../common/timing.sh"
source "$here/../common/work.sh"
pids=()
bench_cleanup() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; }
FS=none setup_work "${2:-}" tamrel-a11y-bench
work_parts=(runtime home bus tree backup program unused without.out with.out client.out)

# A display and a session bus of its own, with the accessibility bus on it.
n=70
while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
export DISPLAY=":$n" QT_QPA_PLATFORM=xcb
mkdir -p -m 700 "$work/runtime" "$work/home"
# The screen reader's switch is a desktop setting: kept in memory, never in the user's settings.
export XDG_RUNTIME_DIR="$work/runtime" HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" GSETTINGS_BACKEND=memory
dbus-daemon --session --nofork --print-address=1 >"$work/bus" 2>/dev/null &
pids+=($!)
for _ in $(seq 100); do [ -s "$work/bus" ] && [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
DBUS_SESSION_BUS_ADDRESS="$(head -n 1 "$work/bus")"
export DBUS_SESSION_BUS_ADDRESS
"$launcher" >/dev/null 2>&1 &
pids+=($!)
sleep 1
"$registry" >/dev/null 2>&1 &
pids+=($!)

echo "work folder: $work"
rm -rf "$work/tree" "$work/backup"
python3 "$here/../backup_vs_rsync/generate_tree.py" "$work/tree" "$files" $((files / 20)) $((files * 1000)) \
    "$work/program" "$work/unused" Bench
mv "$work/tree" "$work/backup"

copy_back() { # label -> the driver's line; the copy back's seconds in $seconds
    # Each run into a new folder: files deleted just before make creating files slower (ext4).
    local into="$work/restored-$1-$round"
    mkdir "$into" && sync
    "$driver" copy "$work/backup" "$into" 2>"$work/$1.out" || true
    seconds=$(grep -o 'copy back [0-9.]* s' "$work/$1.out" | grep -o '[0-9.]*' || echo 0)
    sed "s/^/    $1: /" "$work/$1.out"
}

# Best of three runs each, taken in turns, so load from elsewhere weighs on both alike.
rm -rf "$work"/restored-*
without=999999 with=999999
for round in 1 2 3; do
    copy_back without
    without=$(min "$without" "$seconds")
    "$client" >"$work/client.out" 2>&1 &
    client_pid=$!
    for _ in $(seq 100); do grep -q listening "$work/client.out" && break; sleep 0.1; done
    grep -q listening "$work/client.out" || { cat "$work/client.out" >&2; exit 1; }
    copy_back with
    with=$(min "$with" "$seconds")
    kill -TERM "$client_pid"
    wait "$client_pid" || true
    echo "    client: $(tail -n 1 "$work/client.out")"
done
rm -rf "$work"/restored-*
printf '%s files, copy back (best of 3): without an accessibility client %6.2f s, with one %6.2f s (ratio %4.2f)\n' \
    "$files" "$without" "$with" "$(echo "$with / $without" | bc -l)"
