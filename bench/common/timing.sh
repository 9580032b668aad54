# Sourced by the benchmark scripts.

# Figures are read and printed with a decimal point whatever the caller's locale (printf under a
# locale with a decimal comma rejects "1.23").
if locale -a 2>/dev/null | grep -ix 'c\.utf-\?8' >/dev/null; then export LC_ALL=C.UTF-8; else export LC_ALL=C; fi

seconds() { # command... -> elapsed wall-clock seconds on stdout; a failure is said on stderr
    local t0 t1 rc=0
    t0=$(date +%s.%N)
    "$@" >/dev/null 2>&1 || rc=$?
    t1=$(date +%s.%N)
    [ "$rc" = 0 ] || echo "note: '$*' ended with $rc" >&2
    echo "$t1 - $t0" | bc -l
}

measure() { # command... -> sets WALL (elapsed seconds) and CPU (user + system seconds, children too)
    local out rc=0 u s
    out=$(mktemp)
    /usr/bin/time -f '%e %U %S' -o "$out" "$@" >/dev/null 2>&1 || rc=$?
    [ "$rc" = 0 ] || echo "note: '$*' ended with $rc" >&2
    read -r WALL u s < <(tail -n 1 "$out")
    CPU=$(echo "$u + $s" | bc -l)
    rm -f "$out"
}

min() { if (( $(echo "$2 < $1" | bc -l) )); then echo "$2"; else echo "$1"; fi; }

ratio() { echo "$1 / $2" | bc -l; }

peak_kb() { # command... -> peak resident size in KB on stdout (empty without /usr/bin/time)
    local out
    [ -x /usr/bin/time ] || return 0
    out=$(mktemp)
    /usr/bin/time -f '%M' -o "$out" "$@" >/dev/null 2>&1 || true
    tail -n 1 "$out"
    rm -f "$out"
}
