// A received data file read line by line against the project, and the named records as
// tables (CSV) or JSON Lines. No line is left out: a line no form fits, or several do,
// keeps its number and its text. The text is Windows-1252 in the data file, UTF-8 here.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "records/record_matcher.h"

namespace kest::records {

struct ReadRecord {
    int line = 0;     // 1-based line of the data file
    std::string raw;  // as received, Windows-1252
    RecordMatch match;
};

// The lines of a data file: ended by CR LF (by LF when the file holds no CR at all).
std::vector<std::string_view> data_lines(std::string_view file);

// `chosen` (0-9 or -1) settles the lines several forms fit.
std::vector<ReadRecord> read_records(const ProjectLayouts& layouts, std::string_view file, int chosen = -1);

// Where a record belongs: "Maske-1", "Menue-3", "ambiguous" or "unmatched" (a file name
// without its extension), and what the "Maske" column shows: "1", "Menü 3", ...
std::string group_key(const ReadRecord& record);
std::string group_label(const ReadRecord& record);

struct CsvStyle {
    char separator = ',';
    std::string_view end = "\n";
    bool bom = false;
};
inline constexpr CsvStyle kExcelCsv{';', "\r\n", true};

// One table of the records, with the columns of every form in `layouts` that one of them
// uses (a form's own file: only that form's), the stamp as the project writes it and in
// ISO 8601. `forms`: the forms whose columns are shown even when none of their records is.
std::string records_csv(const ProjectLayouts& layouts, const std::vector<const ReadRecord*>& records,
                        const std::vector<int>& forms, const CsvStyle& style);

// One JSON object per record, one per line.
std::string records_json_lines(const std::vector<const ReadRecord*>& records);

struct RecordCounts {
    std::map<std::string, int> groups;      // by group_key, forms and menus
    std::vector<int> ambiguous, unmatched;  // line numbers
    int total = 0;
};
RecordCounts count_records(const std::vector<ReadRecord>& records);

}  // namespace kest::records
