#include "loader/flash_protocol.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <sstream>

#include "tests/support/fake_clock.h"
#include "tests/support/flash_terminal.h"
#include "tests/support/scripted_port.h"
#include "tests/support/scripted_ui.h"
#include "tests/support/srec_text.h"

namespace kest::loader {
namespace {

using testing::Bytes;
using testing::bytes_of;
using testing::srec_line;
using testing::srec_lines;
using testing::text_of;

Bytes pattern(std::size_t n) {
    Bytes b(n);
    for (std::size_t i = 0; i < n; ++i) b[i] = static_cast<std::uint8_t>(i * 13 + 5);
    return b;
}

class FlashAttempt : public ::testing::Test {
protected:
    FlashAttempt() : port(clock), link(port, clock) {
        terminal.attach(port);
        port.open("COM1", kInQueue, kDownloadOutQueue);
    }

    FlashOutcome run(const std::string& text) {
        std::istringstream in(text);
        return flash_attempt(link, in, ui);
    }

    std::vector<std::string> texts_written() const {
        std::vector<std::string> out;
        for (const auto& w : port.writes()) out.push_back(text_of(w));
        return out;
    }

    testing::FakeClock clock;
    testing::ScriptedPort port;
    Link link;
    testing::ScriptedUi ui;
    testing::FlashTerminal terminal;
    const Bytes image = pattern(300);
    const std::string program = srec_lines('3', 0x10000, image, 16) + srec_line('7', 0, {});
};

TEST_F(FlashAttempt, WakesErasesAndSendsEveryRecordThenTheEndRecord) {
    terminal.onErase = {"FB"};
    ASSERT_EQ(run(program), FlashOutcome::Done);
    const auto w = texts_written();
    ASSERT_GE(w.size(), 5u);
    EXPECT_EQ(w[0], "\x0D");
    EXPECT_EQ(w[1], "QUENTIR\x0D");
    EXPECT_EQ(w[2], "DOWNLOAD\x0D");
    EXPECT_EQ(w[3], ":ERASE\x0D");
    EXPECT_EQ(w.back(), text_of(Bytes(kEndRecord.begin(), kEndRecord.end())));
    EXPECT_EQ(terminal.records, 4);  // 96 + 96 + 96 + 12 bytes
    EXPECT_TRUE(terminal.endSeen);
    ASSERT_EQ(terminal.flash.size(), image.size());
    for (std::size_t i = 0; i < image.size(); ++i)
        ASSERT_EQ(terminal.flash[0x10000 + static_cast<std::uint32_t>(i)], image[i]) << i;
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(ui.progressWindows, 2);  // the erase window, then the progress window
    EXPECT_FALSE(ui.progressOpen);
    ASSERT_FALSE(ui.progress.empty());
    EXPECT_EQ(ui.progress.front(), 0);
    EXPECT_EQ(ui.progress.back(), 100);
    EXPECT_TRUE(std::is_sorted(ui.progress.begin(), ui.progress.end()));
}

// A stop request ends the attempt before its next packet, and the outcome tells whether
// the flash was touched.
TEST_F(FlashAttempt, StopRequestEndsBeforeTheNextPacket) {
    static volatile std::sig_atomic_t stop = 0;
    link.set_stop_flag(&stop);
    const struct {
        const char* name;
        std::string stopAt;  // the write after which the stop comes
        FlashOutcome outcome;
        std::string last;    // the last write
    } cases[] = {
        {"while waking", "QUENTIR\x0D", FlashOutcome::StoppedBeforeErase, "DOWNLOAD\x0D"},
        {"while sending", "S3", FlashOutcome::Stopped, "S3"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        stop = 0;
        terminal.records = 0;
        terminal.onWrite = [&](const Bytes& w) {
            if (text_of(w).rfind(c.stopAt, 0) == 0) stop = 1;
        };
        const std::size_t before = port.writes().size();
        EXPECT_EQ(run(program), c.outcome);
        const auto w = texts_written();
        EXPECT_EQ(w.back().substr(0, c.last.size()), c.last);
        EXPECT_EQ(std::count(w.begin() + static_cast<long>(before), w.end(), ":ERASE\x0D"),
                  c.outcome == FlashOutcome::Stopped ? 1 : 0);
        EXPECT_LE(terminal.records, 1);
        EXPECT_TRUE(ui.messages.empty());
        EXPECT_FALSE(ui.progressOpen);
    }
    link.set_stop_flag(nullptr);
}

TEST_F(FlashAttempt, LoaderAlreadyWaitingIsServedWithoutQuentir) {
    for (const char* word : {"FN", "FF"}) {
        SCOPED_TRACE(word);
        testing::ScriptedPort p(clock);
        Link l(p, clock);
        testing::FlashTerminal t;
        t.onCr = {word};
        t.attach(p);
        p.open("COM1", kInQueue, kDownloadOutQueue);
        std::istringstream in(program);
        ASSERT_EQ(flash_attempt(l, in, ui), FlashOutcome::Done);
        ASSERT_GE(p.writes().size(), 2u);
        EXPECT_EQ(text_of(p.writes()[1]), ":ERASE\x0D");
    }
}

TEST_F(FlashAttempt, WakeUpAnswersDecideTheNextStep) {
    struct Case {
        const char* name;
        std::deque<std::string> cr, quentir, download;
        std::vector<std::string> writes;  // up to the erase command
    };
    const std::vector<Case> cases = {
        {"FN to QUENTIR", {""}, {"FN"}, {}, {"\x0D", "QUENTIR\x0D", ":ERASE\x0D"}},
        {"FN to DOWNLOAD", {""}, {"ACK1"}, {"FN"}, {"\x0D", "QUENTIR\x0D", "DOWNLOAD\x0D", ":ERASE\x0D"}},
        {"second cycle", {"", ""}, {"NAK", "ACK1"}, {}, {"\x0D", "QUENTIR\x0D", "\x0D", "QUENTIR\x0D", "DOWNLOAD\x0D", ":ERASE\x0D"}},
        {"lower case is not a word", {"fn", ""}, {"ack1", "FN"}, {}, {"\x0D", "QUENTIR\x0D", "\x0D", "QUENTIR\x0D", ":ERASE\x0D"}},
    };
    for (const auto& c : cases) {
        testing::ScriptedPort p(clock);
        Link l(p, clock);
        testing::FlashTerminal t;
        t.onCr = c.cr;
        t.onQuentir = c.quentir;
        t.onDownload = c.download;
        t.attach(p);
        std::istringstream in(program);
        ASSERT_EQ(flash_attempt(l, in, ui), FlashOutcome::Done) << c.name;
        const auto w = p.writes();
        ASSERT_GE(w.size(), c.writes.size()) << c.name;
        for (std::size_t i = 0; i < c.writes.size(); ++i) EXPECT_EQ(text_of(w[i]), c.writes[i]) << c.name << " " << i;
    }
}

TEST_F(FlashAttempt, SilentTerminalIsNotReadyAfterThreeCycles) {
    terminal.crDefault = "";
    terminal.quentirDefault = "";
    EXPECT_EQ(run(program), FlashOutcome::NotReady);
    EXPECT_EQ(port.writes().size(), 6u);  // CR and QUENTIR, three times
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "Terminal is not ready!");
    EXPECT_EQ(ui.messages[0].caption, "Program Download");
    EXPECT_EQ(ui.messages[0].icon, Icon::Warning);
    EXPECT_EQ(ui.progressWindows, 0);
}

TEST_F(FlashAttempt, EraseRepliesDecideTheOutcome) {
    struct Case {
        const char* name;
        std::deque<std::string> erase;
        bool completes;
        FlashOutcome outcome;
        const char* message;  // nullptr: none
        std::size_t eraseCommands;
    };
    const std::vector<Case> cases = {
        {"FA at once", {"FA"}, true, FlashOutcome::Done, nullptr, 1},
        {"FB then FA", {"FB"}, true, FlashOutcome::Done, nullptr, 1},
        {"FA on the third cycle", {"??", "", "FA"}, true, FlashOutcome::Done, nullptr, 3},
        {"never", {"??", "??", "??"}, true, FlashOutcome::EraseRefused, "Can't erase flash memory!", 3},
        {"FB without end", {"FB"}, false, FlashOutcome::EraseFailed, "Failed to erase flash memory!", 1},
    };
    for (const auto& c : cases) {
        testing::ScriptedPort p(clock);
        Link l(p, clock);
        testing::ScriptedUi u;
        testing::FlashTerminal t;
        t.onErase = c.erase;
        t.eraseCompletes = c.completes;
        t.attach(p);
        std::istringstream in(program);
        const std::uint32_t start = clock.ticks();
        EXPECT_EQ(flash_attempt(l, in, u), c.outcome) << c.name;
        std::size_t erases = 0;
        for (const auto& w : p.writes()) erases += text_of(w) == ":ERASE\x0D";
        EXPECT_EQ(erases, c.eraseCommands) << c.name;
        if (c.message) {
            ASSERT_EQ(u.texts(), std::vector<std::string>{c.message}) << c.name;
            EXPECT_FALSE(t.endSeen) << c.name;
        } else {
            EXPECT_TRUE(u.messages.empty()) << c.name;
        }
        if (c.outcome == FlashOutcome::EraseFailed) {
            EXPECT_GE(clock.ticks() - start, kEraseMs) << c.name;
        }
    }
}

TEST_F(FlashAttempt, RecordRepliesFollowTheRetryRules) {
    struct Case {
        const char* name;
        std::deque<std::string> replies;  // for the first record
        FlashOutcome outcome;
        int transmissions;  // of the first record
    };
    const std::vector<Case> cases = {
        {"FN then FA", {"FN", "FA"}, FlashOutcome::Done, 2},
        {"late FA after noise", {"??|XX|FA"}, FlashOutcome::Done, 1},
        {"FF", {"FF"}, FlashOutcome::RecordFailed, 1},
        {"three FN", {"FN", "FN", "FN"}, FlashOutcome::RecordFailed, 3},
        {"noise then FA", {"a|b|c|d", "FA"}, FlashOutcome::Done, 2},
        {"silence", {"", "", ""}, FlashOutcome::RecordFailed, 3},
    };
    const Bytes first = bytes_of(text_of(convert_srec_text(program)[0]));
    for (const auto& c : cases) {
        testing::ScriptedPort p(clock);
        Link l(p, clock);
        testing::ScriptedUi u;
        testing::FlashTerminal t;
        t.onRecord = c.replies;
        t.attach(p);
        std::istringstream in(program);
        EXPECT_EQ(flash_attempt(l, in, u), c.outcome) << c.name;
        int sent = 0;
        for (const auto& w : p.writes()) sent += w == first;
        EXPECT_EQ(sent, c.transmissions) << c.name;
        if (c.outcome == FlashOutcome::Done) {
            EXPECT_TRUE(u.messages.empty()) << c.name;
            EXPECT_TRUE(t.endSeen) << c.name;
        } else {
            EXPECT_EQ(u.texts(), std::vector<std::string>{"Error on downloading!"}) << c.name;
            EXPECT_EQ(p.writes().back(), first) << c.name << ": nothing is sent after a failed record";
            EXPECT_FALSE(u.progressOpen) << c.name;
        }
    }
}

TEST_F(FlashAttempt, DamagedFilesAreRefusedBeforeAnyByteReachesThePort) {
    std::string badSum = program;
    badSum[badSum.find("\r\n") - 1] ^= 1;
    std::string nonHex = program;
    nonHex[20] = 'x';
    const std::string shortLine = program.substr(0, program.find("\r\n") - 4) + program.substr(program.find("\r\n"));
    const std::string noEnd = program.substr(0, program.rfind("S7"));
    const std::vector<std::pair<std::string, std::string>> cases = {
        {badSum, "Line 1: the checksum does not match"},
        {nonHex, "Line 1: 'x' in column 21 is not a hexadecimal digit"},
        {shortLine, "Line 1: the line is shorter than its byte count says"},
        {noEnd, "Error on downloading!!"},
        {"", "Error on downloading!!"},
    };
    for (const auto& [text, message] : cases) {
        testing::ScriptedPort p(clock);
        Link l(p, clock);
        testing::ScriptedUi u;
        std::istringstream in(text);
        EXPECT_EQ(flash_attempt(l, in, u), FlashOutcome::BadFile) << message;
        EXPECT_TRUE(p.writes().empty()) << message;
        ASSERT_EQ(u.messages.size(), 1u);
        EXPECT_NE(u.messages[0].text.find(message), std::string::npos) << u.messages[0].text;
        EXPECT_EQ(u.messages[0].caption, "Program Download");
    }
}

}  // namespace
}  // namespace kest::loader
