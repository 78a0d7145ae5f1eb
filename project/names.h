// The names of the coded values of the project tables, as the generator lists them
// (Windows-1252). Used by list boxes and by the readable views of a project.
#pragma once

#include <cstddef>
#include <iterator>
#include <string>
#include <vector>

#include "project/project.h"

namespace kest::names {

inline constexpr const char* kFieldTypes[] = {
    "<leer>",
    "Text",
    "Ganzzahl",
    "Realzahl",
    "Buchstabe",
    "auto(+/-)",
    "Boolean",
    "Lookup",
    "fixe Daten",
    ("\xDC"
     "berschrift"),
    "Z\xE4hler",
    "pass down",
    "Erweiterung",
};
inline constexpr const char* kRecordActions[] = {
    "speichern", "update Lookup", "speichern & update", "pass down", "output record", "output screen",
};
inline constexpr const char* kLineSources[] = {"Scanner", "Tastatur", "Beide"};
inline constexpr const char* kJustify[] = {
    "linksb\xFCndig (mit Leerzeichen aufgef\xFCllt)",
    "rechtsb\xFCndig (mit Leerzeichen aufgef\xFCllt)",
    "linksb\xFCndig (mit '0' aufgef\xFCllt)",
    "rechtsb\xFCndig (mit '0' aufgef\xFCllt)",
};
inline constexpr const char* kStampPositions[] = {"<leer>", "vor den Datensatz", "an das Ende des Datensatzes"};
inline constexpr const char* kYearDigits[] = {"4 Stellen (JJJJ)", "2 Stellen (JJ)"};
inline constexpr const char* kDateOrders[] = {"Jahr.Monat.Tag", "Monat.Tag.Jahr", "Tag.Monat.Jahr"};
inline constexpr const char* kLookupFiles[] = {"<leer>", "1. Lookupdatei", "2. Lookupdatei", "3. Lookupdatei"};
inline constexpr const char* kNotFoundActions[] = {
    "Weiter",
    "Warnung anzeigen",
    "Einfuegen in Lookupdatei",
    "Warnung anzeigen & einfuegen",
};
// BarcodeSettings byte 20 bits 7-4 ("Scanmodus :") and byte 11 bits 3-2 ("Dekodiersicherheit :").
inline constexpr const char* kScanModes[] = {
    "Auto Off", "Continuous", "Auto Power Off", "Alternate", "Momentary", "Repeat", "Laser", "Test", "Aiming",
};
inline constexpr const char* kDecodeSecurity[] = {"Standard", "Einfach", "Zweifach", "Dreifach"};
inline constexpr const char* kSendPorts[] = {"RS232-Kabel", "Cradle an RS232", "IrDA", "Tastatur"};
inline constexpr const char* kReceivePorts[] = {"RS232-Kabel", "Cradle an RS232", "IrDA"};
// The generator's ports (ComSelection's portIndex).
inline constexpr const char* kComPorts[] = {"COM1", "COM2", "COM3", "COM4", "COM5", "COM6"};
inline constexpr const char* kProtectedAreas[] = {
    "Einstellungen",
    "Daten editieren",
    "Daten l\xF6schen (manuell)",
    "Datum/Uhrzeit \xE4ndern",
    "Programm laden",
    "Lookupdatei laden",
    "Sendeport",
    "Empfangsport",
    "Baudrate",
    "Hintergrundbeleuchtung",
    "Daten l\xF6schen (nach senden)",
    "Quittierungsoptionen",
};

// The terminal's own settings, as the system settings dialog lists them (its rate list is
// terminal_rates()).
inline constexpr const char* kBacklight[] = {"AUS", "EIN"};
inline constexpr const char* kDeleteAfterSend[] = {"Manuell", "Automatisch"};
inline constexpr const char* kAckDisplays[] = {"keine Anzeige", "Zaehler zeigen", "Rekord zeigen"};
// What a function key FN+0 to FN+9 starts on the terminal ("Daten loeschen" twice: two
// different functions).
inline constexpr const char* kTerminalFunctions[] = {
    "<leer>",
    "Programm",
    "Daten senden",
    "Utilities",
    "Prog. Eistellungen",
    "Daten ansehen",
    "Daten loeschen",
    "Scannertest",
    "Datum/Zeit setzen",
    "Programm laden",
    "Memory & Power",
    "Lookupdatei laden",
    "Uploadport",
    "Downloadport",
    "Baudrate",
    "Hintergrundbeleuchtung",
    "Daten loeschen",
    "Quittierungen",
    "alle Einstellungen",
};
// The host keyboards and terminals a keyboard wedge can play.
inline constexpr const char* kKeyboardTypes[] = {
    "PCAT (USA)",
    "PCAT (French)",
    "PCAT (German)",
    "PCAT (Italian)",
    "PCAT (Swedish)",
    "PCAT (Norwegian)",
    "PCAT (UK)",
    "PCAT (Belgium)",
    "PCAT (Spanish)",
    "PCAT (Portuguese)",
    "PS55 A01-1",
    "PS55 A01-2",
    "PS55 A01-3",
    "PS55 001-1",
    "PS55 001-81",
    "PS55 001-2",
    "PS55 001-82",
    "PS55 001-3",
    "PS55 001-8A",
    "PS55 002-1, 003-1",
    "PS55 002-81, 003-81",
    "PS55 002-2, 003-2",
    "PS55 002-82, 003-82",
    "PS55 002-3, 003-3",
    "PS55 002-8A, 003-8A",
    "IBM 3477 TYPE 4",
    "PS2-30",
    "Memorex Telex 122 Keys",
    "PCXT",
    "IBM 5550",
    "Macintosh (ADB)",
    "PCAT (Swiss)",
};

static_assert(std::size(kTerminalFunctions) == 19 && std::size(kKeyboardTypes) == 32);

// The name of a value, or its number in parentheses when the list has no such entry.
template <std::size_t N>
std::string of(const char* const (&list)[N], unsigned value) {
    return value < N ? list[value] : "(" + std::to_string(value) + ")";
}

// A list's entries, for a drop-down list.
template <std::size_t N>
std::vector<std::string> entries(const char* const (&list)[N]) {
    return std::vector<std::string>(std::begin(list), std::end(list));
}

// "Startmaske", "Maske  1" to "Maske  10", "Men\xFC  1" to "Men\xFC  10" (two blanks).
std::string jump_target(unsigned target);
// The entries of a line's lookup column: "<leer>", "Feld 1", "- Feld 1", "+ Feld 1".
std::string lookup_key(unsigned key);
// A rate of kRates by its index: "115200" ... "9600".
std::string rate(unsigned index);
// The terminal's own rate (terminalBaud) as the system settings list it: "115200 bps" ...
// "9600 bps".
std::string terminal_rate(unsigned index);
std::vector<std::string> terminal_rates();

}  // namespace kest::names
