#!/usr/bin/env bash
# The Windows main window for the README, under Wine: apconfig.exe on the
# demo's access point (apsim on COM5 of a fresh prefix, on an X server of its
# own), the paired devices page once listed, written as windows-main.png into
# APCONFIG_ARTIFACTS; with APCONFIG_SCREENSHOT_DPI=144 the same at 144 dpi
# (150 %), as windows-main-144dpi.png. scripts/screenshots --windows builds
# what it needs and runs it at both.
E2E_PLATFORM=wine # read by common.bash
# shellcheck source=tests/e2e/lib/common.bash
. "$(dirname "$0")/../../tests/e2e/lib/common.bash"
# shellcheck source=scripts/lib/demo_session.bash
. "$E2E_SOURCE_DIR/scripts/lib/demo_session.bash"
dpi=${APCONFIG_SCREENSHOT_DPI:-96}
[[ $dpi =~ ^[0-9]+$ ]] || { echo "not a dpi: $dpi" >&2; exit 2; }
picture=windows-main.png
[ "$dpi" = 96 ] || picture=windows-main-${dpi}dpi.png
picture=${APCONFIG_SCREENSHOT_NAME:-$picture}
e2e_begin "windows-screenshot-$dpi"
# No window manager draws a frame here: Wine draws its own caption and border,
# as Windows shows them.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1 ||
    fail "cannot have Wine draw the window frames"
# The display's scale, as Windows' display settings set it; the program is
# per-monitor aware and draws at it.
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1 ||
    fail "cannot set the display to $dpi dpi"

# The demo's access point, on the prefix's COM5 rather than /dev/com5.
options=()
for ((i = 2; i < ${#DEMO_APSIM_OPTIONS[@]}; i++)); do
    options+=("${DEMO_APSIM_OPTIONS[i]}")
done
start_apsim "${options[@]}"
open_main_window
keep_screenshot "$picture" "$MAIN_WINDOW"
close_main_window
expect_exit 0
expect_record IDENTIFY LINKREAD EXIT
optipng -quiet -o5 -strip all "$E2E_ARTIFACTS/$picture"
