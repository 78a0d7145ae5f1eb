// Tables as spreadsheets and business systems export them (CSV): one record per line, cells
// divided by a separator, a cell in double quotes may hold the separator, line breaks and
// doubled quotes. Lines end in CR LF, LF or CR. Blank lines are no records.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kest {

struct CsvRow {
    int line = 0;  // 1-based line of the file where the record starts
    std::vector<std::u32string> cells;
};

struct CsvError {
    enum class Kind { QuoteNotClosed, TextAfterQuote };
    Kind kind = Kind::QuoteNotClosed;
    int line = 0;    // where the record with the fault starts
    int column = 0;  // 1-based cell
};

struct CsvTable {
    std::vector<CsvRow> rows;
    std::optional<CsvError> error;  // set: the text is not a table; rows holds those before it
};

CsvTable read_csv(std::u32string_view text, char32_t separator);

// The separators a table is looked for with: ';' (spreadsheets set to German), ',' and TAB.
inline constexpr char32_t kCsvSeparators[] = {U';', U',', U'\t'};

// The separator of kCsvSeparators that divides the first records into the same number of
// cells: `cells` of them when given and one does, else more than one and the most; ';'
// when none divides them so.
char32_t detect_csv_separator(std::u32string_view text, int cells = 0);

// One record of a table (RFC 4180): a cell holding the separator, a quote, CR or LF is put
// in double quotes with its quotes doubled; the record ends in `end`.
std::string csv_record(const std::vector<std::string>& cells, char separator, std::string_view end);

}  // namespace kest
