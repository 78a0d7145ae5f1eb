#!/usr/bin/env bash
# End-to-end test of the settings page "Einstellungen" of agkest.exe and its dialogs
# "Tastatureinstellungen" and "Systemeinstellungen" under Wine: set everything on the real
# page and dialogs, save, and read the project back with kest show and kest image.
#
#   tests/wine/settings_e2e.sh [BUILD_WIN [BUILD_NATIVE [TEST...]]]
#
# shellcheck source=agkest_lib.sh
source "$(dirname "$0")/agkest_lib.sh"
e2e_setup "$@"

WEDGE="Tastatureinstellungen"
SYSTEM="Systemeinstellungen"
WARNING="Warnung"
SETTINGS_PAGE=4
OPTIONS_AT=18562  # ApplicationOptions in the download image
WEDGE_AT=18507    # KeyboardWedgeSettings

open_settings_page() {  # PROJECT
    start_agkest "$(wine_path "$1")" || return 1
    open_sheet || return 1
    drv tab "$SHEET" "$SETTINGS_PAGE"
    settled_text "$SHEET" 602 >/dev/null
}

PASSWORD_IN_FILE=$((18574 + 46))  # ApplicationOptions in the project file, then the password

# Runs a windriver step that makes the page warn; the warning is a modal message box,
# answered here while the step waits for it.
answer_warning() {  # EXPECTED-WARNING WHAT WINDRIVER-ARGUMENTS...
    local text=$1 what=$2
    shift 2
    drv "$@" &
    local step=$!
    if drv wait "$WARNING" 30000; then
        expect_eq "$(drv text "$WARNING" 65535)" "$text" "warning $what"
        close_window "$WARNING" 1
    else
        fail "no warning $what"
    fi
    wait "$step"
}

# Puts a text into the password field as a paste would.
paste_password() {  # TEXT EXPECTED-WARNING
    answer_warning "$2" "after \"$1\"" settext "$SHEET" 501 "$1"
}

# Closes the sheet with the button, saves the project under its name (waiting until the
# file has changed) and ends the program.
close_sheet_and_save() {  # BUTTON-ID FILE
    close_window "$SHEET" "$1"
    local before
    before=$(md5sum < "$2")
    menu s
    eventually 30 content_not "$before" "$2" || fail "Speichern did not write $2"
    stop_agkest
}
content_not() { [ "$(md5sum < "$2" 2>/dev/null)" != "$1" ]; }  # MD5 FILE

json() {  # FILE PYTHON-EXPRESSION over the project d
    "$BUILD/kest" show --json "$1" | python3 -c "import json,sys; d=json.load(sys.stdin); print($2)"
}

image_bytes() {  # IMAGE OFFSET COUNT: decimal bytes, space-separated
    od -An -tu1 -v -j "$2" -N "$3" "$1" | tr -s ' \n' ' ' | sed 's/^ //; s/ $//'
}

test_settings_reach_file_and_image() {
    new_project_file "$OUT/settings.agx"
    open_settings_page "$OUT/settings.agx" || return
    expect_eq "$(drv items "$SHEET" 601 | head -2 | tr '\n' '|')" " FN+0| FN+1|" "function key list"

    paste_password "ab cd" "ungueltiges Zeichen!!!"
    expect_eq "$(drv text "$SHEET" 501)" "abcd" "password after the invalid character"
    paste_password "geheim42abc" "Passwort zu lang!!!"
    expect_eq "$(drv text "$SHEET" 501)" "geheim42ab" "password cut to ten characters"
    drv settext "$SHEET" 501 "geheim42"
    drv check "$SHEET" 101 1
    drv check "$SHEET" 105 1
    drv select "$SHEET" 601 1
    drv select "$SHEET" 602 9
    drv select "$SHEET" 601 0
    expect_eq "$(drv selection "$SHEET" 602)" 0 "FN+0 keeps <leer>"
    drv select "$SHEET" 601 1
    expect_eq "$(drv text "$SHEET" 602)" "Programm laden" "FN+1 shown again"
    sheet_shot settings-page

    drv click "$SHEET" 201
    drv wait "$WEDGE" 30000 || { fail "no keyboard-wedge dialog"; return; }
    expect_eq "$(drv text "$WEDGE" 601)" "PCAT (German)" "keyboard type of a new project"
    drv select "$WEDGE" 601 31
    drv settext "$WEDGE" 501 "25"
    drv settext "$WEDGE" 502 "7x"
    expect_eq "$(drv text "$WEDGE" 502)" "0" "time-out that is not a number"
    drv settext "$WEDGE" 502 "7"
    drv check "$WEDGE" 101 1
    drv check "$WEDGE" 102 0
    drv check "$WEDGE" 303 1
    drv check "$WEDGE" 305 1
    drv check "$WEDGE" 308 1
    expect_eq "$(drv checked "$WEDGE" 307)" 0 "one capital-lock button"
    window_shot "$WEDGE" keyboard-wedge
    close_window "$WEDGE" 1

    drv click "$SHEET" 202
    drv wait "$SYSTEM" 30000 || { fail "no system settings dialog"; return; }
    expect_eq "$(drv enabled "$SYSTEM" 501)" 0 "telephone number field"
    expect_eq "$(drv enabled "$SYSTEM" 504)" 0 "backlight time while the backlight is off"
    drv select "$SYSTEM" 601 2
    drv select "$SYSTEM" 602 1
    drv select "$SYSTEM" 603 3
    drv select "$SYSTEM" 604 1
    expect_eq "$(drv enabled "$SYSTEM" 504)" 1 "backlight time while the backlight is on"
    drv settext "$SYSTEM" 504 "5"
    drv settext "$SYSTEM" 504 "12"
    expect_eq "$(drv text "$SYSTEM" 504)" "5" "backlight time above 9"
    drv select "$SYSTEM" 605 1
    drv select "$SYSTEM" 606 2
    drv settext "$SYSTEM" 506 "15"
    window_shot "$SYSTEM" system-settings
    drv click "$SYSTEM" 302
    expect_eq "$(drv text "$SYSTEM" 506)" "0" "acknowledge time after the key-press choice"
    expect_eq "$(drv enabled "$SYSTEM" 506)" 0 "acknowledge time field under the key-press choice"
    close_window "$SYSTEM" 1

    # The menu page's one file per form, shown after the settings page, stays with the OK.
    drv tab "$SHEET" 1
    drv check "$SHEET" 105 1
    close_sheet_and_save 1 "$OUT/settings.agx"

    local file=$OUT/settings.agx
    expect_eq "$(json "$file" "d['settings']['password']")" "geheim42" "saved password"
    expect_eq "$(json "$file" "d['settings']['separateFilePerForm']")" "True" "the menu page's byte"
    expect_eq "$(json "$file" "[i for i, f in enumerate(d['settings']['protectedArea']) if f]")" "[0, 4]" "protected areas"
    expect_eq "$(json "$file" "d['settings']['functionKeys']")" "[0, 9, 0, 0, 0, 0, 0, 0, 0, 0]" "function keys"
    expect_eq "$(json "$file" "[d['settings'][k] for k in ('sendPort', 'receivePort', 'terminalBaud', 'backlight', 'backlightOff', 'deleteAfterSend', 'ackDisplay', 'ackTime')]")" \
        "[2, 1, 3, True, 5, 1, 2, 0]" "system settings"
    expect_eq "$(json "$file" "[d['keyboardWedge'][k] for k in ('keyboardType', 'flags', 'charPause', 'linkTimeout', 'appendCrLf')]")" \
        "[31, 83, 25, 7, False]" "keyboard-wedge settings"

    "$BUILD/kest" image "$file" -o "$OUT/settings.bin" || { fail "kest image failed"; return; }
    # Re-coded: list indices from 1, the backlight time as a digit, the password in capitals;
    # the wedge type from 1 and its two-bit fields 1, 2 as 2, 3.
    expect_eq "$(image_bytes "$OUT/settings.bin" $((OPTIONS_AT + 5)) 1)" "3" "image send port"
    expect_eq "$(image_bytes "$OUT/settings.bin" $((OPTIONS_AT + 27)) 7)" "2 4 2 53 2 3 0" "image system settings"
    expect_eq "$(image_bytes "$OUT/settings.bin" $((OPTIONS_AT + 34)) 12)" "1 0 0 0 1 0 0 0 0 0 0 0" "image protected areas"
    expect_eq "$(dd if="$OUT/settings.bin" bs=1 skip=$((OPTIONS_AT + 46)) count=8 status=none)" "GEHEIM42" "image password"
    expect_eq "$(image_bytes "$OUT/settings.bin" $((OPTIONS_AT + 58)) 10)" "0 9 0 0 0 0 0 0 0 0" "image function keys"
    expect_eq "$(image_bytes "$OUT/settings.bin" "$WEDGE_AT" 5)" "32 93 25 7 0" "image keyboard-wedge settings"
}

# The keyboard-wedge dialog writes the project at its own OK: the sheet's Cancel keeps it,
# while the page's own changes go.
test_wedge_survives_sheet_cancel() {
    new_project_file "$OUT/cancel.agx"
    open_settings_page "$OUT/cancel.agx" || return
    drv click "$SHEET" 204
    drv click "$SHEET" 201
    drv wait "$WEDGE" 30000 || { fail "no keyboard-wedge dialog"; return; }
    drv select "$WEDGE" 601 5
    close_window "$WEDGE" 1
    close_sheet_and_save 2 "$OUT/cancel.agx"
    expect_eq "$(json "$OUT/cancel.agx" "d['keyboardWedge']['keyboardTypeName']")" "PCAT (Norwegian)" "wedge type after the sheet's Cancel"
    expect_eq "$(json "$OUT/cancel.agx" "any(d['settings']['protectedArea'])")" "False" "protected areas after the sheet's Cancel"
}

# A password from the file with a character the terminal does not take: the page warns as
# it opens and shows (and on OK stores) the password without it.
test_stored_password_checked_on_opening() {
    new_project_file "$OUT/stored.agx"
    patch_bytes "$OUT/stored.agx" "$PASSWORD_IN_FILE" 'ab cd'
    start_agkest "$(wine_path "$OUT/stored.agx")" || return
    open_sheet || return
    answer_warning "ungueltiges Zeichen!!!" "on opening the page" tab "$SHEET" "$SETTINGS_PAGE"
    expect_eq "$(settled_text "$SHEET" 501)" "abcd" "password shown"
    close_sheet_and_save 1 "$OUT/stored.agx"
    expect_eq "$(json "$OUT/stored.agx" "d['settings']['password']")" "abcd" "password saved"
}

e2e_run test_settings_reach_file_and_image test_wedge_survives_sheet_cancel test_stored_password_checked_on_opening
