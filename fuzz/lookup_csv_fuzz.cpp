// The table reader and converter of kest lookup-build and agkest's CSV load. A table either
// becomes lookup lines that read back as its values, or is refused with the place of a
// fault its values really have; never a crash.
#include <algorithm>
#include <string>
#include <vector>

#include "common/cp1252.h"
#include "fuzz/harness.h"
#include "project/lookup_table.h"

namespace kest::fuzz {

namespace {

constexpr std::size_t kHead = 12;
constexpr char kRowEnd = '\n';
constexpr char kCellEnd = '\x1F';

using Table = std::vector<std::vector<std::string>>;  // Windows-1252 cells

// A definition that can hold a file: 1-8 fields of 1-16 characters, in fixed-length mode
// one after the other with gaps of 0 or 1 blank.
LookupRecord layout_of(Input head) {
    LookupRecord l{};
    l.fieldCount = static_cast<u8>(1 + head[0] % 8);
    l.keyField = static_cast<u8>(head[2] % l.fieldCount);
    const char separators[] = {';', ',', '|', '\t', '\xA7'};
    l.separator = head[1] & 1 ? static_cast<u8>(separators[head[3] % 5]) : 0;
    int position = 1;
    for (int f = 0; f < l.fieldCount; ++f) {
        l.fieldLength[f] = static_cast<u8>(1 + (head[4 + f / 2] >> (f % 2 * 4)) % 16);
        if (f) position += (head[8] >> f) & 1;
        l.fieldStart[f] = static_cast<u8>(position);
        position += l.fieldLength[f];
    }
    l.recordLength = static_cast<u8>(position - 1 + head[9] % 4);
    return l;
}

Table table_of(std::string_view text, int columns) {
    Table table;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = std::min(text.find(kRowEnd, start), text.size());
        std::vector<std::string> row;
        std::size_t cell = start;
        while (static_cast<int>(row.size()) < columns) {
            const std::size_t stop = std::min(text.find(kCellEnd, cell), end);
            row.emplace_back(text.substr(std::min(cell, end), stop - std::min(cell, end)));
            cell = stop + 1;
        }
        table.push_back(std::move(row));
        start = end + 1;
    }
    return table;
}

// The table as a spreadsheet writes it: cells quoted where they must be (and else now and
// then), each record's first line noted, in UTF-8, UTF-16LE with its mark, or Windows-1252.
std::string csv_of(const Table& table, char32_t separator, int style, std::vector<int>& lines) {
    std::u32string text;
    int line = 1;
    for (const auto& row : table) {
        lines.push_back(line);
        for (std::size_t c = 0; c < row.size(); ++c) {
            std::u32string cell;
            for (unsigned char b : row[c]) cell += cp1252_char(b);
            const bool must = cell.find_first_of(std::u32string{separator, U'"', 0x0D, 0x0A}) != std::u32string::npos ||
                              (row.size() == 1 && cell.empty());
            const bool quote = must || (style & 4 && c % 2 == 0);
            std::u32string written;
            for (const char32_t ch : cell) {
                written += ch;
                if (ch == U'"') written += ch;
            }
            for (std::size_t i = 0; i < cell.size(); ++i)
                if (cell[i] == 0x0A || (cell[i] == 0x0D && (i + 1 == cell.size() || cell[i + 1] != 0x0A))) ++line;
            text += (c ? std::u32string(1, separator) : U"") + (quote ? U"\"" + written + U"\"" : written);
        }
        text += style & 8 ? U"\n" : U"\r\n";
        ++line;
    }
    switch (style & 3) {
    case 0: return to_utf8(text);
    case 1: return "\xEF\xBB\xBF" + to_utf8(text);
    case 2: {
        std::string le = "\xFF\xFE";
        for (const char32_t c : text) le += static_cast<char>(c & 0xFF), le += static_cast<char>(c >> 8);
        return le;
    }
    default: return *to_cp1252(text);
    }
}

// A value as the terminal finds it: blanks at the end are padding in fixed-length mode.
std::string read_as(std::string value, const LookupRecord& l, int f, bool cut) {
    if (cut && value.size() > l.fieldLength[f]) value.resize(l.fieldLength[f]);
    if (l.separator == 0) value.erase(value.find_last_not_of(' ') + 1);
    return value;
}

std::vector<std::string> fields_of(const std::string& line, const LookupRecord& l) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (int f = 0; f < l.fieldCount; ++f) {
        if (l.separator == 0) {
            fields.push_back(read_as(line.substr(l.fieldStart[f] - 1u, l.fieldLength[f]), l, f, false));
            continue;
        }
        const std::size_t end = std::min(line.find(static_cast<char>(l.separator), start), line.size());
        fields.push_back(line.substr(start, end - start));
        start = end + 1;
    }
    return fields;
}

// Whether a value keeps its record out, and why.
bool faulty(const std::string& cell, const LookupRecord& l, int f, bool cut) {
    if (cell.find_first_of(std::string("\r\n\0", 3)) != std::string::npos) return true;
    if (l.separator && cell.find(static_cast<char>(l.separator)) != std::string::npos) return true;
    return !cut && read_as(cell, l, f, false).size() > l.fieldLength[f];
}

bool blank(const std::string& s) { return s.find_first_not_of(' ') == std::string::npos; }

// Any bytes as a table: refused with a place, or lines that fit the definition.
std::string raw_table(Input csv, const LookupRecord& layout, const LookupBuildOptions& options) {
    const LookupTable t = build_lookup_table(csv, layout, options);
    for (const LookupProblem& p : t.problems) {
        const bool whole = p.fault == LookupFault::NoRecords || p.fault == LookupFault::TooFewColumns ||
                           p.fault == LookupFault::UnknownColumn || p.fault == LookupFault::ColumnsForFields;
        if (!whole && p.line < 1) return "a refusal without its line: " + problem_text(p);
    }
    if (!t.ok()) return t.lines.empty() ? "" : "a refused table left lines";
    for (std::size_t i = 0; i < t.lines.size(); ++i) {
        if (t.lines[i].size() > static_cast<std::size_t>(kMaxLookupLineLength)) return "a line is too long";
        if (check_lookup_line(t.lines[i], static_cast<int>(i) + 1, layout)) return "a line does not fit its lookup";
    }
    return {};
}

}  // namespace

// 12 bytes of definition and options (fields, mode, key, separator, four bytes of lengths,
// gaps, record length, options, the table's writing), then the table: records end in LF,
// cells in 0x1F, cells are Windows-1252.
std::string lookup_csv(Input input) {
    if (input.size() < kHead) return {};
    const LookupRecord layout = layout_of(input.first(kHead));
    const std::uint8_t flags = input[10], style = input[11];
    LookupBuildOptions options;
    options.cut = flags & 1;
    options.unique = flags & 2;
    options.sort = flags & 4;
    const std::string problem = raw_table(input.subspan(kHead), layout, options);
    if (!problem.empty()) return "as raw bytes: " + problem;

    const std::string_view body(reinterpret_cast<const char*>(input.data()) + kHead, input.size() - kHead);
    const Table table = table_of(body, layout.fieldCount);
    if (table.empty()) return {};
    const char32_t csvSeparator = U";,\t"[(style >> 4) % 3];
    options.separator = csvSeparator;
    options.header = flags & 8 ? LookupBuildOptions::Header::Detect : LookupBuildOptions::Header::No;
    // Windows-1252 that happens to be valid UTF-8 is read as UTF-8 unless told.
    if ((style & 3) == 3) options.encoding = TextEncoding::Windows1252;
    std::vector<int> lines;
    const std::string csv = csv_of(table, csvSeparator, style, lines);
    const LookupTable t =
        build_lookup_table({reinterpret_cast<const std::uint8_t*>(csv.data()), csv.size()}, layout, options);

    // NUL bytes outside UTF-16 make the file no text at all: no record is read.
    if (!t.ok() && t.problems.front().fault == LookupFault::NulBytes)
        return csv.find('\0') != std::string::npos && (style & 3) != 2 ? "" : "refused for NUL bytes it does not have";

    const int n = layout.fieldCount;
    bool header = false;
    if (options.header == LookupBuildOptions::Header::Detect) {
        header = true;
        for (int f = 0; f < n; ++f) header = header && faulty(table[0][f], layout, f, false);
    }
    if (t.header != header) return "the header row was not told as the rule says";
    std::vector<std::string> keys;
    for (std::size_t r = header ? 1 : 0; r < table.size(); ++r)
        keys.push_back(read_as(table[r][layout.keyField], layout, layout.keyField, options.cut));

    if (!t.ok()) {
        for (const LookupProblem& p : t.problems) {
            const auto at = std::find(lines.begin(), lines.end(), p.line);
            if (at == lines.end()) {
                if (p.fault == LookupFault::NoRecords && table.size() == (header ? 1u : 0u)) continue;
                return "refused at a line where no record starts: " + problem_text(p);
            }
            const auto& row = table[static_cast<std::size_t>(at - lines.begin())];
            const int f = p.field - 1;
            bool real = false;
            switch (p.fault) {
            case LookupFault::TooLong:
            case LookupFault::HoldsSeparator:
            case LookupFault::LineBreak: real = f >= 0 && f < n && faulty(row[f], layout, f, options.cut); break;
            case LookupFault::EmptyKey:
                real = blank(read_as(row[layout.keyField], layout, layout.keyField, options.cut));
                break;
            case LookupFault::DuplicateKey:
                real = options.unique &&
                       std::count(keys.begin(), keys.end(),
                                  read_as(row[layout.keyField], layout, layout.keyField, options.cut)) > 1;
                break;
            case LookupFault::LineTooLong: real = layout.separator != 0; break;
            default: real = false;
            }
            if (!real) return "refused for a fault the table does not have: " + problem_text(p);
        }
        return {};
    }

    std::vector<std::vector<std::string>> expected, got;
    for (std::size_t r = header ? 1 : 0; r < table.size(); ++r) {
        std::vector<std::string> values;
        for (int f = 0; f < n; ++f) {
            if (faulty(table[r][f], layout, f, options.cut)) return "a faulty value was not refused";
            values.push_back(read_as(table[r][f], layout, f, options.cut));
        }
        expected.push_back(std::move(values));
    }
    for (const std::string& line : t.lines) got.push_back(fields_of(line, layout));
    if (options.sort) {
        // Byte order of the key as it stands in the line (std::string compares bytes unsigned).
        auto key = [&](const std::string& line) {
            return layout.separator
                       ? fields_of(line, layout)[layout.keyField]
                       : line.substr(layout.fieldStart[layout.keyField] - 1u, layout.fieldLength[layout.keyField]);
        };
        for (std::size_t i = 1; i < t.lines.size(); ++i)
            if (key(t.lines[i]) < key(t.lines[i - 1])) return "the lines are not in key order";
        std::sort(expected.begin(), expected.end());
        std::sort(got.begin(), got.end());
    }
    if (got != expected) return "the lines do not read back as the table's values";
    return {};
}

}  // namespace kest::fuzz
