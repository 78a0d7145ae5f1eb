#!/usr/bin/env bash
# kest.exe under Wine drives the cradle set-up through Wine's COM ports: a COM port is a
# link in the prefix's dosdevices to kestemu's pseudo-terminal; COM11 checks the names
# above COM9, and COM7 leads to a device that does not exist.
# Every run's output, kestemu's log and the Wine server's log are kept and shown when a
# check fails; nothing here waits on the clock except for kestemu's start.
# usage: scripts/check-windows-link.sh NATIVE_BUILD WINDOWS_BUILD
set -euo pipefail
cd "$(dirname "$0")/.."
kestemu="$(cd "${1:-build}" && pwd)/kestemu"
windows="${2:-build-win}/kest.exe"
export WINEPREFIX="${WINEPREFIX:-$(cd "${2:-build-win}" && pwd)/wineprefix}"
tmp=$(mktemp -d)
export WINE_SERVER_LOG="$tmp/wineserver.log"
emu=""
cleanup() {
    if [ -n "$emu" ]; then
        kill "$emu" 2>/dev/null || true
        wait "$emu" 2>/dev/null || true
    fi
    rm -f "$WINEPREFIX/dosdevices/com3" "$WINEPREFIX/dosdevices/com7" "$WINEPREFIX/dosdevices/com11"
    rm -rf "$tmp"
}
trap cleanup EXIT

fail() {
    echo "check-windows-link: $*" >&2
    local f
    for f in "$tmp"/*.log; do
        [ -s "$f" ] || continue
        echo "--- $(basename "$f") (last 40 lines)" >&2
        tail -n 40 "$f" >&2
    done
    exit 1
}

scripts/wine-run.sh "$windows" --help >"$tmp/first-run.log" 2>&1 || fail "kest.exe --help failed"
"$kestemu" --link "$tmp/tty" --cradle-rate 57600 --verbose >"$tmp/kestemu.log" 2>&1 &
emu=$!
for _ in $(seq 300); do grep -q 'ready on' "$tmp/kestemu.log" && break; sleep 0.1; done
grep -q 'ready on' "$tmp/kestemu.log" || fail "kestemu did not start"
ln -sfn "$tmp/tty" "$WINEPREFIX/dosdevices/com3"
ln -sfn "$tmp/tty" "$WINEPREFIX/dosdevices/com11"
ln -sfn "$tmp/no-such-device" "$WINEPREFIX/dosdevices/com7"

check() {  # PORT BAUD EXPECTED-STATUS EXPECTED-OUTPUT
    local status=0 out
    scripts/wine-run.sh "$windows" cradle --port "$1" --baud "$2" >"$tmp/out" 2>"$tmp/kest.log" || status=$?
    out=$(tr -d '\r' <"$tmp/out")
    [ "$status" -eq "$3" ] && [ "$out" = "$4" ] ||
        fail "kest.exe cradle --port $1 --baud $2: exit $status, expected $3; output '$out', expected '$4'"
}
check COM3 115200 0 "cradle answered at 57600 bit/s, switched to 115200 bit/s"
check COM11 9600 0 "cradle answered at 115200 bit/s, switched to 9600 bit/s"
check COM3 19200 0 "cradle answered at 9600 bit/s, switched to 19200 bit/s"
check COM7 9600 3 ""
grep -q 'cannot open COM7: not found' "$tmp/kest.log" || fail "kest.exe cradle --port COM7 does not say that the port cannot be opened and why"
echo "kest.exe finds and switches the cradle through Wine's COM ports"
