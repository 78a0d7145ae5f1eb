#include "simulator/record_assembly.h"

#include <algorithm>
#include <cstdio>

#include "project/rules.h"
#include "simulator/bounded_text.h"
#include "simulator/field_input.h"

namespace kest::sim {

void RecordAssembly::clear() {
    text_[0] = '\0';
    length_ = 0;
    count_ = 0;
}

// The record stops growing at its capacity: a piece gets what still fits.
RecordPiece& RecordAssembly::add(PieceKind kind, int line, const char* text, std::size_t count) {
    const std::size_t fits = std::min(count, kPassDownSize - 1 - length_);
    std::copy(text, text + fits, text_ + length_);
    RecordPiece& piece = pieces_[std::min(count_, kMostPieces - 1)];
    piece = {kind, line, static_cast<int>(length_), static_cast<int>(fits)};
    if (count_ < kMostPieces) ++count_;
    length_ += fits;
    text_[length_] = '\0';
    return piece;
}

void RecordAssembly::add_delimiters(const ApplicationOptions& options) {
    for (u8 delimiter : {options.delimiter1, options.delimiter2}) {
        if (delimiter == 0) continue;
        const char c = static_cast<char>(delimiter);
        add(PieceKind::kDelimiter, -1, &c, 1);
    }
}

void RecordAssembly::add_codes(PieceKind kind, int line, const u8 (&codes)[10]) {
    const char* text = reinterpret_cast<const char*>(codes);
    add(kind, line, text, bounded_length(text, sizeof codes));
}

// One taken line after its delimiters: the prefix, the value at its fixed length (cut, or
// padded by the justification) or as it is, the suffix.
void RecordAssembly::add_field(const FormRecord& form, int line, PieceKind kind, const char* value) {
    if (form.prefixOn[line]) add_codes(PieceKind::kPrefix, line, form.prefix[line]);
    const std::size_t length = bounded_length(value, kInputSize);
    if (form.fixedLengthOn[line]) {
        const std::size_t size = form.fixedLength[line];
        const u8 justify = form.justify[line];
        const char fill = justify == 2 || justify == 3 ? '0' : ' ';
        const bool left = justify == 1 || justify == 3;
        char fills[256];
        std::fill(std::begin(fills), std::end(fills), fill);
        const auto padding = [&] {
            RecordPiece& piece = add(PieceKind::kPadding, line, fills, size > length ? size - length : 0);
            piece.fill = fill;
            piece.left = left;
        };
        if (left) padding();
        add(kind, line, value, std::min(size, length));
        if (!left) padding();
    } else {
        add(kind, line, value, length);
    }
    if (form.suffixOn[line]) add_codes(PieceKind::kSuffix, line, form.suffix[line]);
}

void RecordAssembly::assemble(const FormRecord& form, const ApplicationOptions& options, const LineInputs& inputs,
                              const LocalTime& now) {
    clear();
    if (form.stampPosition == 1) stamp(form, options, now);
    const int lineCount = line_count(form.font);
    for (int line = 0; line < lineCount; ++line) {
        const u8 type = form.lineType[line];
        PieceKind kind = PieceKind::kValue;
        if (type == kFieldFixedData)
            kind = PieceKind::kFixedData;
        else if (type == kFieldLookup && form.defaultOn[line])
            kind = PieceKind::kLookupValue;
        else if (!is_input_line(type))
            continue;
        char value[kInputSize];
        if (kind == PieceKind::kFixedData)
            copy_text(value, sizeof value, form.prompt[line], kCell20);
        else
            copy_text(value, sizeof value, inputs[line]);
        for (int k = 1; k <= 3 && line + k < kFormLines && form.lineType[line + k] == kFieldContinuation; ++k)
            append_text(value, sizeof value, inputs[line + k]);
        if (length_ > 0) add_delimiters(options);
        add_field(form, line, kind, value);
    }
    if (form.stampPosition == 2) stamp(form, options, now);
}

void RecordAssembly::add_number(PieceKind kind, const char* format, int value) {
    char text[16];
    const int n = std::snprintf(text, sizeof text, format, value);
    if (n > 0) add(kind, -1, text, std::min(static_cast<std::size_t>(n), sizeof text - 1));
}

// The date parts in the form's order, each only when switched on, with the separator
// before the second and third when an earlier part is on; then the time the same way.
void RecordAssembly::stamp(const FormRecord& form, const ApplicationOptions& options, const LocalTime& now) {
    if (length_ > 0) add_delimiters(options);
    struct Part {
        PieceKind kind;
        bool on;
        const char* format;
        int value;
    };
    const bool twoDigits = form.yearDigits == 1;
    const Part year{PieceKind::kYear, form.yearOn != 0, twoDigits ? "%02d" : "%04d",
                    twoDigits ? now.year % 100 : now.year};
    const Part month{PieceKind::kMonth, form.monthOn != 0, "%02d", now.month};
    const Part day{PieceKind::kDay, form.dayOn != 0, "%02d", now.day};
    const Part* order[3] = {};
    switch (form.dateOrder) {
    case 0: order[0] = &year, order[1] = &month, order[2] = &day; break;
    case 1: order[0] = &month, order[1] = &day, order[2] = &year; break;
    case 2: order[0] = &day, order[1] = &month, order[2] = &year; break;
    default: break;
    }
    const auto parts = [&](const Part* const* list, PieceKind separatorKind, bool separatorOn, const char* separator,
                           std::size_t separatorSize) {
        bool earlier = false;
        for (int i = 0; i < 3 && list[i] != nullptr; ++i) {
            if (earlier && separatorOn) add(separatorKind, -1, separator, bounded_length(separator, separatorSize));
            if (list[i]->on) add_number(list[i]->kind, list[i]->format, list[i]->value);
            earlier = earlier || list[i]->on;
        }
    };
    parts(order, PieceKind::kDateSeparator, form.dateSepOn != 0, form.dateSep, sizeof form.dateSep);
    if (length_ > 0 && form.stampSplit) add_delimiters(options);
    const Part hour{PieceKind::kHour, form.hourOn != 0, "%02d", now.hour};
    const Part minute{PieceKind::kMinute, form.minuteOn != 0, "%02d", now.minute};
    const Part second{PieceKind::kSecond, form.secondOn != 0, "%02d", now.second};
    const Part* times[3] = {&hour, &minute, &second};
    parts(times, PieceKind::kTimeSeparator, form.timeSepOn != 0, form.timeSep, sizeof form.timeSep);
}

void RecordAssembly::cut(std::size_t length) {
    if (length >= length_) return;
    length_ = length;
    text_[length] = '\0';
    for (int i = 0; i < count_; ++i) {
        RecordPiece& piece = pieces_[i];
        piece.offset = std::min(piece.offset, static_cast<int>(length));
        piece.length = std::min(piece.length, static_cast<int>(length) - piece.offset);
    }
}

}  // namespace kest::sim
