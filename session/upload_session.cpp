#include "session/upload_session.h"

#include <fstream>
#include <span>

#include "link/cradle_setup.h"
#include "link/upload.h"

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

// Whether the file ends inside a line (appended records then start on a line of their own).
bool ends_inside_a_line(const std::string& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in || in.tellg() <= 0) return false;
    in.seekg(-1, std::ios::end);
    return in.get() != '\n';
}

// The data file, written record by record: each line is on the disk before the record is
// acknowledged, as the terminal may delete what it sent once the upload is over. The
// records go into a file beside the chosen one, which they replace only when the upload
// is over: an upload that brings no record leaves the old file as it was. Appended
// records go straight to the end of the file. The counter box follows the records.
class DataFile final : public RecordSink {
public:
    DataFile(FileSteps& steps, UserInterface& ui) : file_(steps), ui_(ui) {}

    bool open(const std::string& path, const OutputRules& rules) {
        needsLineEnd_ = rules.append && ends_inside_a_line(path);
        return file_.open(path, rules);
    }
    OutputProblem problem() const { return file_.problem(); }
    int system_error() const { return file_.system_error(); }
    bool existed() const { return file_.existed(); }
    // Where the records are after a failed commit: beside the data file, or in its place
    // already when only the disk's confirmation of the rename failed.
    std::string kept_in(const std::string& path) const {
        return file_.problem() == OutputProblem::NotOnDisk ? path : file_.temporary().string();
    }

    bool store(std::span<const std::uint8_t> data) override {
        static const std::uint8_t crlf[] = {0x0D, 0x0A};
        if (needsLineEnd_ && !file_.write(crlf)) return false;
        needsLineEnd_ = false;
        return file_.write(data) && file_.write(crlf) && file_.sync();
    }
    void begin() override { ui_.counter_box(0, 0); }
    void stored(int count) override { ui_.counter_box(1, count); }
    void end(int count) override { ui_.counter_box(2, count); }

    // Puts the records in place; when that fails they stay in kept_in().
    bool commit() {
        if (file_.commit()) return true;
        file_.keep();
        return false;
    }
    void discard() { file_.discard(); }

private:
    OutputFile file_;
    UserInterface& ui_;
    bool needsLineEnd_ = false;
};

std::string records_kept(int records) { return std::to_string(records) + " Datensaetze wurden gespeichert"; }

UploadEnd set_up_link(Link& link, UserInterface& ui, const std::string& portName, int rateIndex, bool cradle) {
    if (rateIndex < 0 || rateIndex >= kRateCount) return UploadEnd::LineFailed;
    if (!link.open(portName, kInQueue, kUploadOutQueue)) {
        show(ui, msg::kPortFailed);
        return UploadEnd::PortFailed;
    }
    if (cradle && !cradle_setup(link, rateIndex, kGeneratorCradle)) {
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

// Connects and receives the records; the messages of a failure are shown while the port is
// still open.
void exchange_records(Link& link, UserInterface& ui, DataFile& file, UploadReport& report, bool connected) {
    const Connection c = connected ? Connection{Connect::Connected, 1} : connect(link);
    report.reads = c.reads;
    switch (c.end) {
    case Connect::Connected: break;
    case Connect::NoAnswer:
        show(ui, msg::kNoAnswer);
        report.end = UploadEnd::NoAnswer;
        return;
    case Connect::Refused:
        show(ui, msg::kRefused);
        report.end = UploadEnd::Refused;
        return;
    case Connect::Interrupted: report.end = UploadEnd::Interrupted; return;
    }
    const Received r = receive_records(link, file);
    report.records = r.records;
    report.bytes = r.bytes;
    switch (r.end) {
    case ReceiveEnd::Over: report.end = UploadEnd::Over; break;
    case ReceiveEnd::Interrupted: report.end = UploadEnd::Interrupted; break;
    case ReceiveEnd::TimedOut:
        report.end = UploadEnd::TimedOut;
        if (r.records == 0)
            show(ui, msg::kTimedOut);
        else
            show(ui, msg::kTimedOut, "Time out! " + records_kept(r.records) + ".");
        break;
    case ReceiveEnd::StoreFailed:
        report.end = UploadEnd::WriteFailed;
        report.failedRecord = r.records + 1;
        show(ui, msg::kWriteFailed, "Fehler beim Schreiben der Datei! " + records_kept(r.records) + ".");
        break;
    }
}

}  // namespace

int result_value(const UploadReport& report) {
    switch (report.end) {
    case UploadEnd::Cancelled: return 0;
    case UploadEnd::FileError: return -2;
    case UploadEnd::PortFailed:
    case UploadEnd::CradleFailed:
    case UploadEnd::LineFailed: return -3;
    case UploadEnd::TimedOut:
    case UploadEnd::WriteFailed:
    case UploadEnd::ReplaceFailed: return -1;
    case UploadEnd::NoAnswer:
    case UploadEnd::Refused:
    case UploadEnd::Over:
    case UploadEnd::Interrupted: break;
    }
    return report.records;
}

FileDialogRequest data_file_request() {
    FileDialogRequest r;
    r.filters = {{"Data files {*.TXT}", "*.TXT"}, {"All files {*.*}", "*.*"}};
    r.defaultExtension = "TXT";
    r.overwritePrompt = true;
    r.pathMustExist = true;
    return r;
}

UploadReport upload_data(const Project& project, Link& link, UserInterface& ui, FileSteps& files,
                         const UploadOptions& options) {
    const std::uint32_t start = link.now();
    UploadReport report;
    auto finished = [&]() -> UploadReport {
        report.elapsedMs = link.now() - start;
        return report;
    };
    auto path = options.path ? options.path : ui.choose_save_file(data_file_request());
    if (!path || path->empty()) return finished();
    report.path = *path;

    DataFile file(files, ui);
    if (!file.open(report.path, options.rules)) {
        show(ui, msg::kFileError);
        report.end = UploadEnd::FileError;
        report.fileProblem = file.problem();
        report.fileError = file.system_error();
        report.fileKept = file.existed();
        return finished();
    }

    if (!options.station) {
        const std::string portName = options.portName.value_or(port_name(project.com.portIndex));
        const int rateIndex = options.rateIndex.value_or(project.com.rateIndex);
        report.end = set_up_link(link, ui, portName, rateIndex, options.cradle);
        if (report.end != UploadEnd::Over) {
            file.discard();  // the chosen file stays as it was
            report.fileKept = file.existed();
            return finished();
        }
    }
    exchange_records(link, ui, file, report, options.station);
    if (!options.station) link.close(false);

    if (report.records == 0) {
        if (report.end != UploadEnd::TimedOut && report.end != UploadEnd::WriteFailed &&
            report.end != UploadEnd::Interrupted)
            show(ui, msg::kNoData);
        // Nothing arrived: the chosen file stays as it was, a file that was not there
        // before is not left behind.
        file.discard();
        report.fileKept = file.existed();
        return finished();
    }
    // Records arrived (also when the terminal fell silent afterwards): they replace the old
    // file. Should that fail, they are kept beside it.
    if (!file.commit()) {
        report.keptIn = file.kept_in(report.path);
        report.fileKept = file.existed();
        show(ui, msg::kWriteFailed,
             "Fehler beim Schreiben der Datei! " + records_kept(report.records) + " in " + report.keptIn);
        report.end = UploadEnd::ReplaceFailed;
        return finished();
    }
    report.fileKept = true;
    if (report.end == UploadEnd::Over && options.offerViewer) {
        const std::string question =
            "Fertig : " + std::to_string(report.records) + " Datensaetze empfangen.\nEmpfangene Daten ansehen?";
        if (show(ui, msg::kFinished, question) == Answer::Yes) ui.open_viewer(report.path);
    }
    return finished();
}

}  // namespace kest
