#include <gtest/gtest.h>

#include "kestemu/core/flash_loader.h"
#include "tests/kestemu_harness.h"

namespace kest::emu {
namespace {

using testing::TerminalHarness;
using testing::text;

Bytes data_of(std::size_t n, std::uint8_t first) {
    Bytes d(n);
    for (std::size_t i = 0; i < n; ++i) d[i] = static_cast<std::uint8_t>(first + i);
    return d;
}

const Bytes kEnd{0x53, 0x37, 0x05, 0x00, 0x00, 0x00, 0x00, 0xFA, 0x0D};

// Wakes the loader the way the PC does and erases the flash.
void wake_and_erase(TerminalHarness& t) {
    ASSERT_EQ(t.send("\r"), "NAK\r") << "the application does not know a bare CR";
    ASSERT_EQ(t.send("QUENTIR\r"), "ACK1\r");
    ASSERT_EQ(t.send("DOWNLOAD\r"), "ACK2\r");
    ASSERT_EQ(t.send(":ERASE\r"), "FA\r");
}

TEST(KestemuFlash, RecordsAreWrittenAndTheEndRecordSavesTheImage) {
    TerminalHarness t;
    wake_and_erase(t);
    EXPECT_EQ(t.send(FlashRecords::record('3', 0x00012340, data_of(96, 0))), "FA\r");
    EXPECT_EQ(t.send(FlashRecords::record('3', 0x00012340 + 96, data_of(4, 96))), "FA\r");
    // After a gap: the image fills the hole with erased bytes.
    EXPECT_EQ(t.send(FlashRecords::record('3', 0x00012340 + 104, data_of(2, 0xA0))), "FA\r");
    EXPECT_FALSE(t.state.files.count("flash.bin"));
    EXPECT_EQ(t.send(kEnd), "FA\r");

    Bytes expected = data_of(100, 0);
    expected.insert(expected.end(), {0xFF, 0xFF, 0xFF, 0xFF, 0xA0, 0xA1});
    EXPECT_EQ(t.state.files["flash.bin"], expected);
    EXPECT_EQ(testing::as_text(t.state.files["flash.base"]), "00012340\n");
    EXPECT_EQ(t.terminal.mode(), Terminal::Mode::Idle) << "the terminal starts the new program";
}

TEST(KestemuFlash, RecordsHoldingCrBytesAreFramedByTheirCount) {
    TerminalHarness t;
    wake_and_erase(t);
    const Bytes crs(20, 0x0D);
    EXPECT_EQ(t.send(FlashRecords::record('3', 0x000D0D0D, crs)), "FA\r");
    EXPECT_EQ(t.send(kEnd), "FA\r");
    EXPECT_EQ(t.state.files["flash.bin"], crs);
}

TEST(KestemuFlash, BadRecordsAreAnsweredAgainOrFailed) {
    struct Case {
        const char* what;
        Bytes record;
        std::string reply;
    };
    const Bytes good = FlashRecords::record('3', 0x100, data_of(16, 1));
    Bytes badSum = good;
    badSum[10] ^= 0x01;
    Bytes noCr(good.begin(), good.end() - 1);
    noCr.push_back('x');
    Bytes badType = good;
    badType[1] = '1';
    const Case cases[] = {
        {"good", good, "FA\r"},
        {"checksum", badSum, "FN\r"},
        {"no CR after the count", noCr, "FN\r"},
        {"type", badType, "FN\r"},
        {"beyond the flash", FlashRecords::record('3', 0x10000 - 8, data_of(16, 1)), "FF\r"},
        {"below the flash", FlashRecords::record('3', 0xFF, data_of(16, 1)), "FF\r"},
    };
    for (const auto& c : cases) {
        TerminalConfig config;
        config.flashBase = 0x100;
        config.flashSize = 0x10000 - 0x100;
        TerminalHarness t(config);
        wake_and_erase(t);
        EXPECT_EQ(t.send(c.record), c.reply) << c.what;
    }
}

TEST(KestemuFlash, SameRecordTwiceIsAcceptedButOtherDataNeedsAnErase) {
    TerminalHarness t;
    wake_and_erase(t);
    const Bytes first = FlashRecords::record('3', 0x2000, data_of(8, 1));
    EXPECT_EQ(t.send(first), "FA\r");
    EXPECT_EQ(t.send(first), "FA\r") << "sent again after a lost FA";
    EXPECT_EQ(t.send(FlashRecords::record('3', 0x2004, data_of(8, 9))), "FF\r");
    EXPECT_EQ(t.send(":ERASE\r"), "FA\r");
    EXPECT_EQ(t.send(FlashRecords::record('3', 0x2004, data_of(8, 9))), "FA\r");
}

TEST(KestemuFlash, SlowEraseAnswersFbThenFaAfterTheDelay) {
    TerminalConfig config;
    config.eraseDelay = 3000 * kMillis;
    TerminalHarness t(config);
    t.send("QUENTIR\r");
    t.send("DOWNLOAD\r");
    EXPECT_EQ(t.send(":ERASE\r"), "FB\r");
    EXPECT_EQ(t.send("\r"), "") << "input is ignored while erasing";
    EXPECT_EQ(t.wait(2900 * kMillis), "");
    EXPECT_EQ(t.wait(100 * kMillis), "FA\r");
    EXPECT_EQ(t.send("\r"), "FN\r");
}

TEST(KestemuFlash, WaitingLoaderAnswersTheWakeUpAtOnce) {
    TerminalConfig config;
    config.loaderWaiting = true;
    TerminalHarness t(config);
    EXPECT_EQ(t.send("\r"), "FN\r");
    EXPECT_EQ(t.send("QUENTIR\r"), "FN\r");
    EXPECT_EQ(t.send("DOWNLOAD\r"), "ACK2\r");
    EXPECT_EQ(t.send("VELMOR\r"), "") << "the loader ignores what it does not know";
}

TEST(KestemuFlash, IncompleteRecordIsAskedForAgainAfterTheFrameGap) {
    TerminalHarness t;
    wake_and_erase(t);
    const Bytes r = FlashRecords::record('3', 0x40, data_of(16, 1));
    EXPECT_EQ(t.send(Bytes(r.begin(), r.end() - 3)), "");
    EXPECT_EQ(t.wait(Terminal::kFrameGap), "FN\r");
    EXPECT_EQ(t.send(r), "FA\r");
}

TEST(KestemuFlash, BrokenOffDownloadIsKeptWhenTheEmulatorStops) {
    TerminalHarness t;
    wake_and_erase(t);
    t.send(FlashRecords::record('3', 0x80, data_of(4, 1)));
    EXPECT_FALSE(t.state.files.count("flash.bin"));
    t.terminal.finish();
    EXPECT_EQ(t.state.files["flash.bin"], data_of(4, 1));
    EXPECT_EQ(testing::as_text(t.state.files["flash.base"]), "00000080\n");
}

// A whole 16 MiB flash costs little more than 16 MiB; writes at both ends cost two pages.
TEST(KestemuFlash, MemoryHoldsAboutOneBytePerWrittenByte) {
    constexpr std::uint32_t kFlash = 16u << 20;
    FlashMemory full(0, kFlash);
    const Bytes chunk = data_of(250, 3);
    for (std::uint32_t at = 0; at < kFlash; at += 250)
        full.write(at, ByteView(chunk).first(std::min<std::size_t>(250, kFlash - at)));
    EXPECT_LE(full.footprint(), kFlash + kFlash / 8 + (1u << 20));
    std::uint64_t imaged = 0;
    for (const ByteView piece : full.image_pieces()) imaged += piece.size();
    EXPECT_EQ(imaged, kFlash);

    FlashMemory ends(0x100000, kFlash);
    ends.write(0x100000 + kFlash - 2, Bytes{1, 2});
    ends.write(0x100001, Bytes{9});
    EXPECT_LE(ends.footprint(), 2 * (FlashMemory::kPageSize + FlashMemory::kPageSize / 8 + 64));
    EXPECT_EQ(ends.lowest(), 0x100001u);
    const Bytes image = ends.image();
    ASSERT_EQ(image.size(), kFlash - 1);
    EXPECT_EQ(image.front(), 9);
    EXPECT_EQ(image[1], 0xFF);
    EXPECT_EQ(image[image.size() - 3], 0xFF);
    EXPECT_EQ(image[image.size() - 2], 1);
    EXPECT_EQ(image.back(), 2);
    EXPECT_FALSE(ends.writable(0x100001, Bytes{8}));
    EXPECT_TRUE(ends.writable(0x100000, Bytes{8, 9}));
    ends.erase();
    EXPECT_TRUE(ends.empty());
    EXPECT_TRUE(ends.writable(0x100001, Bytes{8}));
}

TEST(KestemuFlash, EndRecordChecksumOfCountFiveAddressZeroIsFA) { EXPECT_EQ(FlashRecords::record('7', 0, {}), kEnd); }

}  // namespace
}  // namespace kest::emu
