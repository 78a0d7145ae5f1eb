#include "kestemu/core/terminal.h"

#include <gtest/gtest.h>

#include "tests/kestemu_harness.h"

namespace kest::emu {
namespace {

using testing::TerminalHarness;
using testing::text;

Bytes block_of(std::size_t b) {
    Bytes block(ApplicationDownload::kBlockBytes);
    for (std::size_t i = 0; i < block.size(); ++i) block[i] = static_cast<std::uint8_t>(b * 7 + i * 13);
    return block;
}

Bytes packet_of(std::size_t b) { return ApplicationDownload::packet(block_of(b), static_cast<std::uint8_t>(b)); }

TEST(KestemuTerminal, HandshakeIsAcknowledged) {
    TerminalHarness t;
    EXPECT_EQ(t.send("VELMOR\r"), "ACK\r");
    EXPECT_EQ(t.terminal.mode(), Terminal::Mode::Handshaken);
}

TEST(KestemuTerminal, ApplicationDownloadStoresTheWholeImage) {
    TerminalHarness t;
    t.send("VELMOR\r");
    Bytes expected;
    for (std::size_t b = 0; b < ApplicationDownload::kBlocks; ++b) {
        ASSERT_EQ(t.send(packet_of(b)), "ACK\r") << "block " << b;
        const Bytes block = block_of(b);
        expected.insert(expected.end(), block.begin(), block.end());
        if (b + 1 < ApplicationDownload::kBlocks) {
            EXPECT_FALSE(t.state.files.count("image.bin"));
        }
    }
    ASSERT_TRUE(t.state.files.count("image.bin"));
    EXPECT_EQ(t.state.files["image.bin"], expected);
}

TEST(KestemuTerminal, DamagedOrUnexpectedPacketsAreRefused) {
    TerminalHarness t;
    t.send("VELMOR\r");
    ASSERT_EQ(t.send(packet_of(0)), "ACK\r");
    ASSERT_EQ(t.send(packet_of(1)), "ACK\r");

    Bytes badSum = packet_of(2);
    badSum[5] ^= 0x40;
    EXPECT_EQ(t.send(badSum), "NAK\r");
    EXPECT_EQ(t.send(packet_of(3)), "NAK\r") << "block 3 before block 2";
    EXPECT_EQ(t.send(packet_of(0)), "NAK\r") << "neither the next nor the last block";
    EXPECT_EQ(t.send(packet_of(1)), "ACK\r") << "the last block again: its ACK was lost";
    EXPECT_EQ(t.send(packet_of(2)), "ACK\r");
    EXPECT_EQ(t.terminal.mode(), Terminal::Mode::Application);
}

TEST(KestemuTerminal, PacketBrokenIntoPiecesIsStoredWhole) {
    TerminalHarness t;
    t.send("VELMOR\r");
    const Bytes p = packet_of(0);
    EXPECT_EQ(t.send(Bytes(p.begin(), p.begin() + 40)), "");
    EXPECT_EQ(t.send(Bytes(p.begin() + 40, p.end())), "ACK\r");
}

TEST(KestemuTerminal, ShortPacketIsRefusedAfterTheFrameGapAndTheRepeatIsTaken) {
    TerminalHarness t;
    t.send("VELMOR\r");
    t.send(packet_of(0));
    const Bytes p = packet_of(1);
    EXPECT_EQ(t.send(Bytes(p.begin(), p.end() - 1)), "");
    EXPECT_EQ(t.wait(Terminal::kFrameGap), "NAK\r");
    EXPECT_EQ(t.send(p), "ACK\r");
}

TEST(KestemuTerminal, NewHandshakeRestartsTheDownload) {
    TerminalHarness t;
    t.send("VELMOR\r");
    t.send(packet_of(0));
    t.send(packet_of(1));
    EXPECT_EQ(t.send("VELMOR\r"), "ACK\r");
    EXPECT_EQ(t.send(packet_of(0)), "ACK\r");
}

TEST(KestemuTerminal, LookupLinesMakeOneFilePerDownload) {
    TerminalHarness t;
    t.send("VELMOR\r");
    // "\x86\x87" sums to 0x010D: the low sum byte travels as 0x0E.
    for (const std::string line : {"4711;Schraube", "", "\x86\x87"})
        EXPECT_EQ(t.send(LookupDownload::packet(text(line))), "ACK\r") << line;
    EXPECT_EQ(t.terminal.mode(), Terminal::Mode::Lookup);
    EXPECT_EQ(t.send("OVER\r"), "ACK\r");
    EXPECT_EQ(testing::as_text(t.state.files["lookup-1.txt"]), "4711;Schraube\r\n\r\n\x86\x87\r\n");

    EXPECT_EQ(t.send("OVER\r"), "ACK\r") << "OVER again after a lost ACK";
    EXPECT_FALSE(t.state.files.count("lookup-2.txt"));

    t.send("VELMOR\r");
    EXPECT_EQ(t.send("OVER\r"), "ACK\r") << "an empty lookup file";
    EXPECT_EQ(t.state.files["lookup-2.txt"], Bytes{});
}

TEST(KestemuTerminal, LookupChecksumsAreChecked) {
    struct Case {
        Bytes packet;
        std::string reply;
    };
    const Bytes good = LookupDownload::packet(text("ABC"));
    Bytes badSum = good;
    badSum[3] ^= 1;
    // 0x0D sum bytes travel as 0x0E; a raw 0x0D would have ended the packet early.
    Bytes sum0D0D(13, 0xFF);
    sum0D0D.push_back(0x1A);  // 13 * 0xFF + 0x1A = 0x0D0D
    const Bytes escaped = LookupDownload::packet(sum0D0D);
    const Case cases[] = {{good, "ACK\r"}, {badSum, "NAK\r"}, {escaped, "ACK\r"}, {Bytes{0x00, 0x00, 0x0D}, "ACK\r"}};
    for (const auto& c : cases) {
        TerminalHarness t;
        t.send("VELMOR\r");
        t.send(LookupDownload::packet(text("first")));
        EXPECT_EQ(t.send(c.packet), c.reply) << testing::as_text(c.packet);
    }
    EXPECT_EQ(escaped[escaped.size() - 3], 0x0E);
    EXPECT_EQ(escaped[escaped.size() - 2], 0x0E);
}

TEST(KestemuTerminal, OverlongLookupLineIsRefused) {
    TerminalHarness t;
    t.send("VELMOR\r");
    t.send(LookupDownload::packet(text("first")));
    EXPECT_EQ(t.send(LookupDownload::packet(Bytes(LookupDownload::kMaxLine, 'x'))), "ACK\r");
    EXPECT_EQ(t.send(LookupDownload::packet(Bytes(LookupDownload::kMaxLine + 1, 'x'))), "NAK\r");
}

TEST(KestemuTerminal, UploadSendsFramesOneAtATime) {
    TerminalConfig config;
    config.records = [] { return split_records(text("A1\r\nB22\nC\n")); };
    TerminalHarness t(config);
    const auto frame = [](std::uint8_t seq, const std::string& data) {
        return testing::as_text(DataUpload::frame(seq, text(data)));
    };
    EXPECT_EQ(t.send("READ\r"), "ACK\r" + frame(0, "A1"));
    EXPECT_EQ(t.send("NAK\r"), frame(0, "A1"));
    EXPECT_EQ(t.send("ACK\r"), frame(1, "B22"));
    EXPECT_EQ(t.send("garbage\r"), frame(1, "B22"));
    EXPECT_EQ(t.send("ACK\r"), frame(2, "C"));
    EXPECT_EQ(t.send("ACK\r"), "OVER\r");
    EXPECT_EQ(t.send("NAK\r"), "OVER\r") << "OVER again when it was not understood";
    EXPECT_EQ(t.send("ACK\r"), "");
    EXPECT_EQ(t.send("READ\r"), "ACK\r" + frame(0, "A1")) << "a new upload starts from the first record";
}

TEST(KestemuTerminal, UploadFramesCarrySequenceAndEscapedSums) {
    // 16-bit sum of sequence and data, low byte first; 0x0D becomes 0x0E.
    EXPECT_EQ(DataUpload::frame(3, text("AB")), (Bytes{3, 'A', 'B', 0x86, 0x00, 0x0D}));
    EXPECT_EQ(DataUpload::frame(0, Bytes{0x0D - 1}), (Bytes{0, 0x0C, 0x0C, 0x00, 0x0D}));
    EXPECT_EQ(DataUpload::frame(1, Bytes{0x0C}), (Bytes{1, 0x0C, 0x0E, 0x00, 0x0D}));
    Bytes big(13, 0xFF);
    big.push_back(0x19);  // with the sequence byte 1 the sum is 0x0D0D
    const Bytes f = DataUpload::frame(1, big);
    EXPECT_EQ(f[f.size() - 3], 0x0E);
    EXPECT_EQ(f[f.size() - 2], 0x0E);
}

TEST(KestemuTerminal, SequenceNumbersWrapAfterNine) {
    TerminalConfig config;
    config.records = [] {
        std::vector<Bytes> r;
        for (int i = 0; i < 12; ++i) r.push_back(text("R" + std::to_string(i)));
        return r;
    };
    TerminalHarness t(config);
    std::string reply = t.send("READ\r");
    for (int i = 0; i < 12; ++i) {
        const std::string frame =
            testing::as_text(DataUpload::frame(static_cast<std::uint8_t>(i % 10), text("R" + std::to_string(i))));
        EXPECT_EQ(reply, (i == 0 ? "ACK\r" : "") + frame) << i;
        reply = t.send("ACK\r");
    }
    EXPECT_EQ(reply, "OVER\r");
}

TEST(KestemuTerminal, UploadWithoutRecordsEndsAtOnce) {
    TerminalHarness t;
    EXPECT_EQ(t.send("READ\r"), "ACK\rOVER\r");
}

TEST(KestemuTerminal, RecordsFileLinesSplitOnAnyLineEnd) {
    const auto records = split_records(text("one\r\ntwo\nthree\r\n\nlast"));
    ASSERT_EQ(records.size(), 5u);
    EXPECT_EQ(records[0], text("one"));
    EXPECT_EQ(records[2], text("three"));
    EXPECT_EQ(records[3], Bytes{});
    EXPECT_EQ(records[4], text("last"));
}

TEST(KestemuTerminal, IdleTerminalRefusesUnknownCommandsButNotStrayAcknowledgements) {
    TerminalHarness t;
    EXPECT_EQ(t.send("HELLO\r"), "NAK\r");
    EXPECT_EQ(t.send("NAK\r"), "");
    EXPECT_EQ(t.send("ACK\r"), "");
}

}  // namespace
}  // namespace kest::emu
