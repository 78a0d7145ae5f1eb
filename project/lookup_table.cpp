#include "project/lookup_table.h"

#include <algorithm>
#include <map>

#include "common/cp1252.h"
#include "common/csv.h"
#include "common/options.h"

namespace kest {
namespace {

constexpr char kBlank = ' ';

int field_count(const LookupRecord& l) { return std::min<int>(l.fieldCount, kLookupFields); }
bool fixed(const LookupRecord& l) { return l.separator == 0; }

std::string trim_blanks(std::string value) {
    value.erase(value.find_last_not_of(kBlank) + 1);
    return value;
}

class Problems {
public:
    explicit Problems(LookupTable& table) : table_(table) {}
    void add(LookupProblem p) {
        if (table_.problems.size() < kMaxProblems) table_.problems.push_back(std::move(p));
        ++table_.problemCount;
    }

private:
    LookupTable& table_;
};

// One cell as the value of field f, or the fault that keeps it out.
struct Value {
    std::string text;  // Windows-1252; blanks at the end dropped in fixed-length mode
    std::optional<LookupProblem> fault;
    bool tooLong = false;
};

Value value_of(const std::u32string& cell, int f, const LookupRecord& layout) {
    Value v;
    auto fault = [&](LookupFault kind) -> Value& {
        v.fault = LookupProblem{kind};
        v.fault->field = f + 1;
        return v;
    };
    for (const char32_t c : cell) {
        if (c == 0x0D || c == 0x0A || c == 0) {
            fault(LookupFault::LineBreak).fault->character = c;
            return v;
        }
    }
    std::size_t unmapped = 0;
    auto text = to_cp1252(cell, &unmapped);
    if (!text) {
        fault(LookupFault::Unmappable).fault->character = cell[unmapped];
        return v;
    }
    v.text = fixed(layout) ? trim_blanks(std::move(*text)) : std::move(*text);
    if (!fixed(layout) && v.text.find(static_cast<char>(layout.separator)) != std::string::npos) {
        fault(LookupFault::HoldsSeparator).fault->character = cp1252_char(layout.separator);
        v.fault->value = v.text;
        return v;
    }
    v.tooLong = v.text.size() > layout.fieldLength[f];
    return v;
}

bool fits(const std::u32string& cell, int f, const LookupRecord& layout) {
    const Value v = value_of(cell, f, layout);
    return !v.fault && !v.tooLong;
}

// The table's column of each field (0-based), from the names or numbers asked for.
std::optional<std::vector<int>> choose_columns(const LookupBuildOptions& options, const CsvRow* header, int columns,
                                               int fields, Problems& problems) {
    std::vector<int> chosen;
    if (options.columns.empty()) {
        if (columns != fields) {
            problems.add({.fault = LookupFault::TooFewColumns, .count = columns, .limit = fields});
            return std::nullopt;
        }
        for (int f = 0; f < fields; ++f) chosen.push_back(f);
        return chosen;
    }
    if (static_cast<int>(options.columns.size()) != fields) {
        problems.add({.fault = LookupFault::ColumnsForFields,
                      .count = static_cast<int>(options.columns.size()),
                      .limit = fields});
        return std::nullopt;
    }
    for (const std::string& name : options.columns) {
        int found = -1;
        if (const auto number = parse_number(name)) {
            if (*number >= 1 && *number <= columns) found = static_cast<int>(*number) - 1;
        } else if (header) {
            for (std::size_t c = 0; c < header->cells.size() && found < 0; ++c)
                if (to_utf8(header->cells[c]) == name) found = static_cast<int>(c);
        }
        if (found < 0) {
            const auto value = utf8_to_cp1252(name);
            problems.add({.fault = LookupFault::UnknownColumn, .value = value});
        }
        chosen.push_back(found);
    }
    if (std::find(chosen.begin(), chosen.end(), -1) != chosen.end()) return std::nullopt;
    return chosen;
}

bool names_columns(const LookupBuildOptions& options) {
    return std::any_of(options.columns.begin(), options.columns.end(),
                       [](const std::string& c) { return !parse_number(c); });
}

// The key as the terminal finds it in the line.
std::string key_of(const std::string& line, const LookupRecord& layout, const std::vector<std::string>& values) {
    if (!fixed(layout)) return values[layout.keyField];
    return line.substr(layout.fieldStart[layout.keyField] - 1u, layout.fieldLength[layout.keyField]);
}

// Fixed-length fields at their start positions in a record of blanks, or the values joined
// by the separator.
std::string record_line(const std::vector<std::string>& values, const LookupRecord& layout) {
    std::string line;
    if (!fixed(layout)) {
        for (std::size_t f = 0; f < values.size(); ++f)
            line += (f ? std::string(1, static_cast<char>(layout.separator)) : "") + values[f];
        return line;
    }
    line.assign(layout.recordLength, kBlank);
    for (std::size_t f = 0; f < values.size(); ++f)
        line.replace(layout.fieldStart[f] - 1u, values[f].size(), values[f]);
    return line;
}

// The values of a record's fields, cut where allowed (counted in the table), or nothing
// with every value's fault added to the problems.
std::optional<std::vector<std::string>> record_values(const CsvRow& row, const std::vector<int>& columns,
                                                      const LookupRecord& layout, bool cut, LookupTable& table,
                                                      Problems& problems) {
    std::vector<std::string> values(columns.size());
    bool usable = true;
    for (std::size_t f = 0; f < columns.size(); ++f) {
        const int c = columns[f];
        Value v = value_of(row.cells[c], static_cast<int>(f), layout);
        if (!v.fault && v.tooLong && !cut)
            v.fault = LookupProblem{.fault = LookupFault::TooLong,
                                    .field = static_cast<int>(f) + 1,
                                    .count = static_cast<int>(v.text.size()),
                                    .limit = layout.fieldLength[f],
                                    .value = v.text};
        if (v.fault) {
            v.fault->line = row.line;
            v.fault->column = c + 1;
            problems.add(std::move(*v.fault));
            usable = false;
            continue;
        }
        if (v.tooLong) {
            v.text.resize(layout.fieldLength[f]);
            if (fixed(layout)) v.text = trim_blanks(std::move(v.text));
            ++table.cutValues;
        }
        values[f] = std::move(v.text);
    }
    if (!usable) return std::nullopt;
    return values;
}

}  // namespace

std::vector<LookupProblem> layout_problems(const LookupRecord& l) {
    std::vector<LookupProblem> out;
    if (l.fieldCount == 0) return {{.fault = LookupFault::NoFields}};
    if (l.fieldCount > kLookupFields) return {{.fault = LookupFault::TooManyFields, .count = l.fieldCount}};
    const int n = l.fieldCount;
    if (l.keyField >= n) out.push_back({.fault = LookupFault::KeyNotAField, .field = l.keyField + 1, .count = n});
    if (!fixed(l) && (l.separator == 0x0D || l.separator == 0x0A))
        out.push_back({.fault = LookupFault::BadSeparator, .count = l.separator});
    for (int f = 0; f < n; ++f)
        if (l.fieldLength[f] == 0) out.push_back({.fault = LookupFault::ZeroLength, .field = f + 1});
    if (!fixed(l)) return out;
    for (int f = 0; f < n; ++f) {
        const int start = l.fieldStart[f], end = start + l.fieldLength[f] - 1;
        if (start == 0) {
            out.push_back({.fault = LookupFault::StartZero, .field = f + 1});
            continue;
        }
        if (end > l.recordLength)
            out.push_back({.fault = LookupFault::BeyondRecord, .field = f + 1, .count = end, .limit = l.recordLength});
        for (int g = 0; g < f; ++g) {
            const int gStart = l.fieldStart[g], gEnd = gStart + l.fieldLength[g] - 1;
            if (l.fieldLength[f] && l.fieldLength[g] && gStart && start <= gEnd && gStart <= end)
                out.push_back({.fault = LookupFault::Overlap, .field = f + 1, .otherField = g + 1});
        }
    }
    return out;
}

LookupTable build_lookup_table(std::span<const std::uint8_t> csv, const LookupRecord& layout,
                               const LookupBuildOptions& options) {
    LookupTable table;
    Problems problems(table);
    for (auto& p : layout_problems(layout)) problems.add(std::move(p));
    if (!table.ok()) return table;

    const DecodedText text = decode_text(csv, options.encoding);
    table.encoding = text.encoding;
    if (text.fault != DecodeFault::None) {
        problems.add({.fault = text.fault == DecodeFault::NulBytes ? LookupFault::NulBytes : LookupFault::NotText,
                      .line = text.faultAt.line,
                      .position = text.faultAt.column,
                      .value = encoding_name(text.encoding)});
        return table;
    }
    // Without chosen columns the table has a column for each field: that tells a separator
    // that divides the records evenly but otherwise.
    const int cells = options.columns.empty() ? field_count(layout) : 0;
    table.separator = options.separator.value_or(detect_csv_separator(text.text, cells));
    const CsvTable rows = read_csv(text.text, table.separator);
    if (rows.error) {
        problems.add({.fault = rows.error->kind == CsvError::Kind::QuoteNotClosed ? LookupFault::QuoteNotClosed
                                                                                  : LookupFault::TextAfterQuote,
                      .line = rows.error->line,
                      .column = rows.error->column});
        return table;
    }
    if (rows.rows.empty()) {
        problems.add({.fault = LookupFault::NoRecords});
        return table;
    }
    const CsvRow& first = rows.rows.front();
    table.firstLine = first.line;
    table.columns = static_cast<int>(first.cells.size());
    for (const CsvRow& row : rows.rows)
        if (static_cast<int>(row.cells.size()) != table.columns)
            problems.add({.fault = LookupFault::ColumnCount,
                          .line = row.line,
                          .count = static_cast<int>(row.cells.size()),
                          .limit = table.columns});
    if (!table.ok()) return table;

    const int n = field_count(layout);
    const bool named = names_columns(options);
    const bool mayHaveHeader = options.header != LookupBuildOptions::Header::No;
    const auto columns = choose_columns(options, mayHaveHeader ? &first : nullptr, table.columns, n, problems);
    if (!columns) return table;
    switch (options.header) {
    case LookupBuildOptions::Header::Yes: table.header = true; break;
    case LookupBuildOptions::Header::No: table.header = false; break;
    case LookupBuildOptions::Header::Detect:
        table.header = true;
        for (int f = 0; f < n && !named; ++f)
            if (fits(first.cells[(*columns)[f]], f, layout)) table.header = false;
        break;
    }

    std::map<std::string, int> keys;
    std::vector<std::pair<std::string, std::string>> keyed;  // key, line
    for (std::size_t r = table.header ? 1 : 0; r < rows.rows.size(); ++r) {
        const CsvRow& row = rows.rows[r];
        const int cutBefore = table.cutValues;
        const auto values = record_values(row, *columns, layout, options.cut, table, problems);
        if (!values) continue;
        // Names of a header row that did not all overflow their fields become a record when
        // cutting: say so, as the row is no data.
        if (r == 0 && options.header == LookupBuildOptions::Header::Detect && table.cutValues > cutBefore)
            table.warnings.push_back(
                {.fault = LookupFault::CutHeader, .line = row.line, .count = table.cutValues - cutBefore});
        const std::string& value = (*values)[layout.keyField];
        if (value.find_first_not_of(kBlank) == std::string::npos) {
            problems.add({.fault = LookupFault::EmptyKey,
                          .line = row.line,
                          .column = (*columns)[layout.keyField] + 1,
                          .field = layout.keyField + 1});
            continue;
        }
        std::string line = record_line(*values, layout);
        if (line.size() > static_cast<std::size_t>(kMaxLookupLineLength)) {
            problems.add({.fault = LookupFault::LineTooLong, .line = row.line, .count = static_cast<int>(line.size())});
            continue;
        }
        const std::string key = fixed(layout) ? trim_blanks(value) : value;
        const auto [at, fresh] = keys.emplace(key, row.line);
        if (!fresh) {
            LookupProblem dup{
                .fault = LookupFault::DuplicateKey, .line = row.line, .otherLine = at->second, .value = key};
            if (options.unique)
                problems.add(std::move(dup));
            else
                table.warnings.push_back(std::move(dup));
        }
        keyed.emplace_back(key_of(line, layout, *values), std::move(line));
    }
    if (!table.ok()) return table;
    if (keyed.empty()) {
        problems.add({.fault = LookupFault::NoRecords});
        return table;
    }
    // std::string orders its bytes as unsigned values: Windows-1252 byte order.
    if (options.sort)
        std::stable_sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (auto& [key, line] : keyed) table.lines.push_back(std::move(line));
    return table;
}

std::optional<LookupProblem> check_lookup_line(const std::string& line, int lineNumber, const LookupRecord& layout) {
    const int n = field_count(layout);
    if (fixed(layout)) {
        if (line.size() == layout.recordLength) return std::nullopt;
        return LookupProblem{.fault = LookupFault::WrongLength,
                             .line = lineNumber,
                             .count = static_cast<int>(line.size()),
                             .limit = layout.recordLength};
    }
    const char sep = static_cast<char>(layout.separator);
    const int separators = static_cast<int>(std::count(line.begin(), line.end(), sep));
    if (separators != n - 1)
        return LookupProblem{
            .fault = LookupFault::WrongSeparators, .line = lineNumber, .count = separators, .limit = n - 1};
    std::size_t start = 0;
    for (int f = 0; f < n; ++f) {
        const std::size_t end = std::min(line.find(sep, start), line.size());
        const int length = static_cast<int>(end - start);
        if (length > layout.fieldLength[f])
            return LookupProblem{.fault = LookupFault::FieldTooLong,
                                 .line = lineNumber,
                                 .field = f + 1,
                                 .count = length,
                                 .limit = layout.fieldLength[f]};
        start = end + 1;
    }
    return std::nullopt;
}

std::string lookup_file_text(const std::vector<std::string>& lines) {
    std::string out;
    for (const auto& line : lines) out += line + "\r\n";
    return out;
}

}  // namespace kest
