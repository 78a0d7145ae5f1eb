// Object programs that srec_cat writes from random data in random shapes (record types,
// line lengths, line ends, header and count records), read back by the loader: the check
// and the send records must give back exactly the data srec_cat was given, whatever the
// size of the blocks the file is read in; one character changed must be refused on its
// line for the reason the change makes.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <fstream>
#include <map>
#include <optional>
#include <random>
#include <sstream>

#include "loader/srec.h"
#include "tests/integration/run_tool.h"

namespace kest::testing {
namespace {

using Memory = std::map<std::uint32_t, std::uint8_t>;

struct Program {
    std::string text;
    Memory memory;
    std::string shape;
};

// Written by srec_cat: one to three segments of random data apart from each other.
Program write_program(std::mt19937& random, const TempDir& dir) {
    const int addressBytes = 2 + static_cast<int>(random() % 3);
    const std::uint64_t top = std::uint64_t{1} << (8 * addressBytes);
    const int perLine = 1 + static_cast<int>(random() % (addressBytes == 4 ? 250 : 64));
    const char* eol = std::array{"crlf", "nl", "cr"}[random() % 3];
    const int segments = 1 + static_cast<int>(random() % 3);
    std::vector<std::string> args;
    Program program;
    std::uint64_t address = random() % (top / 2);
    for (int s = 0; s < segments && address < top; ++s) {
        const auto size = std::min<std::uint64_t>(1 + random() % 3000, top - address);
        std::vector<unsigned char> bytes(size);
        for (auto& b : bytes) b = static_cast<unsigned char>(random());
        const std::string file = dir.file("segment" + std::to_string(s));
        TempDir::write(file, bytes);
        args.insert(args.end(), {file, "-binary", "-offset", std::to_string(address)});
        for (std::size_t i = 0; i < size; ++i) program.memory[static_cast<std::uint32_t>(address + i)] = bytes[i];
        address += size + 1 + random() % 5000;
    }
    const std::string shx = dir.file("program.shx");
    args.insert(args.end(), {"-o", shx, "-motorola", "-address-length=" + std::to_string(addressBytes),
                             "-obs=" + std::to_string(perLine), "-line-termination=" + std::string(eol),
                             "-execution-start-address=" + std::to_string(program.memory.begin()->first),
                             random() % 2 ? "-enable=header" : "-disable=header",
                             random() % 2 ? "-enable=data-count" : "-disable=data-count"});
    const ToolRun run = run_tool("srec_cat", args);
    EXPECT_EQ(run.status, 0) << run.err;
    program.text = slurp(shx);
    program.shape = "S" + std::to_string(addressBytes - 1) + ", " + std::to_string(perLine) + " bytes a line, " + eol;
    if (random() % 3 == 0) {
        for (auto& c : program.text) c = static_cast<char>(c >= 'A' && c <= 'F' ? c + 32 : c);
        program.shape += ", lower case";
    }
    return program;
}

// The data the send records carry.
Memory sent_memory(const std::vector<std::vector<std::uint8_t>>& records) {
    Memory memory;
    for (const auto& r : records) {
        const std::uint32_t address = std::uint32_t{r[3]} << 24 | std::uint32_t{r[4]} << 16 | r[5] << 8 | r[6];
        for (std::size_t i = 7; i + 2 < r.size(); ++i) memory[address + static_cast<std::uint32_t>(i - 7)] = r[i];
    }
    return memory;
}

std::vector<std::vector<std::uint8_t>> convert_in_pieces(std::string_view text, std::size_t piece,
                                                         std::optional<loader::SrecError>* error = nullptr) {
    std::vector<std::vector<std::uint8_t>> records;
    loader::SrecConverter converter([&](std::span<const std::uint8_t> r) {
        records.emplace_back(r.begin(), r.end());
        return true;
    });
    bool going = true;
    for (std::size_t at = 0; going && at < text.size(); at += piece) going = converter.feed(text.substr(at, piece));
    if (going) converter.finish();
    if (error) *error = converter.error();
    return records;
}

std::size_t random_block(std::mt19937& random) {
    return random() % 4 ? 1 + random() % (2 * loader::kMaxSrecLine) : loader::kSrecBlockSize;
}

unsigned hex_digit(char c) {
    return static_cast<unsigned>(c <= '9' ? c - '0' : c <= 'F' ? c - 'A' + 10 : c - 'a' + 10);
}

bool is_hex(char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; }

std::string shown(char c) {
    const auto u = static_cast<unsigned char>(c);
    if (u >= 0x20 && u < 0x7F) return std::string("'") + c + "'";
    char text[16];
    std::snprintf(text, sizeof text, "byte 0x%02X", u);
    return text;
}

// The line (from 1) and the reason a change of the character at `at` into `to` gives,
// "" when the file stays good, nothing when the change makes a different record.
std::optional<std::pair<std::size_t, std::string>> expected_refusal(const std::string& text, std::size_t at, char to) {
    std::size_t line = 1, start = 0;
    for (std::size_t i = 0; i < at; ++i) {
        if (text[i] == '\n' && i > 0 && text[i - 1] == '\r') {
            start = i + 1;
            continue;
        }
        if (text[i] == '\r' || text[i] == '\n') {
            ++line;
            start = i + 1;
        }
    }
    const std::size_t end = text.find_first_of("\r\n", at);
    const std::size_t column = at - start;
    const char from = text[at];
    using Refusal = std::pair<std::size_t, std::string>;
    if (column == 0) return Refusal{line, to == 'S' || to == 's' ? "" : "the line does not start with 'S'"};
    if (column == 1) {
        if (to == '4') return Refusal{line, "S4 records are not supported"};
        if (to >= '0' && to <= '9') return std::nullopt;
        return Refusal{line, "unknown record type " + shown(to)};
    }
    if ((to == ' ' || to == '\t') && at + 1 == end)
        return Refusal{line, "the line has an odd number of hexadecimal digits"};
    if (!is_hex(to))
        return Refusal{line, shown(to) + " in column " + std::to_string(column + 1) + " is not a hexadecimal digit"};
    if (hex_digit(to) == hex_digit(from)) return Refusal{line, ""};
    if (column <= 3) {
        std::string count = text.substr(start + 2, 2);
        count[column - 2] = to;
        const std::size_t bytes = (end - start - 2) / 2 - 1;
        return Refusal{line, hex_digit(count[0]) * 16 + hex_digit(count[1]) > bytes
                                 ? "the line is shorter than its byte count says"
                                 : "the line is longer than its byte count says"};
    }
    return Refusal{line, "the checksum does not match"};
}

TEST(SrecCatPrograms, ReadBackExactlyInAnyBlocksAndRefusedWhenOneCharacterChanges) {
    const std::string hexDigits = "0123456789ABCDEFabcdef", others = "Ss4 \tGxz:\x01\x7F\x80\xFF";
    for (unsigned seed = 1; seed <= 40; ++seed) {
        std::mt19937 random(seed);
        TempDir dir;
        const Program program = write_program(random, dir);
        ASSERT_FALSE(program.text.empty()) << seed;
        const std::string label = "seed " + std::to_string(seed) + " (" + program.shape + ")";

        std::istringstream in(program.text);
        const loader::SrecReport report = loader::check_srec(in, random_block(random));
        ASSERT_TRUE(report.ok()) << label << ": " << report.error->line << " " << report.error->text;
        std::vector<loader::AddressRange> runs;
        for (const auto& [address, byte] : program.memory)
            if (runs.empty() || runs.back().end != address)
                runs.push_back({address, address + 1u});
            else
                ++runs.back().end;
        ASSERT_EQ(report.ranges.size(), runs.size()) << label;
        for (std::size_t i = 0; i < runs.size(); ++i) {
            EXPECT_EQ(report.ranges[i].begin, runs[i].begin) << label;
            EXPECT_EQ(report.ranges[i].end, runs[i].end) << label;
        }
        EXPECT_EQ(report.dataBytes, program.memory.size()) << label;
        const auto records = convert_in_pieces(program.text, random_block(random));
        ASSERT_FALSE(records.empty()) << label;
        EXPECT_TRUE(std::equal(records.back().begin(), records.back().end(), loader::kEndRecord.begin(),
                               loader::kEndRecord.end()))
            << label;
        EXPECT_TRUE(sent_memory(records) == program.memory) << label;

        for (int change = 0; change < 25; ++change) {
            // Anywhere, or at the start or the end of a line.
            std::size_t at = random() % program.text.size();
            while (program.text[at] == '\r' || program.text[at] == '\n') at = (at + 1) % program.text.size();
            const std::size_t start = program.text.find_last_of("\r\n", at) + 1;
            if (random() % 4 == 0) at = start + random() % 4;
            if (random() % 8 == 0) at = std::min(program.text.find_first_of("\r\n", at), program.text.size()) - 1;
            const std::string& from = random() % 2 ? hexDigits : others;
            const char to = from[random() % from.size()];
            const auto expected = expected_refusal(program.text, at, to);
            if (!expected) continue;
            std::string changed = program.text;
            changed[at] = to;
            const std::string where = label + ", '" + shown(to) + "' at " + std::to_string(at);
            std::istringstream damaged(changed);
            const loader::SrecReport r = loader::check_srec(damaged, random_block(random));
            std::optional<loader::SrecError> converted;
            convert_in_pieces(changed, random_block(random), &converted);
            if (expected->second.empty()) {
                EXPECT_TRUE(r.ok()) << where;
                EXPECT_FALSE(converted) << where;
                continue;
            }
            ASSERT_FALSE(r.ok()) << where;
            EXPECT_EQ(r.error->line, expected->first) << where;
            EXPECT_EQ(r.error->text, expected->second) << where;
            ASSERT_TRUE(converted) << where;
            EXPECT_EQ(converted->line, expected->first) << where;
            EXPECT_EQ(converted->text, expected->second) << where;
        }
    }
}

}  // namespace
}  // namespace kest::testing
