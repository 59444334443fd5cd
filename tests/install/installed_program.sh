#!/usr/bin/env bash
# An installed apconfig against apsim: it loads its resource library from
# where the install put it, with nothing of a build tree on its library path,
# shows its main window and sends the closing command when it closes.
#
# Environment: APCONFIG_BIN (the installed programs' folder), APCONFIG_LIBRARY
# (the installed resource library), APCONFIG_BUILD_DIR (optional: a build tree
# of which nothing may be loaded); DISPLAY, as for the end-to-end tests.
# shellcheck source=tests/e2e/lib/common.bash
. "$(dirname "$0")/../e2e/lib/common.bash"
[ -n "${APCONFIG_LIBRARY:-}" ] || fail "APCONFIG_LIBRARY is not set (the installed resource library)"
e2e_begin installed
# Only what the program itself says decides where its library comes from.
unset LD_LIBRARY_PATH LD_PRELOAD

start_apsim --devices 2
open_main_window
keep_screenshot installed-main.png "$MAIN_WINDOW"

note "the resource library is the installed one"
loaded=$(grep -o '/[^ ]*liblidany[^ ]*\.so' "/proc/$APP_PID/maps" | sort -u)
[ "$loaded" = "$(realpath "$APCONFIG_LIBRARY")" ] ||
    fail "apconfig loaded [$(echo $loaded)] instead of $APCONFIG_LIBRARY"
if [ -n "${APCONFIG_BUILD_DIR:-}" ]; then
    build=$(realpath "$APCONFIG_BUILD_DIR")
    ! grep -qF "$build/" "/proc/$APP_PID/maps" ||
        fail "apconfig mapped files of the build tree: $(grep -F "$build/" "/proc/$APP_PID/maps" | awk '{print $6}' | sort -u | tr '\n' ' ')"
fi

note "Escape closes the main window; the closing command follows"
press "$MAIN_WINDOW" Escape
expect_exit 0
expect_record IDENTIFY LINKREAD EXIT
note "passed"
