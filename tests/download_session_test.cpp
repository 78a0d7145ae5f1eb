#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>

#include "project/download_image.h"
#include "session/download_session.h"
#include "tests/support/emulated_port.h"
#include "tests/support/fake_clock.h"
#include "tests/support/scripted_port.h"
#include "tests/support/scripted_ui.h"

namespace kest {
namespace {

using testing::Bytes;
using testing::bytes_of;
using testing::EmulatedPort;
using testing::FakeClock;
using testing::ScriptedPort;
using testing::ScriptedUi;
using testing::text_of;
using Event = ScriptedPort::Event;

const std::string kVelmor = "VELMOR\r";

DownloadOptions via(bool cradle, bool lookup) {
    DownloadOptions o;
    o.cradle = cradle;
    o.lookup = lookup;
    return o;
}

// A download on the fake clock, against the emulated terminal (a direct cable unless a
// test puts a cradle in between), or against scripted replies where a test needs replies
// the terminal would not give.
struct Rig {
    FakeClock clock;
    std::unique_ptr<EmulatedPort> terminal = std::make_unique<EmulatedPort>(clock, direct());
    ScriptedPort port{clock};
    bool scripted = false;
    ScriptedUi ui;
    Project project{};
    std::string lookupName;
    const std::atomic<bool>* stopFlag = nullptr;  // the link's stop request

    static emu::EmulatorConfig direct() {
        emu::EmulatorConfig c;
        c.direct = true;
        return c;
    }
    void use_terminal(const emu::EmulatorConfig& config, const std::string& faults = "") {
        std::string error;
        const auto plan = emu::parse_fault_plan(faults, error);
        ASSERT_TRUE(plan) << error;
        terminal = std::make_unique<EmulatedPort>(clock, config, *plan);
    }
    // Scripted replies: answer(written, n) is the reply to the n-th transmission (from 0) of
    // the same bytes; "" is silence. The cradle's probe is echoed.
    void script(std::function<std::string(const std::string& written, int n)> answer) {
        scripted = true;
        port.set_responder([answer, seen = std::map<std::string, int>()](ScriptedPort& p, const Bytes& w) mutable {
            if (w == Bytes{0x0F}) p.deliver(w, 5);
            if (w.size() == 1) return;
            const std::string reply = answer(text_of(w), seen[text_of(w)]++);
            if (!reply.empty()) p.deliver(reply, 2);
        });
    }
    // Scripted replies to the packets, every handshake answered "ACK".
    void script_packets(std::function<std::string(const Bytes& packet, int n)> answer) {
        script([answer](const std::string& w, int n) { return w == kVelmor ? "ACK\r" : answer(bytes_of(w), n); });
    }

    DownloadReport run(DownloadOptions options = {}) {
        Link link(scripted ? static_cast<SerialPort&>(port) : *terminal, clock);
        link.set_stop_flag(stopFlag);
        return download(project, link, ui, options, lookupName);
    }
    // The packets sent (every transmission), without handshakes and cradle bytes.
    std::vector<Bytes> packets() const {
        std::vector<Bytes> out;
        for (const auto& w : scripted ? port.writes() : terminal->writes())
            if (w.size() > 1 && text_of(w) != kVelmor) out.push_back(w);
        return out;
    }
};

class DownloadTest : public ::testing::Test, protected Rig {
protected:
    std::vector<std::filesystem::path> files;

    void SetUp() override {
        project.com.portIndex = 2;
        project.com.rateIndex = 4;
        set_cell(project.menus[0].items[0], "Wareneingang");
        project.forms[0].lineType[0] = kFieldText;
        set_cell(project.forms[0].prompt[0], "Artikel:");
        project.options.password[0] = 'g';
    }
    void TearDown() override {
        for (const auto& f : files) std::filesystem::remove(f);
    }

    DownloadReport run_lookup(const std::string& content, DownloadOptions options = {}) {
        const auto path = std::filesystem::temp_directory_path() /
                          ("kest-lookup-" + std::to_string(files.size()) + "-" +
                           ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".txt");
        std::ofstream(path, std::ios::binary) << content;
        files.push_back(path);
        ui.openFiles.push_back(path.string());
        options.lookup = true;
        return run(options);
    }

    std::vector<std::string> packet_texts() const {
        std::vector<std::string> out;
        for (const auto& p : packets()) out.push_back(text_of(p));
        return out;
    }

    int count(Event::Kind kind) const {
        int n = 0;
        for (const auto& e : port.events()) n += e.kind == kind;
        return n;
    }

    // The port was purged and closed last, and not used after.
    void expect_closed() const {
        const auto& events = port.events();
        ASSERT_GE(events.size(), 2u);
        EXPECT_EQ(events.back().kind, Event::Close);
        EXPECT_EQ(events[events.size() - 2].kind, Event::Purge);
        EXPECT_FALSE(port.is_open());
        EXPECT_EQ(count(Event::Close), 1);
    }
};

TEST_F(DownloadTest, ApplicationArrivesInTwoHundredAcknowledgedBlocks) {
    const auto report = run();
    EXPECT_EQ(result_value(report), 1);
    EXPECT_EQ(report.outcome, DownloadOutcome::Completed);
    EXPECT_EQ(report.attempts, 1);
    EXPECT_EQ(terminal->opened(), std::vector<std::string>{"COM3"});
    EXPECT_EQ(terminal->current_settings().baud, 9600u);

    const auto& writes = terminal->writes();
    ASSERT_EQ(writes.size(), 201u);
    EXPECT_EQ(text_of(writes[0]), kVelmor);
    const auto sent = packets();
    ASSERT_EQ(sent.size(), 200u);
    for (int b = 0; b < 200; ++b) {
        const Bytes& p = sent[static_cast<std::size_t>(b)];
        ASSERT_EQ(p.size(), 103u);
        unsigned sum = 0;
        for (std::size_t i = 0; i < 100; ++i) sum += p[i];
        EXPECT_EQ(p[100], sum / 256) << b;
        EXPECT_EQ(p[101], sum % 256) << b;
        EXPECT_EQ(p[102], b);
    }
    // The terminal stored the image of the normalised project; the project itself is as it
    // was, and the report says that the image was built.
    const DownloadImage expected = prepare_image(project);
    EXPECT_EQ(terminal->stored("image.bin"), std::string(expected.begin(), expected.end()));
    EXPECT_TRUE(report.imageBuilt);
    EXPECT_EQ(cell_text(project.menus[0].items[0]), "Wareneingang");
    EXPECT_EQ(project.options.password[0], 'g');

    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "Downloaded komplett!");
    EXPECT_EQ(ui.messages[0].caption, "Download");
    EXPECT_EQ(ui.progressWindows, 1);
    EXPECT_FALSE(ui.progressOpen);
    EXPECT_FALSE(terminal->is_open());
}

TEST_F(DownloadTest, PortIsOpenedWithDownloadQueuesAndPurgedAndClosedLast) {
    script_packets([](const Bytes&, int) { return "ACK\r"; });
    run();
    const auto& open = port.events().front();
    EXPECT_EQ(open.kind, Event::Open);
    EXPECT_EQ(open.name, "COM3");
    EXPECT_EQ(open.inQueue, 256u);
    EXPECT_EQ(open.outQueue, 1200u);
    EXPECT_EQ(port.events()[1].kind, Event::Apply);
    EXPECT_EQ(port.events()[1].settings.baud, 9600u);
    EXPECT_EQ(port.events()[1].settings.dataBits, 8);
    EXPECT_FALSE(port.events()[1].settings.parity);
    EXPECT_EQ(port.events()[1].settings.stopBits, 1);
    expect_closed();
}

// A stop request ends the transfer before its next packet: no retry question, the port
// purged and closed.
TEST_F(DownloadTest, StopRequestEndsBeforeTheNextPacket) {
    static std::atomic<bool> stop{false};
    stopFlag = &stop;
    std::size_t sent = 0;
    // The stop arrives while the third packet is on its way.
    script_packets([&](const Bytes&, int) {
        if (++sent == 3) stop = true;
        return std::string("ACK\r");
    });
    for (const bool lookup : {false, true}) {
        SCOPED_TRACE(lookup ? "lookup" : "application");
        ui.messages.clear();
        stop = false;
        sent = 0;
        const auto report = lookup ? run_lookup("1\r\n2\r\n3\r\n4\r\n") : run();
        EXPECT_EQ(report.outcome, DownloadOutcome::Interrupted);
        EXPECT_EQ(sent, 3u);
        EXPECT_EQ(report.attempts, 1);
        EXPECT_TRUE(ui.texts().empty());
        const auto& events = port.events();
        EXPECT_EQ(events.back().kind, Event::Close);
        EXPECT_EQ(events[events.size() - 2].kind, Event::Purge);
        EXPECT_FALSE(port.is_open());
    }
}

TEST_F(DownloadTest, ProgressStartsAtFiveAndGainsOneEveryOtherBlock) {
    run();
    ASSERT_EQ(ui.progress.size(), 102u);
    EXPECT_EQ(ui.progress.front(), 5);
    EXPECT_EQ(ui.progress[1], 6);     // after block 1
    EXPECT_EQ(ui.progress[10], 15);   // after block 19
    EXPECT_EQ(ui.progress[95], 100);  // after block 189; the bar stops at its end
    EXPECT_EQ(ui.progress[100], 100);
    EXPECT_EQ(ui.progress.back(), 100);
}

TEST_F(DownloadTest, ProgressFollowsTheAcknowledgedBlocks) {
    use_terminal(direct(), "full-at=6");
    run();
    // Blocks 0-5 acknowledged: 5, then 6 (block 1), 7 (block 3), 8 (block 5).
    EXPECT_EQ(ui.progress, (std::vector<int>{5, 6, 7, 8}));
}

TEST_F(DownloadTest, HandshakeAcceptsAckToTheThirdVelmor) {
    script([](const std::string& w, int n) {
        if (w == kVelmor) return std::string(n == 0 ? "NAK\r" : n == 1 ? "" : "ACK\r");
        return std::string("ACK\r");
    });
    const auto report = run();
    EXPECT_EQ(report.outcome, DownloadOutcome::Completed);
    const auto writes = port.writes();
    for (int i = 0; i < 3; ++i) EXPECT_EQ(text_of(writes[static_cast<std::size_t>(i)]), kVelmor);
    EXPECT_EQ(writes[3].size(), 103u);
    EXPECT_EQ(packets().size(), 200u);
}

TEST_F(DownloadTest, SilentTerminalFailsTheHandshakeAfterThreeExchanges) {
    script([](const std::string&, int) { return ""; });
    const std::uint32_t start = clock.ticks();
    const auto report = run();
    EXPECT_EQ(result_value(report), 1);
    EXPECT_EQ(report.outcome, DownloadOutcome::NotReady);
    EXPECT_FALSE(report.imageBuilt);
    std::vector<std::uint32_t> times;
    for (const auto& e : port.events())
        if (e.kind == Event::Write) times.push_back(e.at);
    ASSERT_EQ(times.size(), 3u);
    EXPECT_EQ(times[1] - times[0], 3000u);
    EXPECT_EQ(times[2] - times[1], 3000u);
    EXPECT_GE(clock.ticks() - start, 9000u);
    EXPECT_LT(clock.ticks() - start, 9100u);
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(ui.messages[0].text, "Terminal nicht bereit!");
    EXPECT_EQ(ui.messages[0].caption, "Fehler");
    EXPECT_EQ(ui.messages[0].icon, Icon::Warning);
    EXPECT_EQ(ui.messages[1].text, "Downloadfehler, wiederholen?");
    EXPECT_EQ(ui.messages[1].caption, "Fehler");
    EXPECT_EQ(ui.messages[1].icon, Icon::Question);
    EXPECT_EQ(ui.messages[1].buttons, Buttons::YesNo);
    EXPECT_EQ(ui.progressWindows, 0);
    expect_closed();
}

TEST_F(DownloadTest, RetryRunsAWholeAttemptWithHandshake) {
    // The terminal is silent for the first three handshakes (9 s).
    use_terminal(direct(), "silence=8500@1");
    ui.answers = {Answer::Yes};
    const auto report = run();
    EXPECT_EQ(report.outcome, DownloadOutcome::Completed);
    EXPECT_EQ(report.attempts, 2);
    EXPECT_EQ(text_of(terminal->writes()[3]), kVelmor);
    EXPECT_EQ(terminal->stored("image.bin").size(), kImageSize);
    EXPECT_EQ(ui.texts(), (std::vector<std::string>{"Terminal nicht bereit!", "Downloadfehler, wiederholen?",
                                                    "Downloaded komplett!"}));
}

TEST_F(DownloadTest, NakThenAckSendsThePacketTwice) {
    script_packets([](const Bytes& p, int sent) { return p[102] == 17 && sent == 0 ? "NAK\r" : "ACK\r"; });
    const auto report = run();
    EXPECT_EQ(report.outcome, DownloadOutcome::Completed);
    const auto sent = packets();
    ASSERT_EQ(sent.size(), 201u);
    EXPECT_EQ(sent[17], sent[18]);
    EXPECT_EQ(sent[19][102], 18);
}

TEST_F(DownloadTest, FourFailedTransmissionsEndTheAttempt) {
    int tries = 0;
    script_packets([&](const Bytes& p, int) {
        if (p[102] != 3) return std::string("ACK\r");
        // Silence, a wrong word, lower case, a bare CR: none of them is an acknowledgement.
        const char* replies[] = {"", "NAK\r", "ack\r", "\r"};
        return std::string(replies[tries++ % 4]);
    });
    const auto report = run();
    EXPECT_EQ(report.outcome, DownloadOutcome::TransferFailed);
    EXPECT_EQ(tries, 4);
    EXPECT_EQ(packets().size(), 3u + 4u);
    EXPECT_EQ(ui.texts(), (std::vector<std::string>{"Fehler beim Download!", "Downloadfehler, wiederholen?"}));
    EXPECT_EQ(ui.progressWindows, 1);
    EXPECT_FALSE(ui.progressOpen);
    expect_closed();
}

TEST_F(DownloadTest, FullStopsAtOnce) {
    use_terminal(direct(), "full-at=120");
    const auto report = run();
    EXPECT_EQ(result_value(report), 1);
    EXPECT_EQ(report.outcome, DownloadOutcome::MemoryFull);
    EXPECT_EQ(packets().size(), 121u);
    EXPECT_EQ(ui.texts(), (std::vector<std::string>{"Speicher voll!", "Downloadfehler, wiederholen?"}));
    EXPECT_EQ(ui.messages[0].caption, "Fehler");
    EXPECT_FALSE(terminal->is_open());
}

TEST_F(DownloadTest, RepliesAreCutAtTenCharacters) {
    struct Case {
        const char* name;
        std::string reply;
        bool accepted;
    };
    const Case cases[] = {
        {"ten characters then CR", "ACKACKACKA\r", false},
        {"twelve without CR", "ACKACKACKACK", false},
        {"ack with trailing text", "ACKNOWLEDGE\r", false},
        {"ack without CR", "ACK", true},
        {"full without CR", "FULL", true},
        {"ack with leading space", " ACK\r", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Rig r;
        r.script_packets([&](const Bytes& pk, int sent) { return pk[102] == 0 && sent == 0 ? c.reply : "ACK\r"; });
        const auto report = r.run();
        const bool full = c.reply.starts_with("FULL");
        EXPECT_EQ(report.outcome, full ? DownloadOutcome::MemoryFull : DownloadOutcome::Completed);
        const std::size_t expected = full ? 1 : c.accepted ? 200 : 201;
        EXPECT_EQ(r.packets().size(), expected);
    }
}

TEST_F(DownloadTest, LookupLinesWhateverTheLineEnds) {
    std::string many_lines;
    std::vector<std::string> many;
    for (int i = 0; i < 40; ++i) {
        many.push_back("Artikel " + std::to_string(10 + i));
        many_lines += many.back() + "\n";
    }
    struct Case {
        const char* name;
        std::string content;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"CR LF", "4711;Schraube\r\n4712;Mutter\r\n", {"4711;Schraube", "4712;Mutter"}},
        {"CR alone", "4711;Schraube\r4712;Mutter\r", {"4711;Schraube", "4712;Mutter"}},
        {"no final line end", "4711;Schraube\r\n4712;Mutter", {"4711;Schraube", "4712;Mutter"}},
        {"LF alone", "4711;Schraube\n4712;Mutter\n", {"4711;Schraube", "4712;Mutter"}},
        {"mixed", "A\nB\r\nC\rD", {"A", "B", "C", "D"}},
        {"empty line in between", "A\r\n\r\nB\r\n", {"A", "", "B"}},
        {"CR LF split by a chunk", std::string(127, 'x') + "\r\nB\r\n", {std::string(127, 'x'), "B"}},
        {"LF lines longer together than one line", many_lines, many},
    };
    int files = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::size_t before = packets().size();
        ui.messages.clear();
        const auto report = run_lookup(c.content);
        EXPECT_EQ(result_value(report), 1);
        EXPECT_EQ(report.outcome, DownloadOutcome::Completed);
        EXPECT_FALSE(report.imageBuilt);
        std::vector<std::string> expected;
        std::string stored;
        for (const auto& line : c.lines) {
            expected.push_back(text_of(lookup_packet(line)));
            stored += line + "\r\n";
        }
        expected.push_back("OVER\r");
        const auto sent = packet_texts();
        EXPECT_EQ(std::vector<std::string>(sent.begin() + static_cast<long>(before), sent.end()), expected);
        // The terminal took every line as it was in the file.
        EXPECT_EQ(terminal->stored("lookup-" + std::to_string(++files) + ".txt"), stored);
        EXPECT_EQ(ui.texts(), std::vector<std::string>{"Downloaded komplett!"});
    }
    EXPECT_EQ(text_of(terminal->writes().front()), kVelmor);
}

TEST_F(DownloadTest, LookupProgressFollowsTheLinesSent) {
    std::string content;
    std::vector<int> expected;
    for (int i = 0; i < 30; ++i) {
        content += "Zeile " + std::to_string(100 + i) + "\r\n";
        expected.push_back((i + 1) * 100 / 30);
    }
    expected.push_back(100);
    run_lookup(content);
    EXPECT_EQ(ui.progress, expected);
    EXPECT_EQ(packets().size(), 31u);
}

// What the terminal would store wrongly, or lose, is refused in a box before the port is
// opened; what only needs converting is said in a box and sent converted.
TEST_F(DownloadTest, LookupFileIsCheckedBeforeThePortOpens) {
    struct Case {
        const char* name;
        std::string content;
        DownloadOutcome outcome;
        std::vector<std::string> boxes;  // before the transfer's own
        std::vector<std::string> lines;  // stored by the terminal
    };
    const std::string empty = "Die Datei ist leer! Sie w\xFCrde die Lookupdatei im Terminal l\xF6schen.";
    const std::string bom = "Die UTF-8-Kennung (BOM) am Anfang der Datei wird nicht gesendet.";
    const std::string utf8 =
        "Die Datei ist UTF-8-Text und wird in Windows-1252, dem Zeichensatz des Terminals, gesendet.";
    const Case cases[] = {
        {"empty file", "", DownloadOutcome::FileRefused, {empty}, {}},
        {"only line ends", "\n\r\n", DownloadOutcome::FileRefused, {empty}, {}},
        {"UTF-16",
         "\xFF\xFE"
         "4\0;\0",
         DownloadOutcome::FileRefused,
         {"Die Datei ist UTF-16-Text und kann nicht geladen werden! Als CSV-Datei (*.csv) laden oder mit "
          "\"kest lookup-build\" umwandeln."},
         {}},
        {"UTF-8 with BOM",
         "\xEF\xBB\xBF"
         "4711;M\xC3\xBCller\r\n",
         DownloadOutcome::Completed,
         {bom, utf8},
         {"4711;M\xFCller"}},
        {"Windows-1252 byte for byte", "4711;M\xFCller\r\n", DownloadOutcome::Completed, {}, {"4711;M\xFCller"}},
        {"project file",
         std::string(kProjectTag, sizeof kProjectTag) + "rest",
         DownloadOutcome::FileRefused,
         {"Keine Lookupdatei: Die Datei ist eine Projektdatei!"},
         {}},
    };
    int files = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ui.messages.clear();
        const std::size_t opened = terminal->opened().size();
        const auto report = run_lookup(c.content);
        EXPECT_EQ(report.outcome, c.outcome);
        auto boxes = c.boxes;
        if (c.outcome == DownloadOutcome::Completed) boxes.push_back("Downloaded komplett!");
        EXPECT_EQ(ui.texts(), boxes);
        if (c.outcome != DownloadOutcome::Completed) {
            EXPECT_EQ(result_value(report), -1);
            EXPECT_EQ(terminal->opened().size(), opened);
            continue;
        }
        std::string stored;
        for (const auto& line : c.lines) stored += line + "\r\n";
        EXPECT_EQ(terminal->stored("lookup-" + std::to_string(++files) + ".txt"), stored);
    }
}

TEST_F(DownloadTest, ThePreparationOfTheCallerDecides) {
    DownloadOptions options;
    std::string seen;
    options.prepareLookup = [&](const std::string&, std::span<const std::uint8_t> bytes, UserInterface&) {
        seen.assign(bytes.begin(), bytes.end());
        PreparedLookup p;
        p.cancelled = seen == "stop";
        p.lines = {"aus " + seen};
        return p;
    };
    auto report = run_lookup("stop", options);
    EXPECT_EQ(seen, "stop");
    EXPECT_EQ(result_value(report), 0);
    EXPECT_EQ(report.outcome, DownloadOutcome::Cancelled);
    EXPECT_TRUE(terminal->opened().empty());
    report = run_lookup("Tabelle", options);
    EXPECT_EQ(report.outcome, DownloadOutcome::Completed);
    EXPECT_EQ(terminal->stored("lookup-1.txt"), "aus Tabelle\r\n");
}

TEST_F(DownloadTest, FullOnOverStopsAtOnce) {
    use_terminal(direct(), "full-at=2");  // the terminal is full after two lines
    const auto report = run_lookup("1\r\n2\r\n");
    EXPECT_EQ(report.outcome, DownloadOutcome::MemoryFull);
    EXPECT_EQ(packet_texts().back(), "OVER\r");
    EXPECT_EQ(packets().size(), 3u);
    EXPECT_EQ(ui.texts(), (std::vector<std::string>{"Speicher voll!", "Downloadfehler, wiederholen?"}));
}

TEST_F(DownloadTest, LookupRetryRereadsTheFileFromItsStart) {
    script_packets([](const Bytes& p, int sent) {
        return text_of(p) == text_of(lookup_packet("2")) && sent < 4 ? "NAK\r" : "ACK\r";
    });
    ui.answers = {Answer::Yes};
    const auto report = run_lookup("1\r\n2\r\n");
    EXPECT_EQ(report.outcome, DownloadOutcome::Completed);
    EXPECT_EQ(report.attempts, 2);
    const std::string one = text_of(lookup_packet("1")), two = text_of(lookup_packet("2"));
    EXPECT_EQ(packet_texts(), (std::vector<std::string>{one, two, two, two, two, one, two, "OVER\r"}));
}

TEST_F(DownloadTest, OverlongLookupLineIsRefusedBeforeAnythingIsSent) {
    const std::string ok(289, 'x');
    const auto report = run_lookup("kurz\r\n" + ok + "\r\n" + ok + "y\r\nrest\r\n");
    EXPECT_EQ(result_value(report), -1);
    EXPECT_EQ(report.outcome, DownloadOutcome::LineTooLong);
    EXPECT_EQ(report.badLine, 3);
    EXPECT_TRUE(terminal->opened().empty());
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text,
              "Zeile 3 der Lookupdatei ist zu lang (h\xF6"
              "chstens 289 Zeichen; Zeilenende CR LF, CR oder LF)!");
    EXPECT_EQ(ui.messages[0].caption, "Fehler");
    EXPECT_EQ(ui.messages[0].icon, Icon::Warning);
}

TEST_F(DownloadTest, LookupLineOf289BytesIsSent) {
    const std::string longest(289, 'x');
    const auto report = run_lookup(longest);
    EXPECT_EQ(report.outcome, DownloadOutcome::Completed);
    ASSERT_EQ(packets().size(), 2u);
    EXPECT_EQ(packets()[0].size(), 292u);
    EXPECT_EQ(terminal->stored("lookup-1.txt"), longest + "\r\n");
}

TEST_F(DownloadTest, LookupChoiceKeepsTheNameBetweenCommands) {
    lookupName = "C:\\DATEN\\ARTIKEL.TXT";
    ui.openFiles.push_back(std::nullopt);
    const auto cancelled = run(via(false, true));
    EXPECT_EQ(result_value(cancelled), 0);
    EXPECT_EQ(cancelled.outcome, DownloadOutcome::Cancelled);
    EXPECT_TRUE(terminal->opened().empty());
    ASSERT_EQ(ui.dialogs.size(), 1u);
    const auto& request = ui.dialogs[0];
    EXPECT_EQ(request.initialName, "C:\\DATEN\\ARTIKEL.TXT");
    ASSERT_EQ(request.filters.size(), 3u);
    EXPECT_EQ(request.filters[0].description, "Lookup data files {*.TXT}");
    EXPECT_EQ(request.filters[0].pattern, "*.TXT");
    EXPECT_EQ(request.filters[1].description, "CSV-Dateien (*.csv)");
    EXPECT_EQ(request.filters[1].pattern, "*.csv");
    EXPECT_EQ(request.filters[2].description, "All files {*.*}");
    EXPECT_EQ(request.filters[2].pattern, "*.*");
    EXPECT_EQ(request.defaultExtension, "TXT");
    EXPECT_TRUE(request.mustExist);

    run_lookup("1\r\n");
    const std::string chosen = files.back().string();
    EXPECT_EQ(lookupName, chosen);
    ui.openFiles.push_back(std::nullopt);
    run(via(false, true));
    EXPECT_EQ(ui.dialogs.back().initialName, chosen);
}

TEST_F(DownloadTest, UnreadableLookupFile) {
    for (const std::string& path :
         {std::string("/nonexistent/kest/ARTIKEL.TXT"), std::filesystem::temp_directory_path().string()}) {
        SCOPED_TRACE(path);
        ui.messages.clear();
        ui.openFiles.push_back(path);
        const auto report = run(via(false, true));
        EXPECT_EQ(result_value(report), -1);
        EXPECT_EQ(report.outcome, DownloadOutcome::FileUnreadable);
        EXPECT_EQ(ui.texts(), std::vector<std::string>{"Datei kann nicht ge\xF6"
                                                       "ffnet werden!"});
        EXPECT_TRUE(terminal->opened().empty());
    }
}

TEST_F(DownloadTest, SetUpFailuresReportAndCloseThePort) {
    struct Case {
        const char* name;
        bool failOpen, failApply, cradle, cradleAnswers;
        int rate;
        int result;
        DownloadOutcome outcome;
        const char* text;
    };
    const Case cases[] = {
        {"port", true, false, false, true, 4, -1, DownloadOutcome::PortUnavailable,
         "COM port kann nicht ge\xF6"
         "ffnet werden!"},
        {"cradle", false, false, true, false, 4, -1, DownloadOutcome::CradleFailed, "Failed to set IR device!"},
        {"line settings", false, true, false, true, 4, 0, DownloadOutcome::LineSettingsFailed,
         "Fehler beim Verbindungsaufbau!!"},
        {"rate outside the list", false, false, true, true, 9, 0, DownloadOutcome::LineSettingsFailed,
         "Fehler beim Verbindungsaufbau!!"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Rig r;
        r.script([&](const std::string&, int) { return "ACK\r"; });
        if (!c.cradleAnswers) r.port.set_responder(nullptr);
        r.port.fail_open(c.failOpen);
        r.port.fail_apply(c.failApply);
        r.project.com.rateIndex = static_cast<u8>(c.rate);
        const auto report = r.run(via(c.cradle, false));
        EXPECT_EQ(result_value(report), c.result);
        EXPECT_EQ(report.outcome, c.outcome);
        EXPECT_FALSE(report.imageBuilt);
        EXPECT_EQ(r.ui.texts(), std::vector<std::string>{c.text});
        EXPECT_EQ(r.ui.messages[0].caption, "Fehler");
        EXPECT_FALSE(r.port.is_open());
        EXPECT_TRUE(r.packets().empty());
        for (const auto& w : r.port.writes()) EXPECT_NE(text_of(w), kVelmor);
        if (!c.failOpen) {
            EXPECT_EQ(r.port.events().back().kind, Event::Close);
        }
    }
}

// What the report tells of the last attempt: the packets acknowledged with their data bytes,
// where it stopped, the time the command took.
TEST_F(DownloadTest, ReportCountsWhatWasAcknowledgedAndWhereItStopped) {
    const std::string lookup = "ab\r\n\r\ncde";
    auto ack = [](const Bytes&, int) { return std::string("ACK\r"); };
    struct Case {
        const char* name;
        bool lookup;
        std::function<std::string(const Bytes&, int)> answer;
        DownloadOutcome outcome;
        int packets;
        std::uint64_t bytes;
        int failedBlock, failedLine;
    };
    const Case cases[] = {
        {"application", false, ack, DownloadOutcome::Completed, 200, kImageBlocks * kBlockSize, -1, 0},
        {"block 7 unacknowledged", false,
         [](const Bytes& p, int) {
             return std::string(p.size() == kBlockPacketSize && p[102] == 7 ? "NAK\r" : "ACK\r");
         },
         DownloadOutcome::TransferFailed, 7, 700, 7, 0},
        {"lookup", true, ack, DownloadOutcome::Completed, 3, 5, -1, 0},
        {"full at line 2", true,
         [](const Bytes& p, int) { return std::string(p == lookup_packet("") ? "FULL\r" : "ACK\r"); },
         DownloadOutcome::MemoryFull, 1, 2, -1, 2},
        {"OVER unacknowledged", true,
         [](const Bytes& p, int) { return std::string(text_of(p) == "OVER\r" ? "NAK\r" : "ACK\r"); },
         DownloadOutcome::TransferFailed, 3, 5, -1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Rig r;
        r.script_packets(c.answer);
        const auto path = std::filesystem::path(::testing::TempDir()) / "kest-report-lookup.txt";
        std::ofstream(path, std::ios::binary) << lookup;
        r.ui.openFiles.push_back(path.string());
        const std::uint32_t start = r.clock.ticks();
        const DownloadReport report = r.run(via(false, c.lookup));
        std::filesystem::remove(path);
        EXPECT_EQ(report.outcome, c.outcome);
        EXPECT_EQ(report.attempts, 1);
        EXPECT_EQ(report.path, c.lookup ? path.string() : "");
        EXPECT_EQ(report.packets, c.packets);
        EXPECT_EQ(report.bytes, c.bytes);
        EXPECT_EQ(report.failedBlock, c.failedBlock);
        EXPECT_EQ(report.failedLine, c.failedLine);
        EXPECT_EQ(report.elapsedMs, r.clock.ticks() - start);
        EXPECT_GT(report.elapsedMs, 0u);
    }
}

TEST_F(DownloadTest, CradleIsSwitchedBeforeTheHandshake) {
    use_terminal({});  // the cradle listens at 9600
    project.com.rateIndex = 0;
    const auto report = run(via(true, false));
    EXPECT_EQ(report.outcome, DownloadOutcome::Completed);
    const auto& writes = terminal->writes();
    // The first probe (9600) answers; then 0x07, the rate code of 115200 and "Q".
    ASSERT_GE(writes.size(), 5u);
    EXPECT_EQ(writes[0], Bytes{0x0F});
    EXPECT_EQ(writes[1], Bytes{0x07});
    EXPECT_EQ(writes[2], Bytes{'6'});
    EXPECT_EQ(writes[3], Bytes{'Q'});
    EXPECT_EQ(text_of(writes[4]), kVelmor);
    EXPECT_EQ(terminal->emulator().cradle().rate(), 115200u);
    EXPECT_EQ(terminal->current_settings().baud, 115200u);
    EXPECT_TRUE(terminal->current_settings().rtsEnable);
    EXPECT_TRUE(terminal->current_settings().dtrEnable);
    EXPECT_EQ(packets().size(), 200u);
    EXPECT_EQ(terminal->stored("image.bin").size(), kImageSize);
}

TEST_F(DownloadTest, CallerMayNameThePortAndRate) {
    DownloadOptions options;
    options.portName = "/dev/pts/7";
    options.rateIndex = 1;
    run(options);
    EXPECT_EQ(terminal->opened(), std::vector<std::string>{"/dev/pts/7"});
    EXPECT_EQ(terminal->current_settings().baud, 57600u);
}

TEST_F(DownloadTest, LeftOverReplyNeverAnswersTheNextPacket) {
    // Block 5's first transmission draws a doubled reply; its second "ACK" must not be taken
    // as the answer to the repeated packet, which the terminal refuses.
    script_packets([](const Bytes& p, int sent) {
        if (p[102] != 5 || sent > 1) return std::string("ACK\r");
        return std::string(sent == 0 ? "NAK\rACK\r" : "NAK\r");
    });
    const auto report = run();
    EXPECT_EQ(report.outcome, DownloadOutcome::Completed);
    int fives = 0;
    for (const auto& p : packets()) fives += p[102] == 5;
    EXPECT_EQ(fives, 3);
}

}  // namespace
}  // namespace kest
