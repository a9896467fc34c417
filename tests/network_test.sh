#!/usr/bin/env bash
# velmarctl on a real Ethernet segment: boards that hear broadcasts, two boards on one address (where
# the address resolution lets a unicast reach only one of them), a board in a subnet the laptop has no
# address in. The segment is made here, in network namespaces of this test's own: a bridge, one
# namespace per host joined to it by a veth pair. Nothing is sent outside them, and they go with the
# test's processes.
# Usage: network_test.sh BUILD_DIR. Exit 77 (skipped) where the kernel refuses network namespaces to a
# user that is not root; as root (as in CI) it must run.
set -euo pipefail
bin=$(cd "$1" && pwd)/bin

NETLAB_REFUSED=fail
# shellcheck source=netlab.sh
source "$(dirname "$0")/netlab.sh"

work=$(mktemp -d)
trap 'for p in "${netlab_pids[@]}"; do kill "$p" 2>/dev/null || true; done; wait 2>/dev/null; rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
# The locks and files of velmarctl in a home of the test's own.
export HOME=$work/home XDG_DATA_HOME=$work/home/data

# board NAME ADDRESS [velmar-board options]: a board that listens on every address of its host.
board() {
    local name=$1 address=$2
    shift 2
    spawn "$name" "$bin/velmar-board" --listen-all --address "$address" --reboot-ms 100 \
        --state "$work/$name.json" "$@" 2>"$work/$name.log"
    until grep -qs ' listening; ' "$work/$name.log"; do
        kill -0 "$spawned" 2>/dev/null || { cat "$work/$name.log"; fail "board $name did not start"; }
        sleep 0.02
    done
}
ctl() { on laptop "$bin/velmarctl" "$@" --timeout 300; }

host laptop 10.0.0.1/24 10.20.0.1/24
host b1 10.0.0.5/24
host b2 10.20.0.7/24
host twin1 10.0.0.2/24
host twin2 10.0.0.2/24
host far 10.77.0.9/24
host far2 10.77.0.3/24
# New boards as they may come from the factory: on a /8, beside the laptop's /24.
host new1 10.0.0.3/8
host new2 10.0.0.3/8
# A board answers whoever asks on its segment, also from a subnet it has no route to.
on far ip route add default dev eth0
on far2 ip route add default dev eth0
board b1 10.0.0.5
board b2 10.20.0.7
board twin1 10.0.0.2 --mac 02:00:00:00:00:01
board twin2 10.0.0.2 --mac 02:00:00:00:00:02
board far 10.77.0.9
board far2 10.77.0.3
board new1 10.0.0.3 --mac 02:00:00:00:00:03
board new2 10.0.0.3 --mac 02:00:00:00:00:04

# discover: every board on both subnets, the twins as a clash, and how to reach the board in no subnet.
status=0
out=$(ctl discover 2>"$work/err") || status=$?
[ "$status" = 1 ] || fail "discover with a clash ended with $status: $out $(cat "$work/err")"
for row in '^10.0.0.5 ' '^10.20.0.7 ' '^10.77.0.9 ' '02:00:00:00:00:01' '02:00:00:00:00:02' \
    'clash: two boards \(MACs 02:00:00:00:00:0[12] and 02:00:00:00:00:0[12]\) answer at 10.0.0.2' \
    'sudo ip addr add 10.255.255.254/8 dev eth0' 'netsh interface ipv4 add address "eth0" 10.255.255.254 255.0.0.0'; do
    grep -Eq "$row" <<<"$out" || fail "discover shows no \"$row\": $out"
done
grep -q 'asking 10.0.0.255 (10.0.0.0/24 on eth0), 10.20.0.255 (10.20.0.0/24 on eth0), 255.255.255.255' \
    "$work/err" || fail "discover does not say what it asked: $(cat "$work/err")"
# Rows by address (twins by MAC), and one how-to-reach block after the last board of its subnet.
rows=$(grep -Eo '^[0-9.]+ +[0-9A-F:]+' <<<"$out" | tr -s ' ')
[ "$rows" = "$(sort -t. -k1,1n -k2,2n -k3,3n -k4,4n <<<"$rows")" ] || fail "discover's rows out of order: $out"
[ "$(grep -c 'sudo ip addr add' <<<"$out")" = 1 ] && grep -A1 '^10.77.0.9 ' <<<"$out" | grep -q 'these 2 boards' ||
    fail "discover's how-to-reach blocks: $out"
json=$(ctl discover --json 2>/dev/null) || true
reach='"reach":{"address":"10.255.255.254","interface":"eth0","prefix":8,"subnet":"10.0.0.0/8"}'
grep -q "$reach" <<<"$json" ||
    fail "discover --json gives no reach data: $json"

# The site window finds the same: the twins marked with both MACs, the board in no subnet with what to run.
table=$(on laptop env QT_QPA_PLATFORM=offscreen LC_ALL=C.UTF-8 "$bin/velmar-site" --list 2>"$work/err") ||
    fail "velmar-site --list: $table $(cat "$work/err")"
for row in '^10.0.0.5	' '^10.20.0.7	' 'Two boards answer at 10.0.0.2 \(MACs 02:00:00:00:00:0[12], 02:00:00:00:00:0[12]\)' \
    '^10.77.0.9	.*In 10.0.0.0/8, where this computer has no address: to reach it, run .*sudo ip addr add 10.255.255.254/8'; do
    grep -Eq "$row" <<<"$table" || fail "the site window shows no \"$row\": $table"
done

# A unicast reaches one twin; the read names both all the same.
status=0
ctl read 010.000.000.002 >/dev/null 2>"$work/err" || status=$?
[ "$status" = 1 ] && grep -q 'two boards (MACs' "$work/err" || fail "read names no twins: $(cat "$work/err")"

# The audit asks by broadcast which boards claim each address: a planned lift and another address,
# each answered by twins, are two boards.
printf 'name,lift,mask,router\nLift 1,10.0.0.2,255.255.255.0,10.0.0.1\n' >"$work/twins.csv"
status=0
out=$(ctl audit "$work/twins.csv" 2>"$work/err") || status=$?
[ "$status" = 1 ] && grep -Eq '^Lift 1 +10.0.0.2 +two boards: two boards \(MACs 02:00:00:00:00:01 and' <<<"$out" &&
    grep -Eq '^- +10.0.0.3 +two boards: ' <<<"$out" &&
    grep -q '1 lifts: 0 as planned, 0 differ, 0 moved, 0 silent, 1 with two boards; .*, 1 other' <<<"$out" ||
    fail "audit beside twins: $status $out $(cat "$work/err")"

# Nothing is written, restored, commissioned or rebooted where two boards answer.
ctl backup 10.0.0.5 --dir "$work/backups" >/dev/null
printf 'name,lift,mask,router\nLift 1,10.0.0.40,255.255.255.0,10.0.0.1\n' >"$work/plan.csv"
for command in "write 10.0.0.2 --mask 255.255.255.0" "restore $(ls "$work"/backups/*/*.json) 10.0.0.2" \
    "commission $work/plan.csv --at 10.0.0.2" "reboot 10.0.0.2"; do
    status=0
    # shellcheck disable=SC2086
    ctl $command >/dev/null 2>"$work/err" || status=$?
    [ "$status" = 1 ] && grep -q 'two boards (MACs .*) answer at 10.0.0.2' "$work/err" ||
        fail "$command: $status $(cat "$work/err")"
done
# Twins on a /8 take 10.0.0.255 for a host's address: they are asked through 255.255.255.255 too.
for command in "read 10.0.0.3" "write 10.0.0.3 --router 10.0.0.254" "commission $work/plan.csv --at 10.0.0.3"; do
    status=0
    # shellcheck disable=SC2086
    ctl $command >/dev/null 2>"$work/err" || status=$?
    [ "$status" = 1 ] && grep -q 'two boards (MACs .*) answer at 10.0.0.3' "$work/err" ||
        fail "$command beside twins on a /8: $status $(cat "$work/err")"
done
for twin in twin1 twin2 new1 new2; do
    grep -q '255.0.0.0' "$work/$twin.json" || fail "$twin was written: $(cat "$work/$twin.json")"
    ! grep -q 'RebootRequest' "$work/$twin.log" || fail "$twin was rebooted"
done
# Twins that answer at different speeds are twins all the same.
host slow1 10.0.0.9/24
host slow2 10.0.0.9/24
board slow1 10.0.0.9 --mac 02:00:00:00:00:05
board slow2 10.0.0.9 --mac 02:00:00:00:00:06 --delay 20
status=0
ctl write 10.0.0.9 --router 10.0.0.254 >/dev/null 2>"$work/err" || status=$?
[ "$status" = 1 ] && grep -q 'two boards (MACs .*) answer at 10.0.0.9' "$work/err" ||
    fail "twins that answer at different speeds: $status $(cat "$work/err")"
# A twin that hears no broadcast answers the read: the read's MAC and the broadcast's are two boards.
host deaf1 10.0.0.11/24
host deaf2 10.0.0.11/24
board deaf1 10.0.0.11 --mac 02:00:00:00:00:07
spawn deaf2 "$bin/velmar-board" --address 10.0.0.11 --mac 02:00:00:00:00:08 --state "$work/deaf2.json" 2>"$work/deaf2.log"
until grep -qs ' listening; ' "$work/deaf2.log"; do kill -0 "$spawned" || fail "deaf2 did not start"; sleep 0.02; done
on laptop ip neigh replace 10.0.0.11 lladdr "$(on deaf2 ip -o link show eth0 | grep -o 'link/ether [0-9a-f:]*' | cut -d' ' -f2)" dev eth0
status=0
ctl write 10.0.0.11 --router 10.0.0.254 >/dev/null 2>"$work/err" || status=$?
[ "$status" = 1 ] && grep -q 'two boards (MACs .*) answer at 10.0.0.11' "$work/err" ||
    fail "a twin that hears no broadcast: $status $(cat "$work/err")"
# A board the laptop's address resolution names wrongly (a stale entry) answers the read's broadcast.
host stale 10.0.0.13/24
board stale 10.0.0.13
on laptop ip neigh replace 10.0.0.13 lladdr 02:00:00:00:00:ee dev eth0
ctl read 10.0.0.13 >"$work/out" 2>"$work/err" && grep -q ' lift ' "$work/out" ||
    fail "a board behind a stale address resolution: $(cat "$work/out" "$work/err")"

# A plan whose subnet this computer has no address in is refused before anything is sent, saying how.
printf 'name,lift,mask,router\nLift 9,192.168.30.101,255.255.255.0,192.168.30.1\n' >"$work/far.csv"
status=0
ctl commission "$work/far.csv" --check --at 10.0.0.50 >"$work/out" 2>"$work/err" || status=$?
[ "$status" = 0 ] && grep -q 'no address in 192.168.30.0/24.*sudo ip addr add 192.168.30.254/24 dev eth0' \
    "$work/err" && grep -q '1 of them in a subnet this computer has no address in' "$work/out" ||
    fail "a plan out of reach, checked: $status $(cat "$work/out" "$work/err")"
status=0
ctl commission "$work/far.csv" --at 10.0.0.50 >/dev/null 2>"$work/err" || status=$?
[ "$status" = 2 ] && grep -q 'cannot reach; nothing sent' "$work/err" ||
    fail "a plan out of reach, run: $status $(cat "$work/err")"

# A broadcast address names no board: nothing reaches the boards that would all take it.
status=0
ctl reboot 10.0.0.255 >/dev/null 2>"$work/err" || status=$?
[ "$status" = 2 ] && grep -q 'broadcast address of 10.0.0.0/24 on eth0.*discover' "$work/err" ||
    fail "reboot 10.0.0.255: $status $(cat "$work/err")"
! grep -q 'RebootRequest' "$work/b1.log" || fail "a broadcast rebooted b1"

# A board alone on its address is written as before; an address with no route is named as such.
ctl write 10.0.0.5 --mask 255.255.255.0 | grep -q 'the board kept the write' || fail "b1 not written"
# The two-boards check ends once the answers stop, not a time-out after them.
start=$SECONDS
on laptop "$bin/velmarctl" write 10.0.0.5 --router 10.0.0.254 --timeout 60000 | grep -q 'the board kept the write' ||
    fail "b1 not written with a long time-out"
[ $((SECONDS - start)) -lt 30 ] || fail "the two-boards check waited a whole time-out of 60 s"
status=0
out=$(ctl read 10.99.0.5 2>/dev/null) || status=$?
[ "$status" = 1 ] && grep -q 'no route to 10.99.0.5' <<<"$out" || fail "read of an unreachable subnet: $out"
status=0
ctl reboot 10.99.0.5 >/dev/null 2>"$work/err" || status=$?
[ "$status" = 1 ] && grep -q 'no route to 10.99.0.5' "$work/err" || fail "reboot of an unreachable subnet: $(cat "$work/err")"

# A new board that does not announce itself is found at --at, although this computer's address
# resolution still names the board that answered there before and moved to its planned address.
host first 10.0.0.60/24
board first 10.0.0.60 --mac 02:00:00:00:00:0a
printf 'name,lift,mask,router\nLift 61,10.20.0.61,255.255.255.0,10.20.0.1\nLift 62,10.20.0.62,255.255.255.0,10.20.0.1\n' \
    >"$work/arp.csv"
spawn laptop "$bin/velmarctl" commission "$work/arp.csv" --at 10.0.0.60 --timeout 300 >"$work/arp.out" 2>&1
run=$spawned
# until_said TEXT: waits (60 s at most) until the run has said TEXT.
until_said() {
    local deadline=$((SECONDS + 60))
    until grep -qi "$1" "$work/arp.out"; do
        kill -0 "$run" 2>/dev/null && [ "$SECONDS" -lt "$deadline" ] || fail "the run never said \"$1\": $(cat "$work/arp.out")"
        sleep 0.02
    done
}
until_said 'Lift 61: rebooted; waiting'
on first ip addr add 10.20.0.61/24 dev eth0  # where the rebooted board now answers
until_said 'connect the next board: Lift 62'
on first ip addr del 10.0.0.60/24 dev eth0
# The laptop's entry still names the first board, as one learnt a moment ago does (a board that sends no
# gratuitous ARP leaves it so); a permanent one no board could change, and no real laptop has.
old_mac=$(on first ip -o link show eth0 | grep -o 'link/ether [0-9a-f:]*' | cut -d' ' -f2)
on laptop ip neigh replace 10.0.0.60 lladdr "$old_mac" dev eth0 nud reachable
host second 10.0.0.60/24
board second 10.0.0.60 --mac 02:00:00:00:00:0b
until_said 'Lift 62: board 02:00:00:00:00:0b'
until_said 'Lift 62: written'  # found by broadcast, and written too
kill "$run" 2>/dev/null || true
wait "$run" || true

# Two commission runs on one computer never wait for new boards at one address.
printf 'name,lift,mask,router\nLift 2,10.20.0.40,255.255.255.0,10.20.0.1\n' >"$work/plan2.csv"
spawn laptop "$bin/velmarctl" commission "$work/plan2.csv" --at 10.20.0.50 >/dev/null 2>&1
first=$spawned
until [ -n "$(ls "$XDG_DATA_HOME"/VelmarCom/locks/010.020.000.050.lock 2>/dev/null)" ]; do
    kill -0 "$first" 2>/dev/null || fail "the first commission run ended"
    sleep 0.02
done
status=0
on laptop "$bin/velmarctl" commission "$work/plan2.csv" --at 10.20.0.50 >/dev/null 2>"$work/err" || status=$?
[ "$status" = 1 ] && grep -q "another velmarctl on this computer (process $first) waits for new boards at" \
    "$work/err" || fail "a second commission run at one address: $status $(cat "$work/err")"
# Peers that flood the laptop with a new MAC every millisecond: one from its one address, one taking
# turns with 64 addresses. Every command ends all the same (within a generous bound), names the flood,
# and does its work.
kill "$first"
wait "$first" || true
host flood1 10.0.0.66/24
# shellcheck disable=SC2046
host flood2 $(seq -f '10.0.0.%g/24' 100 163)
floods=()
spawn flood1 "$bin/velmar-flood-sender" 10.0.0.1 6767 120 10.0.0.66
floods+=("$spawned")
# shellcheck disable=SC2046
spawn flood2 "$bin/velmar-flood-sender" 10.0.0.1 6767 120 $(seq -f '10.0.0.%g' 100 163)
floods+=("$spawned")
until grep -q ' 10.0.0.66:8024 ' <<<"$(on laptop "$bin/velmarctl" watch --count 200 2>/dev/null)"; do
    kill -0 "${floods[0]}" || fail "the flood did not start"
done
flooded() { on laptop timeout 60 "$bin/velmarctl" "$@" --timeout 300; }
status=0
out=$(flooded discover 2>"$work/err") || status=$?
[ "$status" -le 1 ] && grep -q '^10.0.0.66 floods: ' "$work/err" &&
    grep -Eq 'the first 1000 taken|discovery ended at its limit of 1200 ms' "$work/err" ||
    fail "discover under a flood: $status $(cat "$work/err")"
grep -q '^10.0.0.5 ' <<<"$out" && [ "$(grep -c '^10.0.0.66 ' <<<"$out")" = 16 ] ||
    fail "discover under a flood shows: $(grep -c . <<<"$out") rows"
for command in "write 10.0.0.5 --mask 255.255.0.0" "read 10.0.0.5" "reboot 10.0.0.5 --wait"; do
    status=0
    # shellcheck disable=SC2086
    flooded $command >"$work/out" 2>"$work/err" || status=$?
    # A reboot request is never sent twice (a second would restart a board coming up): its one
    # acknowledgement may be among what the flood made the system drop, and is then said to be missing.
    { [ "$status" = 0 ] || { [[ $command == reboot* ]] && [ "$status" = 1 ] &&
        grep -q 'no acknowledgement' "$work/out"; }; } && grep -q '^10.0.0.66 floods: ' "$work/err" ||
        fail "$command under a flood: $status $(cat "$work/out" "$work/err")"
done
kill "${floods[@]}"
echo "on a test network: discover, twins refused, broadcasts refused, no route named, a new board found" \
    "where the address resolution names another, one run per address, floods bounded and named"
