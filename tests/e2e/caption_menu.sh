#!/usr/bin/env bash
# The main window's caption menu: a right click on the header bar opens the
# one-item menu at the pointer; its item opens the about box.
# shellcheck source=tests/e2e/lib/common.bash
. "$(dirname "$0")/lib/common.bash"
e2e_begin caption_menu

start_apsim "${SAMPLE_DEVICE_OPTIONS[@]}"
open_main_window

note "right click on the header bar"
read -r px py < <(window_point "$MAIN_WINDOW" "${CAPTION_POINT[@]}") || fail "cannot place the pointer on the header bar"
pointer_to "$px" "$py"
xdo click 3
menu=$(expect_window POPUP_MENU '' "the caption menu")
read -r mx my mw mh < <(window_box "$menu") || fail "cannot measure the caption menu"
if [ "$mx" -ne "$px" ] || [ "$my" -ne "$py" ]; then
    fail "the caption menu opened at $mx,$my, not at the pointer $px,$py"
fi
# One item is one row: a second item would make the menu at least twice as high.
[ "$mh" -lt 50 ] || fail "the caption menu is ${mh}px high: more than its one item"

# The menu lies over the window; keep both in one picture.
read -r wx wy ww wh < <(window_box "$MAIN_WINDOW") || fail "cannot measure the main window"
right=$(( wx + ww > mx + mw ? wx + ww : mx + mw ))
bottom=$(( wy + wh > my + mh ? wy + wh : my + mh ))
keep_region caption-menu.png "$wx" "$wy" $((right - wx)) $((bottom - wy))

note "choose the menu's item"
click_in "$menu" $((mw / 2)) $((mh / 2))
about=$(expect_window DIALOG '^About apconfig$' "the about box")
expect_gone "$menu" "the caption menu"
keep_screenshot about-box.png "$about"

note "Return closes the about box; the main window stays"
press "$about" Return
expect_gone "$about" "the about box"
window_viewable "$MAIN_WINDOW" || fail "the main window closed with the about box"
kill -0 "$APP_PID" 2>/dev/null || fail "apconfig ended with the about box"

press "$MAIN_WINDOW" Escape
expect_exit 0
# The menu and the about box never talk to the device.
expect_record IDENTIFY LINKREAD EXIT
note "passed"
