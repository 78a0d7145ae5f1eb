#include "project/lookup_problem.h"

#include "common/cp1252.h"
#include "common/text_encoding.h"
#include "project/project.h"

namespace kest {
namespace {

std::string n(int value) { return std::to_string(value); }

std::string character_en(char32_t c) {
    if (c == 0x0D) return "CR";
    if (c == 0x0A) return "LF";
    if (c == 0) return "NUL";
    if (c == U'\t') return "TAB";
    return "'" + to_utf8(std::u32string(1, c)) + "' (" + code_point_name(c) + ")";
}

std::string character_de(char32_t c) {
    if (c == 0x0D || c == 0x0A || c == 0 || c == U'\t') return character_en(c);
    const int byte = cp1252_byte(c);
    if (byte < 0) return code_point_name(c);
    return "'" + std::string(1, static_cast<char>(byte)) + "'";
}

// "line 5, column 2: " / "line 5, character 9: " / "line 5: ".
std::string place_en(const LookupProblem& p) {
    std::string s = "line " + n(p.line);
    if (p.column) s += ", column " + n(p.column);
    if (p.position) s += ", character " + n(p.position);
    return s + ": ";
}

std::string place_de(const LookupProblem& p) {
    std::string s = "Zeile " + n(p.line);
    if (p.column) s += ", Spalte " + n(p.column);
    if (p.position) s += ", Zeichen " + n(p.position);
    return s + ": ";
}

std::string value_en(const LookupProblem& p) { return "\"" + cp1252_to_utf8(p.value) + "\""; }
std::string value_de(const LookupProblem& p) { return "\"" + p.value + "\""; }

}  // namespace

std::string problem_text(const LookupProblem& p) {
    const std::string field = "field #" + n(p.field);
    switch (p.fault) {
    case LookupFault::NoFields: return "the lookup has no fields (\"Anzahl Felder\" 0)";
    case LookupFault::TooManyFields: return "the lookup has " + n(p.count) + " fields; at most " + n(kLookupFields);
    case LookupFault::KeyNotAField:
        return "the key field #" + n(p.field) + " is not one of the lookup's " + n(p.count) + " fields";
    case LookupFault::ZeroLength: return field + " has length 0";
    case LookupFault::StartZero: return field + " starts at position 0 (positions start at 1)";
    case LookupFault::BeyondRecord:
        return field + " ends at position " + n(p.count) + ", past the record length " + n(p.limit);
    case LookupFault::Overlap: return "fields #" + n(p.otherField) + " and #" + n(p.field) + " overlap";
    case LookupFault::BadSeparator: return "the separator (code " + n(p.count) + ") cannot divide a line";
    case LookupFault::Utf16: return "the file is UTF-16 text";
    case LookupFault::NulBytes: return place_en(p) + "a NUL byte: the file is not text (UTF-16 without a BOM?)";
    case LookupFault::NotText: return place_en(p) + "the bytes are not " + p.value + " text";
    case LookupFault::Empty: return "the file is empty";
    case LookupFault::ProjectFile: return "not a lookup file: this is a project file";
    case LookupFault::ObjectProgram: return "not a lookup file: this is an object program (S-records)";
    case LookupFault::QuoteNotClosed: return place_en(p) + "a quote is not closed";
    case LookupFault::TextAfterQuote: return place_en(p) + "text after the closing quote";
    case LookupFault::NoRecords: return "the table holds no records";
    case LookupFault::ColumnCount:
        return "line " + n(p.line) + " has " + n(p.count) + " columns, the first record " + n(p.limit);
    case LookupFault::TooFewColumns:
        return "the table has " + n(p.count) + " columns for the lookup's " + n(p.limit) +
               " fields (--columns chooses them)";
    case LookupFault::ColumnsForFields:
        return n(p.count) + " columns chosen for the lookup's " + n(p.limit) + " fields";
    case LookupFault::UnknownColumn: return "the table has no column " + value_en(p);
    case LookupFault::Unmappable:
        return place_en(p) + character_en(p.character) + " has no code in Windows-1252, the terminal's code page";
    case LookupFault::TooLong:
        return place_en(p) + value_en(p) + " has " + n(p.count) + " characters; " + field + " takes " + n(p.limit);
    case LookupFault::HoldsSeparator:
        return place_en(p) + value_en(p) + " holds the separator " + character_en(p.character);
    case LookupFault::LineBreak: return place_en(p) + "the value holds " + character_en(p.character);
    case LookupFault::EmptyKey: return place_en(p) + "the key (" + field + ") is empty";
    case LookupFault::LineTooLong:
        return "line " + n(p.line) + " is " + n(p.count) + " bytes long; a lookup line has at most " +
               n(kMaxLookupLineLength);
    case LookupFault::DuplicateKey:
        return "line " + n(p.line) + ": the key " + value_en(p) + " is also on line " + n(p.otherLine);
    case LookupFault::CutHeader:
        return "line " + n(p.line) + " was sent as a record with " + n(p.count) +
               " values cut: if it is a header row, give --header";
    case LookupFault::WrongLength:
        return "line " + n(p.line) + " has " + n(p.count) + " characters; the record length is " + n(p.limit);
    case LookupFault::WrongSeparators:
        return "line " + n(p.line) + " has " + n(p.count) + " separators; the fields need " + n(p.limit);
    case LookupFault::FieldTooLong:
        return "line " + n(p.line) + ": " + field + " has " + n(p.count) + " characters, at most " + n(p.limit);
    }
    return {};
}

std::string problem_text_de(const LookupProblem& p) {
    const std::string field = "Feld #" + n(p.field);
    switch (p.fault) {
    case LookupFault::NoFields: return "Die Lookupdatei hat keine Felder (Anzahl Felder 0)!";
    case LookupFault::TooManyFields:
        return "Die Lookupdatei hat " + n(p.count) +
               " Felder, h\xF6"
               "chstens " +
               n(kLookupFields) + "!";
    case LookupFault::KeyNotAField:
        return "Das Schl\xFCsselfeld #" + n(p.field) + " ist keines der " + n(p.count) + " Felder!";
    case LookupFault::ZeroLength: return field + " hat die L\xE4nge 0!";
    case LookupFault::StartZero: return field + " beginnt an Position 0 (Positionen beginnen bei 1)!";
    case LookupFault::BeyondRecord:
        return field + " endet an Position " + n(p.count) + ", hinter der Feldl\xE4nge " + n(p.limit) + "!";
    case LookupFault::Overlap:
        return "Die Felder #" + n(p.otherField) + " und #" + n(p.field) +
               " \xFC"
               "berlappen sich!";
    case LookupFault::BadSeparator:
        return "Das Trennzeichen (ASCII " + n(p.count) + ") kann keine Felder einer Zeile trennen!";
    case LookupFault::Utf16:
        return "Die Datei ist UTF-16-Text und kann nicht geladen werden! Als CSV-Datei (*.csv) laden oder mit "
               "\"kest lookup-build\" umwandeln.";
    case LookupFault::NulBytes: return place_de(p) + "NUL-Byte! Die Datei ist kein Text (UTF-16 ohne BOM?).";
    case LookupFault::NotText: return place_de(p) + "Die Datei ist kein " + p.value + "-Text!";
    case LookupFault::Empty: return "Die Datei ist leer! Sie w\xFCrde die Lookupdatei im Terminal l\xF6schen.";
    case LookupFault::ProjectFile: return "Keine Lookupdatei: Die Datei ist eine Projektdatei!";
    case LookupFault::ObjectProgram: return "Keine Lookupdatei: Die Datei ist ein Objektprogramm (S-Records)!";
    case LookupFault::QuoteNotClosed: return place_de(p) + "Ein Anf\xFChrungszeichen wird nicht geschlossen!";
    case LookupFault::TextAfterQuote:
        return place_de(p) +
               "Text nach dem schlie\xDF"
               "enden Anf\xFChrungszeichen!";
    case LookupFault::NoRecords: return "Die Tabelle enth\xE4lt keine Datens\xE4tze!";
    case LookupFault::ColumnCount:
        return "Zeile " + n(p.line) + " hat " + n(p.count) + " Spalten, der erste Datensatz " + n(p.limit) + "!";
    case LookupFault::TooFewColumns:
        return "Die Tabelle hat " + n(p.count) + " Spalten f\xFCr " + n(p.limit) + " Felder!";
    case LookupFault::ColumnsForFields: return n(p.count) + " Spalten gew\xE4hlt f\xFCr " + n(p.limit) + " Felder!";
    case LookupFault::UnknownColumn: return "Die Tabelle hat keine Spalte " + value_de(p) + "!";
    case LookupFault::Unmappable:
        return place_de(p) + "Das Zeichen " + character_de(p.character) + " gibt es in Windows-1252 nicht!";
    case LookupFault::TooLong:
        return place_de(p) + value_de(p) + " hat " + n(p.count) + " Zeichen, " + field + " nur " + n(p.limit) + "!";
    case LookupFault::HoldsSeparator:
        return place_de(p) + value_de(p) + " enth\xE4lt das Trennzeichen " + character_de(p.character) + "!";
    case LookupFault::LineBreak: return place_de(p) + "Der Wert enth\xE4lt " + character_de(p.character) + "!";
    case LookupFault::EmptyKey: return place_de(p) + "Der Schl\xFCssel (" + field + ") ist leer!";
    case LookupFault::LineTooLong:
        return "Zeile " + n(p.line) +
               " der Lookupdatei ist zu lang (h\xF6"
               "chstens " +
               n(kMaxLookupLineLength) + " Zeichen; Zeilenende CR LF, CR oder LF)!";
    case LookupFault::DuplicateKey:
        return "Zeile " + n(p.line) + ": Schl\xFCssel " + value_de(p) + " schon in Zeile " + n(p.otherLine) + "!";
    case LookupFault::CutHeader:
        return "Zeile " + n(p.line) + " wird als Datensatz gesendet, " + n(p.count) +
               " Werte gek\xFCrzt: Ist sie eine Kopfzeile?";
    case LookupFault::WrongLength:
        return "Zeile " + n(p.line) + " hat " + n(p.count) + " Zeichen, die Feldl\xE4nge ist " + n(p.limit) + "!";
    case LookupFault::WrongSeparators:
        return "Zeile " + n(p.line) + " hat " + n(p.count) + " Trennzeichen statt " + n(p.limit) + "!";
    case LookupFault::FieldTooLong:
        return "Zeile " + n(p.line) + ": " + field + " hat " + n(p.count) +
               " Zeichen, h\xF6"
               "chstens " +
               n(p.limit) + "!";
    }
    return {};
}

std::string note_text(LookupNote note) {
    return note == LookupNote::BomDropped ? "the UTF-8 byte-order mark (BOM) at the start is left out"
                                          : "UTF-8 text, sent in Windows-1252, the terminal's code page";
}

std::string note_text_de(LookupNote note) {
    return note == LookupNote::BomDropped
               ? "Die UTF-8-Kennung (BOM) am Anfang der Datei wird nicht gesendet."
               : "Die Datei ist UTF-8-Text und wird in Windows-1252, dem Zeichensatz des Terminals, gesendet.";
}

}  // namespace kest
