// A received record told by the layouts of the project's forms: which form built it and
// what was typed into each of its lines, or that it is a menu's title or item, or that
// several forms or readings fit, or none.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "records/record_layout.h"

namespace kest::records {

struct Split {
    int form = -1;                               // 0-9
    std::array<std::string, kFormLines> inputs;  // by line, Windows-1252, without the fill
    Stamp stamp;
    bool cut = false;  // the record filled the pass-down buffer: its end may be missing
    bool operator==(const Split& other) const { return inputs == other.inputs && same_stamp(other); }

private:
    bool same_stamp(const Split& o) const {
        const Stamp& a = stamp;
        const Stamp& b = o.stamp;
        return a.year == b.year && a.month == b.month && a.day == b.day && a.hour == b.hour && a.minute == b.minute &&
               a.second == b.second;
    }
};

// The readings of `text` by one form's layout, at most `most` of them. `unsure` is set when
// the search gave up before it knew there were no more.
std::vector<Split> splits(const FormLayout& layout, std::string_view text, std::size_t most = 2,
                          bool* unsure = nullptr);

enum class MatchKind { kForm, kMenu, kAmbiguous, kUnmatched };

struct RecordMatch {
    MatchKind kind = MatchKind::kUnmatched;
    Split split;                         // kForm
    const FormLayout* layout = nullptr;  // kForm
    const MenuText* menu = nullptr;      // kMenu
    std::vector<int> forms;              // kAmbiguous: the forms (0-9) that fit
    std::vector<const MenuText*> menus;  // kAmbiguous: the menu texts that are the same
};

// `chosen` (0-9, or -1) is the form that settles a record several forms fit.
RecordMatch match_record(const ProjectLayouts& layouts, std::string_view text, int chosen = -1);

}  // namespace kest::records
