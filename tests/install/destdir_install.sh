#!/usr/bin/env bash
# cmake --install into a DESTDIR: every file a desktop needs where it belongs
# and valid, the resource library only in its private folder, and the
# installed apconfig running against apsim from there (installed_program.sh).
#
# Environment (set by CTest): APCONFIG_BUILD_DIR, APCONFIG_APP_ID and the
# install folders as the build was configured, full paths: APCONFIG_PREFIX,
# APCONFIG_BINDIR, APCONFIG_LIBRARY_DIR (the resource library's),
# APCONFIG_DATADIR, APCONFIG_MANDIR; DISPLAY, as for the end-to-end tests.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

build=${APCONFIG_BUILD_DIR:?the build tree to install from}
id=${APCONFIG_APP_ID:?the desktop id}
stage=$(mktemp -d "${TMPDIR:-/tmp}/apconfig-destdir.XXXXXX")
trap 'rm -rf "$stage"' EXIT

echo "-- cmake --install into $stage"
DESTDIR=$stage cmake --install "$build" >"$stage.log" 2>&1 || { cat "$stage.log" >&2; rm -f "$stage.log"; fail "the install failed"; }
rm -f "$stage.log"
prefix=$stage$APCONFIG_PREFIX
bin=$stage$APCONFIG_BINDIR
library=$stage$APCONFIG_LIBRARY_DIR/liblidany.so
share=$stage$APCONFIG_DATADIR
man1=$stage$APCONFIG_MANDIR/man1

echo "-- the installed files"
for program in apconfig apsim; do
    [ -x "$bin/$program" ] || fail "$bin/$program is not an installed program"
    [ -s "$man1/$program.1.gz" ] || fail "no manual page $man1/$program.1.gz"
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 "$man1/$program.1.gz" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "the manual page of $program has warnings: $warnings"
done
[ -f "$library" ] || fail "the resource library is not in its private folder $library"
[ ! -x "$library" ] || fail "the resource library is executable"
[ ! -e "$bin/liblidany.so" ] || fail "the resource library is installed beside the program"
for size in 48 64 128 256; do
    icon=$share/icons/hicolor/${size}x${size}/apps/$id.png
    [ -f "$icon" ] || fail "no $size px icon $icon"
    [ "$(identify -format '%wx%h' "$icon")" = "${size}x${size}" ] || fail "$icon is not ${size}x${size}"
done
desktop=$share/applications/$id.desktop
[ -f "$desktop" ] || fail "no desktop entry $desktop"
desktop-file-validate "$desktop" || fail "desktop-file-validate rejects $desktop"
grep -qx "Icon=$id" "$desktop" || fail "the desktop entry does not name the installed icon"
grep -qx "Exec=apconfig" "$desktop" || fail "the desktop entry does not start apconfig"
grep -qx "Categories=Settings;HardwareSettings;" "$desktop" || fail "the desktop entry is not in Settings;HardwareSettings;"
[ -f "$share/metainfo/$id.metainfo.xml" ] || fail "no metainfo $share/metainfo/$id.metainfo.xml"
appstreamcli validate-tree --no-net "$prefix" || fail "appstreamcli rejects the installed tree"

echo "-- no library path of its own"
runpath=$(readelf -d "$bin/apconfig" | grep -E 'R(UN)?PATH' || true)
[ -z "$runpath" ] || fail "the installed apconfig carries a library path: $runpath"

echo "-- the installed program"
APCONFIG_BIN=$bin APCONFIG_LIBRARY=$library APCONFIG_BUILD_DIR=$build bash "$here/installed_program.sh"
