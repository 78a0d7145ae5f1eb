// Tables as spreadsheets write them: quoting, separators, line ends, blank lines, the
// separator told from the first records, and faults with their place.
#include <gtest/gtest.h>

#include <random>

#include "common/csv.h"
#include "common/text_encoding.h"

namespace kest {
namespace {

using Rows = std::vector<std::pair<int, std::vector<std::string>>>;  // line, cells (UTF-8)

Rows rows_of(const CsvTable& t) {
    Rows rows;
    for (const CsvRow& r : t.rows) {
        std::vector<std::string> cells;
        for (const auto& c : r.cells) cells.push_back(to_utf8(c));
        rows.emplace_back(r.line, cells);
    }
    return rows;
}

std::u32string u32(const std::string& utf8) {
    return decode_text({reinterpret_cast<const std::uint8_t*>(utf8.data()), utf8.size()}).text;
}

TEST(Csv, ReadsWhatSpreadsheetsWrite) {
    struct Case {
        const char* name;
        std::string text;
        Rows rows;
    };
    const Case cases[] = {
        {"CR LF", "a;b\r\nc;d\r\n", {{1, {"a", "b"}}, {2, {"c", "d"}}}},
        {"LF, no end", "a;b\nc;d", {{1, {"a", "b"}}, {2, {"c", "d"}}}},
        {"CR", "a;b\rc;d\r", {{1, {"a", "b"}}, {2, {"c", "d"}}}},
        {"blank lines skipped", "\r\na;b\r\n\r\n\nc;d\n\n", {{2, {"a", "b"}}, {5, {"c", "d"}}}},
        {"empty cells", ";x;\r\n", {{1, {"", "x", ""}}}},
        {"quoted separator and quote", "\"a;b\";\"say \"\"hi\"\"\"\n", {{1, {"a;b", "say \"hi\""}}}},
        {"line breaks inside quotes", "\"1\r\n2\";x\r\nnext;y\n", {{1, {"1\r\n2", "x"}}, {3, {"next", "y"}}}},
        {"quoted empty cell is a record", "\"\"\n", {{1, {""}}}},
        {"stray quote inside a cell", "5\" Rohr;x\n", {{1, {"5\" Rohr", "x"}}}},
        {"blanks kept", " a ; b \n", {{1, {" a ", " b "}}}},
        {"umlauts", "M\xC3\xBCller;\xE2\x82\xAC\n", {{1, {"M\xC3\xBCller", "\xE2\x82\xAC"}}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const CsvTable t = read_csv(u32(c.text), U';');
        EXPECT_FALSE(t.error);
        EXPECT_EQ(rows_of(t), c.rows);
    }
}

TEST(Csv, FaultsNameTheirRecordAndCell) {
    struct Case {
        std::string text;
        CsvError::Kind kind;
        int line, column;
    };
    const Case cases[] = {
        {"a;b\r\nc;\"open\r\nstill open", CsvError::Kind::QuoteNotClosed, 2, 2},
        {"a;\"b\"x;c\n", CsvError::Kind::TextAfterQuote, 1, 2},
        {"ok\n\n\"x\" ;y\n", CsvError::Kind::TextAfterQuote, 3, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const CsvTable t = read_csv(u32(c.text), U';');
        ASSERT_TRUE(t.error);
        EXPECT_EQ(t.error->kind, c.kind);
        EXPECT_EQ(t.error->line, c.line);
        EXPECT_EQ(t.error->column, c.column);
    }
}

TEST(Csv, TheSeparatorThatDividesTheRecordsEvenly) {
    const std::pair<std::string, char32_t> cases[] = {
        {"a;b;c\n1;2;3\n", U';'},
        {"a,b,c\n1,2,3\n", U','},
        {"a\tb\n1\t2\n", U'\t'},
        {"4711;Schraube 1,5 mm;3\n4712;Mutter 2,5;4\n", U';'},  // decimal commas in every record
        {"\"a;b\",c\n\"1;2\",3\n", U','},                       // separators inside quotes do not count
        {"a;b,c\n1;2\n", U';'},
        {"ein Feld\nnoch eins\n", U';'},
    };
    for (const auto& [text, separator] : cases) EXPECT_EQ(detect_csv_separator(u32(text)), separator) << text;
    // The cells a table must have decide between separators that both divide evenly.
    EXPECT_EQ(detect_csv_separator(u32("a,b,c;d\ne,f,g;h\n")), U',');
    EXPECT_EQ(detect_csv_separator(u32("a,b,c;d\ne,f,g;h\n"), 2), U';');
    EXPECT_EQ(detect_csv_separator(u32("a,b,c;d\ne,f,g;h\n"), 3), U',');
    EXPECT_EQ(detect_csv_separator(u32("Schraube, M4\nMutter, M4\n"), 1), U';');
}

// Any cells, written the way a careful exporter writes them (quoted when they need it, or
// at random), read back as the same cells.
TEST(Csv, CellsReadBackWhateverTheQuoting) {
    std::mt19937 random(4180);
    const std::u32string alphabet = U"ab;,\t\"\r\n \u00FC\u20AC";
    for (int round = 0; round < 300; ++round) {
        const char32_t sep = kCsvSeparators[random() % 3];
        std::vector<std::vector<std::u32string>> table(1 + random() % 5, std::vector<std::u32string>(1 + random() % 4));
        std::u32string text;
        for (auto& row : table) {
            for (std::size_t c = 0; c < row.size(); ++c) {
                for (int k = random() % 6; k > 0; --k) row[c] += alphabet[random() % alphabet.size()];
                const bool needs = row[c].find_first_of(std::u32string{sep, U'"', 0x0D, 0x0A}) != std::u32string::npos;
                // A record of one empty cell is quoted, or it would be a blank line.
                const bool quote = needs || random() % 3 == 0 || (row.size() == 1 && row[c].empty());
                std::u32string cell = row[c];
                for (std::size_t at = 0; quote && (at = cell.find(U'"', at)) != std::u32string::npos; at += 2)
                    cell.insert(at, 1, U'"');
                text += (c ? std::u32string(1, sep) : U"") + (quote ? U"\"" + cell + U"\"" : cell);
            }
            text += random() % 2 ? U"\r\n" : U"\n";
        }
        const CsvTable t = read_csv(text, sep);
        ASSERT_FALSE(t.error) << to_utf8(text);
        ASSERT_EQ(t.rows.size(), table.size()) << to_utf8(text);
        for (std::size_t r = 0; r < table.size(); ++r) EXPECT_EQ(t.rows[r].cells, table[r]) << to_utf8(text);
    }
}

// What csv_record writes, the reader gives back cell for cell (records of more than one
// cell, as the tables of received records have them).
TEST(Csv, RecordsWrittenReadBack) {
    std::mt19937 random(4181);
    const std::vector<std::string> alphabet = {"a", "b", ";", ",", "\t", "\"", "\r", "\n", " ", "\xC3\xBC"};
    for (int round = 0; round < 300; ++round) {
        const char sep = random() % 2 ? ';' : ',';
        std::vector<std::vector<std::string>> table(1 + random() % 5, std::vector<std::string>(2 + random() % 4));
        std::string text;
        for (auto& row : table) {
            for (auto& cell : row)
                for (int k = random() % 6; k > 0; --k) cell += alphabet[random() % alphabet.size()];
            text += csv_record(row, sep, random() % 2 ? "\r\n" : "\n");
        }
        const CsvTable t = read_csv(u32(text), static_cast<char32_t>(sep));
        ASSERT_FALSE(t.error) << text;
        ASSERT_EQ(rows_of(t).size(), table.size()) << text;
        for (std::size_t r = 0; r < table.size(); ++r) EXPECT_EQ(rows_of(t)[r].second, table[r]) << text;
    }
}

}  // namespace
}  // namespace kest
