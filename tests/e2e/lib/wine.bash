# shellcheck shell=bash
# shellcheck disable=SC2034  # the names below are read by common.bash and the tests
# The Windows build in the end-to-end harness: apconfig.exe and apctl.exe
# (with lidany.dll beside them) from APCONFIG_BIN under Wine, in a fresh
# prefix of the test's own, with the Linux build's apsim (APCONFIG_APSIM)
# linked as that prefix's com5, on an X server of the test's own. Nothing is
# shared with another test, so several may run at once.
#
# Under a bare X server Wine's windows carry their titles as X window names;
# a window without an owner (the port dialog, the main window) is NORMAL,
# one with an owner (message boxes, the name dialog) is DIALOG. Keys reach a
# window once it has been up for about a second.

E2E_COM_NAME=COM5
E2E_COM_LINK=
E2E_APSIM=${APCONFIG_APSIM:-}
E2E_APSIM_PLACE=()
X11_SETTLE_SECONDS=1
# No menu entries or file types in the user's desktop, no add-on downloads.
export WINEDEBUG=-all WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=;mshtml="

# use_programs_in FOLDER: apconfig.exe and apctl.exe from there from now on.
use_programs_in() {
    E2E_APCONFIG=(wine "$1/apconfig.exe")
    E2E_APCTL=(wine "$1/apctl.exe")
}
use_programs_in "${APCONFIG_BIN:-}"
E2E_REQUIRED_FILES=("${APCONFIG_BIN:-}/apconfig.exe" "${APCONFIG_BIN:-}/apctl.exe" "${APCONFIG_BIN:-}/lidany.dll")
[ -n "${APCONFIG_APSIM:-}" ] && E2E_REQUIRED_FILES+=("$APCONFIG_APSIM")

e2e_platform_begin() {
    [ -n "$E2E_APSIM" ] || fail "APCONFIG_APSIM is not set (apsim of a Linux build)"
    local tool
    for tool in wine wineserver Xvfb; do
        command -v "$tool" >/dev/null || fail "missing tool: $tool (scripts/install-deps installs it)"
    done
    # An X server of its own: it picks a free display and writes its number.
    local display_file=$E2E_WORK/display
    Xvfb -displayfd 3 -noreset -screen 0 1280x1024x24 -nolisten tcp 3>"$display_file" 2>"$E2E_WORK/xvfb.log" &
    E2E_HELPER_PIDS+=($!)
    wait_written "$display_file" Xvfb "$E2E_WORK/xvfb.log"
    DISPLAY=:$(head -n 1 "$display_file")
    export DISPLAY
    export WINEPREFIX=$E2E_WORK/prefix
    E2E_UNDO+=("wineserver -k")
    note "a fresh Wine prefix"
    wine wineboot --init >"$E2E_WORK/wineboot.log" 2>&1 || fail "wineboot failed: $(cat "$E2E_WORK/wineboot.log")"
    # Until the prefix is written out and the server has ended.
    wineserver -w
    E2E_COM_LINK=$WINEPREFIX/dosdevices/com5
    E2E_APSIM_PLACE=(--folder "$WINEPREFIX/dosdevices" --com 5)
    # Windows lists its ports in a volatile key its serial driver fills; Wine
    # lists only the ports it found at boot, so the test fills it for com5,
    # and keeps the server (which holds volatile keys) up until the end.
    wineserver -p
    # A network port is added by the test itself, under the same number.
    [ -z "${E2E_PORT_OVER:-}" ] || return 0
    wine reg add 'HKLM\HARDWARE\DEVICEMAP\SERIALCOMM' /v '\Device\Serial4' /t REG_SZ /d "$E2E_COM_NAME" /f \
        >"$E2E_WORK/reg.log" 2>&1 || fail "the port could not be registered: $(cat "$E2E_WORK/reg.log")"
}

# window_types TYPE: as on Linux, but a dialog without an owner (the port
# dialog) is a NORMAL window here.
window_types() {
    if [ "$1" = DIALOG ]; then echo 'DIALOG|NORMAL'; else echo "$1"; fi
}

# The steps a scenario takes that are done with the pointer on Linux, here
# from the keyboard.

# select_devices ROW...: the list takes the focus from its label's mnemonic;
# Home selects the first row alone, Ctrl+Down moves on without selecting and
# Ctrl+Space adds a row.
select_devices() {
    press "$MAIN_WINDOW" alt+p Home
    local at=0 row keys
    for row in "${@:2}"; do
        keys=()
        while [ "$at" -lt "$row" ]; do
            keys+=(ctrl+Down)
            at=$((at + 1))
        done
        press "$MAIN_WINDOW" "${keys[@]}" ctrl+space
    done
    [ "$1" = 0 ] || fail "select_devices starts from the first row here"
}

delete_selected_devices() {
    press "$MAIN_WINDOW" alt+d
}

# show_page N: Alt and the page's place.
show_page() {
    press "$MAIN_WINDOW" "alt+$1"
}

# close_main_window: Alt+F4, as the caption's close button does.
close_main_window() {
    press "$MAIN_WINDOW" alt+F4
}
