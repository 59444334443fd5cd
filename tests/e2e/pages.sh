#!/usr/bin/env bash
# The three pages against an access point with four paired devices: delete two
# of them, a PIN change refused for a wrong PIN in force and then taken, a new
# name; apsim's state shows all three changes and apctl lists what is left.
# The same scenario runs on Linux and, with E2E_PLATFORM=wine, on the Windows
# build under Wine (lib/linux.bash and lib/wine.bash do the steps that differ).
# shellcheck source=tests/e2e/lib/common.bash
. "$(dirname "$0")/lib/common.bash"
e2e_begin pages

devices=("${SAMPLE_DEVICES[@]}")
start_apsim --name "Lobby" --pin 2468 "${SAMPLE_DEVICE_OPTIONS[@]}"
open_main_window

note "paired devices: select the first and the third entry, delete them"
select_devices 0 2
keep_screenshot paired-devices.png "$MAIN_WINDOW"
delete_selected_devices
answer_box '^Paired Devices$' "the confirmation of the deletion"
expect_request "LINKDEL 0200${devices[0]}${devices[2]}" \
    "the deletion confirmed with Return (count 2, then the two selected addresses in list order)"
answer_box '^Paired Devices$' "the result of the deletion"
[ "$(grep -c '^LINKREAD$' "$E2E_WORK/record")" -eq 2 ] || fail "the list was not read again after the deletion"

note "PIN code: a wrong PIN in force is refused"
show_page 2
press "$MAIN_WINDOW" alt+u
type_into "$MAIN_WINDOW" 1357
press "$MAIN_WINDOW" alt+n
type_into "$MAIN_WINDOW" 9753
press "$MAIN_WINDOW" alt+f
type_into "$MAIN_WINDOW" 9753
press "$MAIN_WINDOW" alt+c
answer_box '^PIN Code$' "the confirmation of the first PIN change"
# "PINUPDAT" carries "1357\n9753\n".
expect_request "PINUPDAT 313335370a393735330a" "the PIN change with the wrong PIN in force"
answer_box '^PIN Code$' "the refusal of the PIN change"
[ "$(state_value pin)" = 2468 ] || fail "apsim's PIN became '$(state_value pin)' for a wrong PIN in force"

note "PIN code: the PIN in force typed again (the field's text is replaced), Change PIN, confirm"
press "$MAIN_WINDOW" alt+u
type_into "$MAIN_WINDOW" 2468
keep_screenshot pin-code.png "$MAIN_WINDOW"
press "$MAIN_WINDOW" alt+c
answer_box '^PIN Code$' "the confirmation of the PIN change"
# "PINUPDAT" carries "2468\n9753\n": the new PIN fields kept their texts.
expect_request "PINUPDAT 323436380a393735330a" "the PIN change confirmed with Return"
answer_box '^PIN Code$' "the result of the PIN change"

note "device name: the page reads the name; Change, a new name, Return"
show_page 3
expect_request LNAMREAD "the device name page"
press "$MAIN_WINDOW" alt+h
entry=$(expect_window DIALOG '^Change Device Name$' "the name entry dialog")
type_into "$entry" "Meeting Room 2"
press "$entry" Return
expect_gone "$entry" "the name entry dialog"
expect_request "LNAMUPDAT 4d656574696e6720526f6f6d20320a" "the name change"
answer_box '^Device Name$' "the result of the name change"
keep_screenshot device-name.png "$MAIN_WINDOW"

note "apsim holds the changes"
[ "$(state_value devices)" = 2 ] || fail "apsim holds $(state_value devices) devices, expected 2"
[ "$(state_devices | tr '\n' ' ')" = "${devices[1]} ${devices[3]} " ] ||
    fail "apsim holds the devices [$(state_devices | tr '\n' ' ')], expected [${devices[1]} ${devices[3]}]"
[ "$(state_value pin)" = 9753 ] || fail "apsim's PIN is '$(state_value pin)', expected 9753"
[ "$(state_value name)" = "Meeting Room 2" ] || fail "apsim's name is '$(state_value name)', expected 'Meeting Room 2'"

note "closing the main window ends the program"
close_main_window
expect_exit 0
[ "$(tail -n 1 "$E2E_WORK/record")" = EXIT ] || fail "the last request was not EXIT"
[ "$(grep -c '^PINUPDAT' "$E2E_WORK/record")" = 2 ] || fail "not two PIN changes: $(grep '^PINUPDAT' "$E2E_WORK/record")"

note "apctl lists the two devices left"
listed=$(apctl_json list | json_field '[d["address"] for d in v]' | tr '\n' ' ')
[ "$listed" = "$(shown_address "${devices[1]}") $(shown_address "${devices[3]}") " ] ||
    fail "apctl list --json gave [$listed]"
[ "$(tail -n 3 "$E2E_WORK/record" | tr '\n' ' ')" = "IDENTIFY LINKREAD EXIT " ] ||
    fail "apctl's conversation was not identify, list, exit: $(tail -n 3 "$E2E_WORK/record" | tr '\n' ' ')"
note "passed"
