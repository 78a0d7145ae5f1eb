// The record a completed form builds, as the terminal builds it: the taken lines in order
// (input lines, "Lookup" lines that keep their data, "fixe Daten" with its display text),
// each with the inputs of its extension lines, the two field delimiters between fields,
// prefix and suffix codes, fixed length with its justification, and the date/time stamp
// before or after the fields. Besides the text it gives the record's pieces in order, each
// tagged with what it is, so that a reader can take a received record apart by the same
// rules: the text is always the pieces one after the other.
#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <string_view>

#include "platform/clock.h"
#include "project/project.h"

namespace kest::sim {

inline constexpr std::size_t kPassDownSize = 408;  // the last record built: 407 characters and a terminator

enum class PieceKind : u8 {
    kDelimiter,    // delimiter 1 or 2 of the options, one character
    kPrefix,       // the prefix codes of the line
    kPadding,      // fixed length: the fill on one side of the value
    kValue,        // the input of an input line with its extension lines
    kLookupValue,  // the input of a "Lookup" line that keeps its data
    kFixedData,    // the display text of a "fixe Daten" line
    kSuffix,       // the suffix codes of the line
    kYear,         // stamp parts, each with its digits
    kMonth,
    kDay,
    kDateSeparator,  // the form's date separator text
    kHour,
    kMinute,
    kSecond,
    kTimeSeparator,
};

struct RecordPiece {
    PieceKind kind = PieceKind::kValue;
    int line = -1;      // the form line of a line's piece; -1 for delimiters and the stamp
    int offset = 0;     // where the piece starts in the record
    int length = 0;     // its characters; a piece the record's capacity cut short is shorter
    char fill = 0;      // kPadding: ' ' or '0'
    bool left = false;  // kPadding: before the value (right-justified)
};

// The inputs of the form's eight lines, zero-terminated.
using LineInputs = std::array<const char*, kFormLines>;

class RecordAssembly {
public:
    // Every taken line gives at most six pieces (two delimiters, prefix, padding, value,
    // suffix), the stamp at most fourteen.
    static constexpr int kMostPieces = kFormLines * 6 + 14;

    // The record of form f, with the delimiters of the options and the stamp at `now`.
    void assemble(const FormRecord& form, const ApplicationOptions& options, const LineInputs& inputs,
                  const LocalTime& now);
    // A pass-down line shows at most `length` characters: the record itself is cut there.
    void cut(std::size_t length);

    const char* text() const { return text_; }
    std::size_t length() const { return length_; }
    std::span<const RecordPiece> pieces() const { return {pieces_, static_cast<std::size_t>(count_)}; }
    std::string_view text_of(const RecordPiece& piece) const {
        return {text_ + piece.offset, static_cast<std::size_t>(piece.length)};
    }

private:
    void clear();
    RecordPiece& add(PieceKind kind, int line, const char* text, std::size_t count);
    void add_delimiters(const ApplicationOptions& options);
    void add_codes(PieceKind kind, int line, const u8 (&codes)[10]);
    void add_field(const FormRecord& form, int line, PieceKind kind, const char* value);
    void add_number(PieceKind kind, const char* format, int value);
    void stamp(const FormRecord& form, const ApplicationOptions& options, const LocalTime& now);

    char text_[kPassDownSize] = {};
    std::size_t length_ = 0;
    RecordPiece pieces_[kMostPieces];
    int count_ = 0;
};

}  // namespace kest::sim
