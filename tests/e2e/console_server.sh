#!/usr/bin/env bash
# An access point on another machine: apsim's pty served on TCP by ser2net,
# as a console server serves a serial port, and bridged back to a local pty
# linked as /dev/com4 by socat, as on the desk machine. apctl lists, deletes
# and renames through the chain, and apconfig starts against it.
# shellcheck source=tests/e2e/lib/common.bash
. "$(dirname "$0")/lib/common.bash"
e2e_begin console_server

for tool in ser2net socat; do
    command -v "$tool" >/dev/null || fail "$tool is missing (scripts/install-deps installs it)"
done
# Tests may run in a network namespace of their own, whose loopback starts
# down, and where ser2net's name lookup refuses even 127.0.0.1 while the
# machine has no address beyond loopback: a veth pair gives it one.
ip link set lo up 2>/dev/null || true
if [ -z "$(ip -4 addr show scope global 2>/dev/null)" ]; then
    veth=apv$$
    ip link add "$veth" type veth peer name "${veth}p" && ip addr add 10.254.0.1/30 dev "$veth" &&
        ip link set "$veth" up && ip link set "${veth}p" up || fail "no address for ser2net to look 127.0.0.1 up with"
    E2E_UNDO+=("ip link del $veth")
fi

# The device, on a pty of its own: only the chain makes it COM4.
"$APCONFIG_BIN/apsim" --record "$E2E_WORK/record" --state "$E2E_WORK/state" --name Lobby \
    "${SAMPLE_DEVICE_OPTIONS[@]}" >"$E2E_WORK/apsim.out" 2>"$E2E_WORK/apsim.log" &
APSIM_PID=$!
deadline=$((SECONDS + X11_WAIT_SECONDS))
until [ -s "$E2E_WORK/apsim.out" ]; do
    [ "$SECONDS" -lt "$deadline" ] || fail "apsim did not start"
    sleep 0.1
done
device=$(head -n 1 "$E2E_WORK/apsim.out")

# The machine with the cable: ser2net serves the device on 127.0.0.1.
port=$(/usr/bin/python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
cat >"$E2E_WORK/ser2net.yaml" <<YAML
connection: &accesspoint
  accepter: tcp,127.0.0.1,$port
  connector: serialdev,$device,115200e81,local
  options:
    kickolduser: true
YAML
ser2net -n -u -c "$E2E_WORK/ser2net.yaml" -P "$E2E_WORK/ser2net.pid" >"$E2E_WORK/ser2net.log" 2>&1 &
E2E_HELPER_PIDS+=($!)
deadline=$((SECONDS + X11_WAIT_SECONDS))
until (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; do
    [ "$SECONDS" -lt "$deadline" ] || fail "ser2net did not listen on 127.0.0.1:$port: $(cat "$E2E_WORK/ser2net.log")"
    sleep 0.1
done

# The desk machine: socat makes the local pty and its COM4 link.
socat "pty,link=$E2E_COM_LINK,raw,echo=0" "tcp:127.0.0.1:$port" 2>"$E2E_WORK/socat.log" &
E2E_HELPER_PIDS+=($!)
deadline=$((SECONDS + X11_WAIT_SECONDS))
until [ -e "$E2E_COM_LINK" ]; do
    [ "$SECONDS" -lt "$deadline" ] || fail "socat did not make $E2E_COM_LINK: $(cat "$E2E_WORK/socat.log")"
    sleep 0.1
done

apctl=$APCONFIG_BIN/apctl
note "apctl lists through the chain"
listed=$("$apctl" --port COM4 list --json) || fail "apctl list failed"
count=$(echo "$listed" | /usr/bin/python3 -c 'import json, sys; print(len(json.load(sys.stdin)))')
[ "$count" = 4 ] || fail "apctl listed $count devices, not 4: $listed"

note "apctl deletes one device and renames the access point"
"$apctl" --port COM4 delete 5C:F3:70:8B:12:C4 >/dev/null || fail "apctl delete failed"
[ "$(state_devices | tr '\n' ' ')" = "da71137d001a 36e09fa52811 045d22a1ac7b " ] ||
    fail "the device holds $(state_devices | tr '\n' ' ')"
"$apctl" --port COM4 name "Remote AP" >/dev/null || fail "apctl name failed"
name=$("$apctl" --port COM4 name --json | /usr/bin/python3 -c 'import json, sys; print(json.load(sys.stdin)["name"])')
[ "$name" = "Remote AP" ] || fail "the name reads back as '$name'"

note "apconfig starts against the chain"
: >"$E2E_WORK/record"
open_main_window
press "$MAIN_WINDOW" Escape
expect_exit 0
expect_record IDENTIFY LINKREAD EXIT
note "passed"
