#include "loader/flash_protocol.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <memory>
#include <sstream>

#include "tests/support/fake_clock.h"
#include "tests/support/emulated_port.h"
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

// Scripted replies of a flash loader, by the command they answer: each queue gives the
// reply words to one command after another ("" is silence, "A|B" two replies); when a
// queue runs dry its default answers. For the reply rules the terminal itself never shows.
struct LoaderScript {
    std::deque<std::string> onCr, onQuentir, onDownload, onErase, onRecord, onEnd;
    std::string crDefault = "", quentirDefault = "ACK1", downloadDefault = "ACK2", eraseDefault = "FA",
                recordDefault = "FA";
    bool eraseCompletes = true;                    // "FA" 3 s after "FB"
    std::function<void(const std::string&)> seen;  // sees every write first

    void attach(testing::ScriptedPort& port) {
        port.set_responder([this](testing::ScriptedPort& p, const Bytes& w) {
            const std::string text = text_of(w);
            if (seen) seen(text);
            std::string words;
            if (text == "\x0D")
                words = take(onCr, crDefault);
            else if (text == "QUENTIR\x0D")
                words = take(onQuentir, quentirDefault);
            else if (text == "DOWNLOAD\x0D")
                words = take(onDownload, downloadDefault);
            else if (text == ":ERASE\x0D")
                words = take(onErase, eraseDefault);
            else if (text.starts_with("S3"))
                words = take(onRecord, recordDefault);
            else if (text.starts_with("S7"))
                words = take(onEnd, "FA");
            for (std::size_t start = 0; start <= words.size();) {
                const std::size_t bar = std::min(words.find('|', start), words.size());
                const std::string word = words.substr(start, bar - start);
                if (!word.empty()) p.deliver(word + "\x0D", 5);
                if (word == "FB" && eraseCompletes) p.deliver(std::string("FA\x0D"), 3000);
                start = bar + 1;
            }
        });
    }

    static std::string take(std::deque<std::string>& q, const std::string& fallback) {
        if (q.empty()) return fallback;
        std::string s = q.front();
        q.pop_front();
        return s;
    }
};

// A flash attempt against the emulated terminal (direct cable; its loader erases in 3 s).
class FlashAttempt : public ::testing::Test {
protected:
    FlashAttempt() : terminal(clock, config()), link(terminal, clock) {
        terminal.open("COM1", kInQueue, kDownloadOutQueue);
        terminal.apply(LineSettings{115200});
    }
    static emu::EmulatorConfig config(bool loaderWaiting = false) {
        emu::EmulatorConfig c;
        c.direct = true;
        c.terminal.eraseDelay = 3000 * emu::kMillis;
        c.terminal.loaderWaiting = loaderWaiting;
        return c;
    }

    FlashOutcome run(const std::string& text) {
        std::istringstream in(text);
        return flash_attempt(link, in, ui);
    }

    // A flash attempt of the program against a scripted loader.
    struct Scripted {
        explicit Scripted(testing::FakeClock& clock) : port(clock) {}
        testing::ScriptedPort port;
        testing::ScriptedUi ui;
        LoaderScript script;
        FlashOutcome outcome = FlashOutcome::Done;
        RecordTrouble trouble;
    };
    std::unique_ptr<Scripted> run_scripted(const LoaderScript& script) {
        auto s = std::make_unique<Scripted>(clock);
        s->script = script;
        Link l(s->port, clock);
        s->script.attach(s->port);
        std::istringstream in(program);
        s->outcome = flash_attempt(l, in, s->ui, &s->trouble);
        return s;
    }

    std::vector<std::string> texts_written() const {
        std::vector<std::string> out;
        for (const auto& w : terminal.writes()) out.push_back(text_of(w));
        return out;
    }

    testing::FakeClock clock;
    testing::EmulatedPort terminal;
    Link link;
    testing::ScriptedUi ui;
    const Bytes image = pattern(300);
    const std::string program = srec_lines('3', 0x10000, image, 16) + srec_line('7', 0, {});
    const std::string endRecord = text_of(Bytes(kEndRecord.begin(), kEndRecord.end()));
};

TEST_F(FlashAttempt, WakesErasesAndSendsEveryRecordThenTheEndRecord) {
    ASSERT_EQ(run(program), FlashOutcome::Done);
    const auto w = texts_written();
    ASSERT_EQ(w.size(), 9u);  // 96 + 96 + 96 + 12 bytes in four records
    EXPECT_EQ(w[0], "\x0D");
    EXPECT_EQ(w[1], "QUENTIR\x0D");
    EXPECT_EQ(w[2], "DOWNLOAD\x0D");
    EXPECT_EQ(w[3], ":ERASE\x0D");  // answered "FB", then "FA" 3 s later
    EXPECT_EQ(w.back(), endRecord);
    // The terminal's flash holds the program.
    const auto& flash = terminal.emulator().terminal().flash();
    EXPECT_EQ(flash.lowest(), 0x10000u);
    EXPECT_EQ(flash.image(), image);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(ui.progressWindows, 2);  // the erase window, then the progress window
    EXPECT_FALSE(ui.progressOpen);
    ASSERT_FALSE(ui.progress.empty());
    EXPECT_EQ(ui.progress.front(), 0);
    EXPECT_EQ(ui.progress.back(), 100);
    EXPECT_TRUE(std::is_sorted(ui.progress.begin(), ui.progress.end()));
    // The amount counts program bytes, as the summary at the end does, record by record.
    ASSERT_EQ(ui.amounts.size(), 4u);
    EXPECT_EQ(ui.amounts.front(), std::make_pair(std::uint64_t{96}, std::uint64_t{300}));
    EXPECT_EQ(ui.amounts.back(), std::make_pair(std::uint64_t{300}, std::uint64_t{300}));
}

// A stop request ends the attempt before its next packet, and the outcome tells whether
// the flash was touched.
TEST_F(FlashAttempt, StopRequestEndsBeforeTheNextPacket) {
    static std::atomic<bool> stop{false};
    const struct {
        const char* name;
        std::string stopAt;  // the write after which the stop comes
        FlashOutcome outcome;
        std::string last;  // the last write
    } cases[] = {
        {"while waking", "QUENTIR\x0D", FlashOutcome::StoppedBeforeErase, "DOWNLOAD\x0D"},
        {"while sending", "S3", FlashOutcome::Stopped, "S3"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        stop = false;
        testing::ScriptedPort port(clock);
        LoaderScript script;
        script.seen = [&](const std::string& w) {
            if (w.starts_with(c.stopAt)) stop = true;
        };
        script.attach(port);
        port.open("COM1", kInQueue, kDownloadOutQueue);
        Link l(port, clock);
        l.set_stop_flag(&stop);
        std::istringstream in(program);
        EXPECT_EQ(flash_attempt(l, in, ui), c.outcome);
        std::vector<std::string> w;
        for (const auto& bytes : port.writes()) w.push_back(text_of(bytes));
        EXPECT_TRUE(w.back().starts_with(c.last));
        EXPECT_EQ(std::count(w.begin(), w.end(), ":ERASE\x0D"), c.outcome == FlashOutcome::Stopped ? 1 : 0);
        EXPECT_LE(std::count_if(w.begin(), w.end(), [](const std::string& x) { return x.starts_with("S3"); }), 1);
        EXPECT_TRUE(ui.messages.empty());
        EXPECT_FALSE(ui.progressOpen);
    }
}

TEST_F(FlashAttempt, LoaderAlreadyWaitingIsServedWithoutQuentir) {
    testing::EmulatedPort waiting(clock, config(true));  // answers "FN" to the opening CR
    Link l(waiting, clock);
    waiting.open("COM1", kInQueue, kDownloadOutQueue);
    std::istringstream in(program);
    ASSERT_EQ(flash_attempt(l, in, ui), FlashOutcome::Done);
    ASSERT_GE(waiting.writes().size(), 2u);
    EXPECT_EQ(text_of(waiting.writes()[1]), ":ERASE\x0D");
    EXPECT_EQ(waiting.emulator().terminal().flash().image(), image);

    // "FF" to the opening CR also says the loader waits.
    testing::ScriptedPort p(clock);
    Link scripted(p, clock);
    LoaderScript t;
    t.onCr = {"FF"};
    t.attach(p);
    std::istringstream again(program);
    ASSERT_EQ(flash_attempt(scripted, again, ui), FlashOutcome::Done);
    EXPECT_EQ(text_of(p.writes()[1]), ":ERASE\x0D");
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
        {"second cycle",
         {"", ""},
         {"NAK", "ACK1"},
         {},
         {"\x0D", "QUENTIR\x0D", "\x0D", "QUENTIR\x0D", "DOWNLOAD\x0D", ":ERASE\x0D"}},
        {"lower case is not a word",
         {"fn", ""},
         {"ack1", "FN"},
         {},
         {"\x0D", "QUENTIR\x0D", "\x0D", "QUENTIR\x0D", ":ERASE\x0D"}},
    };
    for (const auto& c : cases) {
        testing::ScriptedPort p(clock);
        Link l(p, clock);
        LoaderScript t;
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
    testing::ScriptedPort silent(clock);
    Link l(silent, clock);
    std::istringstream in(program);
    EXPECT_EQ(flash_attempt(l, in, ui), FlashOutcome::NotReady);
    EXPECT_EQ(silent.writes().size(), 6u);  // CR and QUENTIR, three times
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
        LoaderScript t;
        t.onErase = c.erase;
        t.eraseCompletes = c.completes;
        const std::uint32_t start = clock.ticks();
        const auto run = run_scripted(t);
        const auto& p = run->port;
        const auto& u = run->ui;
        EXPECT_EQ(run->outcome, c.outcome) << c.name;
        std::size_t erases = 0;
        for (const auto& w : p.writes()) erases += text_of(w) == ":ERASE\x0D";
        EXPECT_EQ(erases, c.eraseCommands) << c.name;
        if (c.message) {
            ASSERT_EQ(u.texts(), std::vector<std::string>{c.message}) << c.name;
            EXPECT_NE(text_of(p.writes().back()), endRecord) << c.name;
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
        LoaderScript t;
        t.onRecord = c.replies;
        t.attach(p);
        std::istringstream in(program);
        EXPECT_EQ(flash_attempt(l, in, u), c.outcome) << c.name;
        int sent = 0;
        for (const auto& w : p.writes()) sent += w == first;
        EXPECT_EQ(sent, c.transmissions) << c.name;
        if (c.outcome == FlashOutcome::Done) {
            EXPECT_TRUE(u.messages.empty()) << c.name;
            EXPECT_EQ(text_of(p.writes().back()), endRecord) << c.name;
        } else {
            EXPECT_EQ(u.texts(), std::vector<std::string>{"Error on downloading!"}) << c.name;
            EXPECT_EQ(p.writes().back(), first) << c.name << ": nothing is sent after a failed record";
            EXPECT_FALSE(u.progressOpen) << c.name;
        }
    }
}

// The loader may end without answering the end record; a lone CR then shows whether it
// still waits for it. What it says about the end record counts as for any record.
TEST_F(FlashAttempt, EndRecordRepliesDecideTheOutcome) {
    struct Case {
        const char* name;
        std::deque<std::string> onEnd, onCr;  // onCr: the wake-up's CR first, then the probes
        FlashOutcome outcome;
        int transmissions;  // of the end record
    };
    const std::vector<Case> cases = {
        {"FA", {"FA"}, {}, FlashOutcome::Done, 1},
        {"silence, no loader waits", {""}, {"", "", ""}, FlashOutcome::Done, 1},
        {"damaged reply, no loader waits", {"F\xC1"}, {"", "NAK", "NAK"}, FlashOutcome::Done, 1},
        {"a damaged answer is asked again", {"F\xC1"}, {"", "N\x01K", "NAK", "NAK"}, FlashOutcome::Done, 1},
        {"silence, the loader still waits", {"", "FA"}, {"", "FN"}, FlashOutcome::Done, 2},
        {"a lost FN is asked again", {"", "FA"}, {"", "", "FN"}, FlashOutcome::Done, 2},
        {"FN then FA", {"FN", "FA"}, {}, FlashOutcome::Done, 2},
        {"FF", {"FF"}, {}, FlashOutcome::RecordFailed, 1},
        {"three FN", {"FN", "FN", "FN"}, {}, FlashOutcome::RecordFailed, 3},
        {"the loader keeps waiting", {"", "", ""}, {"", "FN", "FN", "FF"}, FlashOutcome::RecordFailed, 3},
        {"it stays unclear",
         {"", "", ""},
         {"", "a", "b", "c", "d", "e", "f", "g", "h", "i", "j", "k", "l"},
         FlashOutcome::RecordFailed,
         3},
    };
    for (const auto& c : cases) {
        LoaderScript t;
        t.onEnd = c.onEnd;
        t.onCr = c.onCr;
        const auto run = run_scripted(t);
        EXPECT_EQ(run->outcome, c.outcome) << c.name;
        int sent = 0;
        for (const auto& w : run->port.writes()) sent += text_of(w) == endRecord;
        EXPECT_EQ(sent, c.transmissions) << c.name;
        // A failure names the end record, not the last record of data.
        if (c.outcome == FlashOutcome::RecordFailed) {
            EXPECT_TRUE(run->trouble.endRecord) << c.name;
            EXPECT_EQ(run->trouble.refused, c.onEnd.back() == "FF") << c.name;
        }
        EXPECT_EQ(run->ui.texts(), c.outcome == FlashOutcome::Done ? std::vector<std::string>{}
                                                                   : std::vector<std::string>{"Error on downloading!"})
            << c.name;
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
