#!/usr/bin/env bash
# The generator under Wine, connected to kestemu: builds the Windows programs, writes a
# demo project whose form 1 asks for an article and a quantity, starts kestemu (direct
# cable, with a few records to upload) behind the Wine port COM6 and starts agkest.exe on
# the project. With a display the generator stays until you close it (right click on
# the terminal for the menu: "Programm laden" sends the project to kestemu, "Daten
# empfangen" fetches the records). Without one it runs under Xvfb, and the screenshots
# out/demo/agkest*.png are what it showed.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
demo=$root/out/demo
mkdir -p "$demo"

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j2 --target kest kestemu >/dev/null
cmake -S . -B build-win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-win -j2 --target agkest windriver >/dev/null

# Form 1: "Artikel:" (text) and "Menge:" (integer); port COM6 at 9600 bit/s.
project=$demo/generator-demo.AGX
build/kest new --force "$project" >/dev/null
patch() { printf "$2" | dd of="$project" bs=1 seek="$1" conv=notrunc status=none; }
patch 10 '\005\004'
patch $((3535 + 29)) '\001\002'
patch $((3535 + 37)) 'Artikel:\000'
patch $((3535 + 37 + 21)) 'Menge:\000'
printf '4711,Schrauben,100\n0815,Muttern,250\n' > "$demo/records.txt"

headless=0
[ -z "${DISPLAY:-}" ] && headless=1
display=${DISPLAY:-}
# shellcheck source=wine-env.sh
source scripts/wine-env.sh
emu=""
agkest=""
# Stops what this script started, each by its own id; Xvfb (a child too) is stopped by
# wine_env_stop, so the wait names the two programs instead of waiting for every child.
cleanup() {
    local pid
    for pid in $agkest $emu; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    wine_env_stop
}
trap cleanup EXIT
wine_env_start build-win
[ "$headless" -eq 0 ] && export DISPLAY=$display && kill "$WINE_XVFB_PID" 2>/dev/null && WINE_XVFB_PID=""

build/kestemu --link "$demo/terminal" --state "$demo/terminal-state" --direct --records "$demo/records.txt" \
  >"$demo/kestemu.log" 2>&1 &
emu=$!
for _ in $(seq 300); do grep -q ready "$demo/kestemu.log" && break; sleep 0.1; done
wine_com_link 6 "$demo/terminal"
echo "== kestemu on $demo/terminal, Wine port COM6"

"$WINE_BIN" build-win/agkest.exe "$(wine_path "$project")" >/dev/null 2>&1 &
agkest=$!
drv() { "$WINE_BIN" build-win/windriver.exe "$@" | tr -d '\r'; }
drv wait "Application Generator" 30000 >/dev/null
echo "== agkest.exe runs with $project"
if [ "$headless" -eq 0 ]; then
    wait "$agkest" || true
    agkest=""
    exit 0
fi

# Headless: show the start screen, the form and the menu, then send the project.
sleep 1.5
shot() { import -window root -crop "${2:-200x459}+300+50" +repage "$demo/$1.png"; }
key() {  # a click on a key at client point (x, y)
    xdotool mousemove $((300 + $1)) $((50 + $2)) mousedown 1
    sleep 0.15
    xdotool mouseup 1
    sleep 0.3
}
shot agkest
key 61 306                 # 1: "Programm" starts form 1
key 99 306; key 137 306    # "23"
shot agkest-form
key 62 280                 # ESC back to the start screen
xdotool mousemove 420 200 mousedown 3 mouseup 3
sleep 0.8
shot agkest-menu 440x459
xdotool key Escape
drv command "Application Generator" 3020
drv wait Download 60000 >/dev/null && drv click Download 1
cmp -s "$demo/terminal-state/image.bin" <(build/kest image "$project" -o /dev/stdout 2>/dev/null) &&
  echo "== download: kestemu stored the project's image ($demo/terminal-state/image.bin)"
convert "$demo/agkest.png" "$demo/agkest-form.png" "$demo/agkest-menu.png" -background white -splice 10x0 \
  +append -chop 10x0 "$demo/agkest-overview.png"
echo "== screenshots: $demo/agkest.png, agkest-form.png, agkest-menu.png, agkest-overview.png"
