// The lookup file reader: any file sent to a terminal that acknowledges every packet.
// The terminal must receive every line once, in order, with nothing added or lost (UTF-8
// text in Windows-1252), or nothing at all when the file is refused, for a reason the bytes
// show.
#include <algorithm>
#include <string>
#include <vector>

#include "common/cp1252.h"
#include "fuzz/harness.h"
#include "fuzz/scratch.h"
#include "session/download_session.h"
#include "project/defaults.h"
#include "tests/support/scripted_port.h"
#include "tests/support/scripted_ui.h"

namespace kest::fuzz {

namespace {

using testing::Bytes;

// The lines of a text file whatever editor wrote it: CR LF, CR or LF end a line; a last
// line without an end counts too.
std::vector<Bytes> lines_of(Input file) {
    std::vector<Bytes> lines;
    Bytes line;
    for (std::size_t i = 0; i < file.size(); ++i) {
        const std::uint8_t b = file[i];
        if (b != 0x0D && b != 0x0A) {
            line.push_back(b);
            continue;
        }
        if (b == 0x0D && i + 1 < file.size() && file[i + 1] == 0x0A) ++i;
        lines.push_back(std::move(line));
        line.clear();
    }
    if (!line.empty()) lines.push_back(std::move(line));
    return lines;
}

std::uint8_t wire(unsigned sum) {
    const auto b = static_cast<std::uint8_t>(sum);
    return b == 0x0D ? 0x0E : b;
}

}  // namespace

// The bytes of a lookup file.
std::string lookup_file(Input input) {
    const std::string text(input.begin(), input.end());
    auto project = std::make_unique<Project>();
    reset_to_defaults(*project);
    testing::FakeClock clock;
    testing::ScriptedPort port(clock);
    port.set_responder([](testing::ScriptedPort& p, const Bytes&) { p.deliver("ACK\r", 1); });
    testing::ScriptedUi ui;
    ui.openFiles.push_back(scratch_file("lookup.txt", input));
    Link link(port, clock);
    std::string fileName;
    DownloadOptions options;
    options.lookup = true;
    options.portName = "COM1";
    const DownloadReport report = download(*project, link, ui, options, fileName);

    const std::vector<Bytes> writes = port.writes();
    if (report.outcome == DownloadOutcome::LineTooLong || report.outcome == DownloadOutcome::FileRefused) {
        if (!port.events().empty()) return "a refused file reached the port";
        if (report.problems.empty()) return "a file was refused without a reason";
        const LookupProblem& why = report.problems.front();
        // A UTF-8 byte-order mark is no text of the file.
        const auto lines = lines_of(text.starts_with("\xEF\xBB\xBF") ? input.subspan(3) : input);
        bool shown = true;
        switch (why.fault) {
        case LookupFault::Utf16: shown = text.starts_with("\xFF\xFE") || text.starts_with("\xFE\xFF"); break;
        case LookupFault::NulBytes: shown = text.find('\0') != std::string::npos && why.line >= 1; break;
        case LookupFault::Empty:
            shown = std::all_of(lines.begin(), lines.end(), [](const Bytes& l) { return l.empty(); });
            break;
        case LookupFault::ProjectFile: shown = text.starts_with("KEST-1.00") || text.starts_with("Qvx-"); break;
        case LookupFault::ObjectProgram: shown = text.find_first_of("Ss") != std::string::npos; break;
        case LookupFault::NotText:
        case LookupFault::Unmappable: shown = why.line >= 1 && why.position >= 1 && cp1252_to_utf8(text) != text; break;
        case LookupFault::LineTooLong:
            // A UTF-8 line is counted in Windows-1252 characters, never more than its bytes.
            shown = why.line >= 1 && why.line <= static_cast<int>(lines.size()) &&
                    lines[why.line - 1].size() > kMaxLookupLine && report.badLine == why.line;
            break;
        default: shown = false;
        }
        return shown ? "" : "refused for a reason the file does not show: " + problem_text(why);
    }
    if (report.outcome != DownloadOutcome::Completed || report.attempts != 1)
        return "a file of acceptable lines was not sent at once";
    if (writes.size() < 2 || testing::text_of(writes.front()) != "VELMOR\r" ||
        testing::text_of(writes.back()) != "OVER\r")
        return "the terminal did not receive the handshake and the end";
    // The lines the terminal got, back in the file's text: byte for byte, or from UTF-8.
    const bool utf8 = std::any_of(ui.messages.begin(), ui.messages.end(),
                                  [](const auto& m) { return m.caption == std::string("Warnung"); });
    const auto lines = lines_of(utf8 && text.starts_with("\xEF\xBB\xBF") ? input.subspan(3) : input);
    if (writes.size() != lines.size() + 2) return "the terminal did not receive one packet per line";
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const Bytes& packet = writes[i + 1];
        const std::string line(packet.begin(), packet.end() - 3);
        const std::string original(lines[i].begin(), lines[i].end());
        if ((utf8 ? cp1252_to_utf8(line) : line) != original)
            return "the packet of line " + std::to_string(i + 1) + " does not carry the line";
        unsigned sum = 0;
        for (unsigned char b : line) sum += b;
        const Bytes expected_tail = {wire(sum >> 8), wire(sum), 0x0D};
        if (!std::equal(expected_tail.begin(), expected_tail.end(), packet.end() - 3))
            return "the packet of line " + std::to_string(i + 1) + " has a wrong sum";
    }
    return {};
}

}  // namespace kest::fuzz
