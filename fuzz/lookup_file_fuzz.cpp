// The lookup file reader: any file sent to a terminal that acknowledges every packet.
// The terminal must receive every line once, in order, with nothing added or lost, or
// nothing at all when a line is too long.
#include <string>
#include <vector>

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
    const std::vector<Bytes> lines = lines_of(input);
    int tooLong = 0;
    for (std::size_t i = 0; i < lines.size() && !tooLong; ++i)
        if (lines[i].size() > kMaxLookupLine) tooLong = static_cast<int>(i) + 1;

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
    if (tooLong) {
        if (report.outcome != DownloadOutcome::LineTooLong || report.badLine != tooLong)
            return "line " + std::to_string(tooLong) + " is too long but the file was not refused for it";
        if (!port.events().empty()) return "a refused file reached the port";
        return {};
    }
    if (report.outcome != DownloadOutcome::Completed || report.attempts != 1)
        return "a file of acceptable lines was not sent at once";
    if (writes.size() != lines.size() + 2 || testing::text_of(writes.front()) != "VELMOR\r" ||
        testing::text_of(writes.back()) != "OVER\r")
        return "the terminal did not receive one packet per line between handshake and end";
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const Bytes& packet = writes[i + 1];
        const Bytes& line = lines[i];
        unsigned sum = 0;
        for (auto b : line) sum += b;
        const Bytes expected_tail = {wire(sum >> 8), wire(sum), 0x0D};
        if (packet.size() != line.size() + 3 || !std::equal(line.begin(), line.end(), packet.begin()) ||
            !std::equal(expected_tail.begin(), expected_tail.end(), packet.end() - 3))
            return "the packet of line " + std::to_string(i + 1) + " does not carry the line";
    }
    return {};
}

}  // namespace kest::fuzz
