#!/usr/bin/env bash
# End-to-end tests of the lookup page, the barcode page and the symbology dialogs of
# agkest.exe under Wine: what the pages and dialogs write reaches the saved project and
# the download image, and changes that survive the sheet's Cancel are not lost silently.
#
#   tests/wine/lookup_barcode_e2e.sh [BUILD_WIN [BUILD_NATIVE [TEST...]]]
#
# shellcheck source=agkest_lib.sh
source "$(dirname "$0")/agkest_lib.sh"
e2e_setup "$@"

LOOKUP_PAGE=2
BARCODE_PAGE=3
EAN8="EAN 8 Parameter"
INDUSTRIAL="Industrial 2/5 Parameter"

open_sheet() {
    menu b
    drv wait "$SHEET" 30000 || { fail "no property sheet on Bearbeiten"; return 1; }
}

close_sheet() { close_window "$SHEET" "$1"; }  # BUTTON: 1 OK, 2 Cancel

open_parameters() {  # BUTTON CAPTION
    drv click "$SHEET" "$1"
    drv wait "$2" 30000 || { fail "\"$2\" did not open"; return 1; }
}

json() { jq -c "$1" "$OUT/show.json"; }

test_pages_and_dialogs_reach_project_and_image() {
    local project=$OUT/pages.agx
    new_project_file "$project"
    start_agkest "$(wine_path "$project")" || return
    open_sheet || return

    # Lookup file 1: three fields divided by ';' (code 59) of max lengths 5, 10 and 3.
    drv tab "$SHEET" "$LOOKUP_PAGE" || { fail "no lookup page"; return; }
    expect_eq "$(drv items "$SHEET" 690 | tr '\n' '|')" "1. Lookupdatei|2. Lookupdatei|3. Lookupdatei|" "lookup files"
    expect_eq "$(settled_text "$SHEET" 401)" "   Länge" "length label in fixed-length mode"
    drv select "$SHEET" 601 3
    expect_eq "$(drv enabled "$SHEET" 513)$(drv enabled "$SHEET" 514)" "10" "rows enabled by the field count"
    drv settext "$SHEET" 511 5
    drv settext "$SHEET" 512 10
    drv settext "$SHEET" 513 3
    drv check "$SHEET" 312 1
    drv settext "$SHEET" 519 59
    drv check "$SHEET" 303 1
    expect_eq "$(drv text "$SHEET" 401)" "Max Länge" "length label in separator mode"
    expect_eq "$(drv enabled "$SHEET" 509)$(drv enabled "$SHEET" 501)$(drv enabled "$SHEET" 519)" "001" \
        "record length and start positions disabled, separator enabled"
    sheet_shot lookup-page

    # Barcode page: Code 39 off, then one option in each of two parameter dialogs.
    drv tab "$SHEET" "$BARCODE_PAGE" || { fail "no barcode page"; return; }
    expect_eq "$(settled_text "$SHEET" 601)" "Laser" "scan mode"
    expect_eq "$(drv checked "$SHEET" 101)" 1 "Code 39 enabled by default"
    drv toggle "$SHEET" 101
    expect_eq "$(drv checked "$SHEET" 101)" 0 "Code 39 box after the click"
    sheet_shot barcode-page
    open_parameters 216 "$EAN8" || return
    expect_eq "$(drv checked "$EAN8" 101)$(drv checked "$EAN8" 102)" "01" "EAN 8 options at the defaults"
    drv toggle "$EAN8" 101
    close_window "$EAN8" 1
    open_parameters 204 "$INDUSTRIAL" || return
    expect_eq "$(drv text "$INDUSTRIAL" 401)" "Max Länge :" "label of length 1 at the defaults"
    drv check "$INDUSTRIAL" 304 1
    expect_eq "$(drv text "$INDUSTRIAL" 401)|$(drv text "$INDUSTRIAL" 402)" "feste Länge 1:|feste Länge 2:" \
        "labels of fixed lengths"
    drv settext "$INDUSTRIAL" 501 20
    drv settext "$INDUSTRIAL" 502 8
    window_shot "$INDUSTRIAL" industrial25-dialog
    close_window "$INDUSTRIAL" 1
    close_sheet 1
    save_project "$project" || return

    "$BUILD/kest" show --json "$project" > "$OUT/show.json" || { fail "kest show failed"; return; }
    expect_eq "$(json '.lookups[0] | [.separator, .fieldCount, .recordLength, .keyField]')" "[59,3,20,3]" \
        "lookup file 1: separator, fields, record length, key field"
    expect_eq "$(json '[.lookups[0].fields[0:3][] | [.start, .length]]')" "[[1,5],[7,10],[18,3]]" \
        "lookup file 1: start positions and lengths"
    expect_eq "$(json '.lookups[1].separator')" 0 "lookup file 2 untouched"
    # Code 39 off (byte 0 0x9B -> 0x1B), "zu EAN13 konvertieren" (byte 11 bit 7), Industrial
    # 2/5 with fixed lengths 20 and 8 (bytes 12, 13); the rest at the defaults.
    local barcode="[27,201,0,0,0,45,84,128,0,25,61,128,20,8,254,1,255,1,255,1,102,3,3]"
    expect_eq "$(json '.barcode')" "$barcode" "barcode settings"

    # The image carries the barcode settings at 0 and the lookup files at 15673.
    "$BUILD/kest" image "$project" -o "$OUT/image.bin" >/dev/null || { fail "kest image failed"; return; }
    expect_eq "$(od -An -tu1 -v -j0 -N23 "$OUT/image.bin" | tr -s ' \n' ',' | sed 's/^,//; s/,$//')" \
        "${barcode:1:-1}" "barcode bytes in the image"
    expect_eq "$(od -An -tu1 -j15673 -N22 "$OUT/image.bin" | tr -s ' \n' ' ' | sed 's/^ //; s/ $//')" \
        "20 3 2 1 7 18 1 1 1 1 1 5 10 3 0 0 0 0 0 59 1 0" "lookup file 1 in the image"
    stop_agkest
}

# A parameter dialog writes at its OK; the sheet's Cancel keeps that change, and Ende then
# asks to save it. The COM port dialog does not mark the project.
test_change_behind_cancel_asks_to_save() {
    local project=$OUT/cancel.agx
    new_project_file "$project"
    cp "$project" "$OUT/cancel-before.agx"
    start_agkest "$(wine_path "$project")" || return
    menu c
    drv wait "$COM_DIALOG" 30000 || { fail "no COM port dialog"; return; }
    drv select "$COM_DIALOG" 601 2
    drv click "$COM_DIALOG" 1
    drv gone "$COM_DIALOG" 30000
    open_sheet || return
    drv tab "$SHEET" "$BARCODE_PAGE" || { fail "no barcode page"; return; }
    drv toggle "$SHEET" 101
    open_parameters 216 "$EAN8" || return
    drv toggle "$EAN8" 102
    close_window "$EAN8" 1
    close_sheet 2
    menu Up Return
    answer_prompt 2
    main_back || { fail "Cancel of the save prompt ended the program"; return; }
    save_project "$project" || return
    "$BUILD/kest" show --json "$project" > "$OUT/show.json" || { fail "kest show failed"; return; }
    # Code 39 stays on (the page's box went with Cancel); EAN 8 check digit off (byte 10 bit 3).
    expect_eq "$(json '.barcode[0,10]' | tr '\n' ' ')" "155 53 " "barcode bytes 0 and 10 after the Cancel"
    expect_eq "$(json '.com.portIndex')" 2 "COM port"
    # Saved: Ende asks nothing. A sheet cancelled without changes leaves it so.
    open_sheet || return
    close_sheet 2
    menu Up Return
    agkest_ended || fail "Ende after saving did not end the program"
    stop_agkest

    # Only the COM port changed: Ende asks nothing.
    start_agkest "$(wine_path "$OUT/cancel-before.agx")" || return
    menu c
    drv wait "$COM_DIALOG" 30000 || { fail "no COM port dialog"; return; }
    drv select "$COM_DIALOG" 601 4
    drv click "$COM_DIALOG" 1
    drv gone "$COM_DIALOG" 30000
    menu Up Return
    agkest_ended || fail "a COM port change alone made Ende ask"
    stop_agkest
}

# Every "Parameter" button opens its dialog, whose template has the controls of its table.
test_every_parameter_dialog() {
    start_agkest || return
    open_sheet || return
    drv tab "$SHEET" "$BARCODE_PAGE" || { fail "no barcode page"; return; }
    local entry button caption ids got
    for entry in "201|Code 39 Parameter|101 102 103 104" "202|Italian Pharmacode Parameter|101" \
        "203|French Pharmacode Parameter|101" \
        "204|Industrial 2/5 Parameter|101 102 301 302 303 304 305 401 402 501 502" \
        "205|Interleave 2/5 Parameter|101 102 301 302 303 304 305 401 402 501 502" \
        "206|Matrix 2/5 Parameter|101 102 301 302 303 304 305 401 402 501 502" \
        "207|Codabar Parameter|301 302 303 304 305" \
        "208|MSI Parameter|301 302 303 304 305 306 307 308 401 402 501 502" \
        "209|Plessey Parameter|101 102" "213|UPCE Parameter|101 102 103" "216|EAN 8 Parameter|101 102" \
        "219|EAN 13 und UPCA Parameter|101 102 103 104 105 106" "223|Telepen Parameter|301 302"; do
        IFS='|' read -r button caption ids <<<"$entry"
        open_parameters "$button" "$caption" || continue
        got=$(drv list "$caption" | cut -f1 | awk '$1 > 100 && $1 < 600' | sort -n | tr '\n' ' ')
        expect_eq "${got% }" "$ids" "controls of \"$caption\""
        close_window "$caption" 2
    done
    close_sheet 2
    stop_agkest
}

e2e_run test_pages_and_dialogs_reach_project_and_image test_change_behind_cancel_asks_to_save \
    test_every_parameter_dialog
