#include "link/download.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "tests/support/scripted_port.h"

namespace kest {
namespace {

using testing::Bytes;
using testing::bytes_of;

TEST(LookupPacket, ChecksumBytesNeverLookLikeCr) {
    struct Case {
        std::string line;
        Bytes tail;  // checksum high, low, CR
    };
    const Case cases[] = {
        {"", {0x00, 0x00, 0x0D}},
        {"A", {0x00, 0x41, 0x0D}},
        {std::string(13, '\xFF') + "\x1A", {0x0E, 0x0E, 0x0D}},     // sum 0x0D0D
        {"\x0D", {0x00, 0x0E, 0x0D}},                               // cannot occur in a line, but the rule holds
        {std::string(1, '\xFF') + "\x0E", {0x01, 0x0D + 1, 0x0D}},  // sum 0x010D
        {std::string(14, '\xFF') + "\x1E", {0x0E, 0x10, 0x0D}},     // sum 0x0E10: a real 0x0E stays
        {std::string(289, '\xFF'), {0x1F, 0xDF, 0x0D}},             // sum 73695: the high byte is cut to one byte
    };
    for (const Case& c : cases) {
        const auto packet = lookup_packet(c.line);
        ASSERT_EQ(packet.size(), c.line.size() + 3);
        EXPECT_EQ(Bytes(packet.begin(), packet.begin() + static_cast<long>(c.line.size())), bytes_of(c.line));
        EXPECT_EQ(Bytes(packet.end() - 3, packet.end()), c.tail) << c.line.size();
    }
}

// The lines of a lookup file, split on the whole text at once: CR LF, CR or LF ends a line,
// a last line without an end counts; the lines after the first over-long one never come.
struct Split {
    std::vector<std::string> lines;
    int tooLong = 0;
};
Split split_whole(const std::string& text) {
    std::vector<std::string> all;
    std::string line;
    bool open = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            all.push_back(line);
            line.clear();
            open = false;
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            line += text[i];
            open = true;
        }
    }
    if (open) all.push_back(line);
    Split out;
    for (const auto& l : all) {
        if (l.size() > kMaxLookupLine) {
            out.tooLong = static_cast<int>(out.lines.size()) + 1;
            break;
        }
        out.lines.push_back(l);
    }
    return out;
}

// Whatever the chunks the file is read in, a CR at the end of one and its LF at the start of
// the next make one line end.
TEST(LookupLines, ChunksSplitTheFileAsTheWholeTextDoes) {
    std::mt19937 random(24);
    const std::string alphabet = "ab\r\n\xFF";
    for (int round = 0; round < 2000; ++round) {
        std::string text;
        const int length = static_cast<int>(random() % 700);
        // Long runs without a line end now and then, to reach the longest line and past it.
        const bool longRuns = random() % 4 == 0;
        for (int i = 0; i < length; ++i) {
            const std::size_t pick = random() % alphabet.size();
            text += longRuns && pick >= 2 && random() % 50 != 0 ? 'x' : alphabet[pick];
        }
        const Split expected = split_whole(text);

        std::vector<std::string> got;
        LookupLines lines([&](const std::string& line) {
            got.push_back(line);
            return true;
        });
        bool whole = true;
        for (std::size_t at = 0; whole && at < text.size();) {
            const std::size_t n = std::min<std::size_t>(1 + random() % 5, text.size() - at);
            whole = lines.feed(bytes_of(text.substr(at, n)));
            at += n;
        }
        whole = whole && lines.finish();

        SCOPED_TRACE("round " + std::to_string(round));
        EXPECT_EQ(got, expected.lines);
        EXPECT_EQ(lines.too_long(), expected.tooLong);
        EXPECT_EQ(whole, expected.tooLong == 0);
    }
}

TEST(LookupLines, ARefusedLineEndsTheFeed) {
    std::vector<std::string> got;
    LookupLines lines([&](const std::string& line) {
        got.push_back(line);
        return line != "2";
    });
    EXPECT_FALSE(lines.feed(bytes_of("1\r\n2\r\n3\r\n")));
    EXPECT_EQ(got, (std::vector<std::string>{"1", "2"}));
    EXPECT_EQ(lines.too_long(), 0);
}

}  // namespace
}  // namespace kest
