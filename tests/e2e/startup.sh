#!/usr/bin/env bash
# Start-up against an access point that answers: port choice, identification,
# main window with the first listing, and the closing command on Escape.
# shellcheck source=tests/e2e/lib/common.bash
. "$(dirname "$0")/lib/common.bash"
e2e_begin startup

start_apsim --devices 2
open_main_window port-select.png
keep_screenshot startup-main.png "$MAIN_WINDOW"

note "Escape closes the main window and ends the program"
press "$MAIN_WINDOW" Escape
expect_exit 0
expect_record IDENTIFY LINKREAD EXIT
note "passed"
