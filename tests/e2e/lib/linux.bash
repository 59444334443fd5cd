# shellcheck shell=bash
# shellcheck disable=SC2034  # the names below are read by common.bash and the tests
# The Linux build in the end-to-end harness: apconfig, apctl and apsim from
# APCONFIG_BIN, apsim on COM4 (/dev/com4), the display in $DISPLAY.
# APCONFIG_LIBRARY is the resource library apconfig loads (default
# liblidany.so in APCONFIG_BIN).

E2E_COM_NAME=COM4
E2E_COM_LINK=/dev/com4
E2E_APSIM=${APCONFIG_BIN:-}/apsim
E2E_APSIM_PLACE=(--com 4)
E2E_APCONFIG=("${APCONFIG_BIN:-}/apconfig")
E2E_APCTL=("${APCONFIG_BIN:-}/apctl")
E2E_REQUIRED_FILES=("${APCONFIG_BIN:-}/apconfig" "$E2E_APSIM" "${APCONFIG_LIBRARY:-${APCONFIG_BIN:-}/liblidany.so}")

e2e_platform_begin() {
    :
}

# The steps a scenario takes that are done with the pointer here.

# select_devices ROW...: selects those rows of the paired devices list (from
# 0, ascending), the first by a click, the others added with Ctrl.
select_devices() {
    click_in "$MAIN_WINDOW" "$LIST_ROW_X" $((LIST_ROW0_Y + $1 * LIST_ROW_HEIGHT))
    shift
    local row
    for row in "$@"; do
        ctrl_click_in "$MAIN_WINDOW" "$LIST_ROW_X" $((LIST_ROW0_Y + row * LIST_ROW_HEIGHT))
    done
}

delete_selected_devices() {
    click_in "$MAIN_WINDOW" "${DELETE_BUTTON[@]}"
}

# show_page N: the tab of page N (1 to 3).
show_page() {
    local tabs=("" "" "TAB_PIN[@]" "TAB_NAME[@]")
    { [ "$1" -ge 2 ] && [ "$1" -le 3 ]; } || fail "no tab point for page $1"
    click_in "$MAIN_WINDOW" "${!tabs[$1]}"
}

# close_main_window: the header bar's close button.
close_main_window() {
    click_in "$MAIN_WINDOW" "${CLOSE_BOX[@]}"
}
