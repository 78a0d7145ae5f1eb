#include "link/upload.h"

#include <fstream>
#include <span>
#include <vector>

#include "link/cradle_setup.h"
#include "link/exchange.h"

namespace kest {

namespace {

// The messages of the upload; those with numbers in them are formatted where they are shown.
namespace msg {
constexpr MessageText kFileError{"Fehler beim Oeffnen der Datei!", "Fehler", Icon::None};
constexpr MessageText kPortFailed{"Fail to open COM port", "Error", Icon::None};
constexpr MessageText kCradleFailed{"Can't set IR device!", "Fehler"};
constexpr MessageText kNoAnswer{"Time out!", "Error", Icon::None};
constexpr MessageText kRefused{"Fehler beim Verbindungsaufbau!", "Fehler", Icon::None};
constexpr MessageText kTimedOut{"Time out!", "Fehler", Icon::None};  // with records: how many were kept
constexpr MessageText kWriteFailed{"", "Fehler", Icon::None};        // how many were kept, and where
constexpr MessageText kNoData{"Keine Daten empfangen!", "Upload Data", Icon::None};
constexpr MessageText kFinished{"", "Upload Data", Icon::None, Buttons::YesNo};  // the count, the question
}  // namespace msg

constexpr std::uint32_t kConnectWindowMs = 3000;
constexpr std::size_t kConnectKept = 10;
constexpr int kSilentConnectTries = 3;  // time-outs tolerated before "Time out!"
constexpr int kWrongReplies = 5;        // wrong replies tolerated before giving up
constexpr std::uint32_t kFrameWindowMs = 500;
constexpr int kSilentPeriods = 10;  // silent frame periods tolerated in a row
// Refused frames tolerated in a row: a terminal that keeps sending a frame the PC cannot
// take (damaged every time, or a sequence number out of step) would otherwise be answered
// "NAK" for ever.
constexpr int kRefusedFrames = 10;
// A pause this long ends whatever followed a refused frame (see skip_rest_of_frame).
constexpr std::uint32_t kQuietMs = 50;
// A frame is bounded by its 500 ms window anyway; this only guards against a line that
// floods bytes without a CR. Far above any record the terminal collects.
constexpr std::size_t kMaxFrame = 8192;

// The answer to "READ\r": the first kConnectKept bytes with the CR among them; past them
// everything is dropped, a CR too, until the window runs out.
constexpr ReplyRules kConnectRules{kConnectKept, ReplyRules::Overflow::SkipToDeadline, true};
// A frame up to its CR; the bytes of an over-long frame are dropped up to its CR.
constexpr ReplyRules kFrameRules{kMaxFrame, ReplyRules::Overflow::SkipToCr, true};

// Whether the file ends inside a line (appended records then start on a line of their own).
bool ends_inside_a_line(const std::string& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in || in.tellg() <= 0) return false;
    in.seekg(-1, std::ios::end);
    return in.get() != '\n';
}

// The data file, written record by record: each line reaches the file before the record
// is acknowledged. The records go into a file beside the chosen one, which they replace
// only when the upload is over: an upload that brings no record leaves the old file as
// it was. Appended records go straight to the end of the file.
class DataFile {
public:
    explicit DataFile(FileSteps& steps) : file_(steps) {}

    bool open(const std::string& path, const OutputRules& rules) {
        needsLineEnd_ = rules.append && ends_inside_a_line(path);
        return file_.open(path, rules);
    }
    OutputProblem problem() const { return file_.problem(); }
    int system_error() const { return file_.system_error(); }
    bool existed() const { return file_.existed(); }
    std::string temporary() const { return file_.temporary().string(); }

    bool write_record(std::span<const std::uint8_t> data) {
        static const std::uint8_t crlf[] = {0x0D, 0x0A};
        if (needsLineEnd_ && !file_.write(crlf)) return false;
        needsLineEnd_ = false;
        return file_.write(data) && file_.write(crlf) && file_.flush();
    }

    // Puts the records in place; when that fails they stay in temporary().
    bool commit() {
        if (file_.commit()) return true;
        file_.keep();
        return false;
    }
    void discard() { file_.discard(); }

private:
    OutputFile file_;
    bool needsLineEnd_ = false;
};

enum class Connect { Connected, NoAnswer, Refused, Interrupted };

// Sends "READ\r" until the terminal answers "ACK\r": a silent terminal gets it four times,
// one that answers something else six times.
Connect connect(Link& link, UserInterface& ui) {
    for (int tries = 0;; ++tries) {
        if (link.stop_requested()) return Connect::Interrupted;
        const Reply reply = exchange(link, bytes_of(word::kRead), kConnectWindowMs, kConnectRules);
        if (reply.end != ReplyEnd::Cr && tries >= kSilentConnectTries) {
            show(ui, msg::kNoAnswer);
            return Connect::NoAnswer;
        }
        if (reply == word::kAckLine) return Connect::Connected;
        if (tries >= kWrongReplies) {
            show(ui, msg::kRefused);
            return Connect::Refused;
        }
    }
}

enum class Frame { Over, Record, Repeated, Bad };

// Sequence byte, data, checksum low and high byte, CR. The checksum is the 16-bit sum of
// the sequence byte and the data; a checksum byte 0x0D is sent as 0x0E.
Frame classify(const Reply& reply, int expected) {
    if (reply == word::kOver) return Frame::Over;
    const std::span frame = bytes_of(reply.text);
    if (reply.cut || frame.size() < 4) return Frame::Bad;
    const int sequence = frame[0];
    const int previous = (expected + 9) % 10;
    if (sequence != expected && sequence != previous) return Frame::Bad;
    const std::size_t dataEnd = frame.size() - 3;
    const unsigned sum = byte_sum(frame.first(dataEnd));
    if (frame[dataEnd] != line_sum_byte(sum) || frame[dataEnd + 1] != line_sum_byte(sum >> 8)) return Frame::Bad;
    return sequence == expected ? Frame::Record : Frame::Repeated;
}

struct Received {
    UploadEnd end;
    int records;
};

// The terminal answers every reply of the PC with one frame. A damaged byte that reads as
// CR splits a frame in two, and answering both parts "NAK" would leave a second copy of the
// frame on its way: from then on every answer of the PC would reach the terminal as the
// answer to the frame after the one the PC read, and a record acknowledged that way is
// never stored. So the rest of a refused frame is dropped, and the frame gets one "NAK".
void skip_rest_of_frame(Link& link) { skip_until_quiet(link, kQuietMs, kFrameWindowMs); }

// The upload ends without "OVER": the counter box goes, and the user hears how many records
// were stored.
void time_out(UserInterface& ui, int records) {
    ui.counter_box(2, records);
    if (records == 0)
        show(ui, msg::kTimedOut);
    else
        show(ui, msg::kTimedOut, "Time out! " + std::to_string(records) + " Datensaetze wurden gespeichert.");
}

// The terminal answers every word of the PC with one frame, the answers in order. A frame
// that comes after the PC's time-out meets the "NAK" the time-out sent: the terminal answers
// it with the same frame again. Acknowledging that copy as well would move the terminal past
// a record the PC never saw. So the PC counts its words and the frames since the record it
// stored last: the words not yet answered then are copies of that record on their way, and
// only a copy beyond them (the terminal did not take the "ACK") is acknowledged again. A word
// that never arrives leaves one copy too many counted, which costs one more time-out.
// (The copies are counted again after each record the PC acknowledges.)
struct Answers {
    int words = 1;   // words of the PC since the last stored record, its "ACK" included
    int frames = 0;  // frames since then
    int copies = 0;  // copies of the last stored record still on their way

    // The words not answered yet.
    int owed() const { return words > frames ? words - frames : 0; }
    // The PC acknowledges a record, or a copy of it beyond those counted.
    void acknowledged() {
        copies = owed();
        words = 1;
        frames = 0;
    }
};

Received receive_records(Link& link, UserInterface& ui, DataFile& file) {
    int silent = 0;
    int refused = 0;
    int expected = 0;
    int records = 0;
    Answers answers;  // "ACK\r" to "READ\r" counts as the first word
    ui.counter_box(0, 0);
    for (;;) {
        // Between frames: every record stored so far is acknowledged, the terminal keeps
        // the rest.
        if (link.stop_requested()) {
            ui.counter_box(2, records);
            return {UploadEnd::Interrupted, records};
        }
        const Reply frame = read_reply(link, link.now() + kFrameWindowMs, kFrameRules);
        const bool ended = frame.end == ReplyEnd::Cr;  // its CR arrived
        if (!ended) {
            if (silent >= kSilentPeriods) {
                time_out(ui, records);
                return {UploadEnd::TimedOut, records};
            }
            ++silent;
            send(link, bytes_of(word::kNakLine));
            ++answers.words;
            continue;
        }
        silent = 0;
        const Frame kind = classify(frame, expected);
        if (answers.copies > 0 && (kind == Frame::Repeated || kind == Frame::Bad)) {
            // The answer to a word sent before the record came, damaged or not: nothing to say.
            --answers.copies;
            continue;
        }
        ++answers.frames;
        refused = kind == Frame::Bad ? refused + 1 : 0;
        switch (kind) {
        case Frame::Over: ui.counter_box(2, records); return {UploadEnd::Over, records};
        case Frame::Record:
            if (!file.write_record(bytes_of(frame.text).subspan(1, frame.text.size() - 4))) {
                // Not acknowledged, so the terminal keeps the record.
                ui.counter_box(2, records);
                show(
                    ui, msg::kWriteFailed,
                    "Fehler beim Schreiben der Datei! " + std::to_string(records) + " Datensaetze wurden gespeichert.");
                return {UploadEnd::WriteFailed, records};
            }
            ++records;
            expected = (expected + 1) % 10;
            ui.counter_box(1, records);
            answers.acknowledged();
            send(link, bytes_of(word::kAckLine));
            break;
        case Frame::Repeated:
            // Its acknowledgement was lost: acknowledge again, store nothing.
            answers.acknowledged();
            send(link, bytes_of(word::kAckLine));
            break;
        case Frame::Bad:
            // No usable frame comes: the upload ends as after a silent terminal.
            if (refused > kRefusedFrames) {
                time_out(ui, records);
                return {UploadEnd::TimedOut, records};
            }
            skip_rest_of_frame(link);
            send(link, bytes_of(word::kNakLine));
            ++answers.words;
            break;
        }
    }
}

UploadEnd set_up_link(Link& link, UserInterface& ui, const std::string& portName, int rateIndex, bool cradle) {
    if (rateIndex < 0 || rateIndex >= kRateCount) return UploadEnd::LineFailed;
    if (!link.open(portName, kInQueue, kUploadOutQueue)) {
        show(ui, msg::kPortFailed);
        return UploadEnd::PortFailed;
    }
    if (cradle && !cradle_setup(link, rateIndex, kGeneratorCradle, &ui)) {
        link.close(false);
        show(ui, msg::kCradleFailed);
        return UploadEnd::CradleFailed;
    }
    link.set_line(rateIndex);
    if (!link.apply()) {
        link.close(false);
        return UploadEnd::LineFailed;
    }
    return UploadEnd::Over;
}

}  // namespace

FileDialogRequest data_file_request() {
    FileDialogRequest r;
    r.filters = {{"Data files {*.TXT}", "*.TXT"}, {"All files {*.*}", "*.*"}};
    r.defaultExtension = "TXT";
    r.overwritePrompt = true;
    r.pathMustExist = true;
    return r;
}

UploadReport upload_data(const Project& project, Link& link, UserInterface& ui, const UploadOptions& options) {
    UploadReport report;
    auto path = options.path ? options.path : ui.choose_save_file(data_file_request());
    if (!path || path->empty()) return report;
    report.path = *path;

    DataFile file(options.fileSteps ? *options.fileSteps : standard_file_steps());
    if (!file.open(report.path, options.rules)) {
        show(ui, msg::kFileError);
        report.result = -2;
        report.end = UploadEnd::FileError;
        report.fileProblem = file.problem();
        report.fileError = file.system_error();
        report.fileKept = file.existed();
        return report;
    }

    const std::string portName = options.portName.value_or(port_name(project.com.portIndex));
    const int rateIndex = options.rateIndex.value_or(project.com.rateIndex);
    report.end = set_up_link(link, ui, portName, rateIndex, options.cradle);
    if (report.end != UploadEnd::Over) {
        file.discard();  // the chosen file stays as it was
        report.fileKept = file.existed();
        report.result = -3;
        return report;
    }

    switch (connect(link, ui)) {
    case Connect::Connected: {
        const Received r = receive_records(link, ui, file);
        report.end = r.end;
        report.records = r.records;
        break;
    }
    case Connect::NoAnswer: report.end = UploadEnd::NoAnswer; break;
    case Connect::Refused: report.end = UploadEnd::Refused; break;
    case Connect::Interrupted: report.end = UploadEnd::Interrupted; break;
    }
    link.close(false);

    const bool over = report.end == UploadEnd::Over;
    const bool interrupted = report.end == UploadEnd::Interrupted;
    report.result = over || interrupted || report.end == UploadEnd::NoAnswer || report.end == UploadEnd::Refused
                        ? report.records
                        : -1;
    if (report.records == 0) {
        if (report.end != UploadEnd::TimedOut && report.end != UploadEnd::WriteFailed && !interrupted)
            show(ui, msg::kNoData);
        // Nothing arrived: the chosen file stays as it was, a file that was not there
        // before is not left behind.
        file.discard();
        report.fileKept = file.existed();
        return report;
    }
    // Records arrived (also when the terminal fell silent afterwards): they replace the old
    // file. Should that fail, they are kept beside it.
    if (!file.commit()) {
        report.keptIn = file.temporary();
        report.fileKept = file.existed();
        show(ui, msg::kWriteFailed,
             "Fehler beim Schreiben der Datei! " + std::to_string(report.records) +
                 " Datensaetze wurden gespeichert in " + report.keptIn);
        report.end = UploadEnd::ReplaceFailed;
        report.result = -1;
        return report;
    }
    report.fileKept = true;
    if (over && options.offerViewer) {
        const std::string question =
            "Fertig : " + std::to_string(report.records) + " Datensaetze empfangen.\nEmpfangene Daten ansehen?";
        if (show(ui, msg::kFinished, question) == Answer::Yes) ui.open_viewer(report.path);
    }
    return report;
}

}  // namespace kest
