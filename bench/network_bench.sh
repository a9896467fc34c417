#!/usr/bin/env bash
# velmarctl's site operations on a segment of many boards, made of network namespaces as the network
# test makes them, each beside what the same work costs at least, in one run and interleaved:
# discovery beside a bare broadcast-and-collect in C; a write with the two-boards check (a board on the
# segment) beside the same write without it (a board on loopback, which hears no broadcast); a read of
# every board beside a bare fan-out in C; and a commissioning step, on the segment and on loopback,
# beside the board's own reboot and the pre-reboot frames. Writes a Markdown section to FILE. Needs root
# or user namespaces.
# ROWS, where given, picks some of them (a comma-separated list of discover, write, read, commission;
# read includes its trace): a quick look at what a change moves, its rows alone in FILE.
# Usage: network_bench.sh BUILD_DIR FILE [BOARDS [ROWS]]
set -euo pipefail
bin=$(cd "$1" && pwd)/bin
out=$(realpath -m "$2")
count=${3:-24}
rows=,${4:-discover,write,read,commission},
want() { [[ $rows == *",$1,"* ]]; }
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
# ratio A B: A / B to two places.
ratio() { awk -v a="$1" -v b="$2" 'BEGIN {if (b > 0) printf "%.2f", a / b}'; }
runs=7 timeout=500
ctl=() bare=() checked=() unchecked=() read=() fanout=() lingered=()
for run in $(seq "$runs"); do
    if want discover; then
        ctl+=("$(timed laptop "$bin/velmarctl" discover --timeout 200 --retries 0)")
        found=$(grep -c '^10\.0\.1\.' "$work/said" || true)
        [ "$found" = "$count" ] || { cat "$work/said"; echo "discover found $found of $count"; exit 1; }
        bare+=("$(timed laptop "$bin/velmar-broadcast" 10.0.255.255 200)")
        [ "$(cat "$work/said")" = "$count" ] || { cat "$work/said"; echo "the bare program found too few"; exit 1; }
    fi
    if want write; then
        mask=255.255.$((run % 2 ? 0 : 128)).0
        checked+=("$(timed laptop "$bin/velmarctl" write 10.0.1.1 --mask "$mask" --timeout $timeout)")
        grep -q 'kept the write' "$work/said" || { cat "$work/said"; exit 1; }
        unchecked+=("$(timed laptop "$bin/velmarctl" write 127.0.0.2 --mask "$mask" --timeout $timeout)")
        grep -q 'kept the write' "$work/said" || { cat "$work/said"; exit 1; }
    fi
    if want read; then
        read+=("$(timed laptop "$bin/velmarctl" read "10.0.1.1-10.0.1.$count")")
        [ "$(grep -c ' lift ' "$work/said")" = "$count" ] || { cat "$work/said"; echo "read too few"; exit 1; }
        fanout+=("$(timed laptop "$bin/velmar-fanout" 10.0.1.1 "$count" $timeout 2)")
        grep -q "^$count of $count answered" "$work/said" || { cat "$work/said"; exit 1; }
        # velmarctl lingers after a read for as long as its slowest answer took, 5 to 100 ms.
        slowest=$(awk '/^slowest answer/ {print $3}' "$work/said")
        lingered+=("$((fanout[-1] + (slowest < 5 ? 5 : slowest > 100 ? 100 : slowest)))")
    fi
done

# Where a read of the segment spends its time, from the system calls of a few more reads (not timed
# beside the others: tracing slows them): exec to its first request (start-up), to the last answer
# (the fan-out, the check's broadcast beside it), and to its exit (answers heard to stop, and the end).
startup=() fanned=() checking=()
for run in $(seq 5); do
    want read || break
    laptop strace -f -ttt -e trace=execve,sendto,sendmsg,recvmsg,exit_group -o "$work/trace" \
        "$bin/velmarctl" read "10.0.1.1-10.0.1.$count" >/dev/null 2>&1 || true
    read -r s f c < <(awk '
        /execve\(/ && !t0 {t0 = $2}
        /sendmsg|sendto/ && /inet_addr\("(10\.0\.1\.|10\.0\.255\.255|255\.255\.255\.255)/ && !t1 {t1 = $2}
        /recvmsg/ && /inet_addr\("10\.0\.1\./ {t2 = $2}
        /exit_group/ {t3 = $2}
        END {printf "%d %d %d\n", (t1 - t0) * 1000, (t2 - t1) * 1000, (t3 - t2) * 1000}' "$work/trace")
    startup+=("$s") fanned+=("$f") checking+=("$c")
done

# Commissioning: new boards connected one at a time at --at, each as soon as the run asks for it. A
# step runs from the board's first read (in its log) to the record of its row done (the record's time).
reboot=1500 pre=400 steps=5
epoch() { date -d "$1" +%s%3N; }
commissioning() {  # commissioning WHERE: segment or loopback; each step's milliseconds to $work/WHERE.ms
    local where=$1 at plan n
    if [ "$where" = segment ]; then at=10.0.2.2; else at=127.0.60.2; fi
    plan=$work/$where.csv
    echo 'name,lift,mask,router' >"$plan"
    for n in $(seq $steps); do
        if [ "$where" = segment ]; then
            echo "Lift $n,10.0.3.$n,255.255.0.0,10.0.0.254" >>"$plan"
        else
            echo "Lift $n,127.0.61.$n,255.255.255.0,127.0.61.254" >>"$plan"
        fi
    done
    spawn laptop "$bin/velmarctl" commission "$plan" --at "$at" >"$work/$where.out" 2>&1
    local run=$spawned
    for n in $(seq $steps); do
        until grep -q "waiting for the board of Lift $n " "$work/$where.out"; do
            kill -0 "$run" || { cat "$work/$where.out"; exit 1; }
            sleep 0.01
        done
        if [ "$where" = segment ]; then
            # The board before has left --at, and the laptop's address resolution may still name it there.
            host "c$where$n" "$at/16"
            spawn "c$where$n" "$bin/velmar-board" --listen-all --address "$at" --mac "02:00:00:00:01:0$n" \
                --reboot-ms $reboot 2>"$work/c$where$n.log"
        else
            spawn laptop "$bin/velmar-board" --address "$at" --reboot-ms $reboot \
                --state "$work/c$where$n.json" 2>"$work/c$where$n.log"
        fi
        if [ "$where" = segment ]; then
            # A board on the segment comes up at its planned address: it moves there within its reboot.
            until grep -q "^Lift $n: rebooted" "$work/$where.out"; do
                kill -0 "$run" || { cat "$work/$where.out"; exit 1; }
                sleep 0.01
            done
            on "c$where$n" ip addr del "$at/16" dev eth0
            on "c$where$n" ip addr add "10.0.3.$n/16" dev eth0
        fi
        until grep -q "^Lift $n: done" "$work/$where.out"; do
            kill -0 "$run" || { cat "$work/$where.out"; exit 1; }
            sleep 0.01
        done
        local first finished
        first=$(epoch "$(grep -m1 ' <- ' "$work/c$where$n.log" | cut -d' ' -f1)")
        finished=$(stat -c %.3Y "${plan%.csv}.log.csv" | tr -d .)
        echo $((finished - first)) >>"$work/$where.ms"
    done
    wait "$run"
}
segment=() loopback=()
if want commission; then
    commissioning segment
    commissioning loopback
    mapfile -t segment <"$work/segment.ms"
    mapfile -t loopback <"$work/loopback.ms"
fi

m() { printf '%s\n' "$@" | median; }
# Each row where it was measured.
row() { want "$1" && echo "${*:2}"; }
cat -s >"$out" <<TABLE
## On a segment of $count boards (network namespaces)

Every figure is a ratio of two programs measured side by side in one run, interleaved: the median of
$runs runs each (a commissioning step: of $steps boards), wall time of the whole process (start-up
included). The absolute times are this machine's (two shared cores) at that moment; the ratios are what
holds from one machine to another.

| what | ratio | velmarctl | beside |
|---|---|---|---|
$(row write "| write one board with the two-boards check (a board on the segment), time-out $timeout ms | $(ratio "$(m "${checked[@]}")" "$(m "${unchecked[@]}")") | $(m "${checked[@]}") ms | the same write to a board on loopback (no broadcast, no check): $(m "${unchecked[@]}") ms |")
$(row read "| read $count boards on the segment, defaults (the check included) | $(ratio "$(m "${read[@]}")" "$(m "${fanout[@]}")") | $(m "${read[@]}") ms | bare fan-out in C (\`bench/fanout.c\`), the same requests: $(m "${fanout[@]}") ms |")
$(row read "| the same read | $(ratio "$(m "${read[@]}")" "$(m "${lingered[@]}")") | $(m "${read[@]}") ms | the fan-out and velmarctl's linger after it (as long as the fan-out's slowest answer, 5 to 100 ms): $(m "${lingered[@]}") ms |")
$(row commission "| commission a board on the segment: from its first read at \`--at\` to its row done | $(ratio "$(m "${segment[@]}")" $((reboot + pre))) | $(m "${segment[@]}") ms | its reboot ($reboot ms) and the four pre-reboot frames ($pre ms): $((reboot + pre)) ms |")
$(row commission "| commission a stand-in board on loopback, the same | $(ratio "$(m "${loopback[@]}")" $((reboot + pre))) | $(m "${loopback[@]}") ms | the same $((reboot + pre)) ms |")
$(row discover "| discover, $count boards answer, time-out 200 ms, no retries | $(ratio "$(m "${ctl[@]}")" "$(m "${bare[@]}")") | $(m "${ctl[@]}") ms | bare broadcast-and-collect in C (\`bench/broadcast.c\`), ends 200 ms after the last new answer: $(m "${bare[@]}") ms |")

$(row commission "Commissioning steps, each in ms: segment ${segment[*]}; loopback ${loopback[*]}.")

$(row read "A read of the segment, traced (medians of 5 reads, in ms; tracing adds to each part): from exec to its
first request (the start of a Qt program) $(m "${startup[@]}"), from there to its last answer (the
fan-out, with the check's broadcast sent first) $(m "${fanned[@]}"), and from there to its exit (the
answers heard to stop, and the end) $(m "${checking[@]}").")

Where the time goes:
- The two-boards check is one broadcast whose answers are taken until they have stopped for as long as
  the first one took, 50 ms at least: twins hear the same broadcast at the same moment, and answer
  within a few milliseconds of each other. A whole time-out is waited only where nobody answers. A
  read takes the check along: its broadcast goes out before the first target is asked, and its answers
  are taken in the read's own wait.
- A write with the check reads the board (the check riding along), waits for late copies of the
  read's answers to pass, reads it once more, writes, and reads it back. The check's quiet is that wait
  for late copies already: on the segment the write waits no more for them, on loopback (no check) it
  waits out the rest of its 50 ms. The write row's ratio is what remains: the check's answers from
  every board on the segment, and the little the quiet outlasts the read on loopback.
- A read of the segment is the fan-out with the check's broadcast beside it, the quiet after the last
  answer (the check's 50 ms, which covers the read's own linger), and starting a Qt program. Beside
  the fan-out and the linger (a few milliseconds each on this segment) it is those 50 ms that make the
  ratio: a read that asks a site long enough to take 50 ms has its check for nothing beyond it.
- A commissioning step is, beyond the reboot and the pre-reboot frames: the read at \`--at\` with its
  check, the read just before the write, the write and its read-back, the read just before the reboot,
  two records written to disk, and the wait for the board to come up, asked every 100 ms (by broadcast
  too), so that a board is found at most about 100 ms after it answers again.
- Discovery waits a whole time-out after the last new answer by design: every board that hears it is
  wanted.
TABLE
cat "$out"
