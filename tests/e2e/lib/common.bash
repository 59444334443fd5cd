# shellcheck shell=bash
# shellcheck disable=SC2034  # the layout, MAIN_WINDOW and the rest are for the sourcing scripts
# Shared harness of the end-to-end tests: the built apconfig against apsim,
# driven with xdotool on an X display.
#
# A test script sources this file, calls e2e_begin NAME, and then uses the
# helpers below. Whatever happens, the EXIT trap stops apconfig and apsim and
# removes apsim's COM link; on failure it keeps a screenshot of the whole
# screen and prints the logs.
#
# E2E_PLATFORM chooses what runs: "linux" (the default: the Linux build on
# COM4, /dev/com4, on the display in $DISPLAY; lib/linux.bash) or "wine" (the
# Windows build under Wine with apsim on COM5 of a fresh prefix, on an X
# server of its own; lib/wine.bash). Each platform file gives the programs'
# commands and the few steps done differently there (choosing list rows,
# the Delete button, changing page, closing the main window); a scenario
# written with them runs on both.
#
# Environment: APCONFIG_BIN (folder with the programs), APCONFIG_ARTIFACTS
# (folder for screenshots), and what the platform file names. The
# documentation's pictures come from scripts/screenshots, not from here.
#
# E2E_PORT_OVER=network reaches the access point as a network port: a
# server of the tests' own (RFC 2217) in front of apsim's pty, given the
# test's COM number with "apctl ports add" (kept in a state folder of the
# test's own, or the fresh prefix's registry) in place of the link or the
# port Windows lists. E2E_PORT_OVER=ser2net does the same with ser2net as
# the server.

set -euo pipefail

E2E_LIB_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
E2E_SOURCE_DIR=$(cd "$E2E_LIB_DIR/../../.." && pwd)
# shellcheck source=tests/e2e/lib/x11.bash
. "$E2E_LIB_DIR/x11.bash"

# Points inside the main window for the stock GTK theme and the layout of its
# templates: x, y from the window's top-left corner, negative from the right
# or bottom edge. Every step that uses one checks its effect, so a point that
# no longer hits its control fails the test at that step.
readonly CAPTION_POINT=(100 25)   # the header bar, away from its title and close box
readonly CLOSE_BOX=(-27 27)        # the header bar's close button
readonly TAB_PIN=(195 81)
readonly TAB_NAME=(300 81)
readonly LIST_ROW_X=105            # paired devices: rows from the list's top
readonly LIST_ROW0_Y=173            # below the column titles
readonly LIST_ROW_HEIGHT=23
readonly DELETE_BUTTON=(-69 -48)

# Paired devices for apsim's --device, addresses in wire order; the list shows
# bytes 4, 5, 3, 0, 1, 2, so the first reads 00:1A:7D:DA:71:13.
readonly SAMPLE_DEVICES=(da71137d001a 8b12c4705cf3 36e09fa52811 045d22a1ac7b)

# shown_address WIRE_HEX: the address as the list and apctl show it.
shown_address() {
    local b=$1
    echo "${b:8:2}:${b:10:2}:${b:6:2}:${b:0:2}:${b:2:2}:${b:4:2}" | tr a-f A-F
}

SAMPLE_DEVICE_OPTIONS=()
for address in "${SAMPLE_DEVICES[@]}"; do
    SAMPLE_DEVICE_OPTIONS+=(--device "$address")
done
unset address

E2E_NAME=
E2E_WORK=
E2E_ARTIFACTS=
E2E_OWN_LINK=0
E2E_APP_STARTED=0
APP_PID=
APSIM_PID=
# Further helpers a test starts (a console server, a bridge): stopped first;
# then the commands a test left to undo what it set up, in order.
E2E_HELPER_PIDS=()
E2E_UNDO=()
MAIN_WINDOW=

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

note() {
    echo "-- $*"
}

# e2e_begin NAME: checks the environment, claims the COM port and arms the
# cleanup.
e2e_begin() {
    E2E_NAME=$1
    trap e2e_cleanup EXIT
    # A step that fails without a message of its own still says where.
    trap 'echo "-- stopped at line $LINENO: $BASH_COMMAND" >&2' ERR
    [ -n "${APCONFIG_BIN:-}" ] || fail "APCONFIG_BIN is not set (the folder with the programs)"
    local file
    for file in "${E2E_REQUIRED_FILES[@]}"; do
        [ -e "$file" ] || fail "$file is missing: build the project first"
    done
    x11_require_tools || fail "a tool the test drives the program with is missing"
    E2E_ARTIFACTS=${APCONFIG_ARTIFACTS:-$PWD/artifacts}
    mkdir -p "$E2E_ARTIFACTS"
    E2E_WORK=$(mktemp -d "${TMPDIR:-/tmp}/apconfig-e2e-$E2E_NAME.XXXXXX")
    e2e_platform_begin
    [ -n "${DISPLAY:-}" ] || fail "DISPLAY is not set: run under xvfb-run -a -s \"-screen 0 1280x1024x24\""
    xdpyinfo >/dev/null 2>&1 || xdotool getmouselocation >/dev/null 2>&1 || fail "cannot reach the X display $DISPLAY"
    if [ -n "${E2E_PORT_OVER:-}" ]; then
        E2E_APSIM_PLACE=()
        export XDG_STATE_HOME=$E2E_WORK/state-home
        mkdir -m 700 "$XDG_STATE_HOME"
        return
    fi
    if [ -e "$E2E_COM_LINK" ] || [ -L "$E2E_COM_LINK" ]; then
        fail "$E2E_COM_LINK already exists ($(ls -l "$E2E_COM_LINK" 2>&1)): another apsim, a test or an adapter holds $E2E_COM_NAME; stop it or remove the link, then run again"
    fi
    E2E_OWN_LINK=1
}

e2e_cleanup() {
    local status=$?
    trap - EXIT
    set +e
    if [ "$status" -ne 0 ] && [ "$E2E_APP_STARTED" = 1 ]; then
        import -silent -window root "$E2E_ARTIFACTS/$E2E_NAME-failure.png" 2>/dev/null &&
            echo "screen at the failure: $E2E_ARTIFACTS/$E2E_NAME-failure.png" >&2
    fi
    stop_process "$APP_PID"
    local helper
    for helper in "${E2E_HELPER_PIDS[@]}"; do
        stop_process "$helper"
    done
    local undo
    for undo in "${E2E_UNDO[@]}"; do
        eval "$undo" >/dev/null 2>&1
    done
    stop_process "$APSIM_PID"
    if [ "$E2E_OWN_LINK" = 1 ] && [ -L "$E2E_COM_LINK" ]; then
        rm -f "$E2E_COM_LINK"
    fi
    if [ -n "$E2E_WORK" ]; then
        if [ "$status" -ne 0 ]; then
            local log
            for log in apsim.log apsim.out record apconfig.log; do
                [ -s "$E2E_WORK/$log" ] && { echo "== $log" >&2; cat "$E2E_WORK/$log" >&2; }
            done
        fi
        rm -rf "$E2E_WORK"
    fi
    exit "$status"
}

# stop_process PID: SIGTERM, then SIGKILL if it is still there after 5 s.
stop_process() {
    local pid=$1 deadline=$((SECONDS + 5))
    [ -n "$pid" ] || return 0
    kill -TERM "$pid" 2>/dev/null || { wait "$pid" 2>/dev/null; return 0; }
    while kill -0 "$pid" 2>/dev/null && [ "$SECONDS" -lt "$deadline" ]; do
        sleep 0.1
    done
    kill -KILL "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    return 0
}

# start_apsim [OPTION...]: the simulated access point on the test's COM port,
# recording every request into $E2E_WORK/record and its state into
# $E2E_WORK/state.
start_apsim() {
    "$E2E_APSIM" "${E2E_APSIM_PLACE[@]}" --record "$E2E_WORK/record" --state "$E2E_WORK/state" "$@" \
        >"$E2E_WORK/apsim.out" 2>"$E2E_WORK/apsim.log" &
    APSIM_PID=$!
    local deadline=$((SECONDS + X11_WAIT_SECONDS))
    until [ -s "$E2E_WORK/apsim.out" ]; do
        kill -0 "$APSIM_PID" 2>/dev/null || fail "apsim ended at start: $(cat "$E2E_WORK/apsim.log")"
        [ "$SECONDS" -lt "$deadline" ] || fail "apsim did not start within ${X11_WAIT_SECONDS}s"
        sleep 0.1
    done
    local served
    served=$(head -n 1 "$E2E_WORK/apsim.out")
    if [ -n "${E2E_PORT_OVER:-}" ]; then
        serve_over_network "$served"
        return
    fi
    [ "$served" = "$E2E_COM_LINK" ] ||
        fail "apsim could not link $E2E_COM_LINK (it serves $served): $(cat "$E2E_WORK/apsim.log")"
}

# wait_written FILE WHAT LOG: waits until FILE holds something, or fails
# saying WHAT did not start, with LOG.
wait_written() {
    local deadline=$((SECONDS + X11_WAIT_SECONDS))
    until [ -s "$1" ]; do
        [ "$SECONDS" -lt "$deadline" ] || fail "$2 did not start: $(cat "$3")"
        sleep 0.1
    done
}

# serve_over_network PTY: an RFC 2217 server in front of it (the tests'
# own, or ser2net), added as the network port $E2E_COM_NAME.
serve_over_network() {
    case $E2E_PORT_OVER in
    network | ser2net) ;;
    *) fail "E2E_PORT_OVER is '$E2E_PORT_OVER': network or ser2net" ;;
    esac
    python3 "$E2E_SOURCE_DIR/tests/cli/serve_pty.py" "$E2E_PORT_OVER" "$1" >"$E2E_WORK/server.out" \
        2>"$E2E_WORK/server.log" &
    E2E_HELPER_PIDS+=($!)
    wait_written "$E2E_WORK/server.out" "the RFC 2217 server ($E2E_PORT_OVER)" "$E2E_WORK/server.log"
    E2E_NETWORK_ADDRESS=$(head -n 1 "$E2E_WORK/server.out")
    "${E2E_APCTL[@]}" ports add "$E2E_COM_NAME" "$E2E_NETWORK_ADDRESS" >"$E2E_WORK/ports.log" 2>&1 ||
        fail "apctl ports add $E2E_COM_NAME $E2E_NETWORK_ADDRESS failed: $(cat "$E2E_WORK/ports.log")"
    note "$E2E_COM_NAME is the network port $E2E_NETWORK_ADDRESS"
}

start_apconfig() {
    "${E2E_APCONFIG[@]}" >"$E2E_WORK/apconfig.log" 2>&1 &
    APP_PID=$!
    E2E_APP_STARTED=1
    X11_WATCH_PID=$APP_PID
}

# expect_window TYPE NAME_REGEX WHAT: prints the window's id, or fails.
expect_window() {
    local id status=0
    id=$(wait_window "$1" "$2") || status=$?
    case $status in
    0) echo "$id" ;;
    2) fail "apconfig ended before $3 appeared (only one apconfig may run at a time: is another one running?)" ;;
    *) fail "$3 did not appear within ${X11_WAIT_SECONDS}s" ;;
    esac
}

# expect_gone ID WHAT
expect_gone() {
    wait_gone "$1" || fail "$2 did not close within ${X11_WAIT_SECONDS}s"
}

# expect_exit [STATUS]: apconfig ends, with that exit status (default 0).
expect_exit() {
    local deadline=$((SECONDS + X11_WAIT_SECONDS)) status=0
    while kill -0 "$APP_PID" 2>/dev/null; do
        [ "$SECONDS" -lt "$deadline" ] || fail "apconfig did not end within ${X11_WAIT_SECONDS}s"
        sleep 0.1
    done
    wait "$APP_PID" || status=$?
    APP_PID=
    X11_WATCH_PID=
    [ "$status" -eq "${1:-0}" ] || fail "apconfig ended with status $status, expected ${1:-0}"
}

# record_has LINE: apsim has received that request (the whole line).
record_has() {
    [ -f "$E2E_WORK/record" ] && grep -qxF -- "$1" "$E2E_WORK/record"
}

# expect_request LINE WHAT: waits until apsim has received that request.
expect_request() {
    local deadline=$((SECONDS + X11_WAIT_SECONDS))
    until record_has "$1"; do
        [ "$SECONDS" -lt "$deadline" ] || fail "$2: apsim never received \"$1\" (received: $(tr '\n' ' ' <"$E2E_WORK/record" 2>/dev/null))"
        sleep 0.1
    done
}

# expect_record LINE...: apsim received exactly these requests, in this order.
expect_record() {
    local expected actual
    expected=$(printf '%s\n' "$@")
    actual=$(cat "$E2E_WORK/record" 2>/dev/null || true)
    [ "$actual" = "$expected" ] ||
        fail "apsim's record differs: expected [$(echo "$expected" | tr '\n' ' ')] got [$(echo "$actual" | tr '\n' ' ')]"
}

# state_value KEY: the value of the first "KEY value" line of apsim's state.
state_value() {
    sed -n "s/^$1 //p" "$E2E_WORK/state" | head -n 1
}

# state_devices: the addresses (hex, wire order) of the devices apsim holds.
state_devices() {
    awk '$1 == "device" { print $2 }' "$E2E_WORK/state"
}

# open_main_window [FILE]: apconfig through the port dialog (OK picks the
# test's port, the first item; FILE keeps a screenshot of the dialog) to the main window,
# whose id goes into MAIN_WINDOW. Waits for the first listing, which runs
# when the window shows.
# shellcheck disable=SC2120  # the screenshot is optional
open_main_window() {
    start_apconfig
    local port
    port=$(expect_window DIALOG "^${APCONFIG_PORT_DIALOG_TITLE:-Select Port}\$" "the port dialog")
    [ -z "${1:-}" ] || keep_screenshot "$1" "$port"
    press "$port" Return
    MAIN_WINDOW=$(expect_window NORMAL '^apconfig$' "the main window")
    expect_request LINKREAD "the paired devices page"
    # The window shows while the list is read; the rows are in place once
    # it has settled.
    shoot_window "$E2E_WORK/listed.png" "$MAIN_WINDOW" || true
}

# keep_screenshot FILE ID: saves the window as shown into the artifacts.
keep_screenshot() {
    local box
    # Off the window, so that no control shows the pointer's hover.
    pointer_to 0 0 || true
    box=$(window_box "$2") || fail "cannot find the window for the screenshot $1"
    # shellcheck disable=SC2086  # the box is four numbers
    keep_region "$1" $box
}

# keep_region FILE X Y WIDTH HEIGHT: the same for a part of the screen.
keep_region() {
    # A run over the network keeps its pictures apart.
    [ -z "${E2E_PORT_OVER:-}" ] || set -- "$E2E_PORT_OVER-$1" "${@:2}"
    shoot_settled "$E2E_ARTIFACTS/$1" "$2" "$3" "$4" "$5" || fail "cannot take the screenshot $1"
    note "screenshot: $E2E_ARTIFACTS/$1"
}

# answer_box TITLE_REGEX WHAT [KEY...]: waits for a message box, answers it
# with the keys (default Return) and waits for it to close.
answer_box() {
    local box keys=("${@:3}")
    [ ${#keys[@]} -gt 0 ] || keys=(Return)
    box=$(expect_window DIALOG "$1" "$2")
    press "$box" "${keys[@]}" || fail "cannot answer $2"
    expect_gone "$box" "$2"
}

# apctl_json COMMAND...: apctl on the test's port with --json; prints what it
# printed, once it has ended with 0 and printed JSON.
apctl_json() {
    local status=0
    "${E2E_APCTL[@]}" --port "$E2E_COM_NAME" "$@" --json >"$E2E_WORK/apctl.out" 2>"$E2E_WORK/apctl.err" || status=$?
    [ "$status" = 0 ] || fail "apctl $* ended with $status: $(cat "$E2E_WORK/apctl.err")"
    python3 -c 'import json, sys; json.load(sys.stdin)' <"$E2E_WORK/apctl.out" 2>/dev/null ||
        fail "apctl $* printed no JSON: $(cat "$E2E_WORK/apctl.out")"
    cat "$E2E_WORK/apctl.out"
}

# json_field EXPRESSION: evaluates a Python expression over the JSON on
# standard input (bound to "v"), one result a line.
json_field() {
    python3 -c 'import json, sys
v = json.load(sys.stdin)
r = eval(sys.argv[1])
for x in (r if isinstance(r, list) else [r]):
    print("null" if x is None else x)' "$1"
}

case ${E2E_PLATFORM:=linux} in
linux | wine) ;;
*) fail "E2E_PLATFORM is '$E2E_PLATFORM': linux or wine" ;;
esac
# shellcheck source=tests/e2e/lib/linux.bash
. "$E2E_LIB_DIR/$E2E_PLATFORM.bash"
