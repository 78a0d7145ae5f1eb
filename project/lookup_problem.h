// Why a lookup file or table cannot go to the terminal, with its place: the faults of a
// lookup definition, of the text, of a table's records and of a file's lines against the
// definition. One description, told in English (kest) and in German (agkest).
#pragma once

#include <string>

#include "project/limits.h"

namespace kest {

enum class LookupFault {
    // The definition (count: fields or the record length; field, otherField: 1-based).
    NoFields,
    TooManyFields,
    KeyNotAField,
    ZeroLength,
    StartZero,
    BeyondRecord,  // field ends at count, past the record length (limit)
    Overlap,
    BadSeparator,  // count: the separator's code
    // The text.
    Utf16,
    NulBytes,
    NotText,  // value: the encoding's name
    Empty,
    ProjectFile,
    ObjectProgram,
    QuoteNotClosed,
    TextAfterQuote,
    // A table's records (column: its cell; value: the cell's text).
    NoRecords,
    ColumnCount,       // count cells, limit those of the first record
    TooFewColumns,     // count columns, limit fields
    ColumnsForFields,  // count columns chosen, limit fields
    UnknownColumn,     // value: the column asked for
    Unmappable,        // character
    TooLong,           // count characters, limit the field's length
    HoldsSeparator,
    LineBreak,  // character: CR, LF or NUL
    EmptyKey,
    LineTooLong,   // count bytes
    DuplicateKey,  // value: the key; otherLine: where it came first
    CutHeader,     // count values of the first record were cut: a header row taken as a record?
    // A lookup file's lines against the definition.
    WrongLength,      // count characters, limit the record length
    WrongSeparators,  // count separators, limit those the fields need
    FieldTooLong,     // count characters, limit the field's length
};

// A fault of the definition itself, not of a file or table.
inline bool layout_fault(LookupFault f) { return f <= LookupFault::BadSeparator; }
// A line of a lookup file that does not fit the definition.
inline bool mismatch_fault(LookupFault f) { return f >= LookupFault::WrongLength; }

struct LookupProblem {
    LookupFault fault = LookupFault::Empty;
    int line = 0;      // 1-based line of the file
    int column = 0;    // 1-based cell of a table
    int position = 0;  // 1-based character of a line
    int field = 0;     // 1-based field of the lookup
    int otherField = 0;
    int otherLine = 0;
    int count = 0;
    int limit = 0;
    std::string value = {};  // Windows-1252
    char32_t character = 0;
};

// For kest, UTF-8: "line 5, column 2: "Schraube M4" has 11 characters; field #2 takes 10".
std::string problem_text(const LookupProblem& problem);
// For agkest's message boxes, Windows-1252.
std::string problem_text_de(const LookupProblem& problem);

// What was done to a file's text so that the terminal can read it.
enum class LookupNote {
    BomDropped,  // a UTF-8 byte-order mark was left out
    FromUtf8,    // UTF-8 text was sent in Windows-1252
};
std::string note_text(LookupNote note);
std::string note_text_de(LookupNote note);

}  // namespace kest
