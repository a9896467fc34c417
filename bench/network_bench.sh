#!/usr/bin/env bash
# Discovery and the two-boards check on a segment of many boards, made of network namespaces as the
# network test makes them: velmarctl discover beside a bare broadcast-and-collect in C, and a write
# with the check (a board on the segment) beside the same write without it (a board on loopback, which
# hears no broadcast). Writes a Markdown section to FILE. Needs root or user namespaces.
# Usage: network_bench.sh BUILD_DIR FILE [BOARDS]
set -euo pipefail
bin=$(cd "$1" && pwd)/bin
out=$(realpath -m "$2")
count=${3:-24}
# shellcheck source=../tests/netlab.sh
source "$(dirname "$0")/../tests/netlab.sh"
work=$(mktemp -d)
trap 'for p in "${netlab_pids[@]}"; do kill "$p" 2>/dev/null || true; done; wait 2>/dev/null; rm -rf "$work"' EXIT
export HOME=$work XDG_DATA_HOME=$work/data

host laptop 10.0.0.1/16
for i in $(seq "$count"); do
    host "b$i" "10.0.1.$i/16"
    spawn "b$i" "$bin/velmar-board" --listen-all --address "10.0.1.$i" --quiet 2>"$work/b$i.log"
done
# A board on the laptop's own loopback, for the write without the check.
spawn laptop "$bin/velmar-board" --address 127.0.0.2 --quiet 2>"$work/lo.log"
for log in "$work"/*.log; do until grep -qs ' listening; ' "$log"; do sleep 0.02; done; done

laptop() { on laptop "$@"; }
# Wall milliseconds of a command, and what it printed.
timed() {
    local start end
    start=$(date +%s%N)
    "$@" >"$work/said" 2>&1 || true
    end=$(date +%s%N)
    echo $(((end - start) / 1000000))
}
median() { sort -n | awk '{a[NR] = $1} END {print a[int((NR + 1) / 2)]}'; }
runs=7 timeout=200
ctl=() bare=() checked=() unchecked=()
for run in $(seq "$runs"); do
    ctl+=("$(timed laptop "$bin/velmarctl" discover --timeout $timeout --retries 0)")
    found=$(grep -c '^10\.0\.1\.' "$work/said" || true)
    [ "$found" = "$count" ] || { cat "$work/said"; echo "discover found $found of $count"; exit 1; }
    bare+=("$(timed laptop "$bin/velmar-broadcast" 10.0.255.255 $timeout)")
    [ "$(cat "$work/said")" = "$count" ] || { cat "$work/said"; echo "the bare program found too few"; exit 1; }
    mask=255.255.$((run % 2 ? 0 : 128)).0
    checked+=("$(timed laptop "$bin/velmarctl" write 10.0.1.1 --mask "$mask" --timeout $timeout)")
    grep -q 'kept the write' "$work/said" || { cat "$work/said"; exit 1; }
    unchecked+=("$(timed laptop "$bin/velmarctl" write 127.0.0.2 --mask "$mask" --timeout $timeout)")
    grep -q 'kept the write' "$work/said" || { cat "$work/said"; exit 1; }
done
m() { printf '%s\n' "$@" | median; }
cat >"$out" <<TABLE
## On a segment of $count boards (network namespaces), time-out $timeout ms

Median of $runs runs each, interleaved, wall time of the whole process (start-up included).

| what | velmarctl | beside | baseline |
|---|---|---|---|
| discover, $count boards answer, no retries | $(m "${ctl[@]}") ms | bare broadcast-and-collect in C (\`bench/broadcast.c\`), one broadcast, ends $timeout ms after the last new answer | $(m "${bare[@]}") ms |
| write one board, with the two-boards check (a board on the segment) | $(m "${checked[@]}") ms | the same write to a board on loopback (no broadcast, no check) | $(m "${unchecked[@]}") ms |

Both discovery rows end one time-out after the last new answer; the rest is starting a Qt program and
the three requests a board answers (velmarctl collects them all). The check adds one broadcast exchange
to a write: it ends a time-out after the last answer (or at once when a second board answers).
TABLE
cat "$out"
