#!/usr/bin/env bash
# apctl and apconfig on one port at once: whichever comes second finds it in
# use (apctl ends with 3 and says so), and the first goes on undisturbed.
# shellcheck source=tests/e2e/lib/common.bash
. "$(dirname "$0")/lib/common.bash"
e2e_begin apctl_beside_apconfig

start_apsim "${SAMPLE_DEVICE_OPTIONS[@]}"
open_main_window

note "apctl, second on COM4, finds it in use"
status=0
"$APCONFIG_BIN/apctl" --port COM4 list >"$E2E_WORK/apctl.out" 2>"$E2E_WORK/apctl.err" || status=$?
[ "$status" = 3 ] || fail "apctl ended with $status, not 3: $(cat "$E2E_WORK/apctl.err")"
grep -q "in use by another program" "$E2E_WORK/apctl.err" || fail "apctl did not say the port is in use: $(cat "$E2E_WORK/apctl.err")"
[ "$(wc -l <"$E2E_WORK/apctl.err")" = 1 ] || fail "apctl's error is not one line"
[ ! -s "$E2E_WORK/apctl.out" ] || fail "apctl printed: $(cat "$E2E_WORK/apctl.out")"

note "apconfig goes on: the name page reads the name, Escape ends the conversation"
press "$MAIN_WINDOW" alt+3
expect_request LNAMREAD "the device name page"
press "$MAIN_WINDOW" Escape
expect_exit 0
expect_record IDENTIFY LINKREAD LNAMREAD EXIT

note "apctl first: apconfig does not offer the port while apctl holds it"
stop_process "$APSIM_PID" || true
APSIM_PID=
rm -f "$E2E_WORK/record" "$E2E_WORK/apsim.out"
start_apsim --devices 2000 --throttle
"$APCONFIG_BIN/apctl" --port COM4 list >"$E2E_WORK/apctl.out" 2>"$E2E_WORK/apctl.err" &
apctl_pid=$!
E2E_HELPER_PIDS+=("$apctl_pid")
expect_request LINKREAD "apctl's listing"
# The dialog is read through the accessibility bus of a session bus of its own.
eval "$(dbus-launch --sh-syntax)"
E2E_HELPER_PIDS+=("$DBUS_SESSION_BUS_PID")
start_apconfig
port=$(expect_window DIALOG '^Select Port$' "the port dialog")
/usr/bin/python3 "$E2E_LIB_DIR/port_dialog.py" items >"$E2E_WORK/items" || fail "cannot read the port dialog"
/usr/bin/python3 "$E2E_LIB_DIR/port_dialog.py" hints >"$E2E_WORK/hints" || fail "cannot read the port dialog"
grep -q '^COM4 ' "$E2E_WORK/items" && fail "the dialog offers COM4 while apctl holds it: $(cat "$E2E_WORK/items")"
grep -q "^COM4 (/dev/com4.*in use by another program" "$E2E_WORK/hints" ||
    fail "the dialog does not say COM4 is in use: $(cat "$E2E_WORK/hints")"
press "$port" Escape
expect_exit 0
wait "$apctl_pid" || fail "apctl's listing failed beside apconfig: $(cat "$E2E_WORK/apctl.err")"
[ "$(wc -l <"$E2E_WORK/apctl.out")" = 2000 ] || fail "apctl listed $(wc -l <"$E2E_WORK/apctl.out") devices, not 2000"
expect_record IDENTIFY LINKREAD EXIT
note "passed"
