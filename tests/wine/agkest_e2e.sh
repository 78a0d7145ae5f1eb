#!/usr/bin/env bash
# End-to-end tests of agkest.exe under Wine and Xvfb: the terminal picture, the popup
# menu, the main window's commands and dialogs, the simulation and the transfers through
# a Wine COM port that points at kestemu.
#
#   tests/wine/agkest_e2e.sh [BUILD_WIN [BUILD_NATIVE [TEST...]]]
#
# shellcheck source=agkest_lib.sh
source "$(dirname "$0")/agkest_lib.sh"
e2e_setup "$@"

# ---------------------------------------------------------------------------- tests

test_startup_screen() {
    start_agkest || return
    expect_eq "$(drv rect "$MAIN")" "300 50 500 509" "main window rectangle"
    drawn_shot startup
    convert "$ROOT/resources/agkest/500.bmp" "$OUT/picture.png"
    # Keys and case are the bitmaps unchanged; the display shows text over the glass.
    expect_eq "$(differing_pixels "$OUT/startup.png" "$OUT/picture.png" 200x280+0+140)" 0 "pixels changed below the display"
    local text
    text=$(differing_pixels "$OUT/startup.png" "$OUT/picture.png" 128x85+38+35)
    [ "$text" -gt 300 ] || fail "the display shows almost nothing ($text pixels)"
    # The clock colon blinks: the clock line does not look the same all second long (the
    # pause between the looks is what is tested: twelve looks spread over that second).
    local i
    for i in $(seq 1 12); do
        import -window root -crop "120x12+$((LEFT + 39))+$((TOP + 105))" +repage "$OUT/.clock$i.png"
        sleep 0.12
    done
    local looks
    looks=$(md5sum "$OUT"/.clock*.png | cut -d' ' -f1 | sort -u | wc -l)
    [ "$looks" -ge 2 ] || fail "the clock line never changed in 1.4 s"
    local menuText
    menuText=$(drv resmenu "$(wine_path "$BUILD_WIN/agkest.exe")" PopMenuKEST | tr '\t' '|')
    diff <(echo "$menuText") "$ROOT/tests/wine/popmenu.expected" >&2 || fail "PopMenuKEST differs"
    stop_agkest
}

test_popup_menu() {
    start_agkest || return
    origin
    right_click 120 160
    local rect
    rect=$(drv popup - 30000) || fail "no popup menu on the right button"
    expect_eq "$(echo "$rect" | cut -d' ' -f1-2)" "$((LEFT + 120)) $((TOP + 160))" "popup at the clicked point"
    xdotool key Escape
    drv nopopup - 30000 || fail "Escape did not close the popup menu"
    # The power key opens it on release, at the key's top-left corner.
    press_key 14
    rect=$(drv popup - 30000) || fail "no popup menu on the power key"
    expect_eq "$(echo "$rect" | cut -d' ' -f1-2)" "$((LEFT + 79)) $((TOP + 403))" "popup at the power key"
    xdotool key Escape
    drv nopopup - 30000 || fail "Escape did not close the popup menu"
    press_key 13
    # No popup within a second: a key that opens nothing can only be checked by looking a while.
    if drv popup - 1000 >/dev/null 2>&1; then
        fail "ALPHA opened the popup menu"
        xdotool key Escape
    fi
    stop_agkest
}

test_drag_moves_window() {
    start_agkest || return
    origin
    # y = 320 lies between two keypad rows: no key, a drag, moved in steps as a hand moves it.
    xdotool mousemove $((LEFT + 100)) $((TOP + 320)) mousedown 1
    sleep 0.1
    xdotool mousemove $((LEFT + 130)) $((TOP + 340))
    sleep 0.1
    xdotool mousemove $((LEFT + 150)) $((TOP + 350))
    sleep 0.1
    xdotool mouseup 1
    eventually 30 main_at "350 80 550 539"
    expect_eq "$(drv rect "$MAIN")" "350 80 550 539" "window after the drag"
    stop_agkest
}

main_at() { [ "$(drv rect "$MAIN")" = "$1" ]; }  # LEFT TOP RIGHT BOTTOM

# A picture of the key's rectangle (W H X Y in the window) that shows the bitmap.
key_shows() {  # NAME W H X Y BITMAP
    import -window root -crop "$2x$3+$((LEFT + $4))+$((TOP + $5))" +repage "$OUT/$1.png"
    [ "$(differing_pixels "$OUT/$1.png" "$6")" = 0 ]
}

# A held key shows its pressed image, a released one its released image, pixel for pixel.
test_key_images() {
    start_agkest || return
    origin
    local code x y
    # Keys that start nothing on the start screen (Enter would start the program).
    for code in 5 19 23; do
        read -r x y w h < <(case $code in 5) echo 79 322 41 23 ;; 19) echo 83 241 33 24 ;; 23) echo 118 263 34 32 ;; esac)
        xdotool mousemove $((LEFT + KEY_X[code])) $((TOP + KEY_Y[code])) mousedown 1
        eventually 20 key_shows "key$code-down" "$w" "$h" "$x" "$y" "$ROOT/resources/agkest/$((523 + code)).bmp"
        xdotool mouseup 1
        eventually 20 key_shows "key$code-up" "$w" "$h" "$x" "$y" "$ROOT/resources/agkest/$((500 + code)).bmp"
        expect_eq "$(differing_pixels "$OUT/key$code-down.png" "$ROOT/resources/agkest/$((523 + code)).bmp")" 0 \
            "key $code held"
        expect_eq "$(differing_pixels "$OUT/key$code-up.png" "$ROOT/resources/agkest/$((500 + code)).bmp")" 0 \
            "key $code released"
    done
    stop_agkest
}

test_new_and_save_as() {
    start_agkest || return
    # Not modified: Neu asks nothing and opens the sheet on a default project.
    modify_by_new
    local name
    for name in demo lower.agx notes.txt; do
        menu u
        file_dialog "Save As" "$OUT/$name"
    done
    # The program saves after the dialog has gone, one name after the other.
    eventually 30 test -f "$OUT/notes.txt.AGX"
    # The dialog adds the default extension itself (in the case it likes); the program
    # adds ".AGX" to any name that does not end in it.
    local file
    for file in "$(cd "$OUT" && ls | grep -ix demo.agx)" lower.agx notes.txt.AGX; do
        if [ -n "$file" ] && [ -f "$OUT/$file" ]; then
            expect_eq "$(stat -c %s "$OUT/$file")" 18942 "size of $file"
            expect_eq "$(head -c 10 "$OUT/$file" | od -An -c | tr -s ' ')" " K E S T - 1 . 0 0 \\0" "tag of $file"
        else
            fail "${file:-demo.AGX} was not written"
        fi
    done
    [ ! -e "$OUT/notes.txt" ] || fail "notes.txt written without .AGX"
    # Saved: closing asks nothing.
    menu Up Return
    agkest_ended || fail "Ende after Save As did not end the program"
    stop_agkest
}

test_open_projects() {
    new_project_file "$OUT/current.agx"
    patch_bytes "$OUT/current.agx" 10 '\003\002'
    # An older project: tag, port and rate indices, zero tables.
    head -c 10510 /dev/zero > "$OUT/older.agx"
    patch_bytes "$OUT/older.agx" 0 'Qvx-4.00\002\001'
    start_agkest || return
    local file port rate
    for file in current older; do
        case $file in current) port=3 rate=2 ;; older) port=2 rate=1 ;; esac
        menu Down Down Return
        file_dialog "Open" "$OUT/$file.agx"
        drv wait "$SHEET" 30000 || fail "no property sheet after opening $file"
        drv click "$SHEET" 2
        drv gone "$SHEET" 30000
        menu c
        drv wait "$COM_DIALOG" 30000 || fail "no COM port dialog"
        expect_eq "$(drv selection "$COM_DIALOG" 601)" "$port" "port of the $file project"
        expect_eq "$(drv selection "$COM_DIALOG" 602)" "$rate" "rate of the $file project"
        drv click "$COM_DIALOG" 2
        drv gone "$COM_DIALOG" 30000
    done
    # The converted project has no name: Save asks for one.
    menu s
    drv wait "Save As" 30000 || fail "Save of a converted project did not ask for a name"
    drv click "Save As" 2
    drv gone "Save As" 30000
    stop_agkest
}

test_save_prompt_answers() {
    start_agkest || return
    modify_by_new
    # Cancel: the program stays.
    menu Up Return
    answer_prompt 2
    main_back || fail "Cancel ended the program"
    # Yes on a project without a name, Save As cancelled: nothing is lost, the program stays.
    menu Up Return
    answer_prompt 6
    drv wait "Save As" 30000 || fail "Yes did not ask for a name"
    drv click "Save As" 2
    drv gone "Save As" 30000
    main_back || fail "a cancelled Save As ended the program"
    # No: ends without saving.
    menu Up Return
    answer_prompt 7
    agkest_ended || fail "No did not end the program"
    stop_agkest

    # Yes with a name: the project is written, then the program ends.
    new_project_file "$OUT/prompt.agx"
    touch -d '2000-01-01' "$OUT/prompt.agx"
    start_agkest "$(wine_path "$OUT/prompt.agx")" || return
    menu b
    drv wait "$SHEET" 30000 || fail "no property sheet on Bearbeiten"
    drv click "$SHEET" 1
    drv gone "$SHEET" 30000
    menu Up Return
    answer_prompt 6
    agkest_ended || fail "Yes did not end the program"
    [ "$(stat -c %Y "$OUT/prompt.agx")" -gt 946684800 ] || fail "Yes did not save the project"
    expect_eq "$(stat -c %s "$OUT/prompt.agx")" 18942 "size of the saved project"
    stop_agkest
}

test_com_port_dialog() {
    start_agkest || return
    menu c
    drv wait "$COM_DIALOG" 30000 || { fail "no COM port dialog"; stop_agkest; return; }
    expect_eq "$(settled_text "$COM_DIALOG" 601)" "COM1" "first port"
    expect_eq "$(settled_text "$COM_DIALOG" 602)" "115200" "first rate"
    drv select "$COM_DIALOG" 601 2
    drv select "$COM_DIALOG" 602 4
    drv click "$COM_DIALOG" 1
    drv gone "$COM_DIALOG" 30000
    menu c
    drv wait "$COM_DIALOG" 30000
    expect_eq "$(settled_text "$COM_DIALOG" 601)" "COM3" "port kept"
    expect_eq "$(settled_text "$COM_DIALOG" 602)" "9600" "rate kept"
    drv click "$COM_DIALOG" 2
    drv gone "$COM_DIALOG" 30000
    # The COM port dialog does not mark the project: closing asks nothing.
    menu Up Return
    agkest_ended || fail "closing after the COM port dialog asked a question"
    stop_agkest
}

test_download_and_upload() {
    printf '4711,Schrauben\r\n0815,Muttern\r\n12345678,Unterlegscheiben M8\r\n' | tr -d '\r' > "$OUT/records.txt"
    new_project_file "$OUT/transfer.agx"
    patch_bytes "$OUT/transfer.agx" 10 '\005\004'   # COM6, 9600
    "$BUILD/kest" image "$OUT/transfer.agx" -o "$OUT/expected-image.bin" --force >/dev/null
    start_emulator --direct || return
    start_agkest "$(wine_path "$OUT/transfer.agx")" || return
    menu p d
    drv wait "Download" 60000 || fail "no message at the end of the download"
    expect_eq "$(drv text "Download" 65535)" "Downloaded komplett!" "download message"
    drv click "Download" 1
    if [ -f "$OUT/state/image.bin" ]; then
        cmp "$OUT/state/image.bin" "$OUT/expected-image.bin" || fail "the terminal received another image"
    else
        fail "the terminal received no image"
    fi

    drv command "$MAIN" 3030
    file_dialog "Save As" "$OUT/received.txt"
    drv wait "Upload Data" 60000 || fail "no question at the end of the upload"
    drv click "Upload Data" 7
    drv gone "Upload Data" 30000
    if [ -f "$OUT/received.txt" ]; then
        cmp <(tr -d '\r' < "$OUT/received.txt") "$OUT/records.txt" || fail "received records differ"
        expect_eq "$(grep -c $'\r$' "$OUT/received.txt")" 3 "CR LF line ends"
    else
        fail "no data file"
    fi
    stop_agkest
    stop_emulator
}

# Nothing the user had is lost: an upload that times out without records keeps the old
# data file, and Save over a read-only project says so and keeps the file.
test_failures_keep_files() {
    printf 'alter Datensatz\r\n' > "$OUT/kept.txt"
    cp "$OUT/kept.txt" "$OUT/kept.before"
    : > "$OUT/records.txt"
    new_project_file "$OUT/kept.agx"
    patch_bytes "$OUT/kept.agx" 10 '\005\004'   # COM6, 9600
    start_emulator --direct --faults silence=60000@1 || return
    start_agkest "$(wine_path "$OUT/kept.agx")" || return
    drv command "$MAIN" 3030
    drv wait "Save As" 30000 || fail "no Save As dialog for the upload"
    drv settext "Save As" 1148 "$(wine_path "$OUT/kept.txt")"
    drv click "Save As" 1
    # The dialog asks before an existing file is chosen (a box without a caption of its own).
    drv wait "Error" 30000 || fail "no question before replacing the data file"
    drv click "Error" 6
    drv gone "Save As" 30000 || fail "the Save As dialog stayed open"
    drv wait "Error" 30000 || fail "no time-out message"
    expect_eq "$(drv text "Error" 65535)" "Time out!" "time-out message"
    drv click "Error" 1
    drv wait "Upload Data" 30000 || fail "no message after the upload"
    expect_eq "$(drv text "Upload Data" 65535)" "Keine Daten empfangen!" "message after the upload"
    drv click "Upload Data" 1
    drv gone "Upload Data" 30000
    cmp -s "$OUT/kept.txt" "$OUT/kept.before" || fail "the upload without records changed the data file"
    stop_emulator

    cp "$OUT/kept.agx" "$OUT/kept.agx.before"
    chmod 444 "$OUT/kept.agx"
    menu s
    drv wait "Fehler" 30000 || fail "no message for the failed save"
    expect_eq "$(drv text "Fehler" 65535)" "Datei kann nicht gespeichert werden!" "failed-save message"
    drv click "Fehler" 1
    drv gone "Fehler" 30000
    cmp -s "$OUT/kept.agx" "$OUT/kept.agx.before" || fail "Save replaced the read-only project"
    [ ! -w "$OUT/kept.agx" ] || [ "$(stat -c %a "$OUT/kept.agx")" = 444 ] || fail "the project is no longer read-only"
    chmod 644 "$OUT/kept.agx"
    stop_agkest
}

test_cradle_download_and_lookup() {
    new_project_file "$OUT/cradle.agx"
    patch_bytes "$OUT/cradle.agx" 10 '\005\001'   # COM6, 57600: the cradle is switched from 9600
    "$BUILD/kest" image "$OUT/cradle.agx" -o "$OUT/expected-image.bin" --force >/dev/null
    printf '4711;Schrauben M6\r\n0815;Muttern M6\r\n' > "$OUT/lookup.txt"   # lines end in CR
    : > "$OUT/records.txt"
    start_emulator --cradle-rate 9600 || return
    start_agkest "$(wine_path "$OUT/cradle.agx")" || return
    menu p c
    drv wait "Download" 60000 || fail "no message at the end of the cradle download"
    expect_eq "$(drv text "Download" 65535)" "Downloaded komplett!" "cradle download message"
    drv click "Download" 1
    drv gone "Download" 30000
    cmp -s "$OUT/state/image.bin" "$OUT/expected-image.bin" || fail "the terminal received another image"
    drv command "$MAIN" 3041
    file_dialog "Open" "$OUT/lookup.txt"
    drv wait "Download" 60000 || fail "no message at the end of the lookup download"
    drv click "Download" 1
    if [ -f "$OUT/state/lookup-1.txt" ]; then
        cmp "$OUT/state/lookup-1.txt" "$OUT/lookup.txt" || fail "the terminal stored another lookup file"
    else
        fail "the terminal received no lookup file"
    fi
    stop_agkest
    stop_emulator
}

test_engine_form_and_record() {
    # Default project: form 1 has no input field, so it cannot start; "Neu" follows.
    start_agkest || return
    press_key 1
    drv wait "Programm nicht ausfuehrbar" 30000 || fail "no message for a program that cannot start"
    expect_eq "$(drv text "Programm nicht ausfuehrbar" 65535)" "Bitte Programm auswaehlen!" "message text"
    drv click "Programm nicht ausfuehrbar" 1
    drv wait "$SHEET" 30000 || fail "no property sheet from the posted Neu"
    drv click "$SHEET" 2
    drv gone "$SHEET" 30000
    stop_agkest

    # Form 1 with one text field: enter "23", Enter completes the record.
    new_project_file "$OUT/form.agx"
    patch_bytes "$OUT/form.agx" $((3535 + 29)) '\001'
    patch_bytes "$OUT/form.agx" $((3535 + 37)) 'Artikel:\000'
    start_agkest "$(wine_path "$OUT/form.agx")" || return
    drawn_shot engine-idle
    press_key 13
    shot engine-start
    expect_eq "$(differing_pixels "$OUT/engine-idle.png" "$OUT/engine-start.png" 7x8+154+90)" 0 \
        "ALPHA on the start screen"
    press_key 1
    shot_until engine-form pixels engine-start engine-form 128x50+38+35 -gt 100
    local changed
    changed=$(differing_pixels "$OUT/engine-start.png" "$OUT/engine-form.png" 128x50+38+35)
    [ "$changed" -gt 100 ] || fail "key 1 did not start the form"
    # ALPHA toggles the "A" indicator in form input; outside it (start screen, above) it did nothing.
    local indicator=7x8+154+90
    expect_eq "$(differing_pixels "$OUT/engine-start.png" "$OUT/engine-form.png" $indicator)" 0 "indicator before ALPHA"
    press_key 13
    shot_until engine-alpha pixels engine-form engine-alpha $indicator -gt 0
    [ "$(differing_pixels "$OUT/engine-form.png" "$OUT/engine-alpha.png" $indicator)" -gt 0 ] ||
        fail "ALPHA in form input did not show the indicator"
    press_key 13
    shot_until engine-numeric pixels engine-form engine-numeric $indicator -eq 0
    expect_eq "$(differing_pixels "$OUT/engine-form.png" "$OUT/engine-numeric.png" $indicator)" 0 "indicator after a second ALPHA"
    press_key 2
    press_key 3
    shot_until engine-typed pixels engine-form engine-typed 128x85+38+35 -gt 20
    changed=$(differing_pixels "$OUT/engine-form.png" "$OUT/engine-typed.png" 128x85+38+35)
    [ "$changed" -gt 20 ] || fail "typing did not show in the field"
    # Enter completes the record; the form starts again for the next one, ESC leaves it.
    press_key 16
    shot_until engine-next pixels engine-form engine-next 128x85+38+35 -eq 0
    expect_eq "$(differing_pixels "$OUT/engine-form.png" "$OUT/engine-next.png" 128x85+38+35)" 0 \
        "empty form after the record"
    press_key 21
    shot_until engine-done back_with_record engine-start engine-done
    expect_eq "$(differing_pixels "$OUT/engine-start.png" "$OUT/engine-done.png" 128x50+38+35)" 0 \
        "start screen after ESC"
    # The record counter (last five characters of the clock line) went from 00000 to 00001.
    changed=$(differing_pixels "$OUT/engine-start.png" "$OUT/engine-done.png" 30x12+129+105)
    [ "$changed" -gt 0 ] || fail "the record counter did not change"
    stop_agkest
}

# ---------------------------------------------------------------------------- runner

e2e_run test_startup_screen test_popup_menu test_drag_moves_window test_key_images test_new_and_save_as \
    test_open_projects test_save_prompt_answers test_com_port_dialog test_download_and_upload \
    test_failures_keep_files test_cradle_download_and_lookup test_engine_form_and_record
