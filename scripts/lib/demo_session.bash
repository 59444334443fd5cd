# shellcheck shell=bash
# shellcheck disable=SC2034  # the demo's access point is for the sourcing scripts
# What scripts/demo and scripts/screenshots share: the demo's access point
# and a private X server with a session bus of its own.

# apsim as the demo shows it: COM5, four paired devices (addresses in wire
# order) and a name.
readonly DEMO_COM=5
readonly DEMO_APSIM_OPTIONS=(--com "$DEMO_COM" --name "Demo AP"
    --device da71137d001a --device 8b12c4705cf3 --device 36e09fa52811 --device 045d22a1ac7b)

SESSION_XVFB_PID=
SESSION_DBUS_PID=

# stop_pid PID: SIGTERM, then SIGKILL if it is still there after 5 s.
stop_pid() {
    local pid=$1 deadline=$((SECONDS + 5))
    [ -n "$pid" ] || return 0
    kill -TERM "$pid" 2>/dev/null || { wait "$pid" 2>/dev/null || true; return 0; }
    while kill -0 "$pid" 2>/dev/null && [ "$SECONDS" -lt "$deadline" ]; do
        sleep 0.1
    done
    kill -KILL "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
}

# await_output FILE PID WHAT SECONDS: until FILE has something in it; fails
# with a message when PID ends first or the time is up.
await_output() {
    local deadline=$((SECONDS + $4))
    until [ -s "$1" ]; do
        kill -0 "$2" 2>/dev/null || { echo "$3 did not start" >&2; return 1; }
        [ "$SECONDS" -lt "$deadline" ] || { echo "$3 did not start within $4 s" >&2; return 1; }
        sleep 0.1
    done
}

# start_private_display WORK: an Xvfb of 1280x1024 in DISPLAY and a session
# bus, which carries the accessibility bus windows are read through. Logs go
# into WORK; stop_private_display ends both.
# An X server resets when its last client leaves (dbus-launch is one, for a
# moment) and refuses clients meanwhile: -noreset keeps it serving. It takes
# only our own cookie, so a client that reaches another user's server by the
# same number is refused instead of drawing there, and it is in DISPLAY only
# once it has answered a client.
start_private_display() {
    local cookie number deadline
    cookie=$(mcookie)
    XAUTHORITY=$1/Xauthority
    export XAUTHORITY
    : >"$XAUTHORITY"
    xauth -q -f "$XAUTHORITY" add :0 MIT-MAGIC-COOKIE-1 "$cookie"
    Xvfb -displayfd 3 -noreset -auth "$XAUTHORITY" -screen 0 1280x1024x24 -nolisten tcp 3>"$1/display" >"$1/xvfb.log" 2>&1 &
    SESSION_XVFB_PID=$!
    await_output "$1/display" "$SESSION_XVFB_PID" Xvfb 20 || { cat "$1/xvfb.log" >&2; return 1; }
    number=$(head -n 1 "$1/display")
    xauth -q -f "$XAUTHORITY" add ":$number" MIT-MAGIC-COOKIE-1 "$cookie"
    DISPLAY=":$number"
    export DISPLAY
    deadline=$((SECONDS + 20))
    until xdpyinfo >/dev/null 2>"$1/xdpyinfo.log"; do
        if ! kill -0 "$SESSION_XVFB_PID" 2>/dev/null || [ "$SECONDS" -ge "$deadline" ]; then
            echo "Xvfb on $DISPLAY does not answer:" >&2
            cat "$1/xdpyinfo.log" "$1/xvfb.log" >&2
            return 1
        fi
        sleep 0.1
    done
    eval "$(dbus-launch --sh-syntax)"
    SESSION_DBUS_PID=$DBUS_SESSION_BUS_PID
}

stop_private_display() {
    stop_pid "$SESSION_DBUS_PID"
    stop_pid "$SESSION_XVFB_PID"
    SESSION_DBUS_PID=
    SESSION_XVFB_PID=
}
