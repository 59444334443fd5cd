#!/usr/bin/env bash
# Runs a Windows program under Wine in the build tree's own prefix, quietly:
# the emulator CMake and CTest use for the Windows build. WINEPREFIX may be
# set to use another prefix.
set -euo pipefail
# Programs that open windows (APCONFIG_WINE_DISPLAY=1) get a virtual display
# of their own when there is none.
if [ -n "${APCONFIG_WINE_DISPLAY:-}" ] && [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-noreset -screen 0 1280x1024x24" "$0" "$@"
fi
export WINEPREFIX=${WINEPREFIX:-$PWD/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
# Wine writes no menu entries or file types into the user's desktop.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-winemenubuilder.exe=d}
# The first run makes the prefix while the others wait; then one server stays
# up for all of them, since a client that connects just as an idle server
# quits is dropped ("recvmsg: Connection reset by peer").
mkdir -p "$WINEPREFIX"
{
  flock 9
  # Neither the lock nor the test's output goes with the server.
  wineserver -p30 </dev/null >/dev/null 2>&1 9>&- || true
  [ -d "$WINEPREFIX/dosdevices" ] || wine wineboot --init </dev/null >/dev/null 2>&1 9>&- || true
} 9>>"${WINEPREFIX%/}.lock"
exec wine "$@"
