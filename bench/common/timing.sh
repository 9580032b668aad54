# Sourced by the benchmark scripts.

seconds() { # command... -> elapsed wall-clock seconds on stdout
    local t0 t1
    t0=$(date +%s.%N)
    "$@" >/dev/null 2>&1 || true
    t1=$(date +%s.%N)
    echo "$t1 - $t0" | bc -l
}

min() { if (( $(echo "$2 < $1" | bc -l) )); then echo "$2"; else echo "$1"; fi; }

peak_kb() { # command... -> peak resident size in KB on stdout (empty without /usr/bin/time)
    local out
    [ -x /usr/bin/time ] || return 0
    out=$(mktemp)
    /usr/bin/time -f '%M' -o "$out" "$@" >/dev/null 2>&1 || true
    tail -n 1 "$out"
    rm -f "$out"
}
