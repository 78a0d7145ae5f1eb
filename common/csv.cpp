#include "common/csv.h"

#include <cstddef>

namespace kest {
namespace {

constexpr char32_t kQuote = U'"';
constexpr char32_t kCr = 0x0D;
constexpr char32_t kLf = 0x0A;

// Records enough to tell the separator.
constexpr std::size_t kDetectionRows = 50;

CsvTable read(std::u32string_view text, char32_t separator, std::size_t maxRows) {
    CsvTable table;
    CsvRow row;
    std::u32string cell;
    bool quoted = false;      // the cell began with a quote
    bool inQuotes = false;    // inside the quotes
    bool afterQuote = false;  // its closing quote was read
    int line = 1;
    row.line = 1;

    auto end_cell = [&] {
        row.cells.push_back(std::move(cell));
        cell.clear();
        quoted = inQuotes = afterQuote = false;
    };
    auto end_row = [&] {
        const bool blank = row.cells.empty() && cell.empty() && !quoted;
        end_cell();
        if (!blank) table.rows.push_back(std::move(row));
        row = CsvRow{};
        row.line = line;
    };
    auto fail = [&](CsvError::Kind kind) {
        table.error = CsvError{kind, row.line, static_cast<int>(row.cells.size()) + 1};
        return table;
    };

    for (std::size_t i = 0; i < text.size() && table.rows.size() < maxRows; ++i) {
        const char32_t c = text[i];
        const bool lineEnd = c == kCr || c == kLf;
        const bool crLf = c == kCr && i + 1 < text.size() && text[i + 1] == kLf;
        if (inQuotes) {
            if (c == kQuote && i + 1 < text.size() && text[i + 1] == kQuote) {
                cell += kQuote;
                ++i;
            } else if (c == kQuote) {
                inQuotes = false;
                afterQuote = true;
            } else {
                cell += c;
                if (crLf) cell += text[++i];
                if (lineEnd) ++line;
            }
            continue;
        }
        if (c == separator) {
            end_cell();
        } else if (lineEnd) {
            if (crLf) ++i;
            ++line;
            end_row();
        } else if (afterQuote) {
            return fail(CsvError::Kind::TextAfterQuote);
        } else if (c == kQuote && cell.empty() && !quoted) {
            quoted = inQuotes = true;
        } else {
            cell += c;
        }
    }
    if (inQuotes) return fail(CsvError::Kind::QuoteNotClosed);
    if (table.rows.size() < maxRows && (!row.cells.empty() || !cell.empty() || quoted)) end_row();
    return table;
}

}  // namespace

CsvTable read_csv(std::u32string_view text, char32_t separator) { return read(text, separator, SIZE_MAX); }

char32_t detect_csv_separator(std::u32string_view text, int cells) {
    char32_t best = kCsvSeparators[0];
    std::size_t bestCells = 1;
    bool bestEven = false;
    for (const char32_t candidate : kCsvSeparators) {
        const CsvTable t = read(text, candidate, kDetectionRows);
        if (t.rows.empty()) continue;
        const std::size_t count = t.rows[0].cells.size();
        bool even = true;
        for (const CsvRow& row : t.rows) even = even && row.cells.size() == count;
        if (even && cells > 0 && count == static_cast<std::size_t>(cells)) return candidate;
        even = even && count > 1;
        if ((even && !bestEven) || (even == bestEven && count > bestCells)) {
            best = candidate;
            bestCells = count;
            bestEven = even;
        }
    }
    return best;
}

std::string csv_record(const std::vector<std::string>& cells, char separator, std::string_view end) {
    std::string out;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        if (i > 0) out += separator;
        const std::string& cell = cells[i];
        if (cell.find_first_of(std::string{separator, '"', '\r', '\n'}) == std::string::npos) {
            out += cell;
            continue;
        }
        out += '"';
        for (char c : cell) out += c == '"' ? std::string("\"\"") : std::string(1, c);
        out += '"';
    }
    out += end;
    return out;
}

}  // namespace kest
