#!/usr/bin/env bash
# tamplo.exe under Wine against kestemu: unattended downloads ("FILE,2 3": COM2 at 38400,
# through the cradle) of object programs in every shape; the emulator's flash image must
# equal the binary, and tamplo must end by itself (no question left open). A damaged file
# is refused before a byte reaches the port.
# Usage: tamplo_e2e.sh BUILD_WIN_DIR (NATIVE_BUILD_DIR | KESTEMU_BIN)
set -euo pipefail
trap 'echo "tamplo_e2e: line $LINENO failed with status $?" >&2' ERR
root=$(cd "$(dirname "$0")/../.." && pwd)
build_win=$(cd "${1:?Windows build folder}" && pwd)
kestemu=${2:?native build folder or kestemu program}
[ -d "$kestemu" ] && kestemu=$kestemu/kestemu
tamplo="$build_win/tamplo.exe"
source "$root/scripts/wine-env.sh"

work="$build_win/tamplo-e2e"
rm -rf "$work"
mkdir -p "$work"
"$root/tests/integration/make_srec_shapes.sh" "$work/shapes"

emu_pid=""
start_emulator() {  # STATE_DIR
    : >"$work/emu.log"
    "$kestemu" --link "$work/tty" --state "$1" --verbose >"$work/emu.log" 2>&1 &
    emu_pid=$!
    local i
    for i in $(seq 1 300); do
        grep -q "kestemu: ready on" "$work/emu.log" && return 0
        kill -0 "$emu_pid" 2>/dev/null || break
        sleep 0.1
    done
    echo "kestemu did not start:" >&2
    cat "$work/emu.log" >&2
    return 1
}
stop_emulator() {
    if [ -n "$emu_pid" ]; then
        kill "$emu_pid" 2>/dev/null || true
        wait "$emu_pid" 2>/dev/null || true
        emu_pid=""
    fi
}
trap 'stop_emulator; wine_env_stop' EXIT

wine_env_start "$build_win"
failures=0
fail() {
    echo "FAIL $*" >&2
    sed 's/^/  kestemu: /' "$work/emu.log" | tail -20 >&2
    failures=$((failures + 1))
}

while read -r name; do
    state="$work/state-$name"
    start_emulator "$state"
    wine_com_link 2 "$work/tty"
    status=0
    # Separate arguments: Wine joins them with one blank, the separator of port and rate.
    wine_run --timeout 120 "$tamplo" "$(wine_path "$work/shapes/$name.shx"),2" 3 || status=$?
    stop_emulator
    if [ "$status" -ne 0 ]; then
        fail "$name: tamplo ended with $status"
    elif ! grep -q "cradle: now at 38400" "$work/emu.log"; then
        fail "$name: the cradle was not switched to 38400"
    elif ! cmp -s "$state/flash.bin" "$work/shapes/$name.bin"; then
        fail "$name: the flash image differs from the binary"
    elif [ "$(cat "$state/flash.base")" != "$(cat "$work/shapes/$name.base")" ]; then
        fail "$name: flash image at $(cat "$state/flash.base"), expected $(cat "$work/shapes/$name.base")"
    else
        echo "ok   $name"
    fi
done <"$work/shapes/shapes"

# A damaged file: the message is answered with Enter; nothing reaches the port.
damaged="$work/damaged.shx"
sed '3s/^\(S.....\)./\1G/' "$work/shapes/s3_16_crlf.shx" >"$damaged"
state="$work/state-damaged"
start_emulator "$state"
wine_com_link 2 "$work/tty"
(
    for i in $(seq 1 300); do
        xdotool search --onlyvisible --name "Program Download" >/dev/null 2>&1 && break
        sleep 0.1
    done
    xdotool search --onlyvisible --name "Program Download" windowfocus --sync key Return 2>/dev/null || true
) &
answer_pid=$!
status=0
wine_run --timeout 60 "$tamplo" "$(wine_path "$damaged"),2" 3 || status=$?
wait "$answer_pid" 2>/dev/null || true
stop_emulator
if [ "$status" -ne 2 ]; then
    fail "damaged file: tamplo ended with $status, expected 2"
elif grep -q "cradle:" "$work/emu.log" || [ -e "$state/flash.bin" ]; then
    fail "damaged file: bytes reached the port"
else
    echo "ok   damaged file refused"
fi

# Interactive: the file dialog, then "ComPropertiesDlg" (COM2 and 38400 chosen in its
# lists), the download, and No to another one.
drv() { "$WINE_BIN" "$build_win/windriver.exe" "$@" | tr -d '\r'; }
port_dialog="COM Port Properties (Ver 2.1 IR)"
state="$work/state-interactive"
start_emulator "$state"
wine_com_link 2 "$work/tty"
"$WINE_BIN" "$tamplo" >/dev/null 2>&1 &
tamplo_pid=$!
interactive=""
if ! drv wait Open 30000; then
    interactive="no file dialog"
else
    drv settext Open 1148 "$(wine_path "$work/shapes/s3_16_crlf.shx")"
    drv click Open 1
    if ! drv wait "$port_dialog" 30000; then
        interactive="no port dialog"
    else
        ports=$(drv items "$port_dialog" 101 | tr '\n' ' ')
        rates=$(drv items "$port_dialog" 102 | tr '\n' ' ')
        preset="$(drv selection "$port_dialog" 101) $(drv selection "$port_dialog" 102)"
        drv select "$port_dialog" 101 1
        drv select "$port_dialog" 102 2
        drv click "$port_dialog" 1
        if [ "$ports" != "COM1 COM2 COM3 COM4 COM5 COM6 COM7 COM8 " ] || [ "$rates" != "115200 57600 38400 19200 9600 " ]; then
            interactive="port dialog lists: $ports/ $rates"
        elif [ "$preset" != "0 0" ]; then
            interactive="port dialog preset $preset"
        elif ! drv wait "Program Download" 120000; then
            interactive="no question after the download"
        else
            drv click "Program Download" 7
        fi
    fi
fi
for i in $(seq 1 300); do kill -0 "$tamplo_pid" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$tamplo_pid" 2>/dev/null; then
    kill "$tamplo_pid" 2>/dev/null
    [ -n "$interactive" ] || interactive="tamplo did not end after No"
fi
wait "$tamplo_pid" 2>/dev/null || true
stop_emulator
if [ -n "$interactive" ]; then
    fail "interactive: $interactive"
elif ! grep -q "cradle: now at 38400" "$work/emu.log"; then
    fail "interactive: the cradle was not switched to the chosen 38400"
elif ! cmp -s "$state/flash.bin" "$work/shapes/s3_16_crlf.bin"; then
    fail "interactive: the flash image differs from the binary"
else
    echo "ok   interactive download through the port dialog"
fi

[ "$failures" -eq 0 ] || { echo "tamplo end-to-end: $failures failed" >&2; exit 1; }
echo "tamplo end-to-end: all passed"
