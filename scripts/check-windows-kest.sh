#!/usr/bin/env bash
# kest.exe under Wine writes and reads project files byte for byte like the native kest.
# usage: scripts/check-windows-kest.sh NATIVE_BUILD WINDOWS_BUILD
set -euo pipefail
cd "$(dirname "$0")/.."
native="${1:-build}/kest"
windows="${2:-build-win}/kest.exe"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

"$native" new "$tmp/native.agx"
scripts/wine-run.sh "$windows" new "$tmp/windows.agx"
cmp "$tmp/native.agx" "$tmp/windows.agx"

scripts/wine-run.sh "$windows" convert "$tmp/native.agx" "$tmp/converted.agx"
cmp "$tmp/native.agx" "$tmp/converted.agx"

"$native" show --json "$tmp/native.agx" >"$tmp/native.json"
scripts/wine-run.sh "$windows" show --json "$tmp/native.agx" | tr -d '\r' >"$tmp/windows.json"
diff "$tmp/native.json" "$tmp/windows.json"

# The way back from the JSON text, and the check of a clean project.
scripts/wine-run.sh "$windows" build "$tmp/native.json" -o "$tmp/built.agx"
cmp "$tmp/native.agx" "$tmp/built.agx"
scripts/wine-run.sh "$windows" check "$tmp/built.agx" >/dev/null

# "-o -" writes the image to standard output byte for byte (binary mode, no CR added).
"$native" image "$tmp/native.agx" -o "$tmp/native.bin"
scripts/wine-run.sh "$windows" image "$tmp/native.agx" -o - >"$tmp/stdout.bin"
cmp "$tmp/native.bin" "$tmp/stdout.bin"

# The report of the demo project: the same HTML, also through standard output.
python3 tests/report/make_demo_project.py "$native" "$tmp/demo.agx"
"$native" report "$tmp/demo.agx" -o "$tmp/native.html"
scripts/wine-run.sh "$windows" report "$tmp/demo.agx" -o - >"$tmp/windows.html"
cmp "$tmp/native.html" "$tmp/windows.html"

# kest.exe ports lists the COM ports of the registry's SERIALCOMM key, COM3 before COM12.
# The two test entries live in the hardware key, which lasts as long as the Wine server of
# this one command.
prefix="$(cd "$(dirname "$windows")" && pwd)/wineprefix"
exe="Z:$(cd "$(dirname "$windows")" && pwd | tr / '\\')\\kest.exe"
key='HKLM\HARDWARE\DEVICEMAP\SERIALCOMM'
ports=$(WINEPREFIX="$prefix" scripts/wine-run.sh cmd /c "reg add $key /v \\Device\\KestTest12 /d COM12 /f >NUL && reg add $key /v \\Device\\KestTest3 /d COM3 /f >NUL && $exe ports" | tr -d '\r')
order=$(printf '%s\n' "$ports" | grep -n 'Device\\KestTest' | sed -E 's/^([0-9]+):(COM[0-9]+) +.*/\2/' | tr '\n' ' ')
[ "$order" = "COM3 COM12 " ] || { echo "kest.exe ports: '$ports', expected COM3 and then COM12 among them" >&2; exit 1; }

# Bad input: exit status 2 and nothing written.
printf 'KEST-1.01' >"$tmp/bad.agx"
status=0
scripts/wine-run.sh "$windows" convert "$tmp/bad.agx" "$tmp/out.agx" 2>/dev/null || status=$?
[ "$status" -eq 2 ] || { echo "kest.exe convert of a bad file: exit $status, expected 2" >&2; exit 1; }
[ ! -e "$tmp/out.agx" ] || { echo "kest.exe convert of a bad file wrote its output" >&2; exit 1; }
echo "kest.exe agrees with kest"
