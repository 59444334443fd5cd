#!/usr/bin/env bash
# win32_port_over_pty.sh <apsim> <test.exe> <port number> [apsim option...]:
# serves apsim's pty (three paired devices, and the options given) as COM<n>
# in a fresh Wine prefix and runs the Win32 driver's tests over it
# (GTEST_FILTER chooses which).
set -euo pipefail
apsim=$1 program=$2 com=$3
shift 3
here=$(cd "$(dirname "$0")" && pwd)
WINEPREFIX=$(mktemp -d "${TMPDIR:-/tmp}/apconfig-wine.XXXXXX")
export WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES=winemenubuilder.exe=d
sim=
cleanup() {
  [ -n "$sim" ] && kill "$sim" 2>/dev/null && wait "$sim" 2>/dev/null
  wineserver -k >/dev/null 2>&1 || true
  rm -rf "$WINEPREFIX"
}
trap cleanup EXIT
wine wineboot --init >/dev/null 2>&1 || true
wineserver -w >/dev/null 2>&1
# apsim links its pty as dosdevices/com<n> and prints the path it serves.
exec {out}< <("$apsim" --folder "$WINEPREFIX/dosdevices" --com "$com" --devices 3 "$@")
sim=$!
read -r -t 10 -u "$out" served
[ -L "$WINEPREFIX/dosdevices/com$com" ] || { echo "apsim did not link com$com ($served)" >&2; exit 1; }
APCONFIG_TEST_COM=$com "$here/wine_run.sh" "$program"
