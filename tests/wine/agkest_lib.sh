# The shared part of the Windows end-to-end tests of agkest.exe (tests/wine/*_e2e.sh):
# start and stop the program, drive it like a user (xdotool clicks on the terminal
# picture, the popup menu by keyboard, windriver.exe for dialogs, pages and message boxes,
# found by caption, controls by id), kestemu behind the Wine port COM6, and the runner.
#
# A test script:
#   source "$(dirname "$0")/agkest_lib.sh"
#   e2e_setup "$@"                 # [BUILD_WIN [BUILD_NATIVE [TEST...]]]
#   test_something() { start_agkest || return; ...; expect_eq "$got" "$want" "what"; }
#   e2e_run test_something ...     # runs them (or the TESTS named on the command line)
#
# BUILD_WIN holds agkest.exe and windriver.exe, BUILD_NATIVE kest and kestemu. Files and
# screenshots of a script stay in BUILD_WIN/e2e/NAME (NAME: the script without _e2e.sh),
# a failed test leaves NAME/TEST-failed.png. Exit status 0 when every test passed.
#
# Driving the property sheet "Programmgenerator DOZAZA" (SHEET): `drv tab "$SHEET" N`
# shows page N (0 form ... 5 startup); `drv settext|select|check|click|text|selection|
# items|checked|enabled "$SHEET" ID ...` reach the controls of the page on show by id.
set -uo pipefail

e2e_setup() {
    ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
    BUILD_WIN=$(cd "${1:-$ROOT/build-win}" && pwd)
    BUILD=$(cd "${2:-$ROOT/build}" && pwd)
    ONLY=("${@:3}")
    # shellcheck source=../../scripts/wine-env.sh
    source "$ROOT/scripts/wine-env.sh"
    local name
    name=$(basename "$0" .sh)
    E2E_NAME=${name%_e2e}
    OUT=$BUILD_WIN/e2e/$E2E_NAME
    rm -rf "$OUT"
    mkdir -p "$OUT"
}

MAIN="Application Generator"
PROMPT="Velmor's KEST Application Generator"
SHEET="Programmgenerator DOZAZA"
COM_DIALOG="COM Port Einstellungen"
AGKEST_PID=""
EMU_PID=""
CURRENT=""
FAILED_NOW=0
FAILURES=()
PASSES=0

# Windows console output ends its lines with CR LF.
drv() { "$WINE_BIN" "$BUILD_WIN/windriver.exe" "$@" | tr -d '\r'; }
fail() {
    echo "  FAIL: $*" >&2
    FAILED_NOW=1
}
# Runs CMD again, a tenth of a second apart, until it succeeds or SECONDS have passed: how
# a test waits for a state (a file written, a window moved, the screen painted). The
# deadline only bounds a failure, so it is generous: a loaded machine may take its time.
eventually() {  # SECONDS CMD...
    local deadline=$((SECONDS + $1))
    shift
    until "$@"; do
        [ "$SECONDS" -lt "$deadline" ] || return 1
        sleep 0.1
    done
}
expect_eq() { [ "$1" = "$2" ] || fail "$3: expected '$2', got '$1'"; }
# The text of a control, read again for a while when it is still empty (a loaded machine
# may answer before the dialog has filled its lists); names the selection when it stays so.
settled_text() {  # CAPTION ID
    local text="" i
    for i in $(seq 1 30); do
        text=$(drv text "$1" "$2")
        [ -n "$text" ] && break
        sleep 0.1
    done
    [ -n "$text" ] || echo "  (control $2 of \"$1\" stays empty, selection $(drv selection "$1" "$2"))" >&2
    echo "$text"
}

start_agkest() {
    "$WINE_BIN" "$BUILD_WIN/agkest.exe" "$@" >/dev/null 2>&1 &
    AGKEST_PID=$!
    drv wait "$MAIN" 30000 || { fail "the main window did not appear"; return 1; }
    # Clicks go to the X window under the pointer: it must be on the screen, not only shown
    # to the program.
    eventually 30 xdotool search --onlyvisible --name "^$MAIN\$" >/dev/null ||
        { fail "the main window is not on the screen"; return 1; }
}

stop_agkest() {
    if [ -n "$AGKEST_PID" ] && kill -0 "$AGKEST_PID" 2>/dev/null; then
        kill "$AGKEST_PID" 2>/dev/null
        wait "$AGKEST_PID" 2>/dev/null
    fi
    AGKEST_PID=""
}

# After a question answered with Cancel the program carries on: its main window is enabled
# again (nothing over it) and the process is still there.
main_back() {
    eventually 30 main_free
    kill -0 "$AGKEST_PID" 2>/dev/null
}
main_free() { agkest_gone || [ "$(drv enabled "$MAIN")" = 1 ]; }

# True when the program ended (within 30 s).
agkest_ended() {
    eventually 30 agkest_gone || return 1
    wait "$AGKEST_PID" 2>/dev/null
    AGKEST_PID=""
}
agkest_gone() { ! kill -0 "$AGKEST_PID" 2>/dev/null; }

# The main window's screen position (no window manager: the window is its client area).
origin() { read -r LEFT TOP _ _ < <(drv rect "$MAIN"); }

# A press and release of the left button at client point (x, y) of the terminal window,
# held as a finger would (the program shows the pressed key until the release). What the
# click did is waited for by the caller (shot_until, drv wait).
click() {
    origin
    xdotool mousemove $((LEFT + $1)) $((TOP + $2)) mousedown 1
    sleep 0.15
    xdotool mouseup 1
}

# The right button, held a moment too.
right_click() {
    origin
    xdotool mousemove $((LEFT + $1)) $((TOP + $2)) mousedown 3
    sleep 0.1
    xdotool mouseup 3
}

# Centre of each key's hit rectangle, by key code.
KEY_X=(0 61 99 137 61 99 137 61 99 137 61 99 137 63 99 135 57 143 64 99 135 62 99 131)
KEY_Y=(0 306 306 306 334 334 334 361 361 361 388 388 388 414 414 414 215 215 255 253 255 280 277 280)
press_key() { click "${KEY_X[$1]}" "${KEY_Y[$1]}"; }

# Opens the popup menu with the right button and picks entries by their mnemonic keys.
menu() {
    right_click 100 150
    drv popup - 30000 >/dev/null || { fail "no popup menu"; return 1; }
    xdotool key "$@"
}

shot() {
    origin
    import -window root -crop "200x459+$LEFT+$TOP" +repage "$OUT/$1.png"
}
# Takes screenshot NAME again until CMD holds, that is until the screen shows what the
# program was asked to do; the last shot stays for the checks that follow.
shot_until() {  # NAME CMD...
    local name=$1
    shift
    eventually 20 shot_and "$name" "$@"
}
shot_and() { shot "$1"; shift; "$@"; }
# True when screenshot NAME shows text on the display, over the bare terminal picture: the
# program has painted its screen.
drawn() {  # NAME
    [ -f "$OUT/.bare.png" ] || convert "$ROOT/resources/agkest/500.bmp" "$OUT/.bare.png"
    pixels "$1" .bare 128x85+38+35 -gt 300
}
drawn_shot() { shot_until "$1" drawn "$1"; }  # NAME
# True when screenshot AFTER shows the start screen of BEFORE with another record count
# (the last five characters of the clock line): a record was stored and ESC led back.
back_with_record() {  # BEFORE AFTER
    pixels "$1" "$2" 128x50+38+35 -eq 0 && pixels "$1" "$2" 30x12+129+105 -gt 0
}
# A screenshot once the terminal has finished painting: two shots in a row alike, and CMD
# (when given) holds for them.
settled_shot() { eventually 20 shot_settled "$@"; }  # NAME [CMD...]
shot_settled() {
    shot "$1"
    cp "$OUT/$1.png" "$OUT/.previous.png"
    shot "$1"
    pixels .previous "$1" "" -eq 0 || return 1
    [ $# -eq 1 ] || "${@:2}"
}
# True when the count of differing pixels of two screenshots of this test compares so.
pixels() {  # A B CROP OP N   e.g. pixels idle form 128x50+38+35 -gt 100
    [ "$(differing_pixels "$OUT/$1.png" "$OUT/$2.png" "$3")" "$4" "$5" ]
}

# Pixels that differ between two images (optionally cropped: WxH+X+Y).
differing_pixels() {
    local a=$1 b=$2 crop=${3:-}
    if [ -n "$crop" ]; then
        convert "$a" -crop "$crop" +repage "$OUT/.a.png"
        convert "$b" -crop "$crop" +repage "$OUT/.b.png"
        a=$OUT/.a.png
        b=$OUT/.b.png
    fi
    compare -metric AE "$a" "$b" null: 2>&1 | cut -d' ' -f1
}

# Every top-level window of the Wine session, for a failure report.
open_windows() {  # WHEN
    echo "  windows $1 (handle, process, shown, enabled, class, caption):" >&2
    drv windows - | sed 's/^/    /' >&2
}

# Presses a button of a dialog or message box and waits until the window has gone.
close_window() {  # CAPTION BUTTON-ID
    drv click "$1" "$2" || { fail "no button $2 in \"$1\""; return 1; }
    drv gone "$1" 30000 && return 0
    fail "\"$1\" stayed open after button $2"
    open_windows "then"
    return 1
}

file_dialog() {  # CAPTION PATH: types the name into a file dialog and confirms it
    drv wait "$1" 30000 || { fail "no \"$1\" dialog"; return 1; }
    drv settext "$1" 1148 "$(wine_path "$2")" || return 1
    drv click "$1" 1
    drv gone "$1" 30000 || fail "\"$1\" dialog stayed open"
}

answer_prompt() {  # BUTTON-ID of the save prompt
    drv wait "$PROMPT" 30000 || { fail "no save prompt"; return 1; }
    expect_eq "$(drv text "$PROMPT" 65535)" "Programm speichern ?" "save prompt text"
    drv click "$PROMPT" "$1"
    drv gone "$PROMPT" 30000 || fail "save prompt stayed open"
}

# Bearbeiten: the property sheet, on its form page with form 1 (the "Name :" list, 690).
open_sheet() {
    menu b
    drv wait "$SHEET" 30000 || { fail "no property sheet on Bearbeiten"; return 1; }
    expect_eq "$(settled_text "$SHEET" 690)" "Maske  1" "form on show"
}

# New project, sheet closed with OK: the form page was shown, so the project is modified.
modify_by_new() {
    menu n
    drv wait "$SHEET" 30000 || { fail "no property sheet after Neu"; return 1; }
    expect_eq "$(drv enabled "$MAIN")" 0 "main window enabled while the sheet is open"
    drv click "$SHEET" 1
    drv gone "$SHEET" 30000 || fail "property sheet stayed open"
}

new_project_file() { "$BUILD/kest" new --force "$1" >/dev/null; }
# Speichern, waited for by the file's time: the program writes a new file and renames it
# over the old one, so a new time means the whole file is there.
save_project() {  # FILE
    touch -d '2000-01-01' "$1"
    menu s || return
    eventually 30 written_since_2000 "$1" || { fail "Speichern did not write $1"; return 1; }
}
written_since_2000() { [ "$(stat -c %Y "$1" 2>/dev/null || echo 0)" -gt 946684800 ]; }
# Writes bytes (octal escapes) at an offset of a file.
patch_bytes() { printf "$3" | dd of="$1" bs=1 seek="$2" conv=notrunc status=none; }

start_emulator() {  # [kestemu options]
    rm -rf "$OUT/state"
    mkdir -p "$OUT/state"
    "$BUILD/kestemu" --link "$OUT/terminal" --state "$OUT/state" --records "$OUT/records.txt" "$@" \
        >"$OUT/kestemu.log" 2>&1 &
    EMU_PID=$!
    eventually 30 grep -q "ready" "$OUT/kestemu.log" || { fail "kestemu did not start"; return 1; }
    # COM1-COM4 may be taken by the machine's own serial ports when Wine starts.
    wine_com_link 6 "$OUT/terminal"
}

stop_emulator() {
    if [ -n "$EMU_PID" ]; then
        kill "$EMU_PID" 2>/dev/null
        wait "$EMU_PID" 2>/dev/null
    fi
    EMU_PID=""
}

# A window's client area as the screen shows it, found by caption.
window_shot() {  # CAPTION NAME
    local left top right bottom
    read -r left top right bottom < <(drv client "$1")
    import -window root -crop "$((right - left))x$((bottom - top))+$left+$top" +repage "$OUT/$2.png"
}
# The sheet's page on show.
sheet_shot() { window_shot "$SHEET" "$1"; }  # NAME

e2e_cleanup() {
    stop_agkest
    stop_emulator
    wine_env_stop
}

e2e_run() {  # TEST...
    trap e2e_cleanup EXIT
    wine_env_start "$BUILD_WIN/e2e-wine" || exit 1
    local tests=("$@") t
    [ ${#ONLY[@]} -gt 0 ] && tests=("${ONLY[@]}")
    for t in "${tests[@]}"; do
        CURRENT=$t
        FAILED_NOW=0
        echo "== $t"
        # A name that is no test of this script (a typing error on the command line) ran
        # nothing: it fails instead of counting as passed.
        if declare -F "$t" >/dev/null && [[ $t == test_* ]]; then
            "$t"
        else
            fail "no test \"$t\" in $E2E_NAME"
        fi
        if [ "$FAILED_NOW" -eq 0 ]; then
            PASSES=$((PASSES + 1))
        else
            FAILURES+=("$t")
            import -window root "$OUT/$t-failed.png" 2>/dev/null
            open_windows "at the end of $t"
        fi
        stop_agkest
        stop_emulator
    done
    echo "$E2E_NAME e2e: $PASSES passed, ${#FAILURES[@]} failed ${FAILURES[*]:-}"
    [ ${#FAILURES[@]} -eq 0 ]
}
