// The layout of the records a project's forms store, as a reader of the received data file
// needs it: which stretches of a record are fixed text (delimiters, prefix and suffix codes,
// fixed data, the stamp's separators), which are a form line's input (at its fixed length
// with the fill on one side, or of any length) and which are the stamp's digits. Every
// layout is read off the record assembly of the simulator, the one home of those rules, by
// assembling probe records; a record split by a layout is accepted only when assembling
// its fields again gives the very same text.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "project/project.h"
#include "simulator/record_assembly.h"

namespace kest::records {

enum class ElementKind : u8 {
    kText,   // these characters exactly
    kInput,  // a line's input: `size` characters, or 0 to `most` when size < 0
    kStamp,  // one stamp part: `size` digits
};

struct Element {
    ElementKind kind = ElementKind::kText;
    std::string text;                             // kText
    int line = -1;                                // kInput: the form line
    sim::PieceKind part = sim::PieceKind::kYear;  // kStamp: which part
    int size = -1;
    int most = 0;
    char fill = ' ';        // kInput at a fixed length
    bool left = false;      // the fill stands before the input
    u8 takes = kFieldText;  // kInput: the line type whose characters it takes
    std::string preset;     // kInput: the default value, which the type need not take
    bool operator==(const Element&) const = default;
};

// One column of a form's records: a taken line, or the stamp's date or time.
struct Column {
    std::string name;                              // UTF-8, unique within the form
    int line = -1;                                 // -1 for the stamp's columns
    sim::PieceKind kind = sim::PieceKind::kValue;  // kValue, kLookupValue, kFixedData, kYear (date), kHour (time)
    std::string fixed;                             // kFixedData: what the line always writes (Windows-1252)
};

// The stamp as read from a record: -1 for a part the form leaves out.
struct Stamp {
    int year = -1, month = -1, day = -1, hour = -1, minute = -1, second = -1;
    bool twoDigitYear = false;
    std::string dateText, timeText;  // as the record shows them, separators included
};

struct FormLayout {
    int form = 0;  // 0-9
    FormRecord record{};
    ApplicationOptions options{};
    std::vector<Column> columns;
    // One element list per number of leading inputs left empty: the delimiters stand only
    // where something came before them.
    std::vector<std::vector<Element>> variants;
    bool hasDate = false, hasTime = false;
};

// A text the terminal saves as a record of its own: a menu's title or one of its items.
struct MenuText {
    int menu = 0;      // 0-9
    int item = -1;     // -1 for the title
    std::string text;  // Windows-1252, trailing blanks removed
};

struct ProjectLayouts {
    std::vector<FormLayout> forms;  // the forms that store their records
    std::vector<MenuText> menus;
};

// The layouts of a project as the terminal runs it (forms normalised and prepared); `also`
// (0-9) adds a form that does not store its records.
ProjectLayouts project_layouts(const Project& project, int also = -1);

// The layout of one form, whatever it does with its record.
FormLayout form_layout(const Project& prepared, int form);

// The record the form builds from these inputs (by line) and stamp; for the check of a split.
std::string assemble_again(const FormLayout& layout, const std::array<std::string, kFormLines>& inputs,
                           const Stamp& stamp);

// "2026-12-08", "2026-12", "--12-08" or "" and "14:03:11", "14:03", "14" or "" (ISO 8601).
std::string iso_date(const Stamp& stamp);
std::string iso_time(const Stamp& stamp);

}  // namespace kest::records
