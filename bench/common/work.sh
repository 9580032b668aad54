# Sourced by the benchmark scripts after timing.sh: a work folder that is cleaned up on every exit,
# and a fresh file system for each target that must start empty.
#
# FS=ext4 (default) makes each such target a new ext4 file system in an image under IMAGES
# (default /dev/shm), FS=tmpfs a new tmpfs; both need root. FS=none only empties the folder, which
# leaves the next run to a file system that has just freed many inodes (on ext4 that slowed whoever
# created files next, by up to 3 to 10 times, for about half a minute).

# setup_work GIVEN PREFIX: $work is GIVEN (made if missing; only what the bench makes in it, named
# in work_parts, is removed at the end) or a new folder /tmp/PREFIX.* (removed whole).
setup_work() {
    fs="${FS:-ext4}"
    if [ "$fs" != none ] && [ "$(id -u)" -ne 0 ]; then
        echo "FS=$fs needs root to mount; FS=none empties folders instead" >&2
        exit 1
    fi
    made_work=0
    work_parts=()
    if [ -n "$1" ]; then
        work="$(realpath -m "$1")"
        mkdir -p "$work"
    else
        work="$(mktemp -d "/tmp/$2.XXXXXX")"
        made_work=1
    fi
    images="${IMAGES:-/dev/shm}"
    [ -d "$images" ] || images="$work"
    image_prefix="$images/tamrel-bench-$$"
    trap cleanup_work EXIT
    trap 'exit 130' INT TERM HUP
}

cleanup_work() {
    local m t
    if declare -F bench_cleanup >/dev/null; then bench_cleanup || true; fi
    for m in $(findmnt -rn -o TARGET | grep -F "$work/" | sort -r); do
        umount "$m" 2>/dev/null || umount -l "$m" || true
    done
    rm -f "$image_prefix".*
    if [ "$made_work" = 1 ]; then
        rm -rf "$work"
    else
        for t in "${work_parts[@]}"; do rm -rf "${work:?}/$t"; done
    fi
}

# fresh FOLDER BYTES FILES: FOLDER is a new, empty file system (or folder) with room for BYTES in
# FILES files and folders.
fresh() {
    local dir=$1 bytes=$2 files=$3
    if mountpoint -q "$dir"; then umount "$dir"; fi
    rm -rf "$dir"
    mkdir -p "$dir"
    case "$fs" in
    tmpfs)
        mount -t tmpfs -o "size=$((bytes * 2 + files * 8192 + (64 << 20))),nr_inodes=$((files * 3 + 10000))" \
            tmpfs "$dir"
        ;;
    ext4)
        local image
        image="$image_prefix.$(basename "$dir").img"
        rm -f "$image"
        truncate -s $((bytes * 2 + files * 8192 + (256 << 20))) "$image"
        # Inode tables and journal written now: no background initialisation runs during a copy.
        mkfs.ext4 -q -F -N $((files * 3 + 10000)) -E lazy_itable_init=0,lazy_journal_init=0 "$image"
        mount -o loop "$image" "$dir"
        rm -f "$image" # the loop device keeps it until the unmount
        ;;
    none) ;;
    *)
        echo "FS=$fs: ext4, tmpfs or none" >&2
        exit 1
        ;;
    esac
    sync
}

# unmount_below FOLDER: what fresh mounted below FOLDER is unmounted.
unmount_below() {
    local m
    for m in $(findmnt -rn -o TARGET | grep -F "$1/" | sort -r); do umount "$m"; done
}
