#!/usr/bin/env bash
# kest.exe under Wine drives the cradle set-up through Wine's COM ports: a COM port is a
# link in the prefix's dosdevices to kestemu's pseudo-terminal; COM11 checks the names
# above COM9.
# usage: scripts/check-windows-link.sh NATIVE_BUILD WINDOWS_BUILD
set -euo pipefail
cd "$(dirname "$0")/.."
kestemu="$(cd "${1:-build}" && pwd)/kestemu"
windows="${2:-build-win}/kest.exe"
export WINEPREFIX="${WINEPREFIX:-$(cd "${2:-build-win}" && pwd)/wineprefix}"
tmp=$(mktemp -d)
emu=""
trap '[ -n "$emu" ] && kill "$emu" 2>/dev/null; wait 2>/dev/null; rm -rf "$tmp"' EXIT

scripts/wine-run.sh "$windows" --help >/dev/null  # creates the prefix on a first run
"$kestemu" --link "$tmp/tty" --cradle-rate 57600 >"$tmp/emu.out" 2>&1 &
emu=$!
for _ in $(seq 100); do [ -e "$tmp/tty" ] && break; sleep 0.1; done
ln -sfn "$tmp/tty" "$WINEPREFIX/dosdevices/com3"
ln -sfn "$tmp/tty" "$WINEPREFIX/dosdevices/com11"

check() {  # PORT BAUD EXPECTED-OUTPUT
    local out
    out=$(scripts/wine-run.sh "$windows" cradle --port "$1" --baud "$2" | tr -d '\r')
    [ "$out" = "$3" ] || { echo "kest.exe cradle --port $1 --baud $2: '$out', expected '$3'" >&2; exit 1; }
}
check COM3 115200 "cradle answered at 57600 bit/s, switched to 115200 bit/s"
check COM11 9600 "cradle answered at 115200 bit/s, switched to 9600 bit/s"
check COM3 19200 "cradle answered at 9600 bit/s, switched to 19200 bit/s"

kill "$emu"
wait "$emu" 2>/dev/null || true
emu=""
status=0
scripts/wine-run.sh "$windows" cradle --port COM3 --baud 9600 2>/dev/null || status=$?
[ "$status" -eq 3 ] || { echo "kest.exe cradle without a cradle: exit $status, expected 3" >&2; exit 1; }
rm -f "$WINEPREFIX/dosdevices/com3" "$WINEPREFIX/dosdevices/com11"
echo "kest.exe finds and switches the cradle through Wine's COM ports"
