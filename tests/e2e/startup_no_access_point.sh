#!/usr/bin/env bash
# Start-up against a device that gives the wrong answer to the identification:
# one warning box, and the program ends without a closing command.
# shellcheck source=tests/e2e/lib/common.bash
. "$(dirname "$0")/lib/common.bash"
e2e_begin startup_no_access_point

start_apsim --wrong-ack --fault-on IDENTIFY
start_apconfig
port=$(expect_window DIALOG '^Select Port$' "the port dialog")
press "$port" Return

# The warning carries the program's name as its title, like the main window;
# its type tells it apart.
# The window that says which port is asked has the same title and type; it
# goes once the answer is judged, while the warning stays.
warning=$(expect_window DIALOG '^apconfig$' "the warning that no access point answered")
while wait_gone "$warning" 1; do
    warning=$(expect_window DIALOG '^apconfig$' "the warning that no access point answered")
done
[ -z "$(find_windows NORMAL '^apconfig$')" ] || fail "the main window opened although the identification failed"
keep_screenshot no-access-point.png "$warning"

note "Return dismisses the warning and ends the program"
press "$warning" Return
expect_exit 0
expect_record IDENTIFY
note "passed"
