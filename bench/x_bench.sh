#!/usr/bin/env bash
# Keys under a flood, on a real X display: a key typed through XTest timed to the repaint of its field
# (DAMAGE), and _NET_WM_PING answered, in the configurator while two processes flood its port 6767 with
# configuration replies, beside the same window without a flood, a bare Qt window, and the same flood
# sent to a port nobody reads (what the machine alone costs). All in a network namespace of its own
# (6767 is ours there) with an Xvfb of its own; kinds are interleaved, and the whole is run twice, each
# time with a window just started, to show what reproduces. Appends a section to FILE.
# Usage: x_bench.sh BUILD_DIR FILE [SAMPLES]
set -euo pipefail
bin=$(cd "$1" && pwd)/bin
out=$(realpath -m "$2")
samples=${3:-400}
for tool in Xvfb "$bin/velmar-xinput"; do
    command -v "$tool" >/dev/null || { echo "x_bench: no $tool (./do bench installs it)"; exit 1; }
done
# shellcheck source=../tests/netlab.sh
source "$(dirname "$0")/../tests/netlab.sh"
work=$(mktemp -d)
pids=()
trap 'for p in "${pids[@]}" "${netlab_pids[@]}"; do kill "$p" 2>/dev/null || true; done; wait 2>/dev/null; rm -rf "$work"' EXIT
export HOME=$work XDG_RUNTIME_DIR=$work/run QT_QPA_PLATFORM=xcb
mkdir -m 700 "$work/run"

Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$work/display" 2>"$work/xvfb.log" &
pids+=($!)
for _ in $(seq 200); do [ -s "$work/display" ] && break; sleep 0.05; done
[ -s "$work/display" ] || { cat "$work/xvfb.log"; echo "x_bench: Xvfb did not start"; exit 1; }
export DISPLAY=:$(cat "$work/display")

# name | window | port the senders flood (none: no flood) | every reply different | senders' priority
kinds=("the window, no flood|window|none"
       "a bare Qt window, no flood|bare|none"
       "the window, identical replies|window|6767|0|normal"
       "the window, every reply different|window|6767|1|normal"
       "the window, identical replies, senders at idle priority|window|6767|0|idle"
       "the window, every reply different, senders at idle priority|window|6767|1|idle"
       "the window, identical replies sent to a port nobody reads|window|6768|0|normal"
       "the same, senders at idle priority|window|6768|0|idle")
rounds=4
# What each sender is asked to send a second; what they offered is what they say they sent.
rate=1000000 senders=2

# One session: both windows started afresh, every kind measured in turn, rounds times.
session() {
    local run=$1 k name which port vary priority args
    cp "$bin/velmarcom" "$work/velmarcom"  # its settings file beside it, in the work folder
    "$work/velmarcom" >"$work/window.log" 2>&1 &
    local window=$!
    "$bin/velmar-start-bare" idle >"$work/bare.log" 2>&1 &
    local bare=$!
    pids+=("$window" "$bare")
    for _ in $(seq "$rounds"); do
        for k in "${!kinds[@]}"; do
            IFS='|' read -r name which port vary priority <<<"${kinds[$k]}"
            args=()
            if [ "$port" != none ]; then
                args=(--senders "$senders")
                [ "$priority" = idle ] && args+=(--idle)
                args+=(-- "$bin/velmar-bench" --flood "$port" "$rate" 1000000000 "$vary")
            fi
            [ "$which" = window ] && pid=$window || pid=$bare
            "$bin/velmar-xinput" "$pid" $((samples / rounds)) "${args[@]}" >>"$work/run$run-$k" 2>>"$work/xinput.log" ||
                { cat "$work/xinput.log"; exit 1; }
        done
    done
    kill "$window" "$bare"
    wait "$window" "$bare" 2>/dev/null || true
}
session 1
session 2

# Nearest-rank percentile P of column C of a file.
percentile() { awk -v c="$2" '/^key / {print $c}' "$3" | sort -n | awk -v p="$1" '{a[NR] = $1} END {i = int(NR * p / 100 + 0.999); print a[i < 1 ? 1 : i]}'; }
ms() { printf "%.2f ms" "$1"; }
figures() { echo "$(ms "$(percentile 50 2 "$1")") | $(ms "$(percentile 99 2 "$1")") | $(ms "$(percentile 99 4 "$1")")"; }
# The senders' offered rate in k/s, both runs of a kind together: each sender's count over its seconds,
# the senders of one measurement summed, the measurements averaged.
offered() { awk -v n=$senders '/^sent / && $3 > 0 {r += $2 / $3; c++} END {printf "%.0f", c ? r / (c / n) / 1000 : 0}' "$@"; }
# A flood row's name, with what its senders offered beside what it asks of them; one that offered less
# (below 95 %) measured its load generator, and says so.
name() {
    local k=$1 name port
    IFS='|' read -r name _ port _ <<<"${kinds[$k]}"
    [ "$port" = none ] && { echo "$name"; return; }
    local asked=$((rate * senders / 1000)) got
    got=$(offered "$work/run1-$k" "$work/run2-$k")
    if [ "$got" -lt $((asked * 95 / 100)) ]; then
        echo "$name (**measures its load generator**: the senders offered $got k/s of the $asked k/s asked)"
    else
        echo "$name (offered $got k/s, as asked)"
    fi
}
cores=$(nproc)
shared=""
[ "$cores" -lt 4 ] && shared=" This machine has $cores cores: the two senders, the window, the X server and the measuring program share them, so the senders' priority changes the figures."
{
    echo
    echo "## Keys under a flood, on an X display"
    echo
    echo "Measured by \`bench/x_bench.sh\` (Xvfb, a key typed through XTest timed to the repaint of its field, seen through DAMAGE; \`_NET_WM_PING\` round trips), $samples samples a kind, the kinds interleaved; the whole run twice, each time with the windows just started.$shared"
    echo
    echo "| kind | key p50 | key p99 | ping p99 | second run: key p50 | key p99 | ping p99 |"
    echo "|---|---|---|---|---|---|---|"
    for k in "${!kinds[@]}"; do
        echo "| $(name "$k") | $(figures "$work/run1-$k") | $(figures "$work/run2-$k") |"
    done
    cat <<'NOTES'

The floods are two processes asked to send configuration replies to 127.0.0.1 at a million a second
each (at idle priority: SCHED_IDLE), in a network namespace of the benchmark's own; each says how many
it sent, and a row whose senders fell short of that (below 95 %) says it measured them rather than the
window: what they offered is what reached the keys. Between keys, 10 to 30 ms pass. The window reads
its queue for at most 0.5 ms at a time, and after a pass that left datagrams queued it
sleeps 1 ms before the next, so that input, painting and the X server get their turn; what the passes
bring it shows once a frame (16 ms). The last two rows send the same flood where nobody reads it: what
the senders alone cost the keys on this machine, the floor of the rows above.
NOTES
} >>"$out"
tail -n 20 "$out"
