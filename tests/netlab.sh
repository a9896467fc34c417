# A test network of network namespaces, for the tests and benchmarks that need a real segment: sourced
# after `set -euo pipefail`. It first moves the script into a network namespace of its own (as root, or
# in a user namespace too where the kernel allows it), where it makes a bridge "segment"; `host` adds a
# namespace on it, `on` and `spawn` run a command there. The addresses of these hosts (10.x, 192.168.x)
# exist only inside them: nothing is sent outside these namespaces, and they go with the script's
# processes (`netlab_pids`, ended by the caller's exit trap).
# Before sourcing: NETLAB_REFUSED, what to do where namespaces are refused ("skip" or "fail").

if [ -z "${VELMAR_NETLAB:-}" ]; then
    for tool in unshare nsenter ip; do
        command -v "$tool" >/dev/null || { echo "FAIL: no $tool (util-linux, iproute2)"; exit 1; }
    done
    if [ "$(id -u)" = 0 ]; then own=(unshare --net --fork); else own=(unshare --user --map-root-user --net --fork); fi
    if ! "${own[@]}" true 2>/dev/null; then
        [ "$(id -u)" = 0 ] && [ "${NETLAB_REFUSED:-skip}" = fail ] && { echo "FAIL: network namespaces refused to root"; exit 1; }
        echo "skipped: this kernel refuses network namespaces to a user that is not root"
        exit 77
    fi
    VELMAR_NETLAB=$(readlink /proc/self/ns/net) exec "${own[@]}" bash "$0" "$@"
fi
# Nothing is made, and nothing sent, unless this is a namespace just made for it: another than the one
# the script started in, with no interface but loopback.
if [ "$(readlink /proc/self/ns/net)" = "$VELMAR_NETLAB" ] || [ "$(ip -o link show | wc -l)" != 1 ]; then
    echo "FAIL: not in a network namespace of its own; nothing made or sent"
    exit 1
fi

netlab_pids=()
declare -A holder
ip link set lo up
ip link add segment type bridge
ip link set segment up

# host NAME ADDRESS/PREFIX... : a namespace on the segment, its interface eth0 with these addresses.
host() {
    local name=$1 self address
    shift
    unshare --net sleep 1000000 &
    holder[$name]=$!
    netlab_pids+=($!)
    self=$(readlink /proc/self/ns/net)
    until [ "$(readlink "/proc/${holder[$name]}/ns/net")" != "$self" ]; do sleep 0.01; done
    ip link add "v$name" type veth peer name eth0 netns "${holder[$name]}"
    ip link set "v$name" master segment up
    on "$name" ip link set lo up
    for address in "$@"; do on "$name" ip addr add "$address" dev eth0; done
    on "$name" ip link set eth0 up
}

# on NAME COMMAND...: the command in that host's namespace.
on() {
    local name=$1
    shift
    nsenter -t "${holder[$name]}" -n "$@"
}

# spawn NAME COMMAND...: the same in the background, its PID in $spawned (and ended with the others).
spawn() {
    local name=$1
    shift
    nsenter -t "${holder[$name]}" -n "$@" &
    spawned=$!
    netlab_pids+=("$spawned")
}
