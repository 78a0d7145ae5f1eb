#include "loader/srec.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>

#include "tests/support/scripted_port.h"
#include "tests/support/srec_text.h"

namespace kest::loader {
namespace {

using testing::Bytes;
using testing::srec_line;
using testing::srec_lines;

Bytes send_record(std::uint32_t address, const Bytes& data) {
    Bytes r = {'S',
               '3',
               static_cast<std::uint8_t>(data.size() + 5),
               static_cast<std::uint8_t>(address >> 24),
               static_cast<std::uint8_t>(address >> 16),
               static_cast<std::uint8_t>(address >> 8),
               static_cast<std::uint8_t>(address)};
    r.insert(r.end(), data.begin(), data.end());
    unsigned sum = 0;
    for (std::size_t i = 2; i < r.size(); ++i) sum += r[i];
    r.push_back(static_cast<std::uint8_t>(0xFF - (sum & 0xFF)));
    r.push_back(0x0D);
    return r;
}

Bytes pattern(std::size_t n, std::uint8_t seed) {
    Bytes b(n);
    for (std::size_t i = 0; i < n; ++i) b[i] = static_cast<std::uint8_t>(seed + i * 7);
    return b;
}

Bytes slice(const Bytes& b, std::size_t from, std::size_t n) {
    return Bytes(b.begin() + static_cast<std::ptrdiff_t>(from), b.begin() + static_cast<std::ptrdiff_t>(from + n));
}

const Bytes kEnd(kEndRecord.begin(), kEndRecord.end());

TEST(SendRecords, SixteenByteLinesMergeIntoNinetySixByteRecords) {
    const Bytes image = pattern(16 * 13, 1);
    const std::string text = srec_lines('3', 0x8000, image, 16) + srec_line('7', 0, {});
    const auto records = convert_srec_text(text);
    ASSERT_EQ(records.size(), 4u);
    EXPECT_EQ(records[0], send_record(0x8000, slice(image, 0, 96)));
    EXPECT_EQ(records[1], send_record(0x8000 + 96, slice(image, 96, 96)));
    EXPECT_EQ(records[2], send_record(0x8000 + 192, slice(image, 192, 16)));
    EXPECT_EQ(records[3], kEnd);
}

TEST(SendRecords, GapSendsThePendingRecordAtOnce) {
    const Bytes a = pattern(32, 3), b = pattern(16, 9);
    const std::string text = srec_lines('3', 0x1000, a, 16) + srec_lines('3', 0x2000, b, 16) + srec_line('7', 0, {});
    const auto records = convert_srec_text(text);
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0], send_record(0x1000, a));
    EXPECT_EQ(records[1], send_record(0x2000, b));
}

TEST(SendRecords, ThreeByteAddressGetsALeadingZero) {
    const Bytes data = {0xDE, 0xAD, 0xBE, 0xEF};
    const auto records = convert_srec_text(srec_line('2', 0x012340, data) + srec_line('8', 0, {}));
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(slice(records[0], 3, 4), (Bytes{0x00, 0x01, 0x23, 0x40}));
    EXPECT_EQ(records[0], send_record(0x012340, data));
}

TEST(SendRecords, EndRecordIsAlwaysS7WithAddressZero) {
    for (char end : {'7', '8', '9'}) {
        const auto records = convert_srec_text(srec_line('1', 0x0100, {1, 2}) + srec_line(end, 0x0100, {}));
        ASSERT_EQ(records.size(), 2u) << end;
        EXPECT_EQ(records[1], (Bytes{0x53, 0x37, 0x05, 0, 0, 0, 0, 0xFA, 0x0D})) << end;
    }
}

TEST(SendRecords, S1AddressIsSentAsFourBytesAndHeaderAndCountAreSkipped) {
    const std::string text = srec_line('0', 0, {'h', 'd', 'r'}) + srec_line('1', 0x1234, {7, 8}) +
                             srec_line('5', 1, {}) + srec_line('9', 0, {});
    const auto records = convert_srec_text(text);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0], send_record(0x1234, {7, 8}));
}

TEST(SendRecords, LineEndsOfAnyKindGiveTheSameRecords) {
    const Bytes image = pattern(200, 5);
    std::string crlf = srec_lines('3', 0, image, 32) + srec_line('7', 0, {});
    const auto expected = convert_srec_text(crlf);
    for (const char* eol : {"\n", "\r"}) {
        std::string other;
        for (std::size_t i = 0; i < crlf.size(); ++i) {
            if (crlf[i] == '\r') continue;
            other += crlf[i] == '\n' ? std::string(eol) : std::string(1, crlf[i]);
        }
        std::string lower = other;
        for (auto& c : lower) c = static_cast<char>(c >= 'A' && c <= 'F' ? c + 32 : c);
        lower[0] = 'S';
        EXPECT_EQ(convert_srec_text(other), expected);
        EXPECT_EQ(convert_srec_text(lower), expected);
    }
}

TEST(SendRecords, LongSourceRecordsNeverOverflowTheBuffer) {
    // 60 + 250-byte S2 records: the pending record goes before it would overflow, and a
    // record larger than one send record is split.
    const Bytes a = pattern(60, 1), b = pattern(251, 2);
    const auto records =
        convert_srec_text(srec_line('2', 0x100, a) + srec_line('2', 0x100 + 60, b) + srec_line('8', 0, {}));
    ASSERT_EQ(records.size(), 4u);
    EXPECT_EQ(records[0], send_record(0x100, a));
    EXPECT_EQ(records[1], send_record(0x100 + 60, slice(b, 0, 250)));
    EXPECT_EQ(records[2], send_record(0x100 + 310, slice(b, 250, 1)));
    for (const auto& r : records) EXPECT_LE(r.size(), kSendBufferSize);
}

TEST(SendRecords, ChunkBoundariesDoNotMatter) {
    const Bytes image = pattern(700, 11);
    const std::string text = srec_lines('3', 0x40000, image, 16) + srec_line('7', 0, {});
    const auto whole = convert_srec_text(text);
    for (std::size_t chunk : {1u, 7u, 256u}) {
        std::vector<Bytes> got;
        SrecConverter c([&](std::span<const std::uint8_t> r) {
            got.emplace_back(r.begin(), r.end());
            return true;
        });
        for (std::size_t i = 0; i < text.size(); i += chunk) c.feed(std::string_view(text).substr(i, chunk));
        c.finish();
        EXPECT_EQ(got, whole) << chunk;
    }
}

TEST(SrecCheck, AcceptsAToolWrittenFileAndReportsRanges) {
    const std::string text = srec_line('0', 0, {'x'}) + srec_lines('3', 0x1000, pattern(40, 1), 16) +
                             srec_lines('3', 0x2000, pattern(8, 1), 16) + srec_line('5', 4, {}) +
                             srec_line('7', 0x1000, {});
    const SrecReport r = check_srec_text(text);
    ASSERT_TRUE(r.ok()) << r.error->text;
    EXPECT_EQ(r.dataRecords, 4u);
    EXPECT_EQ(r.dataBytes, 48u);
    EXPECT_EQ(r.endType, '7');
    EXPECT_EQ(r.startAddress, 0x1000u);
    ASSERT_EQ(r.ranges.size(), 2u);
    EXPECT_EQ(r.ranges[0].begin, 0x1000u);
    EXPECT_EQ(r.ranges[0].end, 0x1028u);
    EXPECT_EQ(r.ranges[1].begin, 0x2000u);
}

struct Damaged {
    const char* name;
    std::string text;
    std::size_t line;      // expected line of the error (0: none)
    const char* fragment;  // part of the error text
};

TEST(SrecCheck, RefusesDamagedFilesNamingTheLine) {
    const std::string good = srec_line('3', 0x100, {1, 2, 3, 4});
    const std::string end = srec_line('7', 0, {});
    std::string badSum = good;
    badSum[badSum.size() - 3] = badSum[badSum.size() - 3] == '0' ? '1' : '0';
    std::string nonHex = good;
    nonHex[12] = 'G';
    const std::string shortLine = good.substr(0, good.size() - 4) + "\r\n";
    const std::string longLine = good.substr(0, good.size() - 2) + "00\r\n";
    const std::vector<Damaged> cases = {
        {"bad checksum", good + badSum + end, 2, "checksum"},
        {"non-hex", good + nonHex + end, 2, "hexadecimal"},
        {"short line", good + shortLine + end, 2, "shorter"},
        {"long line", longLine + end, 1, "longer"},
        {"odd digits", good + "S103000\r\n" + end, 2, "odd"},
        {"no end record", good + good.substr(0, 0), 0, "no end record"},
        {"empty", "", 0, "empty"},
        {"not a record", good + "hello\r\n" + end, 2, "'S'"},
        {"S4", good + "S4030000FC\r\n" + end, 2, "S4"},
        {"count disagrees", good + srec_line('5', 3, {}) + end, 2, "count record says 3"},
        {"address twice", good + srec_line('3', 0x102, {9}) + end, 2, "0x00000102 is given twice"},
        {"overlap from below", good + srec_line('3', 0xFE, {9, 9, 9}) + end, 2, "given twice"},
        {"record after end", good + end + good, 3, "follows the end"},
        {"count too small", "S10200FD\r\n" + end, 1, "too small"},
        {"end record only", end, 0, "no data records"},
        {"empty data records", srec_line('3', 0x100, {}) + end, 0, "hold no bytes"},
        {"line past the longest record", good + "S0" + std::string(514, 'F') + "\r\n" + end, 2, "longer than 514"},
        {"line without end", "S3" + std::string(20000, '0'), 1, "longer than 514"},
    };
    for (const auto& c : cases) {
        const SrecReport r = check_srec_text(c.text);
        ASSERT_FALSE(r.ok()) << c.name;
        EXPECT_EQ(r.error->line, c.line) << c.name;
        EXPECT_NE(r.error->text.find(c.fragment), std::string::npos) << c.name << ": " << r.error->text;
    }
}

// Files that once wrote past the decode buffer: a line longer than any record.
TEST(SrecCheck, OverlongLineFixturesAreRefusedBeforeTheyAreDecoded) {
    const char* data = std::getenv("KEST_TEST_DATA");
    for (const char* name : {"overlong_516.shx", "overlong_600.shx"}) {
        std::ifstream in(std::string(data ? data : "tests/data") + "/srec/" + name, std::ios::binary);
        ASSERT_TRUE(in) << name;
        const SrecReport r = check_srec(in);
        ASSERT_FALSE(r.ok()) << name;
        EXPECT_EQ(r.error->line, 1u) << name;
        EXPECT_EQ(r.error->text, "the line is longer than 514 characters (the longest record)") << name;
    }
    // The longest record itself still passes; blanks after it do not count.
    const std::string longest = srec_line('3', 0x100, Bytes(250, 0xA5));
    ASSERT_EQ(longest.size(), 514u + 2);
    const std::string blanks = longest.substr(0, 514) + "   \t\r\n";
    EXPECT_TRUE(check_srec_text(longest + srec_line('7', 0, {})).ok());
    EXPECT_TRUE(check_srec_text(blanks + srec_line('7', 0, {})).ok());
}

// Text without a line end is not read further than the longest record.
TEST(SrecCheck, EndlessLineStopsTheReadingEarly) {
    struct Zeros : std::streambuf {
        std::array<char, 4096> block{};
        std::uint64_t served = 0;
        int_type underflow() override {
            if (served >= (std::uint64_t{200} << 20)) return traits_type::eof();
            served += block.size();
            setg(block.data(), block.data(), block.data() + block.size());
            return traits_type::to_int_type(block[0]);
        }
    } zeros;
    std::istream in(&zeros);
    const SrecReport r = check_srec(in);
    ASSERT_FALSE(r.ok());
    EXPECT_LE(zeros.served, 8192u);
    EXPECT_EQ(r.error->line, 1u);
}

std::string facts(const SrecReport& r) {
    std::string s = r.error ? std::to_string(r.error->line) + " " + r.error->text : "ok " + std::to_string(r.fileSize);
    s += " " + std::to_string(r.dataRecords) + " " + std::to_string(r.dataBytes) + " " + std::string(1, r.endType);
    for (const auto& range : r.ranges) s += " " + std::to_string(range.begin) + "-" + std::to_string(range.end);
    return s;
}

// Every block size up to past twice the longest line puts each line end, each CR LF pair
// and each longest line across the edge of a block somewhere.
TEST(SrecCheck, LinesAcrossBlockEdgesReadAsInTheWholeText) {
    const std::string longest = srec_line('3', 0x100, Bytes(250, 0xA5));
    std::string lower = srec_lines('2', 0x300, pattern(90, 4), 30);
    for (auto& c : lower) c = static_cast<char>(c >= 'A' && c <= 'F' ? c + 32 : c);
    std::string blankTail = srec_line('3', 0x1000, Bytes(250, 0x5A));
    blankTail.replace(514, 2, std::string(30, ' ') + "\t\r");
    std::string s1 = srec_lines('1', 0x2000, pattern(40, 9), 16);
    std::replace(s1.begin(), s1.end(), '\n', '\r');
    const std::string good = srec_line('0', 0, {'h'}) + "\r\n\n\r" + longest + lower + blankTail + s1 +
                             srec_line('5', 8, {}) + srec_line('7', 0x100, {}).substr(0, 14);
    std::string badSum = good, nonBlank = good;
    char& digit = badSum[good.rfind("S1") + 9];
    digit = digit == '0' ? '1' : '0';
    nonBlank[good.find("\t\r") - 1] = 'x';
    const SrecReport read = check_srec_text(good);
    ASSERT_TRUE(read.ok()) << facts(read);
    EXPECT_EQ(read.dataRecords, 8u);
    EXPECT_EQ(read.dataBytes, 630u);
    const std::vector<std::pair<std::string, std::string>> texts = {
        {good, "ok"}, {badSum, "the checksum does not match"}, {nonBlank, "the line is longer than 514"}};
    for (const auto& [text, expected] : texts) {
        const SrecReport whole = check_srec_text(text);
        ASSERT_NE(facts(whole).find(expected), std::string::npos) << facts(whole);
        const auto records = convert_srec_text(text);
        for (std::size_t block = 1; block <= 2 * kMaxSrecLine + 64; ++block) {
            std::istringstream in(text);
            ASSERT_EQ(facts(check_srec(in, block)), facts(whole)) << expected << ", blocks of " << block;
            std::vector<Bytes> got;
            SrecConverter c([&](std::span<const std::uint8_t> r) {
                got.emplace_back(r.begin(), r.end());
                return true;
            });
            for (std::size_t i = 0; i < text.size() && c.feed(std::string_view(text).substr(i, block)); i += block) {
            }
            c.finish();
            ASSERT_EQ(got, records) << expected << ", pieces of " << block;
        }
    }
}

TEST(SrecCheck, StreamAndTextAgree) {
    const std::string text = srec_lines('2', 0x10000, pattern(5000, 3), 32) + srec_line('8', 0, {});
    std::istringstream in(text);
    const SrecReport a = check_srec(in), b = check_srec_text(text);
    ASSERT_TRUE(a.ok());
    EXPECT_EQ(a.fileSize, text.size());
    EXPECT_EQ(a.dataBytes, b.dataBytes);
    ASSERT_EQ(a.ranges.size(), 1u);
    EXPECT_EQ(a.ranges[0].end, 0x10000u + 5000);
}

}  // namespace
}  // namespace kest::loader

namespace kest::loader {
namespace {

// The conversion as the loader has always done it, character pair by character pair,
// for well-formed CR LF files with S2/S3 data and an S7/S9 end.
std::vector<Bytes> pairwise_records(const std::string& text) {
    std::vector<Bytes> out;
    std::array<std::uint8_t, 260> buf{};
    std::size_t h = 0;
    std::uint32_t e = 0, a = 0;
    int n = 0, addrLeft = 0;
    enum { LineStart, Count3, Count4, Address, Data, Checksum, LineEnd } state = LineStart;
    auto send = [&] {
        buf[2] = static_cast<std::uint8_t>(h - 2);
        unsigned sum = 0;
        for (std::size_t i = 2; i < h; ++i) sum += buf[i];
        buf[h] = static_cast<std::uint8_t>(0xFF - (sum & 0xFF));
        buf[h + 1] = 0x0D;
        out.emplace_back(buf.begin(), buf.begin() + static_cast<std::ptrdiff_t>(h + 2));
    };
    auto hex = [](char c) { return c <= '9' ? c - '0' : c - 'A' + 10; };
    for (std::size_t i = 0; i + 1 < text.size(); i += 2) {
        const char c1 = text[i], c2 = text[i + 1];
        const auto byte = static_cast<std::uint8_t>(hex(c1) * 16 + hex(c2));
        switch (state) {
        case LineStart:
            if (c2 == '7' || c2 == '9') {
                if (h > 0) send();
                out.emplace_back(kEndRecord.begin(), kEndRecord.end());
                return out;
            }
            if (h == 0) {
                buf[0] = 'S';
                buf[1] = '3';
                h = 3;
            }
            state = c2 == '2' ? Count3 : Count4;
            break;
        case Count3:
            n = byte - 4;
            addrLeft = 3;
            if (h < 7) buf[h++] = 0;
            state = Address;
            break;
        case Count4:
            n = byte - 5;
            addrLeft = 4;
            state = Address;
            break;
        case Address:
            a = a * 256 + byte;
            if (h < 7) buf[h++] = byte;
            if (--addrLeft == 0) {
                if (h > 7 && e != 0 && a != e) {
                    send();
                    buf[3] = static_cast<std::uint8_t>(a >> 24);
                    buf[4] = static_cast<std::uint8_t>(a >> 16);
                    buf[5] = static_cast<std::uint8_t>(a >> 8);
                    buf[6] = static_cast<std::uint8_t>(a);
                    h = 7;
                }
                e = a + static_cast<std::uint32_t>(n);
                a = 0;
                state = n > 0 ? Data : Checksum;
            }
            break;
        case Data:
            buf[h++] = byte;
            if (--n == 0) state = Checksum;
            break;
        case Checksum: state = LineEnd; break;
        case LineEnd:
            state = LineStart;
            if (h > 100) {
                send();
                h = 0;
            }
            break;
        }
    }
    return out;
}

TEST(SendRecords, WellFormedCrLfFilesGiveTheLoadersBytesExactly) {
    std::mt19937 random(42);
    for (int file = 0; file < 200; ++file) {
        std::string text;
        std::uint32_t address = 0x1000 + (random() % 0x10000);
        const int segments = 1 + static_cast<int>(random() % 6);
        for (int s = 0; s < segments; ++s) {
            const int lines = 1 + static_cast<int>(random() % 20);
            for (int l = 0; l < lines; ++l) {
                const char type = random() % 2 ? '2' : '3';
                Bytes data(1 + random() % 60);
                for (auto& b : data) b = static_cast<std::uint8_t>(random());
                text += srec_line(type, address, data);
                address += static_cast<std::uint32_t>(data.size());
            }
            address += 1 + random() % 0x400;  // a gap
        }
        text += srec_line(random() % 2 ? '7' : '9', 0, {});
        ASSERT_TRUE(check_srec_text(text).ok());
        ASSERT_EQ(convert_srec_text(text), pairwise_records(text)) << text;
    }
}

}  // namespace
}  // namespace kest::loader
