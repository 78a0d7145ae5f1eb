// Lookup files from the tables users have: a CSV table becomes the lines of a lookup file in
// the layout of one LookupRecord, the way the terminal reads them (fixed-length fields at
// their start positions, blank-padded, or fields joined by the separator), in Windows-1252.
// Also the check of a lookup file's lines against a layout.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "common/text_encoding.h"
#include "project/lookup_problem.h"
#include "project/project.h"

namespace kest {

struct LookupBuildOptions {
    std::optional<TextEncoding> encoding = {};  // detected when not given
    std::optional<char32_t> separator = {};     // of the table; detected when not given
    enum class Header { Detect, Yes, No };
    // Detect: the first record is a header row when none of its cells would fit its field.
    Header header = Header::Detect;
    // The table's column of each field, in field order: a 1-based number or a header name
    // (UTF-8). Empty: the columns in order, as many as the lookup has fields.
    std::vector<std::string> columns = {};
    bool cut = false;     // cut over-long values to their field instead of refusing the table
    bool unique = false;  // refuse duplicate keys instead of warning
    bool sort = false;    // order the records by key, byte for byte
};

struct LookupTable {
    std::vector<std::string> lines;       // Windows-1252, without line ends
    std::vector<LookupProblem> problems;  // why the table is refused (the first kMaxProblems)
    int problemCount = 0;                 // all of them
    std::vector<LookupProblem> warnings;  // duplicate keys that did not refuse the table
    int cutValues = 0;
    TextEncoding encoding = TextEncoding::Utf8;
    char32_t separator = U';';
    bool header = false;  // the first record was taken as a header row
    int firstLine = 0;    // where the first record (or the header row) starts
    int columns = 0;

    bool ok() const { return problemCount == 0; }
};

inline constexpr std::size_t kMaxProblems = 20;

// What makes a lookup definition unusable for a file: no fields, a key outside them,
// fields of length 0, fixed-length fields that overlap or leave the record, a separator that
// cannot divide a line.
std::vector<LookupProblem> layout_problems(const LookupRecord& layout);

LookupTable build_lookup_table(std::span<const std::uint8_t> csv, const LookupRecord& layout,
                               const LookupBuildOptions& options);

// A lookup file's line against the layout: the record length in fixed-length mode; the
// count of separators and each field's maximum length in separator mode.
std::optional<LookupProblem> check_lookup_line(const std::string& line, int lineNumber, const LookupRecord& layout);

// The lines as a file: each followed by CR LF.
std::string lookup_file_text(const std::vector<std::string>& lines);

}  // namespace kest
