#!/usr/bin/env bash
# End-to-end tests of "Lookupdatei laden" in agkest.exe under Wine with the data users have:
# a UTF-8 table (*.csv) goes through the layout dialog "Lookupdatei aus Tabelle" and the
# terminal (kestemu on COM6) stores its records in Windows-1252; a UTF-16 text file is
# refused before anything is sent.
#
#   tests/wine/lookup_csv_e2e.sh [BUILD_WIN [BUILD_NATIVE [TEST...]]]
#
# shellcheck source=agkest_lib.sh
source "$(dirname "$0")/agkest_lib.sh"
e2e_setup "$@"

TABLE_DIALOG="Lookupdatei aus Tabelle"
LOOKUP_DIRECT=3040

# A project on COM6 at 9600 bit/s whose first lookup may not be loaded and whose second
# divides three fields of at most 6, 20 and 8 characters by ';'.
lookup_project() {  # FILE
    new_project_file "$1.new"
    "$BUILD/kest" show --json "$1.new" | jq '.com |= {portIndex: 5, port: "COM6", rateIndex: 4, rate: "9600"}
      | .lookups[0].loadable = false
      | .lookups[1] |= (.fieldCount = 3 | .separator = 59 | .recordLength = 36
                        | .fields[0].length = 6 | .fields[1].length = 20 | .fields[2].length = 8)' > "$1.json"
    "$BUILD/kest" build --force "$1.json" -o "$1" >/dev/null || fail "kest build of the project failed"
}

test_utf8_table_through_the_layout_dialog() {
    lookup_project "$OUT/lager.agx"
    # An ERP export: UTF-8 with its mark, ';' between the cells, a header row, quotes.
    printf '\xef\xbb\xbfArtikelnummer;Bezeichnung des Artikels;Lagerplatz\r\n4711;Schraube M4 verzinkt;A-12\r\n4712;"Mutter; selbstsichernd";A-13\r\n4713;Scheibe \xc3\x98 4 gr\xc3\xbcn;B-01\r\n' \
        > "$OUT/artikel.csv"
    printf '4711;Schraube M4 verzinkt;A-12\r\n' > "$OUT/expected.txt"
    : > "$OUT/records.txt"
    start_emulator --direct || return
    start_agkest "$(wine_path "$OUT/lager.agx")" || return
    drv command "$MAIN" $LOOKUP_DIRECT
    file_dialog "Open" "$OUT/artikel.csv" || return
    drv wait "$TABLE_DIALOG" 30000 || { fail "no layout dialog for the table"; return; }
    expect_eq "$(settled_text "$TABLE_DIALOG" 601)" "2. Lookupdatei" "the first loadable lookup"
    expect_eq "$(drv text "$TABLE_DIALOG" 602)" "; (Semikolon)" "the table's separator"
    expect_eq "$(drv checked "$TABLE_DIALOG" 101)" 1 "header row found"
    # The quoted cell holds the lookup's separator: the table cannot be sent as it is.
    expect_eq "$(drv text "$TABLE_DIALOG" 401 | head -2 | tail -1)" \
        'Zeile 3, Spalte 2: "Mutter; selbstsichernd" enthält das Trennzeichen '"';'!" "problem of the table"
    expect_eq "$(drv enabled "$TABLE_DIALOG" 1)" 0 "Senden disabled"
    window_shot "$TABLE_DIALOG" table-refused
    close_window "$TABLE_DIALOG" 2 || return
    [ ! -e "$OUT/state/lookup-1.txt" ] || fail "a refused table reached the terminal"

    # Mended table: the dialog converts it and "Senden" sends it.
    printf '\xef\xbb\xbfArtikelnummer;Bezeichnung des Artikels;Lagerplatz\r\n4711;Schraube M4 verzinkt;A-12\r\n4712;"Mutter, sichernd";A-13\r\n4713;Scheibe \xc3\x98 4 gr\xc3\xbcn;B-01\r\n' \
        > "$OUT/artikel.csv"
    printf '4711;Schraube M4 verzinkt;A-12\r\n4712;Mutter, sichernd;A-13\r\n4713;Scheibe \xd8 4 gr\xfcn;B-01\r\n' \
        > "$OUT/expected.txt"
    drv command "$MAIN" $LOOKUP_DIRECT
    file_dialog "Open" "$OUT/artikel.csv" || return
    drv wait "$TABLE_DIALOG" 30000 || { fail "no layout dialog for the mended table"; return; }
    expect_eq "$(settled_text "$TABLE_DIALOG" 401)" "3 Datensätze" "records of the table"
    drv select "$TABLE_DIALOG" 601 2
    expect_eq "$(drv enabled "$TABLE_DIALOG" 1)" 0 "Senden disabled for a lookup without fields"
    drv select "$TABLE_DIALOG" 601 1
    expect_eq "$(drv text "$TABLE_DIALOG" 401)" "3 Datensätze" "records again"
    window_shot "$TABLE_DIALOG" table-dialog
    drv click "$TABLE_DIALOG" 1
    drv wait "Download" 60000 || { fail "no message at the end of the lookup download"; return; }
    expect_eq "$(drv text "Download" 65535)" "Downloaded komplett!" "download message"
    close_window "Download" 1
    cmp "$OUT/state/lookup-1.txt" "$OUT/expected.txt" || fail "the terminal stored other records, or none"
    stop_agkest
    stop_emulator
}

test_utf16_text_file_refused() {
    lookup_project "$OUT/lager16.agx"
    printf '\xff\xfe4\x007\x001\x001\x00;\x00a\x00\r\x00\n\x00' > "$OUT/utf16.txt"
    : > "$OUT/records.txt"
    start_emulator --direct --verbose || return
    start_agkest "$(wine_path "$OUT/lager16.agx")" || return
    drv command "$MAIN" $LOOKUP_DIRECT
    file_dialog "Open" "$OUT/utf16.txt" || return
    drv wait "Fehler" 30000 || { fail "no message for a UTF-16 file"; return; }
    expect_eq "$(drv text "Fehler" 65535)" \
        'Die Datei ist UTF-16-Text und kann nicht geladen werden! Als CSV-Datei (*.csv) laden oder mit "kest lookup-build" umwandeln.' \
        "UTF-16 message"
    close_window "Fehler" 1 || return
    main_back || { fail "the program did not come back after the message"; return; }
    [ ! -e "$OUT/state/lookup-1.txt" ] || fail "the UTF-16 file reached the terminal"
    ! grep -q handshake "$OUT/kestemu.log" || fail "the terminal was called for a refused file"
    stop_agkest
    stop_emulator
}

e2e_run test_utf8_table_through_the_layout_dialog test_utf16_text_file_refused
