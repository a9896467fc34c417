#!/usr/bin/env bash
# The site window (velmar-site) on a segment of many boards, made of network namespaces as the network
# benchmark makes them, on an X display of its own; each figure beside a baseline measured in the same
# run, interleaved: the window's start to its table of the boards found by broadcast beside velmarctl
# discover; a key's repaint in the window while it reads a /24 beside the same in a window at rest
# (bench/xinput.c); its peak memory after 100 searches beside after one. Writes a Markdown page to FILE.
# Needs root or user namespaces, Xvfb and velmar-xinput.
# Usage: site_bench.sh BUILD_DIR FILE [BOARDS [SAMPLES]]
set -euo pipefail
bin=$(cd "$1" && pwd)/bin
out=$(realpath -m "$2")
count=${3:-24}
samples=${4:-200}
for tool in Xvfb "$bin/velmar-xinput" "$bin/velmar-site" /usr/bin/time; do
    command -v "$tool" >/dev/null || { echo "site_bench: no $tool (./do bench installs and builds it)"; exit 1; }
done
# shellcheck source=../tests/netlab.sh
source "$(dirname "$0")/../tests/netlab.sh"
work=$(mktemp -d)
trap 'for p in "${netlab_pids[@]}"; do kill "$p" 2>/dev/null || true; done; wait 2>/dev/null; rm -rf "$work"' EXIT
export HOME=$work XDG_RUNTIME_DIR=$work/run QT_QPA_PLATFORM=xcb
mkdir -m 700 "$work/run"

host laptop 10.0.0.1/16
for i in $(seq "$count"); do
    host "b$i" "10.0.1.$i/16"
    spawn "b$i" "$bin/velmar-board" --listen-all --address "10.0.1.$i" --quiet 2>"$work/b$i.log"
done
for log in "$work"/b*.log; do
    for _ in $(seq 500); do grep -qs ' listening; ' "$log" && break; sleep 0.02; done
    grep -qs ' listening; ' "$log" || { cat "$log"; echo "site_bench: a board did not start"; exit 1; }
done
# A command on the laptop: each ends by itself, and five minutes bound it all the same.
laptop() { on laptop timeout 300 "$@"; }

# The display, in the laptop's namespace with the windows (its socket is found there).
spawn laptop Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$work/display" 2>"$work/xvfb.log"
for _ in $(seq 200); do [ -s "$work/display" ] && break; sleep 0.05; done
[ -s "$work/display" ] || { cat "$work/xvfb.log"; echo "site_bench: Xvfb did not start"; exit 1; }
export DISPLAY=:$(cat "$work/display")

# A home of its own for each kind of window: its settings (the time-out) in ~/.config/VELMAR.
home() {  # home NAME TIMEOUT_MS: prints the folder
    mkdir -p "$work/$1/.config/VELMAR"
    printf '[site]\ntimeoutMs=%s\n' "$2" >"$work/$1/.config/VELMAR/velmar-site.ini"
    echo "$work/$1"
}
# Wall milliseconds of a command, and what it printed.
timed() {
    local start end
    start=$(date +%s%N)
    "$@" >"$work/said" 2>&1 || true
    end=$(date +%s%N)
    echo $(((end - start) / 1000000))
}
median() { sort -n | awk '{a[NR] = $1} END {print a[int((NR + 1) / 2)]}'; }
m() { printf '%s\n' "$@" | median; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.2f", a / b}'; }
boards() { grep -c $'^10\\.0\\.1\\.[0-9]*\t' "$work/said" || true; }

# From the window's start to its table of the boards that answered its broadcast, the window's own
# time-out (500 ms), beside velmarctl discover's with the same.
start_home=$(home start 500)
runs=7 window=() discover=()
for _ in $(seq $runs); do
    window+=("$(timed laptop env HOME="$start_home" "$bin/velmar-site" --list)")
    [ "$(boards)" = "$count" ] || { cat "$work/said"; echo "the window found $(boards) of $count"; exit 1; }
    discover+=("$(timed laptop "$bin/velmarctl" discover --timeout 500)")
    [ "$(grep -c '^10\.0\.1\.' "$work/said" || true)" = "$count" ] || { cat "$work/said"; echo "discover found too few"; exit 1; }
done

# A key's repaint: in a window that reads 10.0.1.0/24 from its start (its time-out 3 s, so that the
# silent addresses keep the read going beyond the keys: a window whose read ended before the keys did
# fails the run), beside one at rest (no broadcast, nothing asked). Interleaved, a read window afresh
# each round.
read_home=$(home read 3000)
rest_home=$(home rest 500)
rounds=4
# keys PID FILE: the round's samples of the window PID appended to FILE. A window just mapped on a loaded
# machine may paint its first key after xinput's 300 ms: it is asked again, three times at most.
keys() {
    local attempt
    for attempt in 1 2 3; do
        laptop "$bin/velmar-xinput" "$1" $((samples / rounds)) >>"$2" 2>>"$work/xinput.log" && return 0
        tail -1 "$work/xinput.log" | grep -q 'no entry field has the focus' || break
    done
    cat "$work/xinput.log"
    exit 1
}
# The whole twice, each time with a window at rest just started, to show what reproduces.
for session in 1 2; do
    spawn laptop env HOME="$rest_home" "$bin/velmar-site" --no-broadcast
    rest=$spawned
    for _ in $(seq $rounds); do
        spawn laptop env HOME="$read_home" "$bin/velmar-site" --no-broadcast --add 10.0.1.0/24 --list
        reading=$spawned
        keys "$reading" "$work/keys-read-$session"
        kill -0 "$reading" 2>/dev/null || { echo "site_bench: the read of the /24 ended before the keys did"; exit 1; }
        kill "$reading"
        wait "$reading" 2>/dev/null || true
        keys "$rest" "$work/keys-rest-$session"
    done
    kill "$rest"
    wait "$rest" 2>/dev/null || true
done

# Peak memory (the kernel's maximum resident set, in KiB): the window after 100 searches of the boards
# by address beside after one, and velmarctl's read of the same boards.
memory_home=$(home memory 500)
peak() {  # peak COMMAND...: KiB, what the command printed in $work/said
    laptop /usr/bin/time -f '%M' -o "$work/peak" "$@" >"$work/said" 2>&1 || { cat "$work/said"; exit 1; }
    cat "$work/peak"
}
targets=10.0.1.1-10.0.1.$count
one=() hundred=() ctl=()
for _ in 1 2 3; do
    one+=("$(peak env HOME="$memory_home" "$bin/velmar-site" --no-broadcast --add "$targets" --list)")
    hundred+=("$(peak env HOME="$memory_home" "$bin/velmar-site" --no-broadcast --add "$targets" --list --searches 100)")
    [ "$(grep -c $'^10\\.0\\.1\\.[0-9]*\t' "$work/said")" = $((100 * count)) ] || { echo "the searches found too few"; exit 1; }
    ctl+=("$(peak "$bin/velmarctl" read "$targets")")
done

# Nearest-rank percentile P of column C of a file.
percentile() { awk -v c="$2" '{print $c}' "$3" | sort -n | awk -v p="$1" '{a[NR] = $1} END {i = int(NR * p / 100 + 0.999); print a[i < 1 ? 1 : i]}'; }
ms() { printf "%.2f" "$1"; }
p() { ms "$(percentile "$1" "$2" "$work/keys-$3")"; }
cat >"$out" <<PAGE
# The site window's performance

Measured by \`bench/site_bench.sh\` (\`./do bench\`): velmar-site on a segment of $count stand-in boards
made of network namespaces (\`tests/netlab.sh\`), on an X display of its own (Xvfb). Every figure is a
ratio of two things measured side by side in one run; the absolute times are this machine's ($(nproc)
shared cores, other builds running beside) at that moment, the ratios are what holds from one machine
to another.

| what | ratio | the window | beside |
|---|---|---|---|
| from its start to its table of the $count boards that answered its broadcast (\`--list\`, time-out 500 ms), median of $runs | $(ratio "$(m "${window[@]}")" "$(m "${discover[@]}")") | $(m "${window[@]}") ms | \`velmarctl discover --timeout 500\` on the same segment, start to end: $(m "${discover[@]}") ms |
| a key's repaint, p99, while it reads 10.0.1.0/24 ($count answer, the rest silent) | $(ratio "$(p 99 2 read-1)" "$(p 99 2 rest-1)") | $(p 99 2 read-1) ms (p50 $(p 50 2 read-1) ms) | the same in a window at rest: $(p 99 2 rest-1) ms (p50 $(p 50 2 rest-1) ms) |
| the same, second run | $(ratio "$(p 99 2 read-2)" "$(p 99 2 rest-2)") | $(p 99 2 read-2) ms (p50 $(p 50 2 read-2) ms) | at rest: $(p 99 2 rest-2) ms (p50 $(p 50 2 rest-2) ms) |
| \`_NET_WM_PING\` answered, p99, the same | $(ratio "$(p 99 4 read-1)" "$(p 99 4 rest-1)") | $(p 99 4 read-1) ms | at rest: $(p 99 4 rest-1) ms |
| the same, second run | $(ratio "$(p 99 4 read-2)" "$(p 99 4 rest-2)") | $(p 99 4 read-2) ms | at rest: $(p 99 4 rest-2) ms |
| peak memory after 100 searches of the $count boards by address, median of 3 | $(ratio "$(m "${hundred[@]}")" "$(m "${one[@]}")") | $(( $(m "${hundred[@]}") / 1024 )) MiB | after one search: $(( $(m "${one[@]}") / 1024 )) MiB; \`velmarctl read\` of the same boards: $(( $(m "${ctl[@]}") / 1024 )) MiB |

Start to table, each run in ms: the window ${window[*]}; discover ${discover[*]}. Keys: $samples a kind and run
(bench/xinput.c: a key typed through XTest timed to the repaint of the focused field, the address box,
seen through DAMAGE), in $rounds rounds, each with a window just started whose read is still under way
when the last key's repaint came; the p99 of $samples samples is one of their slowest few, and moves from one
run to the next on a shared machine.

How it is measured, and what the figures say:
- The start to the table is wall time from exec to exit of both programs, alternated. The window's
  search is a discovery as velmarctl's, with the same time-out and retries: both end a time-out after
  the last new answer. What the window adds is its start on a display and the table shown.
- The read of the /24 runs on the window's worker thread; the keys go to its address box on the
  window's thread, which meanwhile takes the read's progress and a log line for every address asked
  (254 at the read's start). The window at rest is started once and measured between the rounds.
- A search replaces the table's rows; the log pane keeps its last 5000 lines (100 searches of $count
  boards add about $((100 * (count + 2))) of them). The peak memory is the kernel's maximum resident set
  of the whole process (\`/usr/bin/time\`), the window's start included.
PAGE
cat "$out"
