#include "project/defaults.h"

#include <cstddef>
#include <cstring>

#include "project/limits.h"

namespace kest {
namespace {

constexpr const char* kSignOnRows[4] = {
    "               ",
    "   Programm    ",
    "   Generator   ",
    "  Version 1.13 ",
};

// Default rows of the 26 text tables, in catalogue order, with as many rows as each table has.
constexpr const char* kTable0[] = {"1.Programm     ", "2.Daten senden ", "3.Utilities    ", "               "};
constexpr const char* kTable1[] = {"1. Einstellungen    ", "2. Daten ansehen    ", "3. Daten loeschen   ",
                                   "4. Scannertest      ", "5. Datum/Zeit setzen", "6. PGM Update       ",
                                   "7. Speicher/Energie ", "8. Lookupdatei laden"};
constexpr const char* kTable2[] = {"Daten loeschen:", "1. Alle Daten  ", "2. Letzter Satz", "3. Zurueck     "};
constexpr const char* kTable3[] = {"Sicher?        ", "1. Ja          ", "2. Nein        ", "               "};
constexpr const char* kTable4[] = {"Frei:          ", "-Energiestatus-", "Akku  :        ", "Backup:        "};
constexpr const char* kTable5[] = {"Empfangen:     ", "1. Lookupdatei ", "2. Lookupdatei ", "3. Lookupdatei ",
                                   "Alle Lookups   ", " 1 = Weiter    ", " 2 = Abbruch   "};
constexpr const char* kTable6[] = {"---EINSTELLUNGEN--- ", "1.Sendeport         ", "2.Empfangsport      ",
                                   "3.Baudrate          ", "4.Hintergrundlicht  ", "5.Loeschoptionen    ",
                                   "6.Quittierungsoption", "7.Alle Einstellungen"};
constexpr const char* kTable7[] = {"Daten senden via:   ", "1. RS232-Kabel      ", "2. Cradle an RS232  ",
                                   "3. IrDA             ", "4. Tastatur         ", "                    "};
constexpr const char* kTable8[] = {"Programm/Lookupdatei", "empfangen via:      ", "1. RS232-Kabel      ",
                                   "2. Cradle an RS232  ", "3. IrDA             ", "                    "};
constexpr const char* kTable9[] = {"Baudrate: 115200 bps", "Baudrate:  57600 bps", "Baudrate:  38400 bps",
                                   "Baudrate:  19200 bps", "Baudrate:   9600 bps"};
constexpr const char* kTable10[] = {"  manuell EIN       ", "  bei Aktion EIN    ", " Dann automatisch   ",
                                    "   aus nach _0 sek  "};
constexpr const char* kTable11[] = {"Daten loeschen nach ", "Uebertragung:       ", "1. manuell          ",
                                    "2. automatisch      "};
constexpr const char* kTable12[] = {"1.Keine Quittierung ", "2.Recordzaehler     ", "3.Record zeigen     ",
                                    "                    ", " Quittierung auf dem", " Display : __00 ms  "};
constexpr const char* kTable13[] = {
    "Senden:             ", "Empfangen:          ", "Baudrate:           ", "Hintergrundl:       ",
    "Dauer:              ", "Loeschen:           ", "Quittierung:        ", "Dauer:              "};
constexpr const char* kTable14[] = {"Systemfehler !!", "Please call for", "service !!     "};
constexpr const char* kTable15[] = {"Alle (einzeln) ", "Alle (zusammen)", "Naechste Datei:", " 1 = Weiter    ",
                                    " 2 = Abbruch   "};
constexpr const char* kTable16[] = {"                    ", "                    ", "                    ",
                                    "                    "};
constexpr const char* kTable17[] = {"Aktualisiert...", "Eingefuegt...  ", " Speicher voll!", " ESC druecken  ",
                                    " Ausgabe OK!!  "};
constexpr const char* kTable18[] = {"Satz loeschen ?", "7= Ja   9= Nein", "Sicher ?       ", "1= Ja   3= Nein",
                                    "Daten geloescht"};
constexpr const char* kTable19[] = {"Uebertragung OK", "Loeschen...    ", "Alle Daten     "};
constexpr const char* kTable20[] = {"Passwort :     ", " ungueltig !!! "};
constexpr const char* kTable21[] = {"Verbinden...   ", "               ", "Fuer Abbruch   ", "ESC druecken   "};
constexpr const char* kTable22[] = {"               ", "               ", "               "};
constexpr const char* kTable23[] = {"Datentyp falsch!    ", "Barcode zu kurz!    ", "Barcode zu lang!    ",
                                    "Praefix falch!      ", "Daten nicht gefunden", "Taste druecken...   "};
constexpr const char* kTable24[] = {"Downloading... ", "Download OK!   ", "Downloadfehler ", "Bitte warten...",
                                    "Sende Daten... ", "Uebertragen:   ", "Fertig         ", "Time Out!!!    "};
constexpr const char* kTable25[] = {"FN+<:Edit  FN+>:Del ", "[ Enter ] = Auswahl ", "[ ESC ]   = Abbruch "};

constexpr const char* const* kDefaultRows[kTextTableCount] = {
    kTable0,  kTable1,  kTable2,  kTable3,  kTable4,  kTable5,  kTable6,  kTable7,  kTable8,
    kTable9,  kTable10, kTable11, kTable12, kTable13, kTable14, kTable15, kTable16, kTable17,
    kTable18, kTable19, kTable20, kTable21, kTable22, kTable23, kTable24, kTable25,
};

// Large-title rows: each is the whole content of its own cell.
constexpr const char* kLarge1[] = {"1.Einstellungen ", "2.Daten ansehen ", "3.Daten loeschen", "4.Scannertest   ",
                                   "5.Datum/Zeit    ", "6.PGM Update    ", "7.Speicher/Akku ", "8.Lookup laden  "};
constexpr const char* kLarge6[] = {"[Einstellungen]",  "1.Sendeschnittst", "2.Empfang   ''  ", "3.Baudrate      ",
                                   "4.Beleuchtung   ", "5.Loeschoptionen", "6.Quittierungopt", "7.alle Einst.   "};
constexpr const char* kLarge7[] = {"Daten senden   ", "1.RS232-Kabel  ", "2.Cradle RS232 ",
                                   "3.IrDA         ", "4.Tastatur     ", "               "};
constexpr const char* kLarge8[] = {"Daten empfangen", "1.RS232-Kabel  ", "2.Cradle RS232 ", "3.IrDA         ",
                                   "               "};
constexpr const char* kLarge9[] = {"1.115200 bps   ", "2. 57600 bps   ", "3. 38400 bps   ", "4. 19200 bps   ",
                                   "5.  9600 bps   "};
constexpr const char* kLarge10[] = {"Hintergr.BL AUS", "Hintergr.BL EIN", "Dauer:         ", "  _0 sek       "};
constexpr const char* kLarge11[] = {"Daten loeschen ", "nach Empfang   ", "1.Manuaell     ", "2.Automatisch  "};
constexpr const char* kLarge12[] = {"1.Keine        ", "2.Zaehler zeigen", "3.Daten zeigen ", "  fuer __00ms  "};
constexpr const char* kLarge13[] = {
    "Sendeport:     ", "Empfangsport:  ", "Baudrate:      ", "Beleuchtung:   ", "Daten loeschen:", "Eintrittsopt.: "};
constexpr const char* kLarge16[] = {"Via: MODEM     ", "Telefonnummer: "};
constexpr const char* kLarge23[] = {"Datenty falsch ", "Satz zu kurz!  ", "Satz zu lang!  ", "Falscher Code! ",
                                    "Nicht gefunden!"};
constexpr const char* kLarge25[] = {"FN<:Ed  FN>:Del", "[Enter]:Auswahl", "[ ESC ]:Abbruch"};

struct LargeTitleRows {
    const char* const* rows;
    int count;
};

template <std::size_t N>
constexpr LargeTitleRows large(const char* const (&rows)[N]) {
    return {rows, static_cast<int>(N)};
}

constexpr LargeTitleRows kLargeRows[kTextTableCount] = {
    {},
    large(kLarge1),
    {},
    {},
    {},
    {},
    large(kLarge6),
    large(kLarge7),
    large(kLarge8),
    large(kLarge9),
    large(kLarge10),
    large(kLarge11),
    large(kLarge12),
    large(kLarge13),
    {},
    {},
    large(kLarge16),
    {},
    {},
    {},
    {},
    {},
    {},
    large(kLarge23),
    {},
    large(kLarge25),
};

bool valid_row(int table, int row) {
    return table >= 0 && table < kTextTableCount && row >= 0 && row < text_table_info(table).rows;
}

// Writes text into a cell and clears the rest of it.
void fill_cell(char* cell, std::size_t size, const char* text) { copy_cell(cell, size, text, std::strlen(text)); }

template <std::size_t N>
void clear(char (&cell)[N]) {
    std::memset(cell, 0, N);
}
template <std::size_t N>
void clear(u8 (&slot)[N]) {
    std::memset(slot, 0, N);
}

}  // namespace

void barcode_defaults(Project& project) {
    u8* b = project.barcode.bytes;
    b[0] = 0x9B;
    b[1] = 0xC9;
    b[2] &= 0x01;
    b[5] = 0x2D;
    b[6] = 0x54;
    b[7] = static_cast<u8>((b[7] & 0x07) | 0x80);
    b[9] = 0x19;
    b[10] = 0x3D;
    b[11] &= 0x20;
    constexpr u8 kLengthsToTimeout[] = {0xFF, 0x01, 0xFE, 0x01, 0xFF, 0x01, 0xFF, 0x01, 0x66, 0x03, 0x03};
    std::memcpy(b + 12, kLengthsToTimeout, sizeof kLengthsToTimeout);
}

void lookup_defaults(LookupRecord& l) {
    l.recordLength = 0;
    l.fieldCount = 0;
    l.keyField = 0;
    std::memset(l.fieldStart, 1, sizeof l.fieldStart);
    std::memset(l.fieldLength, 0, sizeof l.fieldLength);
    l.separator = 0;
    l.loadable = 1;
    l.notFoundAction = 0;
}

void line_defaults(FormRecord& f, int line) {
    f.lineLookupKey[line] = 0;
    f.lineType[line] = kFieldEmpty;
    clear(f.prompt[line]);
    f.lineSource[line] = 2;
    f.minLength[line] = 0;
    f.maxLength[line] = kMaxFieldLength;
    f.fixedLengthOn[line] = 0;
    f.justify[line] = 0;
    f.fixedLength[line] = 0;
    f.defaultOn[line] = 0;
    clear(f.defaultValue[line]);
    f.prefixOn[line] = 0;
    clear(f.prefix[line]);
    f.suffixOn[line] = 0;
    clear(f.suffix[line]);
    f.substringOn[line] = 0;
    f.substringStart[line] = 0;
    f.substringCount[line] = 20;
    f.checkPrefixOn[line] = 0;
    clear(f.checkPrefix[line]);
    f.autoEnter[line] = 1;
    f.fillChar[line] = 0;
    clear(f.lineData[line]);
}

void menu_defaults(MenuRecord& m) {
    m.font = 0;
    m.titleEnabled = 0;
    clear(m.title);
    for (auto& item : m.items) clear(item);
    m.escTarget = jump::kStartScreen;
    std::memset(m.itemTarget, 0, sizeof m.itemTarget);
    m.saveTitle = 0;
    m.saveItemSeparately = 0;
    m.saveItemInEachRecord = 0;
    m.itemCount = 0;
    m.currentItem = 0;
    m.runtime = 0;
}

void form_defaults(FormRecord& f, u8 nextTarget) {
    f.font = 0;
    f.escTarget = jump::kStartScreen;
    f.nextTarget = nextTarget;
    // Stamp: none, date and time split, year in four digits, month, day and time parts
    // on, separated by '.' and ':'.
    constexpr u8 kStamp[16] = {0, 1, 1, 0, 1, 1, 1, '.', 0, 0, 1, 1, 1, 1, ':', 0};
    std::memcpy(reinterpret_cast<u8*>(&f) + offsetof(FormRecord, stampPosition), kStamp, sizeof kStamp);
    f.recordAction = kRecordStore;
    f.lookupFile = 0;
    for (int line = 0; line < kFormLines; ++line) line_defaults(f, line);
    f.entryLineCount = 0;
    f.currentLine = 0;
}

void project_defaults(Project& project) {
    std::memset(project.version.tag, 0, sizeof project.version.tag);
    std::memcpy(project.version.tag, kProjectTag, sizeof kProjectTag);

    for (int k = 0; k < kFormCount; ++k) form_defaults(project.forms[k], jump::form(k));

    for (MenuRecord& m : project.menus) menu_defaults(m);

    for (LookupRecord& l : project.lookups) lookup_defaults(l);

    KeyboardWedgeSettings& w = project.wedge;
    w.keyboardType = 2;  // "PCAT (German)"
    w.wedgeFlags = 0;
    w.charPause = 0;
    w.linkTimeout = 0;
    w.appendCrLf = 1;

    ApplicationOptions& o = project.options;
    o.optionByte = 1;
    o.startObject = 0;
    o.delimiter1 = ';';
    o.delimiter2 = 0;
    o.separateFilePerForm = 0;
    o.sendPort = 1;
    o.phoneNumber[0] = '\0';
    o.receivePort = 1;
    o.terminalBaud = 0;
    o.backlight = 0;
    o.backlightOff = 2;
    o.deleteAfterSend = 0;
    o.ackDisplay = 1;
    o.ackTime = 6;
    std::memset(o.protectedArea, 0, sizeof o.protectedArea);
    std::memset(o.password, 0, sizeof o.password);
    std::memset(o.functionKey, 0, sizeof o.functionKey);

    for (int row = 0; row < 4; ++row) fill_cell(project.signOn.rows[row], kCell15, kSignOnRows[row]);
    text_defaults(project, false);
}

void reset_to_defaults(Project& project) {
    barcode_defaults(project);
    project_defaults(project);
}

const char* sign_on_default_row(int row) { return row >= 0 && row < 4 ? kSignOnRows[row] : ""; }

const char* default_text_row(int table, int row) { return valid_row(table, row) ? kDefaultRows[table][row] : ""; }

int large_title_row_count(int table) { return table >= 0 && table < kTextTableCount ? kLargeRows[table].count : 0; }

const char* large_title_row(int table, int row) {
    return row >= 0 && row < large_title_row_count(table) ? kLargeRows[table].rows[row] : "";
}

const char* title_default_row(int table, int row, bool largeTitles) {
    if (largeTitles && row < large_title_row_count(table)) return large_title_row(table, row);
    return default_text_row(table, row);
}

bool title_switch_replaces(int table, int row, bool largeTitles) {
    if (!valid_row(table, row) || large_title_row_count(table) == 0) return false;
    return largeTitles ? row < large_title_row_count(table) : true;
}

void apply_large_titles(Project& project, bool largeTitles) { apply_large_titles(project.texts, largeTitles); }

void apply_large_titles(TextTables& texts, bool largeTitles) {
    for (int table = 0; table < kTextTableCount; ++table) {
        const TextTableInfo& info = text_table_info(table);
        for (int row = 0; row < info.rows; ++row)
            if (title_switch_replaces(table, row, largeTitles))
                fill_cell(text_cell(texts, table, row), info.cellSize, title_default_row(table, row, largeTitles));
    }
}

void text_defaults(Project& project, bool largeTitles) { text_defaults(project.texts, largeTitles); }

void text_defaults(TextTables& texts, bool largeTitles) {
    for (int table = 0; table < kTextTableCount; ++table) {
        const TextTableInfo& info = text_table_info(table);
        for (int row = 0; row < info.rows; ++row)
            fill_cell(text_cell(texts, table, row), info.cellSize, default_text_row(table, row));
    }
    if (largeTitles) apply_large_titles(texts, true);
}

}  // namespace kest
