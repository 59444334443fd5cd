#!/usr/bin/env bash
# The Debian package on this machine, as a user gets it: installed with
# apt-get, the installed /usr/bin/apconfig run against apsim
# (installed_program.sh), the package purged, and nothing of it left behind.
# Usage: package_roundtrip.sh apconfig_<version>_<arch>.deb
# Needs root or sudo, and a display (run it under xvfb-run). It changes the
# machine, so it leaves alone a machine where apconfig is installed already.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

[ $# -eq 1 ] && [ -f "$1" ] || fail "usage: $0 apconfig_<version>_<arch>.deb"
deb=$(realpath "$1")
sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive

installed() {
    dpkg-query -W -f='${db:Status-Abbrev}' apconfig 2>/dev/null | grep -q '^.[^n]'
}
if installed; then
    echo "package round trip left out: apconfig is installed on this machine already (dpkg -l apconfig)" >&2
    exit 0
fi

echo "-- the package asks for ieee-data"
dpkg-deb -f "$deb" Recommends | grep -qw ieee-data || fail "the package does not recommend ieee-data"

echo "-- apt-get install $deb"
"${sudo_cmd[@]}" apt-get install -y -qq "$deb" >/dev/null
mapfile -t files < <(dpkg-query -L apconfig)
library=$(printf '%s\n' "${files[@]}" | grep '/apconfig/liblidany\.so$') || fail "the package holds no resource library"
for file in /usr/bin/apconfig /usr/bin/apsim "$library" /usr/share/doc/apconfig/copyright; do
    [ -e "$file" ] || fail "$file is not installed"
done
ls /usr/share/applications/*.desktop | xargs grep -lx 'Exec=apconfig' >/dev/null || fail "no menu entry starts apconfig"

echo "-- the installed /usr/bin/apconfig"
# In a network namespace of its own when it may, like the other tests, so that
# an apconfig the user has open does not hold the single-instance name.
isolate=()
if unshare -n true 2>/dev/null; then
    isolate=(unshare -n)
fi
APCONFIG_BIN=/usr/bin APCONFIG_LIBRARY=$library "${isolate[@]}" bash "$here/installed_program.sh"

echo "-- apt-get purge apconfig"
"${sudo_cmd[@]}" apt-get purge -y -qq apconfig >/dev/null
! installed || fail "apconfig is still installed: $(dpkg -l apconfig | tail -n 1)"
left=()
for path in "${files[@]}"; do
    [ -e "$path" ] || [ -L "$path" ] || continue
    # A folder other packages share stays; nothing else may.
    if [ -d "$path" ] && [ ! -L "$path" ] && dpkg-query -S "$path" >/dev/null 2>&1; then
        continue
    fi
    left+=("$path")
done
[ ${#left[@]} -eq 0 ] || fail "left behind after the purge: ${left[*]}"
echo "-- passed: installed, ran, purged, nothing left behind"
