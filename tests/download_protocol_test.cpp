#include "link/download.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace kest
