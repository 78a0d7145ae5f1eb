#!/usr/bin/env bash
# End-to-end tests of the field detail dialogs of agkest.exe under Wine: from the form page,
# "mehr..." of a line sets a default value, a fill character and a prefix picked by clicks
# on the character grid, "Zeitzusatz" a stamp with a date separator; the saved project
# builds the record the terminal would. A second run cancels every dialog after edits and
# the saved project stays as it was.
#
#   tests/wine/detail_e2e.sh [BUILD_WIN [BUILD_NATIVE [TEST...]]]
#
# shellcheck source=agkest_lib.sh
source "$(dirname "$0")/agkest_lib.sh"
e2e_setup "$@"

# Form page (editor/form_page_ids.h): line 1's type, display text and "mehr...".
TYPE=601 PROMPT=501 MORE=201 STAMP=210 RECORD=695
ADVANCE="Eigenschaften"
GRID="The Grid Control"
STAMP_DLG="Datum & Zeit Einstellungen"

open_dialog() {  # BUTTON CAPTION
    drv click "$SHEET" "$1"
    drv wait "$2" 30000 || { fail "no \"$2\" dialog"; return 1; }
}

# A real click in the middle of a control (held a moment, as a finger would).
click_control() {  # CAPTION ID
    local left top right bottom
    read -r left top right bottom < <(drv rect "$1" "$2")
    xdotool mousemove $(((left + right) / 2)) $(((top + bottom) / 2)) mousedown 1
    sleep 0.1
    xdotool mouseup 1
}
text_is_not() { [ "$(drv text "$1" "$2")" != "$3" ]; }  # CAPTION ID TEXT

# Opens the grid from a prefix or suffix field and clicks cells (COLUMN:ROW, 0-15 each).
pick_codes() {  # FIELD-ID CELL...
    click_control "$ADVANCE" "$1"
    drv wait "$GRID" 30000 || { fail "no grid after a click on field $1"; return 1; }
    local left top right bottom w h cell result
    read -r left top right bottom < <(drv rect "$GRID" 401)
    w=$(((right - left) / 17))
    h=$(((bottom - top) / 17))
    shift
    for cell in "$@"; do
        result=$(drv text "$GRID" 402)
        xdotool mousemove $((left + (${cell%:*} + 1) * w + w / 2)) $((top + (${cell#*:} + 1) * h + h / 2)) mousedown 1
        sleep 0.1
        xdotool mouseup 1
        # The click reaches the grid through the screen, an OK after it through the program's
        # queue: the code must be in the result line before anything else is done.
        eventually 30 text_is_not "$GRID" 402 "$result" || { fail "cell $cell added no code"; return 1; }
    done
}

# Line 1 of form 1 as `kest show --json` reads it, and the form's stamp.
line_details() {  # FILE
    "$BUILD/kest" show --json "$1" | python3 -c '
import json, sys
f = json.load(sys.stdin)["forms"][0]
l = f["lines"][0]
print(l["typeName"], repr(l["default"]), l["prefix"], l["suffix"], l["fillChar"])
s = f["stamp"]
print(s["position"], repr(s["dateSeparator"]), s["hour"], s["minute"], s["second"])'
}

passdown() {  # FILE: the record of form 1 after Enter on the prefilled field
    "$BUILD/kest" simulate "$1" --keys 1,enter --time 2026-12-07T09:30:15 --json |
        python3 -c 'import json, sys; print(ascii(json.load(sys.stdin)["passdown"]))'
}

test_details_saved_and_simulated() {
    start_agkest || return
    open_sheet || return
    drv select "$SHEET" $TYPE 1
    drv settext "$SHEET" $PROMPT "Art:"
    drv select "$SHEET" $RECORD 3

    open_dialog $MORE "$ADVANCE" || return
    expect_eq "$(drv text "$ADVANCE" 401) $(drv text "$ADVANCE" 402)" "Maske #1 Zeile #1" "line of the dialog"
    expect_eq "$(drv enabled "$ADVANCE" 502)" 0 "default field before Voreinstellung"
    drv toggle "$ADVANCE" 102
    expect_eq "$(drv checked "$ADVANCE" 102),$(drv enabled "$ADVANCE" 502)" "1,1" "Voreinstellung on"
    drv settext "$ADVANCE" 502 "ABCDEFGHIJKL"
    expect_eq "$(drv text "$ADVANCE" 502)" "ABCDEFGHI" "a twelve-character default value"
    drv settext "$ADVANCE" 502 "42"
    drv toggle "$ADVANCE" 105
    drv settext "$ADVANCE" 505 "_x"
    expect_eq "$(drv text "$ADVANCE" 505)" "_" "a two-character fill"
    drv settext "$ADVANCE" 512 "abc"
    expect_eq "$(drv text "$ADVANCE" 512)" "1" "letters in the start position"
    drv toggle "$ADVANCE" 103
    # STX (column 00, row 02) and "#" (column 20, row 03); the header row takes no click.
    pick_codes 503 0:2 2:3 || return
    import -window root "$OUT/grid.png"
    expect_eq "$(drv text "$GRID" 402)" "[STX][#]" "result text of the grid"
    close_window "$GRID" 1
    expect_eq "$(drv text "$ADVANCE" 503)" "[STX][#]" "prefix field after the grid"
    import -window root "$OUT/advance.png"
    close_window "$ADVANCE" 1

    open_dialog $STAMP "$STAMP_DLG" || return
    drv select "$STAMP_DLG" 601 2
    drv settext "$STAMP_DLG" 505 "-/"
    expect_eq "$(drv text "$STAMP_DLG" 505)" "-" "a two-character separator"
    expect_eq "$(drv text "$STAMP_DLG" 901)" "Datumformat : JJJJ-MM-TT" "date preview"
    drv toggle "$STAMP_DLG" 111
    expect_eq "$(drv text "$STAMP_DLG" 902)" "Zeitformat : MM:SS" "time preview without the hour"
    import -window root "$OUT/stamp.png"
    close_window "$STAMP_DLG" 1

    drv click "$SHEET" 1
    drv gone "$SHEET" 30000 || fail "property sheet stayed open"
    menu u
    file_dialog "Save As" "$OUT/details.agx"
    eventually 30 test -f "$OUT/details.agx" || { fail "the project was not saved"; return; }
    line_details "$OUT/details.agx" > "$OUT/details.txt"
    diff -u - "$OUT/details.txt" >&2 <<'EOF' || fail "the saved line differs from what was entered"
Text '42' [2, 35] [] 95
2 '-' False True True
EOF
    # The terminal's record: prefix, default value, the field delimiter, then date and time.
    expect_eq "$(passdown "$OUT/details.agx")" "'\\x02#42;2026-12-07;30:15'" "record of the saved project"
    menu Up Return
    agkest_ended || fail "closing after Save As asked a question"
}

test_cancel_keeps_the_project() {
    new_project_file "$OUT/kept.agx"
    patch_bytes "$OUT/kept.agx" $((3535 + 29)) '\001'
    patch_bytes "$OUT/kept.agx" $((3535 + 341)) '\001'
    patch_bytes "$OUT/kept.agx" $((3535 + 349)) 'AB'
    patch_bytes "$OUT/kept.agx" $((3535 + 605)) '*'
    start_agkest "$(wine_path "$OUT/kept.agx")" || return
    # What the sheet's OK and Save make of the project without any dialog: the baseline.
    open_sheet || return
    drv click "$SHEET" 1
    drv gone "$SHEET" 30000 || fail "property sheet stayed open"
    save_project "$OUT/kept.agx" || return
    cp "$OUT/kept.agx" "$OUT/kept-before.agx"
    open_sheet || return

    open_dialog $MORE "$ADVANCE" || return
    expect_eq "$(drv text "$ADVANCE" 503)" "[A][B]" "stored prefix"
    expect_eq "$(drv checked "$ADVANCE" 105),$(drv text "$ADVANCE" 505)" "1,*" "stored fill"
    pick_codes 503 4:3 || return
    close_window "$GRID" 1
    expect_eq "$(drv text "$ADVANCE" 503)" "[A][B][C]" "prefix after the grid"
    drv toggle "$ADVANCE" 105
    drv toggle "$ADVANCE" 102
    drv settext "$ADVANCE" 502 "77"
    close_window "$ADVANCE" 2

    # Opened again: the line as it was; the grid's Cancel keeps the prefix too.
    open_dialog $MORE "$ADVANCE" || return
    expect_eq "$(drv text "$ADVANCE" 503),$(drv checked "$ADVANCE" 105)" "[A][B],1" "line after Cancel"
    pick_codes 503 4:4 || return
    close_window "$GRID" 2
    expect_eq "$(drv text "$ADVANCE" 503)" "[A][B]" "prefix after the grid's Cancel"
    close_window "$ADVANCE" 2

    open_dialog $STAMP "$STAMP_DLG" || return
    drv select "$STAMP_DLG" 601 1
    drv toggle "$STAMP_DLG" 102
    drv settext "$STAMP_DLG" 514 "-"
    close_window "$STAMP_DLG" 2

    # The sheet's OK: the form page commits its copy, which the dialogs left as it was.
    drv click "$SHEET" 1
    drv gone "$SHEET" 30000 || fail "property sheet stayed open"
    save_project "$OUT/kept.agx" || return
    cmp "$OUT/kept.agx" "$OUT/kept-before.agx" >&2 || fail "the project changed after the dialogs' Cancel"
}

e2e_run test_details_saved_and_simulated test_cancel_keeps_the_project
