#!/usr/bin/env bash
# apconfig in each language of po/: started with LANGUAGE and LANG set as a
# user of that language has them, its port dialog, tab labels, PIN code page
# and message boxes are read back through the accessibility bus and compared
# with the language's catalogue (lib/language_texts.py). The wrong PIN
# confirmation changes nothing, which apsim's state shows.
# shellcheck source=tests/e2e/lib/common.bash
. "$(dirname "$0")/lib/common.bash"
e2e_begin languages

# The windows are read through the accessibility bus of a session bus of its own.
eval "$(dbus-launch --sh-syntax)"
E2E_HELPER_PIDS+=("$DBUS_SESSION_BUS_PID")
start_apsim --pin 2468 "${SAMPLE_DEVICE_OPTIONS[@]}"

for po in "$E2E_SOURCE_DIR"/po/*.po; do
    language=$(basename "$po" .po)
    note "$language"
    E2E_APCONFIG=(env -u LC_ALL -u LC_MESSAGES LANGUAGE="$language" LANG="$language.UTF-8" "$APCONFIG_BIN/apconfig")
    start_apconfig
    /usr/bin/python3 "$E2E_LIB_DIR/language_texts.py" "$language" || fail "apconfig in $language: see above"
    MAIN_WINDOW=$(expect_window NORMAL '^apconfig$' "the main window")
    close_main_window
    expect_exit 0
    [ "$(state_value pin)" = 2468 ] || fail "a PIN whose confirmation differs was sent in $language"
done
note "passed"
