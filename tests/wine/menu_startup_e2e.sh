#!/usr/bin/env bash
# End-to-end test of the menu page ("Benutzermenü") and the startup page ("Startup") of
# agkest.exe under Wine: a menu and the start settings entered on the real pages, then run
# on the simulated terminal, saved, shown by kest and turned into the download image.
#
#   tests/wine/menu_startup_e2e.sh [BUILD_WIN [BUILD_NATIVE [TEST...]]]
#
# shellcheck source=agkest_lib.sh
source "$(dirname "$0")/agkest_lib.sh"
e2e_setup "$@"

MENU_PAGE=1
STARTUP_PAGE=5

# The display area of the terminal picture; line L of the small font is 10 pixels high
# from y = 35 + 10 L.
display_line() { echo "128x10+38+$((35 + 10 * $1))"; }
UPPER=128x50+38+35   # the start screen without its clock line


# Sets an edit field and reads it back.
enter_text() {  # ID TEXT
    drv settext "$SHEET" "$1" "$2" || fail "control $1 not found"
    expect_eq "$(drv text "$SHEET" "$1")" "$2" "text of $1"
}

build_menu_one() {
    drv tab "$SHEET" $MENU_PAGE || { fail "no menu page"; return 1; }
    expect_eq "$(settled_text "$SHEET" 690)" "Menü  1" "menu shown first"
    drv check "$SHEET" 101 1
    expect_eq "$(drv enabled "$SHEET" 591)" 1 "title edit enabled by its check box"
    enter_text 591 "Hauptmenue"
    enter_text 501 "1.Erfassung"
    enter_text 502 "2.Untermenue"
    enter_text 503 "3.Ende"
    drv select "$SHEET" 601 1    # "Maske  1"
    drv select "$SHEET" 602 12   # "Menü  2"
    drv select "$SHEET" 603 0    # "Startmaske"
    expect_eq "$(drv text "$SHEET" 602)" "Menü  2" "target of item 2"
    # A 21st character of a small-font item does not stay.
    drv settext "$SHEET" 504 "ABCDEFGHIJKLMNOPQRSTU"
    expect_eq "$(drv text "$SHEET" 504)" "ABCDEFGHIJKLMNOPQRST" "item cut to 20 characters"
    drv settext "$SHEET" 504 ""
    # One file per form: storing the title as a record puts the item in each record.
    drv check "$SHEET" 105 1
    drv check "$SHEET" 102 1
    expect_eq "$(drv checked "$SHEET" 104)" 1 "item in each record follows"
    expect_eq "$(drv enabled "$SHEET" 104)" 0 "item in each record is not a choice"
    sheet_shot menu-page
}

set_startup() {
    drv tab "$SHEET" $STARTUP_PAGE || { fail "no startup page"; return 1; }
    expect_eq "$(settled_text "$SHEET" 690)" "Maske 1" "start object first shown"
    drv select "$SHEET" 690 1
    expect_eq "$(drv text "$SHEET" 690)" "Menü 1" "start object"
    # Both boxes of a delimiter follow each other.
    drv settext "$SHEET" 503 "#"
    expect_eq "$(drv text "$SHEET" 501)" "35" "code of #"
    drv settext "$SHEET" 501 "59"
    expect_eq "$(drv text "$SHEET" 503)" ";" "character of 59"
    expect_eq "$(drv selection "$SHEET" 601)" 1 "one delimiter"
    expect_eq "$(drv enabled "$SHEET" 502)" 0 "second delimiter disabled"
    drv check "$SHEET" 101 1
    expect_eq "$(drv items "$SHEET" 610 | sed -n 24p)" "Fehlermeldungen (5x15)" "label with large titles"
    drv select "$SHEET" 610 1
    # The static shows "&&" as one ampersand.
    expect_eq "$(drv text "$SHEET" 415)" "5. Datum && Zeit setzen" "guide with a doubled ampersand"
    expect_eq "$(drv text "$SHEET" 511)" "1.Einstellungen " "large-title row of the utilities"
    # The texts of another project, and its title setting.
    drv click "$SHEET" 201
    file_dialog "Open" "$OUT/source.agx" || return 1
    expect_eq "$(drv selection "$SHEET" 610)" 0 "main menu shown after the import"
    expect_eq "$(drv text "$SHEET" 511)" "1.Start" "imported row"
    expect_eq "$(drv checked "$SHEET" 101)" 1 "imported large titles"
    sheet_shot startup-page
}

test_menu_and_startup_pages() {
    # The project: form 1 with one text line. The import source: its own main menu row,
    # an error message and large titles.
    new_project_file "$OUT/menu.agx"
    patch_bytes "$OUT/menu.agx" $((3535 + 29)) '\001'
    patch_bytes "$OUT/menu.agx" $((3535 + 37)) 'Artikel:\000'
    new_project_file "$OUT/source.agx"
    patch_bytes "$OUT/source.agx" 16115 '1.Start\000'
    patch_bytes "$OUT/source.agx" 18202 'Falsche Daten\000'
    patch_bytes "$OUT/source.agx" $((18574 + 68)) '\001'

    start_agkest "$(wine_path "$OUT/menu.agx")" || return
    menu b
    drv wait "$SHEET" 30000 || { fail "no property sheet on Bearbeiten"; return; }
    build_menu_one
    set_startup
    drv click "$SHEET" 1
    drv gone "$SHEET" 30000 || fail "property sheet stayed open"

    # The simulated terminal: key 1 starts menu 1, its items lead where they were sent.
    settled_shot start drawn start
    press_key 1
    settled_shot menu1 pixels start menu1 $UPPER -gt 0
    press_key 2
    settled_shot menu2 pixels menu1 menu2 "" -gt 0
    local line changed
    for line in 0 1 2 3; do
        changed=$(differing_pixels "$OUT/menu1.png" "$OUT/menu2.png" "$(display_line $line)")
        [ "$changed" -gt 10 ] || fail "line $line of menu 1 shows nothing ($changed pixels)"
    done
    # Below the third item (whose letters reach 3 pixels into the next line) as in the empty menu 2.
    expect_eq "$(differing_pixels "$OUT/menu1.png" "$OUT/menu2.png" 128x37+38+78)" 0 "menu 1 below its third item"
    press_key 21   # ESC of menu 2: the start screen
    settled_shot back pixels start back $UPPER -eq 0
    expect_eq "$(differing_pixels "$OUT/start.png" "$OUT/back.png" $UPPER)" 0 "start screen after ESC"
    press_key 1
    settled_shot menu1-again pixels menu1 menu1-again "" -eq 0
    expect_eq "$(differing_pixels "$OUT/menu1.png" "$OUT/menu1-again.png")" 0 "menu 1 again"
    press_key 1
    settled_shot form1 pixels menu1 form1 128x80+38+35 -gt 50
    [ "$(differing_pixels "$OUT/menu1.png" "$OUT/form1.png" 128x80+38+35)" -gt 50 ] || fail "item 1 did not start form 1"
    # Each step waited for, so that the start screen at the end is item 3's doing.
    press_key 21
    settled_shot item3-esc pixels start item3-esc $UPPER -eq 0
    press_key 1
    settled_shot item3-menu pixels menu1 item3-menu "" -eq 0
    press_key 3
    settled_shot item3 pixels start item3 $UPPER -eq 0
    expect_eq "$(differing_pixels "$OUT/start.png" "$OUT/item3.png" $UPPER)" 0 "item 3 leads to the start screen"

    save_project "$OUT/menu.agx" || return
    local show
    show=$("$BUILD/kest" show --json "$OUT/menu.agx") || { fail "kest show refused the saved project"; return; }
    expect_eq "$(jq -c '.menus[0] | [.titleEnabled, .title, .saveTitle, .saveItemInEachRecord]' <<<"$show")" \
        '[true,"Hauptmenue",true,true]' "menu 1"
    expect_eq "$(jq -c '[.menus[0].items[] | select(.text != "") | [.text, .target.code]]' <<<"$show")" \
        '[["1.Erfassung",1],["2.Untermenue",12],["3.Ende",0]]' "items of menu 1"
    expect_eq "$(jq -c '.settings | [.startObject, .delimiter1, .delimiter2, .separateFilePerForm, .largeTitles]' <<<"$show")" \
        '[1,59,0,true,true]' "start settings"
    expect_eq "$(jq -r '.texts.tables[0].rows[0], .texts.tables[23].rows[0]' <<<"$show" | tr '\n' '|')" \
        "1.Start|Falsche Daten|" "imported texts"

    "$BUILD/kest" image "$OUT/menu.agx" -o "$OUT/image.bin" >/dev/null || { fail "kest image failed"; return; }
    image_text() { dd if="$OUT/image.bin" bs=1 skip="$1" count="$2" status=none | tr '\0' '|'; }
    expect_eq "$(image_text $((23 + 2)) 21)" "Hauptmenue          |" "title in the image"
    expect_eq "$(image_text $((23 + 23 + 21)) 21)" "2.Untermenue        |" "item 2 in the image"
    expect_eq "$(od -An -tu1 -j $((23 + 234)) -N3 "$OUT/image.bin" | tr -s ' ')" " 1 12 0" "targets in the image"
    expect_eq "$(od -An -tu1 -j $((18562 + 1)) -N4 "$OUT/image.bin" | tr -s ' ')" " 11 59 0 1" \
        "start object (menu 1), delimiters and one file per form in the image"
    expect_eq "$(od -An -tu1 -j $((18562 + 68)) -N1 "$OUT/image.bin" | tr -s ' ')" " 1" "large titles in the image"
    expect_eq "$(image_text 16103 16)" "1.Start        |" "main menu row in the image"
    stop_agkest
}

e2e_run test_menu_and_startup_pages
