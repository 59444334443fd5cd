#!/usr/bin/env bash
# One apconfig per user: another user runs their own beside ours, and a
# second start of ours ends at once, says so on stderr, and leaves the first.
# shellcheck source=tests/e2e/lib/common.bash
. "$(dirname "$0")/lib/common.bash"
e2e_begin two_users

if [ "$(id -u)" -ne 0 ]; then
    note "skipped: needs root to start apconfig as a second user"
    exit 77
fi
readonly OTHER_UID=65534

start_apconfig
ours=$(expect_window DIALOG '^Select Port$' "our port dialog")

note "another user starts apconfig beside ours"
chmod 0711 "$E2E_WORK"
mkdir "$E2E_WORK/other"
chown "$OTHER_UID:$OTHER_UID" "$E2E_WORK/other"
if [ -n "${XAUTHORITY:-}" ]; then
    install -o "$OTHER_UID" -m 0600 "$XAUTHORITY" "$E2E_WORK/other/Xauthority"
fi
setpriv --reuid="$OTHER_UID" --regid="$OTHER_UID" --clear-groups \
    env HOME="$E2E_WORK/other" XDG_STATE_HOME="$E2E_WORK/other" XAUTHORITY="$E2E_WORK/other/Xauthority" \
    "$APCONFIG_BIN/apconfig" >"$E2E_WORK/other/apconfig.log" 2>&1 &
other_pid=$!
E2E_HELPER_PIDS+=("$other_pid")
deadline=$((SECONDS + X11_WAIT_SECONDS))
until [ "$(find_windows DIALOG '^Select Port$' | wc -l)" -ge 2 ]; do
    kill -0 "$other_pid" 2>/dev/null || fail "the other user's apconfig ended: $(cat "$E2E_WORK/other/apconfig.log")"
    [ "$SECONDS" -lt "$deadline" ] || fail "the other user's port dialog did not appear"
    sleep 0.1
done
kill -0 "$APP_PID" 2>/dev/null || fail "our apconfig ended when the other user's started"

note "a second start of ours ends at once with one line on stderr"
status=0
timeout 10 "$APCONFIG_BIN/apconfig" >"$E2E_WORK/second.out" 2>"$E2E_WORK/second.err" || status=$?
[ "$status" -eq 0 ] || fail "the second start ended with status $status: $(cat "$E2E_WORK/second.err")"
[ ! -s "$E2E_WORK/second.out" ] || fail "the second start wrote to stdout: $(cat "$E2E_WORK/second.out")"
expected=$(sed -n 's/^57458=//p' "$E2E_SOURCE_DIR/resources/strings.ini")
[ "$(cat "$E2E_WORK/second.err")" = "$expected" ] ||
    fail "the second start said '$(cat "$E2E_WORK/second.err")', expected '$expected'"
[ "$(find_windows DIALOG '^Select Port$' | wc -l)" -eq 2 ] || fail "the second start left a window of its own"
window_viewable "$ours" || fail "our port dialog went away"
kill -0 "$other_pid" 2>/dev/null || fail "the other user's apconfig ended"

note "Escape ends ours; the other user's runs on"
press "$ours" Escape
expect_exit 0
kill -0 "$other_pid" 2>/dev/null || fail "the other user's apconfig ended with ours"
note "passed"
