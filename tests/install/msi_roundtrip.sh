#!/usr/bin/env bash
# The Windows installer as a user gets it, in a fresh Wine prefix: two MSIs
# of the Windows build's programs (the project's version and a newer one)
# checked with msiinfo; the older installed with msiexec /qn, its files,
# shortcut and uninstall entry in place; the installed apconfig.exe
# identifying apsim and the installed apctl.exe naming the devices' makers
# from the lists installed beside it; the newer one installed over it (one
# entry left), the older one refused over the newer; then the newer removed
# without a trace.
# Environment: APCONFIG_BIN (the Windows build's programs), APCONFIG_APSIM.
E2E_PLATFORM=wine # read by common.bash
# shellcheck source=tests/e2e/lib/common.bash
. "$(dirname "$0")/../e2e/lib/common.bash"
e2e_begin msi_roundtrip

readonly UNINSTALL='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'
readonly PUBLISHER="The apconfig developers"
program_dir="$WINEPREFIX/drive_c/Program Files/apconfig"

old=$(sed -n 's/^project(apconfig VERSION \([0-9.]*\).*/\1/p' "$E2E_SOURCE_DIR/CMakeLists.txt")
[ -n "$old" ] || fail "cannot read the project version"
case $old in
*.*.*) new=${old%.*}.$((${old##*.} + 1)) ;;
*) new=$old.1 ;;
esac

note "two installers: $old and $new"
for version in "$old" "$new"; do
    "$E2E_SOURCE_DIR/scripts/package-windows" --bin "$APCONFIG_BIN" --version "$version" \
        --output "$E2E_WORK/apconfig-$version.msi" >"$E2E_WORK/package.log" 2>&1 ||
        fail "scripts/package-windows failed for $version: $(cat "$E2E_WORK/package.log")"
done

# table MSI NAME: the rows of a table, tab-separated, without its headers.
table() {
    msiinfo export "$1" "$2" | tail -n +4 | tr -d '\r'
}
property() {
    table "$1" Property | awk -F'\t' -v name="$2" '$1 == name { print $2 }'
}

note "msiinfo: what the installer holds"
msi=$E2E_WORK/apconfig-$old.msi
for name in File Component Directory Shortcut Upgrade Registry Icon; do
    msiinfo tables "$msi" | grep -qx "$name" || fail "the installer has no $name table"
done
[ "$(table "$msi" File | cut -f3 | sort | tr '\n' ' ')" = "apconfig.exe apctl.exe iab.csv lidany.dll mam.csv oui.csv oui36.csv " ] ||
    fail "the installer's files are [$(table "$msi" File | cut -f3 | tr '\n' ' ')]"
table "$msi" Directory | grep -qxP 'INSTALLDIR\tProgramFiles64Folder\tapconfig' ||
    fail "the files do not go to Program Files\\apconfig: $(table "$msi" Directory | tr '\n\t' '; ')"
# 256: a 64-bit component, whose files and registry values take the 64-bit view.
table "$msi" Component | awk -F'\t' '{ if (int($4 / 256) % 2 == 0) bad = bad " " $1 } END { if (bad) { print bad; exit 1 } }' >/dev/null ||
    fail "components not marked 64-bit: $(table "$msi" Component | cut -f1,4 | tr '\n\t' '; ')"
# Every component has a key path the installer can check: one of its own
# files, or (attribute 4) one of its own registry values, and such a value
# sits under HKMU (-1: HKLM per machine, HKCU per user), never a fixed root
# that a per-user installation's Start menu would not match (ICE38, ICE43).
keys=$(
    {
        table "$msi" File | sed 's/^/F\t/'
        table "$msi" Registry | sed 's/^/R\t/'
        table "$msi" Component | sed 's/^/C\t/'
    } | awk -F'\t' '
        $1 == "F" { file[$2] = $3 }
        $1 == "R" { registry[$2] = $7; root[$2] = $3 }
        $1 == "C" {
            component = $2; attributes = $5; keypath = $7
            if (keypath == "") print component " has none"
            else if (int(attributes / 4) % 2) {
                if (registry[keypath] != component || root[keypath] != "-1")
                    print component " keys on registry value " keypath " under root [" root[keypath] "]"
            } else if (file[keypath] != component) print component " keys on " keypath ", no file of its own"
        }'
)
[ -z "$keys" ] || fail "components without a valid key path: $keys"
table "$msi" Shortcut | awk -F'\t' '$2 == "ProgramMenuFolder" && $5 == "[INSTALLDIR]apconfig.exe"' | grep -q . ||
    fail "no Start-menu shortcut to apconfig.exe: $(table "$msi" Shortcut)"
checks=(
    "ALLUSERS|1|installs for the whole machine"
    "ProductName|apconfig|names the product"
    "Manufacturer|$PUBLISHER|names the publisher"
    "ProductVersion|$old|carries the version"
    "ARPPRODUCTICON|apconfig.ico|gives the uninstall entry an icon"
)
for check in "${checks[@]}"; do
    IFS='|' read -r name value what <<<"$check"
    [ "$(property "$msi" "$name")" = "$value" ] ||
        fail "the installer no longer $what: $name is '$(property "$msi" "$name")', not '$value'"
done
newer=$E2E_WORK/apconfig-$new.msi
[ "$(property "$newer" ProductVersion)" = "$new" ] || fail "the newer installer's version is $(property "$newer" ProductVersion)"
code=$(property "$msi" UpgradeCode)
{ [ -n "$code" ] && [ "$(property "$newer" UpgradeCode)" = "$code" ]; } ||
    fail "the upgrade code changed between versions: $code, $(property "$newer" UpgradeCode)"
[ "$(property "$msi" ProductCode)" != "$(property "$newer" ProductCode)" ] || fail "both versions have one product code"
table "$msi" Upgrade | grep -q "^$code" || fail "the installer does not look for older versions of itself"

# entries: the uninstall entries named apconfig, a key a line.
entries() {
    local key
    wine reg query "$UNINSTALL" 2>/dev/null | tr -d '\r' | grep '^HKEY_.*\\Uninstall\\.' | while read -r key; do
        [ "$(entry_value "$key" DisplayName)" = apconfig ] && echo "$key"
    done
    return 0
}
# entry_value KEY NAME: the value's data.
entry_value() {
    wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | awk -v name="$2" '$1 == name { sub(/^ *[^ ]+ +[^ ]+ +/, ""); print }'
}
# one_entry VERSION: there is one uninstall entry, of that version.
one_entry() {
    local keys
    keys=$(entries)
    [ "$(echo "$keys" | grep -c .)" = 1 ] || fail "uninstall entries: [$(echo "$keys" | tr '\n' ' ')], expected one"
    [ "$(entry_value "$keys" DisplayVersion)" = "$1" ] ||
        fail "the uninstall entry shows version $(entry_value "$keys" DisplayVersion), not $1"
    echo "$keys"
}
installed_msi() {
    wine msiexec "$@" /qn >"$E2E_WORK/msiexec.log" 2>&1
}

note "msiexec /i: version $old"
installed_msi /i "$msi" || fail "msiexec /i failed: $(cat "$E2E_WORK/msiexec.log")"
for file in apconfig.exe apctl.exe lidany.dll; do
    cmp -s "$APCONFIG_BIN/$file" "$program_dir/$file" || fail "$file is not installed as built"
done
for list in oui mam oui36 iab; do
    cmp -s "/usr/share/ieee-data/$list.csv" "$program_dir/$list.csv" || fail "$list.csv is not installed beside the program"
done
find "$WINEPREFIX/drive_c" -path '*Start Menu/Programs/apconfig.lnk' | grep -q . || fail "no Start-menu shortcut"
key=$(one_entry "$old")
[ "$(entry_value "$key" Publisher)" = "$PUBLISHER" ] || fail "the entry's publisher is '$(entry_value "$key" Publisher)'"
entry_value "$key" UninstallString | grep -qi "msiexec.exe /x{" || fail "the entry cannot remove the product"
[ "$(entry_value "$key" InstallLocation)" = 'C:\Program Files\apconfig\' ] ||
    fail "the entry places the programs in '$(entry_value "$key" InstallLocation)'"

note "the installed apconfig.exe identifies apsim; the installed apctl.exe names the makers"
use_programs_in "$program_dir"
start_apsim "${SAMPLE_DEVICE_OPTIONS[@]}"
open_main_window
close_main_window
expect_exit 0
expect_record IDENTIFY LINKREAD EXIT
makers=$(apctl_json list | json_field '[d["manufacturer"] for d in v]' | tr '\n' '|')
[ "$makers" = "cyber-blue(HK)Ltd|CC&C Technologies, Inc|Bose Corporation|Intel Corporate|" ] ||
    fail "the installed apctl named the makers [$makers]: are the lists read from beside it?"

note "msiexec /i: version $new over $old, then $old refused over $new"
installed_msi /i "$newer" || fail "the upgrade failed: $(cat "$E2E_WORK/msiexec.log")"
one_entry "$new" >/dev/null
[ -f "$program_dir/apconfig.exe" ] || fail "apconfig.exe is gone after the upgrade"
installed_msi /i "$msi" && fail "the older version installed over the newer one"
one_entry "$new" >/dev/null

note "msiexec /x: nothing left"
installed_msi /x "$newer" || fail "msiexec /x failed: $(cat "$E2E_WORK/msiexec.log")"
[ ! -e "$program_dir" ] || fail "left behind: $(find "$program_dir" | tr '\n' ' ')"
left=$(find "$WINEPREFIX/drive_c" -iname '*apconfig*' | tr '\n' ' ')
[ -z "$left" ] || fail "left behind: $left"
[ -z "$(entries)" ] || fail "uninstall entries left: $(entries | tr '\n' ' ')"
wine reg query 'HKLM\Software\apconfig' >/dev/null 2>&1 && fail "the registry key Software\\apconfig is left"
for product in "$msi" "$newer"; do
    [ ! -e "$WINEPREFIX/drive_c/windows/Installer/$(property "$product" ProductCode)" ] ||
        fail "the installer cache of $(property "$product" ProductVersion) is left"
done
note "passed"
