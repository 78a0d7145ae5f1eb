#!/usr/bin/env bash
# End-to-end tests of the form page "Maske" of agkest.exe under Wine: a form defined
# through the page's real controls, committed with OK, run on the simulated terminal by
# clicks and saved; and a sheet cancelled after edits, which leaves the project as it was.
#
#   tests/wine/form_page_e2e.sh [BUILD_WIN [BUILD_NATIVE [TEST...]]]
#
# shellcheck source=agkest_lib.sh
source "$(dirname "$0")/agkest_lib.sh"
e2e_setup "$@"

# Control ids of the form page (editor/form_page_ids.h); line f adds f - 1.
TYPE=601 PROMPT=501 SOURCE=611 MIN=511 MAX=521 LOOKUP=621 MORE=201 NAME=690 FONT=691 RESET=211

# The fields of form 1's lines as `kest show --json` reads them from a saved project.
form_lines() {  # FILE
    "$BUILD/kest" show --json "$1" | python3 -c '
import json, sys
for l in json.load(sys.stdin)["forms"][0]["lines"]:
    if l["type"]:
        print(l["line"], l["typeName"], repr(l["prompt"]), l["sourceName"], l["minLength"], l["maxLength"], l["lookupKey"])'
}

test_form_defined_run_and_saved() {
    start_agkest || return
    open_sheet || return
    # Line 1: "Text", "Artikel:", keyboard, 2 to 8 characters.
    drv select "$SHEET" $TYPE 1
    drv settext "$SHEET" $PROMPT "Artikel:"
    drv select "$SHEET" $SOURCE 1
    drv settext "$SHEET" $MIN 2
    drv settext "$SHEET" $MAX 8
    # Line 2: "Ganzzahl", "Menge:", 1 to 4 digits.
    drv select "$SHEET" $((TYPE + 1)) 2
    drv settext "$SHEET" $((PROMPT + 1)) "Menge:"
    drv settext "$SHEET" $((MIN + 1)) 1
    drv settext "$SHEET" $((MAX + 1)) 4
    # The page's rules through the real edits: 60 is refused and the stored 4 shown again,
    # a letter becomes 0, a 21st character is cut.
    drv settext "$SHEET" $((MAX + 1)) 60
    expect_eq "$(drv text "$SHEET" $((MAX + 1)))" 4 "maximum after typing 60"
    drv settext "$SHEET" $((MIN + 2)) x
    expect_eq "$(drv text "$SHEET" $((MIN + 2)))" 0 "minimum after typing a letter"
    drv settext "$SHEET" $((PROMPT + 1)) "Menge in Stueck bitte:"
    expect_eq "$(drv text "$SHEET" $((PROMPT + 1)))" "Menge in Stueck bitt" "a 22-character text"
    drv settext "$SHEET" $((PROMPT + 1)) "Menge:"
    # The line rule: line 3 ("<leer>") has only its type, line 2 everything.
    expect_eq "$(drv enabled "$SHEET" $((PROMPT + 2))),$(drv enabled "$SHEET" $((TYPE + 2)))" "0,1" "empty line 3"
    expect_eq "$(drv enabled "$SHEET" $((LOOKUP + 1))),$(drv enabled "$SHEET" $((MORE + 1)))" "1,1" "integer line 2"
    # The large font disables lines 5-8 at once; the small one gives their types back.
    drv select "$SHEET" $FONT 1
    expect_eq "$(drv enabled "$SHEET" $((TYPE + 4))),$(drv enabled "$SHEET" $((TYPE + 7)))" "0,0" "lines 5 and 8 in the large font"
    drv select "$SHEET" $FONT 0
    expect_eq "$(drv enabled "$SHEET" $((TYPE + 7)))" 1 "line 8 in the small font"
    expect_eq "$(drv items "$SHEET" $((TYPE + 1)) | sed -n 10p)" "Überschrift" "the type list"
    sheet_shot form-page
    drv click "$SHEET" 1
    drv gone "$SHEET" 30000 || fail "property sheet stayed open"

    # The simulation restarted with the new form: key 1 starts it, "23" Enter, "5" Enter
    # stores the record, ESC returns to the start screen with the record counter at 1.
    settled_shot idle drawn idle
    press_key 1
    shot_until form pixels idle form 128x50+38+35 -gt 100
    [ "$(differing_pixels "$OUT/idle.png" "$OUT/form.png" 128x50+38+35)" -gt 100 ] || fail "key 1 did not start the form"
    press_key 2
    press_key 3
    press_key 16
    press_key 5
    press_key 16
    press_key 21
    shot_until done back_with_record idle done
    expect_eq "$(differing_pixels "$OUT/idle.png" "$OUT/done.png" 128x50+38+35)" 0 "start screen after ESC"
    [ "$(differing_pixels "$OUT/idle.png" "$OUT/done.png" 30x12+129+105)" -gt 0 ] || fail "no record was stored"

    menu u
    file_dialog "Save As" "$OUT/form.agx"
    eventually 30 test -f "$OUT/form.agx" || { fail "the project was not saved"; return; }
    form_lines "$OUT/form.agx" > "$OUT/lines.txt"
    diff -u - "$OUT/lines.txt" >&2 <<'EOF' || fail "the saved form differs from what was entered"
1 Text 'Artikel:' Tastatur 2 8 0
2 Ganzzahl 'Menge:' Beide 1 4 0
EOF
    # The saved project runs the same way without a window.
    local counter
    counter=$("$BUILD/kest" simulate "$OUT/form.agx" --keys 1,2,3,enter,5,enter,esc --json |
        python3 -c 'import json, sys; print(json.load(sys.stdin)["records"])')
    expect_eq "$counter" 1 "records of the saved project's simulation"
    # Saved: closing asks nothing.
    menu Up Return
    agkest_ended || fail "closing after Save As asked a question"
}

test_cancel_keeps_the_project() {
    new_project_file "$OUT/kept.agx"
    patch_bytes "$OUT/kept.agx" $((3535 + 29)) '\001\006'
    patch_bytes "$OUT/kept.agx" $((3535 + 37)) 'Lager:\000'
    cp "$OUT/kept.agx" "$OUT/kept-before.agx"
    start_agkest "$(wine_path "$OUT/kept.agx")" || return
    open_sheet || return
    # The Boolean line shows 1 and 1, then everything is edited and thrown away.
    expect_eq "$(drv text "$SHEET" $((MIN + 1))),$(drv text "$SHEET" $((MAX + 1)))" "1,1" "Boolean lengths"
    drv settext "$SHEET" $PROMPT "Regal:"
    drv select "$SHEET" $((TYPE + 2)) 9
    drv select "$SHEET" $FONT 1
    drv select "$SHEET" $NAME 4
    drv click "$SHEET" $RESET
    drv click "$SHEET" 2
    drv gone "$SHEET" 30000 || fail "property sheet stayed open"
    # Not modified: Save writes the same bytes, closing asks nothing.
    save_project "$OUT/kept.agx" || return
    cmp "$OUT/kept.agx" "$OUT/kept-before.agx" >&2 || fail "the project changed after Cancel"
    menu Up Return
    agkest_ended || fail "closing after Cancel asked a question"
}

e2e_run test_form_defined_run_and_saved test_cancel_keeps_the_project
