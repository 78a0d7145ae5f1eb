#include <gtest/gtest.h>

#include <atomic>
#include <deque>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "session/upload_session.h"
#include "tests/support/emulated_port.h"
#include "tests/support/failing_file_steps.h"
#include "tests/support/scripted_port.h"
#include "tests/support/scripted_ui.h"

namespace kest {
namespace {

using testing::Bytes;
using testing::bytes_of;
using testing::FakeClock;
using testing::ScriptedPort;
using testing::ScriptedUi;
using testing::text_of;

// A record frame as the terminal sends it: sequence byte, data, 16-bit sum low then high
// (0x0D travelling as 0x0E), CR.
Bytes frame(int seq, const std::string& data) {
    Bytes f{static_cast<std::uint8_t>(seq)};
    unsigned sum = static_cast<unsigned>(seq);
    for (unsigned char c : data) {
        f.push_back(c);
        sum += c;
    }
    for (unsigned b : {sum & 0xFFu, (sum >> 8) & 0xFFu}) f.push_back(b == 0x0D ? 0x0E : static_cast<std::uint8_t>(b));
    f.push_back(0x0D);
    return f;
}

Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}
Bytes operator+(const std::string& a, const Bytes& b) { return bytes_of(a) + b; }

Bytes with(Bytes f, std::size_t index, std::uint8_t value) {
    f.at(index) = value;
    return f;
}

const Bytes kSilence{};
const Bytes kOver = bytes_of("OVER\r");

std::string read_file(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string joined(const std::vector<Bytes>& writes) {
    std::string out;
    for (const auto& w : writes) out += text_of(w) == "READ\r" ? "R" : text_of(w).substr(0, 1);
    return out;
}

class Upload : public ::testing::Test {
protected:
    FakeClock clock;
    ScriptedPort port{clock};
    Link link{port, clock};
    ScriptedUi ui;
    Project project{};
    std::filesystem::path path;
    // One reply per write of the PC, in order; silence once they run out.
    std::deque<Bytes> replies;
    int acks = 0;
    FileSteps* files = &system_file_steps();

    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = std::string("upload_") + info->test_suite_name() + "_" + info->name() + ".TXT";
        for (char& c : name)
            if (c == '/') c = '_';
        path = std::filesystem::path(::testing::TempDir()) / name;
        std::filesystem::remove(path);
        project.com.portIndex = 2;
        project.com.rateIndex = 3;
        port.set_responder([this](ScriptedPort& p, const Bytes&) {
            if (replies.empty()) return;
            p.deliver(replies.front(), 20);
            replies.pop_front();
        });
    }
    void TearDown() override { std::filesystem::remove(path); }

    UploadReport run(std::deque<Bytes> script, UploadOptions options = {}) {
        replies = std::move(script);
        ui.saveFiles.push_back(path.string());
        return upload_data(project, link, ui, *files, options);
    }
    // The PC's writes in short: R = "READ\r", A = "ACK\r", N = "NAK\r".
    std::string writes() const { return joined(port.writes()); }
};

// ---- record phase --------------------------------------------------------------------

struct RecordCase {
    const char* name;
    std::deque<Bytes> replies;  // to "READ\r" and then to each acknowledgement
    const char* writes;         // expected answers of the PC
    std::string file;           // expected data file
};
void PrintTo(const RecordCase& c, std::ostream* os) { *os << c.name; }

class RecordPhase : public Upload, public ::testing::WithParamInterface<RecordCase> {};

TEST_P(RecordPhase, StoresExactlyTheGoodRecordsInOrder) {
    const RecordCase& c = GetParam();
    const UploadReport r = run(c.replies);
    EXPECT_EQ(writes(), c.writes);
    EXPECT_EQ(read_file(path), c.file);
    EXPECT_EQ(r.end, UploadEnd::Over);
    const int lines = static_cast<int>(std::count(c.file.begin(), c.file.end(), '\n'));
    EXPECT_EQ(r.records, lines);
    EXPECT_EQ(result_value(r), lines);
}

// "ABCG" sums to 0x010D: its low checksum byte travels as 0x0E. 26 'z' and 0x9C sum to
// 0x0D00: the high byte does.
const std::string kLowCr = "ABCG";
const std::string kHighCr = std::string(26, 'z') + "\x9C";

INSTANTIATE_TEST_SUITE_P(
    Cases, RecordPhase,
    ::testing::Values(
        RecordCase{"TwoRecords", {"ACK\r" + frame(0, "A"), frame(1, "BC"), kOver}, "RAA", "A\r\nBC\r\n"},
        RecordCase{"LowChecksumByteCrSentAs0E", {"ACK\r" + frame(0, kLowCr), kOver}, "RA", "ABCG\r\n"},
        RecordCase{"HighChecksumByteCrSentAs0E", {"ACK\r" + frame(0, kHighCr), kOver}, "RA", kHighCr + "\r\n"},
        RecordCase{"RepeatedRecordStoredOnceAcknowledgedTwice",
                   {"ACK\r" + frame(0, "A"), frame(0, "A"), frame(1, "B"), kOver},
                   "RAAA",
                   "A\r\nB\r\n"},
        // A frame that comes after the time-out meets the "NAK" the time-out sent, and the
        // terminal answers that with a copy. The copy, whole or damaged, is not answered: a
        // second "ACK" would move the terminal past record 2 before the PC had it.
        RecordCase{"CopyOfALateFrameIsNotAnswered",
                   {"ACK\r" + frame(0, "A"), kSilence, frame(1, "B") + frame(1, "B"), frame(2, "C"), kOver},
                   "RANAA",
                   "A\r\nB\r\nC\r\n"},
        RecordCase{
            "DamagedCopyOfALateFrameIsNotAnswered",
            {"ACK\r" + frame(0, "A"), kSilence, frame(1, "B") + with(frame(1, "B"), 1, 'X'), frame(2, "C"), kOver},
            "RANAA",
            "A\r\nB\r\nC\r\n"},
        RecordCase{"WrongSequenceAnsweredNak",
                   {"ACK\r" + frame(0, "A"), frame(2, "C"), frame(1, "B"), kOver},
                   "RANA",
                   "A\r\nB\r\n"},
        RecordCase{
            "BadChecksumAnsweredNak", {"ACK\r" + with(frame(0, "A"), 2, 0x99), frame(0, "A"), kOver}, "RNA", "A\r\n"},
        // The sequence byte of record 1 damaged into 0 must not pass as a repeat of record
        // 0: acknowledging it would make the terminal drop record 1.
        RecordCase{"DamagedSequenceIsNoRepeat",
                   {"ACK\r" + frame(0, "A"), with(frame(1, "B"), 0, 0), frame(1, "B"), kOver},
                   "RANA",
                   "A\r\nB\r\n"},
        // A damaged byte that reads as CR splits the frame: one "NAK" for both parts, or
        // the terminal's next frame would answer the second and the two sides fall out of
        // step.
        RecordCase{"FrameSplitByADamagedCrGetsOneNak",
                   {"ACK\r" + frame(0, "A"), with(frame(1, "BC"), 1, 0x0D), frame(1, "BC"), kOver},
                   "RANA",
                   "A\r\nBC\r\n"},
        RecordCase{"FrameTooShortAnsweredNak",
                   {"ACK\r" + bytes_of(std::string("\0\r", 2)), frame(0, "A"), kOver},
                   "RNA",
                   "A\r\n"},
        RecordCase{"EmptyRecordIsAnEmptyLine", {"ACK\r" + frame(0, ""), kOver}, "RA", "\r\n"},
        RecordCase{"SequenceNineFollowedByZero",
                   {"ACK\r" + frame(0, "r0"), frame(1, "r1"), frame(2, "r2"), frame(3, "r3"), frame(4, "r4"),
                    frame(5, "r5"), frame(6, "r6"), frame(7, "r7"), frame(8, "r8"), frame(9, "r9"), frame(0, "r10"),
                    frame(0, "r10"), frame(1, "r11"), kOver},
                   "RAAAAAAAAAAAAA",
                   "r0\r\nr1\r\nr2\r\nr3\r\nr4\r\nr5\r\nr6\r\nr7\r\nr8\r\nr9\r\nr10\r\nr11\r\n"},
        RecordCase{
            "SequenceZeroAfterNineIsNoRepeatOfTheFirst",
            {"ACK\r" + frame(0, "r0"), frame(1, "r1"), frame(2, "r2"), frame(3, "r3"), frame(4, "r4"), frame(5, "r5"),
             frame(6, "r6"), frame(7, "r7"), frame(8, "r8"), frame(9, "r9"), frame(9, "r9"), frame(0, "r10"), kOver},
            "RAAAAAAAAAAAA",
            "r0\r\nr1\r\nr2\r\nr3\r\nr4\r\nr5\r\nr6\r\nr7\r\nr8\r\nr9\r\nr10\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

// A terminal that never sends a frame the PC can take is not answered "NAK" for ever:
// ten refusals in a row are tolerated, the eleventh ends the upload like a silent terminal,
// with the records stored so far.
TEST_F(Upload, ElevenRefusedFramesInARowEndTheUpload) {
    std::deque<Bytes> script{"ACK\r" + frame(0, "A")};
    for (int i = 0; i < 20; ++i) script.push_back(frame(2, "C"));
    const UploadReport r = run(script);
    EXPECT_EQ(writes(), "RA" + std::string(10, 'N'));
    EXPECT_EQ(r.end, UploadEnd::TimedOut);
    EXPECT_EQ(r.records, 1);
    EXPECT_EQ(read_file(path), "A\r\n");
    EXPECT_EQ(ui.texts(), std::vector<std::string>{"Time out! 1 Datensaetze wurden gespeichert."});
}

// Records longer than the 255 bytes the frame buffer once held: the checksum covers every
// data byte and the line holds the whole record.
TEST_F(Upload, LongRecordIsCheckedAndStoredWhole) {
    std::string data;
    for (int i = 0; i < 600; ++i) data.push_back(static_cast<char>('!' + i % 90));
    const UploadReport r = run({"ACK\r" + frame(0, data), kOver});
    EXPECT_EQ(writes(), "RA");
    EXPECT_EQ(read_file(path), data + "\r\n");
    EXPECT_EQ(r.records, 1);
}

TEST_F(Upload, LongRecordDamagedAfterByte255IsRefused) {
    std::string data(400, 'x');
    const UploadReport r = run({"ACK\r" + with(frame(0, data), 300, 'y'), frame(0, data), kOver});
    EXPECT_EQ(writes(), "RNA");
    EXPECT_EQ(read_file(path), data + "\r\n");
    EXPECT_EQ(r.records, 1);
}

TEST_F(Upload, RecordIsInTheFileBeforeItIsAcknowledged) {
    std::vector<std::string> fileAtAck;
    port.set_responder([this, &fileAtAck](ScriptedPort& p, const Bytes& written) {
        // The records wait beside the data file until the upload is over.
        if (text_of(written) == "ACK\r") fileAtAck.push_back(read_file(path.string() + ".new~"));
        if (replies.empty()) return;
        p.deliver(replies.front(), 20);
        replies.pop_front();
    });
    run({"ACK\r" + frame(0, "first"), frame(1, "second"), kOver});
    EXPECT_EQ(fileAtAck, (std::vector<std::string>{"first\r\n", "first\r\nsecond\r\n"}));
}

TEST_F(Upload, CounterBoxStartsCountsAndEnds) {
    run({"ACK\r" + frame(0, "A"), frame(1, "B"), kOver});
    EXPECT_EQ(ui.counterCalls, (std::vector<std::pair<int, int>>{{0, 0}, {1, 1}, {1, 2}, {2, 2}}));
}

TEST_F(Upload, FinishedUploadOffersTheViewer) {
    ui.answers.push_back(Answer::Yes);
    const UploadReport r = run({"ACK\r" + frame(0, "A"), frame(1, "B"), kOver});
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "Fertig : 2 Datensaetze empfangen.\nEmpfangene Daten ansehen?");
    EXPECT_EQ(ui.messages[0].caption, "Upload Data");
    EXPECT_EQ(ui.messages[0].icon, Icon::None);
    EXPECT_EQ(ui.messages[0].buttons, Buttons::YesNo);
    EXPECT_EQ(ui.viewed, std::vector<std::string>{path.string()});
    EXPECT_TRUE(r.fileKept);
}

TEST_F(Upload, ViewerDeclined) {
    ui.answers.push_back(Answer::No);
    run({"ACK\r" + frame(0, "A"), kOver});
    EXPECT_TRUE(ui.viewed.empty());
    EXPECT_EQ(read_file(path), "A\r\n");
}

TEST_F(Upload, OverBeforeAnyRecordDeletesTheEmptyFile) {
    const UploadReport r = run({"ACK\r" + kOver});
    EXPECT_EQ(r.end, UploadEnd::Over);
    EXPECT_EQ(result_value(r), 0);
    EXPECT_FALSE(r.fileKept);
    EXPECT_FALSE(std::filesystem::exists(path));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "Keine Daten empfangen!");
    EXPECT_EQ(ui.messages[0].caption, "Upload Data");
    EXPECT_EQ(ui.messages[0].icon, Icon::None);
    EXPECT_EQ(ui.messages[0].buttons, Buttons::Ok);
}

// The records of the emulated terminal, also when acknowledgements get lost both ways and
// the terminal sends a record again, or when its frames come after the PC's time-out: each
// arrives once, in order, as it was collected.
TEST_F(Upload, RecordsOfTheTerminalArriveOnceEach) {
    const std::vector<std::string> records = {"4711;Schrauben;100", kLowCr, kHighCr, "", "0815;Muttern;250",
                                              std::string(200, 'x')};
    std::string expected;
    for (const auto& r : records) expected += r + "\r\n";
    for (const char* faults : {"", "lose-ack=0.3", "late-reply=0.2", "late-reply=0.1,lose-ack=0.2,drop-reply=0.1"}) {
        SCOPED_TRACE(faults);
        std::string error;
        const auto plan = emu::parse_fault_plan(faults, error);
        ASSERT_TRUE(plan) << error;
        emu::EmulatorConfig direct;
        direct.direct = true;
        testing::EmulatedPort terminal(clock, direct, *plan, 3);
        terminal.set_records(records);
        Link l(terminal, clock);
        UploadOptions options;
        options.path = path.string();
        options.offerViewer = false;
        const UploadReport r = upload_data(project, l, ui, *files, options);
        EXPECT_EQ(r.end, UploadEnd::Over);
        EXPECT_EQ(r.records, static_cast<int>(records.size()));
        EXPECT_EQ(read_file(path), expected);
    }
}

// ---- silence -------------------------------------------------------------------------

TEST_F(Upload, TenSilentPeriodsAreTolerated) {
    std::deque<Bytes> script{"ACK\r" + frame(0, "A")};
    for (int i = 0; i < 10; ++i) script.push_back(kSilence);  // to ACK and nine NAKs
    script.push_back(frame(1, "B"));                          // to the tenth NAK
    script.push_back(kOver);
    const UploadReport r = run(script);
    EXPECT_EQ(writes(), "RA" + std::string(10, 'N') + "A");
    EXPECT_EQ(r.end, UploadEnd::Over);
    EXPECT_EQ(read_file(path), "A\r\nB\r\n");
}

TEST_F(Upload, EleventhSilentPeriodEndsTheUploadKeepingTheRecords) {
    std::deque<Bytes> script{"ACK\r" + frame(0, "A"), frame(1, "B")};
    const UploadReport r = run(script);
    EXPECT_EQ(writes(), "RAA" + std::string(10, 'N'));
    EXPECT_EQ(r.end, UploadEnd::TimedOut);
    EXPECT_EQ(result_value(r), -1);
    EXPECT_EQ(r.records, 2);
    EXPECT_TRUE(r.fileKept);
    EXPECT_EQ(read_file(path), "A\r\nB\r\n");
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "Time out! 2 Datensaetze wurden gespeichert.");
    EXPECT_EQ(ui.messages[0].caption, "Fehler");
    EXPECT_EQ(ui.messages[0].buttons, Buttons::Ok);
    EXPECT_EQ(ui.counterCalls.back(), (std::pair<int, int>{2, 2}));
    // Eleven frame periods of 500 ms after the last acknowledgement.
    const auto& events = port.events();
    const auto lastAck = std::find_if(events.rbegin(), events.rend(), [](const auto& e) {
        return e.kind == ScriptedPort::Event::Write && text_of(e.data) == "ACK\r";
    });
    const auto close = std::find_if(events.rbegin(), events.rend(),
                                    [](const auto& e) { return e.kind == ScriptedPort::Event::Close; });
    EXPECT_GE(close->at - lastAck->at, 11u * 500);
    EXPECT_LT(close->at - lastAck->at, 11u * 500 + 100);
}

TEST_F(Upload, SilenceBeforeTheFirstRecordDeletesTheFile) {
    const UploadReport r = run({bytes_of("ACK\r")});
    EXPECT_EQ(r.end, UploadEnd::TimedOut);
    EXPECT_EQ(result_value(r), -1);
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_EQ(ui.texts(), std::vector<std::string>{"Time out!"});
    EXPECT_EQ(ui.messages[0].caption, "Fehler");
}

TEST_F(Upload, BrokenFrameCountsAsSilentAndIsAskedAgain) {
    Bytes half = frame(0, "ABCDEF");
    half.resize(4);
    const UploadReport r = run({"ACK\r" + half, frame(0, "ABCDEF"), kOver});
    EXPECT_EQ(writes(), "RNA");
    EXPECT_EQ(read_file(path), "ABCDEF\r\n");
    EXPECT_EQ(r.records, 1);
}

// ---- connect phase -------------------------------------------------------------------

struct ConnectCase {
    const char* name;
    std::deque<Bytes> replies;  // to each "READ\r"
    int reads;                  // "READ\r" written
    std::vector<std::string> texts;
    UploadEnd end;
};
void PrintTo(const ConnectCase& c, std::ostream* os) { *os << c.name; }

class ConnectPhase : public Upload, public ::testing::WithParamInterface<ConnectCase> {};

TEST_P(ConnectPhase, TriesAndGivesUp) {
    const ConnectCase& c = GetParam();
    const UploadReport r = run(c.replies);
    EXPECT_EQ(writes(), std::string(static_cast<std::size_t>(c.reads), 'R') + (c.end == UploadEnd::Over ? "A" : ""));
    EXPECT_EQ(ui.texts(), c.texts);
    EXPECT_EQ(r.end, c.end);
    EXPECT_EQ(std::filesystem::exists(path), c.end == UploadEnd::Over);
}

const Bytes kWrong = bytes_of("NAK\r");
const std::string kTimeOut = "Time out!";
const std::string kNoData = "Keine Daten empfangen!";
const std::string kRefused = "Fehler beim Verbindungsaufbau!";

INSTANTIATE_TEST_SUITE_P(
    Cases, ConnectPhase,
    ::testing::Values(ConnectCase{"SilentTerminalGetsFourReads", {}, 4, {kTimeOut, kNoData}, UploadEnd::NoAnswer},
                      ConnectCase{"SixWrongReplies",
                                  {kWrong, kWrong, kWrong, kWrong, kWrong, kWrong},
                                  6,
                                  {kRefused, kNoData},
                                  UploadEnd::Refused},
                      ConnectCase{
                          "RepliesAreCaseSensitive",
                          {bytes_of("ACK"), bytes_of("ACK\n"), bytes_of("ack\r"), bytes_of("ACK \r"), kWrong, kWrong},
                          6,
                          {kRefused, kNoData},
                          UploadEnd::Refused},
                      ConnectCase{"AnswerOnTheFourthRead",
                                  {kSilence, kSilence, kSilence, "ACK\r" + frame(0, "A"), kOver},
                                  4,
                                  {"Fertig : 1 Datensaetze empfangen.\nEmpfangene Daten ansehen?"},
                                  UploadEnd::Over},
                      ConnectCase{"AnswerOnTheSixthRead",
                                  {kWrong, kWrong, kWrong, kWrong, kWrong, "ACK\r" + frame(0, "A"), kOver},
                                  6,
                                  {"Fertig : 1 Datensaetze empfangen.\nEmpfangene Daten ansehen?"},
                                  UploadEnd::Over},
                      ConnectCase{"SilenceAfterThreeTriesEndsAtOnce",
                                  {kWrong, kWrong, kWrong, kSilence},
                                  4,
                                  {kTimeOut, kNoData},
                                  UploadEnd::NoAnswer},
                      ConnectCase{"OverlongReplyIsWrong",
                                  {bytes_of("ACKACKACKAC\r"), bytes_of("ACKACKACKAC\r"), bytes_of("ACKACKACKAC\r"),
                                   bytes_of("ACKACKACKAC\r")},
                                  4,
                                  {kTimeOut, kNoData},
                                  UploadEnd::NoAnswer}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Upload, SilentTerminalBoxesAndTiming) {
    const std::uint32_t start = clock.ticks();
    run({});
    ASSERT_EQ(ui.messages.size(), 2u);
    for (const auto& m : ui.messages) {
        EXPECT_EQ(m.icon, Icon::None);
        EXPECT_EQ(m.buttons, Buttons::Ok);
    }
    EXPECT_EQ(ui.messages[0].caption, "Error");
    EXPECT_EQ(ui.messages[1].caption, "Upload Data");
    EXPECT_GE(clock.ticks() - start, 4u * 3000);
    EXPECT_LT(clock.ticks() - start, 4u * 3000 + 100);
    EXPECT_TRUE(ui.counterCalls.empty());
}

TEST_F(Upload, RefusalBoxCaption) {
    run({kWrong, kWrong, kWrong, kWrong, kWrong, kWrong});
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(ui.messages[0].caption, "Fehler");
    EXPECT_EQ(ui.messages[0].icon, Icon::None);
}

// ---- link set-up ---------------------------------------------------------------------

TEST_F(Upload, OpensTheProjectPortWithSmallQueuesAndItsRate) {
    run({"ACK\r" + kOver});
    const auto& events = port.events();
    ASSERT_GE(events.size(), 2u);
    EXPECT_EQ(events[0].kind, ScriptedPort::Event::Open);
    EXPECT_EQ(events[0].name, "COM3");
    EXPECT_EQ(events[0].inQueue, 256u);
    EXPECT_EQ(events[0].outQueue, 256u);
    EXPECT_EQ(events[1].kind, ScriptedPort::Event::Apply);
    EXPECT_EQ(events[1].settings.baud, 19200u);
    EXPECT_EQ(events[1].settings.dataBits, 8);
    EXPECT_FALSE(events[1].settings.parity);
    EXPECT_EQ(events[1].settings.stopBits, 1);
    // Closed at the end without discarding input.
    EXPECT_EQ(events.back().kind, ScriptedPort::Event::Close);
    for (const auto& e : events) EXPECT_NE(e.kind, ScriptedPort::Event::Purge);
    EXPECT_FALSE(port.is_open());
}

TEST_F(Upload, CallerChoosesPortAndRate) {
    UploadOptions options;
    options.portName = "/dev/pts/7";
    options.rateIndex = 0;
    run({"ACK\r" + kOver}, options);
    EXPECT_EQ(port.events()[0].name, "/dev/pts/7");
    EXPECT_EQ(port.events()[1].settings.baud, 115200u);
}

TEST_F(Upload, CradleIsSwitchedToTheProjectRate) {
    UploadOptions options;
    options.cradle = true;
    int probes = 0;
    port.set_responder([this, &probes](ScriptedPort& p, const Bytes& written) {
        if (written == Bytes{0x0F}) {
            if (++probes == 1) p.deliver(Bytes{0x0F}, 10);  // listens at 9600
            return;
        }
        if (written.size() == 1) return;  // switch bytes
        if (replies.empty()) return;
        p.deliver(replies.front(), 20);
        replies.pop_front();
    });
    const UploadReport r = run({"ACK\r" + frame(0, "A"), kOver}, options);
    EXPECT_EQ(r.records, 1);
    std::vector<Bytes> single;
    for (const auto& w : port.writes())
        if (w.size() == 1) single.push_back(w);
    EXPECT_EQ(single, (std::vector<Bytes>{{0x0F}, {0x07}, {'3'}, {'Q'}}));
    EXPECT_EQ(port.current_settings().baud, 19200u);
    EXPECT_TRUE(port.current_settings().rtsEnable);
}

struct SetupFailure {
    const char* name;
    bool failOpen;
    bool failApply;
    bool cradle;
    std::vector<std::string> texts;
    UploadEnd end;
};
void PrintTo(const SetupFailure& c, std::ostream* os) { *os << c.name; }

class LinkSetup : public Upload, public ::testing::WithParamInterface<SetupFailure> {};

TEST_P(LinkSetup, FailureWritesNoFileAndClosesThePort) {
    const SetupFailure& c = GetParam();
    port.fail_open(c.failOpen);
    port.fail_apply(c.failApply);
    UploadOptions options;
    options.cradle = c.cradle;
    const UploadReport r = run({}, options);
    EXPECT_EQ(result_value(r), -3);
    EXPECT_EQ(r.end, c.end);
    EXPECT_EQ(ui.texts(), c.texts);
    EXPECT_FALSE(port.is_open());
    EXPECT_FALSE(std::filesystem::exists(path));
    for (const auto& w : port.writes()) EXPECT_NE(text_of(w), "READ\r");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LinkSetup,
    ::testing::Values(
        SetupFailure{"PortDoesNotOpen", true, false, false, {"Fail to open COM port"}, UploadEnd::PortFailed},
        SetupFailure{"CradleDoesNotAnswer", false, false, true, {"Can't set IR device!"}, UploadEnd::CradleFailed},
        SetupFailure{"LineSettingsRefusedSilently", false, true, false, {}, UploadEnd::LineFailed}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Upload, LinkSetupBoxes) {
    port.fail_open(true);
    run({});
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].caption, "Error");
    EXPECT_EQ(ui.messages[0].icon, Icon::None);

    ScriptedUi cradleUi;
    ScriptedPort silent(clock);
    Link cradleLink(silent, clock);
    UploadOptions options;
    options.cradle = true;
    options.path = path.string();
    upload_data(project, cradleLink, cradleUi, *files, options);
    ASSERT_EQ(cradleUi.messages.size(), 1u);
    EXPECT_EQ(cradleUi.messages[0].caption, "Fehler");
    EXPECT_EQ(cradleUi.messages[0].icon, Icon::Warning);
}

// ---- data file -----------------------------------------------------------------------

TEST_F(Upload, SaveDialogRequest) {
    run({"ACK\r" + kOver});
    ASSERT_EQ(ui.dialogs.size(), 1u);
    const FileDialogRequest& d = ui.dialogs[0];
    ASSERT_EQ(d.filters.size(), 2u);
    EXPECT_EQ(d.filters[0].description, "Data files {*.TXT}");
    EXPECT_EQ(d.filters[0].pattern, "*.TXT");
    EXPECT_EQ(d.filters[1].description, "All files {*.*}");
    EXPECT_EQ(d.filters[1].pattern, "*.*");
    EXPECT_EQ(d.defaultExtension, "TXT");
    EXPECT_EQ(d.initialName, "");
    EXPECT_TRUE(d.overwritePrompt);
    EXPECT_TRUE(d.pathMustExist);
    EXPECT_FALSE(d.mustExist);
}

TEST_F(Upload, CancelledDialogTouchesNothing) {
    ui.saveFiles.push_back(std::nullopt);
    const UploadReport r = upload_data(project, link, ui, *files);
    EXPECT_EQ(result_value(r), 0);
    EXPECT_EQ(r.end, UploadEnd::Cancelled);
    EXPECT_TRUE(port.events().empty());
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(Upload, FileThatCannotBeCreated) {
    ui.saveFiles.push_back((path / "no" / "such.TXT").string());
    const UploadReport r = upload_data(project, link, ui, *files);
    EXPECT_EQ(result_value(r), -2);
    EXPECT_EQ(r.end, UploadEnd::FileError);
    EXPECT_TRUE(port.events().empty());
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "Fehler beim Oeffnen der Datei!");
    EXPECT_EQ(ui.messages[0].caption, "Fehler");
    EXPECT_EQ(ui.messages[0].icon, Icon::None);
}

TEST_F(Upload, ExistingFileIsReplaced) {
    std::ofstream(path, std::ios::binary) << "old contents that are longer\r\n";
    run({"ACK\r" + frame(0, "A"), kOver});
    EXPECT_EQ(read_file(path), "A\r\n");
}

// An existing data file is only ever replaced by records that arrived; whatever else
// happens, it stays as it was and nothing is left beside it.
TEST_F(Upload, ExistingFileStaysUnlessRecordsArrive) {
    const struct {
        const char* name;
        bool portMissing;
        std::deque<Bytes> replies;
        UploadEnd end;
        const char* after;
    } cases[] = {
        {"no records", false, {"ACK\r" + kOver}, UploadEnd::Over, "old\r\n"},
        {"silence after the connection", false, {bytes_of("ACK\r")}, UploadEnd::TimedOut, "old\r\n"},
        {"no answer", false, {}, UploadEnd::NoAnswer, "old\r\n"},
        {"port missing", true, {}, UploadEnd::PortFailed, "old\r\n"},
        {"records, then silence", false, {"ACK\r" + frame(0, "A")}, UploadEnd::TimedOut, "A\r\n"},
        {"records", false, {"ACK\r" + frame(0, "A"), frame(1, "B"), kOver}, UploadEnd::Over, "A\r\nB\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        port.fail_open(c.portMissing);
        std::ofstream(path, std::ios::binary) << "old\r\n";
        const UploadReport r = run(c.replies);
        EXPECT_EQ(r.end, c.end);
        EXPECT_TRUE(r.fileKept);
        EXPECT_EQ(read_file(path), c.after);
        EXPECT_FALSE(std::filesystem::exists(path.string() + ".new~"));
    }
}

// A stop request ends the upload between two frames: every stored record is acknowledged
// and in the file, nothing else is sent, the port is closed.
TEST_F(Upload, StopRequestEndsBetweenFrames) {
    static std::atomic<bool> stop{false};
    link.set_stop_flag(&stop);
    port.set_responder([this](ScriptedPort& p, const Bytes& written) {
        if (text_of(written) == "ACK\r" && ++acks == 2) stop = true;
        if (replies.empty()) return;
        p.deliver(replies.front(), 20);
        replies.pop_front();
    });
    const UploadReport r = run({"ACK\r" + frame(0, "A"), frame(1, "B"), frame(2, "C"), kOver});
    link.set_stop_flag(nullptr);
    EXPECT_EQ(r.end, UploadEnd::Interrupted);
    EXPECT_EQ(r.records, 2);
    EXPECT_EQ(writes(), "RAA");
    EXPECT_EQ(read_file(path), "A\r\nB\r\n");
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_FALSE(port.is_open());
}

// Records that cannot take the old file's place are kept beside it and reported; when the
// disk does not confirm the rename, they are in the data file already, and that is named.
TEST_F(Upload, RecordsThatCannotReplaceTheFileAreKeptBesideIt) {
    using Step = testing::FailingFileSteps::Step;
    testing::FailingFileSteps counted;
    files = &counted;
    run({"ACK\r" + frame(0, "A"), kOver});
    for (const Step step : {Step::Rename, Step::SyncFolder}) {
        SCOPED_TRACE(static_cast<int>(step));
        std::ofstream(path, std::ios::binary) << "old\r\n";
        testing::FailingFileSteps steps(step, counted.calls(step));  // the commit's own
        files = &steps;
        ui = ScriptedUi();
        const UploadReport r = run({"ACK\r" + frame(0, "A"), kOver});
        EXPECT_EQ(r.end, UploadEnd::ReplaceFailed);
        EXPECT_EQ(r.records, 1);
        EXPECT_EQ(read_file(path), step == Step::Rename ? "old\r\n" : "A\r\n");
        EXPECT_EQ(r.keptIn, step == Step::Rename ? path.string() + ".new~" : path.string());
        EXPECT_EQ(read_file(r.keptIn), "A\r\n");
        EXPECT_EQ(ui.texts(), std::vector<std::string>{
                                  "Fehler beim Schreiben der Datei! 1 Datensaetze wurden gespeichert in " + r.keptIn});
        if (step == Step::Rename) std::filesystem::remove(r.keptIn);
    }
}

// What the report tells beyond the end: the "READ"s sent, the records and data bytes stored,
// the record that could not be written, the time the command took.
TEST_F(Upload, ReportCountsReadsRecordsBytesAndTime) {
    const std::uint32_t start = clock.ticks();
    const UploadReport r = run({kSilence, kSilence, "ACK\r" + frame(0, "AB"), frame(1, "CDE"), kOver});
    EXPECT_EQ(r.end, UploadEnd::Over);
    EXPECT_EQ(r.reads, 3);
    EXPECT_EQ(r.records, 2);
    EXPECT_EQ(r.bytes, 5u);
    EXPECT_EQ(r.failedRecord, 0);
    EXPECT_EQ(r.elapsedMs, clock.ticks() - start);
    EXPECT_GE(r.elapsedMs, 6000u);  // two silent "READ"s

    testing::FailingFileSteps steps(testing::FailingFileSteps::Step::Write, 3);  // record 2's data
    files = &steps;
    const UploadReport failed = run({"ACK\r" + frame(0, "A"), frame(1, "B"), kOver});
    EXPECT_EQ(failed.end, UploadEnd::WriteFailed);
    EXPECT_EQ(failed.records, 1);
    EXPECT_EQ(failed.failedRecord, 2);
    EXPECT_EQ(result_value(failed), -1);
}

struct AppendCase {
    const char* name;
    const char* before;  // nullptr: no file
    std::deque<Bytes> replies;
    const char* after;  // nullptr: no file
};
void PrintTo(const AppendCase& c, std::ostream* os) { *os << c.name; }

class Append : public Upload, public ::testing::WithParamInterface<AppendCase> {};

TEST_P(Append, AddsToTheFileAndNeverDeletesOldRecords) {
    const AppendCase& c = GetParam();
    if (c.before) std::ofstream(path, std::ios::binary) << c.before;
    UploadOptions options;
    options.rules.append = true;
    const UploadReport r = run(c.replies, options);
    EXPECT_EQ(std::filesystem::exists(path), c.after != nullptr);
    EXPECT_EQ(r.fileKept, c.after != nullptr);
    if (c.after) {
        EXPECT_EQ(read_file(path), c.after);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Append,
    ::testing::Values(AppendCase{"AfterCompleteLines", "old\r\n", {"ACK\r" + frame(0, "A"), kOver}, "old\r\nA\r\n"},
                      AppendCase{"AfterAnOpenLine", "old", {"ACK\r" + frame(0, "A"), kOver}, "old\r\nA\r\n"},
                      AppendCase{"ToAnEmptyFile", "", {"ACK\r" + frame(0, "A"), kOver}, "A\r\n"},
                      AppendCase{"NewFile", nullptr, {"ACK\r" + frame(0, "A"), kOver}, "A\r\n"},
                      AppendCase{"NoRecordsKeepsTheOldFile", "old\r\n", {"ACK\r" + kOver}, "old\r\n"},
                      AppendCase{"NoAnswerKeepsTheOldFile", "old\r\n", {}, "old\r\n"},
                      AppendCase{"NoRecordsAndNoOldFile", nullptr, {"ACK\r" + kOver}, nullptr}),
    [](const auto& info) { return std::string(info.param.name); });

// A record that cannot be written is not acknowledged, so the terminal still holds it.
TEST_F(Upload, RecordThatCannotBeWrittenIsNotAcknowledged) {
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    UploadOptions options;
    options.rules = {.stream = true};
    options.path = "/dev/full";
    replies = {"ACK\r" + frame(0, "A"), kOver};
    const UploadReport r = upload_data(project, link, ui, *files, options);
    EXPECT_EQ(r.end, UploadEnd::WriteFailed);
    EXPECT_EQ(r.records, 0);
    EXPECT_EQ(writes(), "R");
    EXPECT_EQ(ui.texts(),
              std::vector<std::string>{"Fehler beim Schreiben der Datei! 0 Datensaetze wurden gespeichert."});
    EXPECT_EQ(ui.counterCalls.back(), (std::pair<int, int>{2, 0}));
}

}  // namespace
}  // namespace kest
