// The upload's record receiver: whatever the terminal sends after "READ\r", the data file
// holds only records the terminal sent, each whole, at most once, in the order sent; an
// upload that stores nothing leaves the old data file as it was.
#include <algorithm>
#include <memory>
#include <string>

#include "fuzz/harness.h"
#include "fuzz/scratch.h"
#include "session/upload_session.h"
#include "project/defaults.h"
#include "tests/support/scripted_port.h"
#include "tests/support/scripted_ui.h"
#include "tests/support/temp_dir.h"
#include "tests/support/unsynced_file_steps.h"

namespace kest::fuzz {

namespace {

using testing::Bytes;

// The terminal's answer to each write of the PC, taken from the input one after another.
// Head byte h: the answer comes after (h >> 3) * 25 ms; h & 7 says what it is:
//   0  raw: a length byte n and n bytes as they stand
//   1  "OVER\r"      2  "ACK\r"      3  nothing
//   4-7  a record frame: a sequence byte (taken modulo 10 for 4-6, as it stands for 7),
//        a length byte n and n data bytes; the checksum and CR are added (a CR in the
//        data or the checksum travels as 0x0E, as the terminal sends it)
class Terminal {
public:
    explicit Terminal(Input script) : script_(script) {}

    void answer(testing::ScriptedPort& port) {
        if (at_ >= script_.size()) return;
        const std::uint8_t head = next();
        Bytes bytes;
        switch (head & 7) {
        case 0: bytes = take(next()); break;
        case 1: bytes = testing::bytes_of("OVER\r"); break;
        case 2: bytes = testing::bytes_of("ACK\r"); break;
        case 3: break;
        default: {
            const std::uint8_t sequence = (head & 7) == 7 ? next() : next() % 10;
            bytes = take(next());
            std::replace(bytes.begin(), bytes.end(), std::uint8_t{0x0D}, std::uint8_t{0x0E});
            bytes.insert(bytes.begin(), sequence);
            unsigned sum = 0;
            for (auto b : bytes) sum += b;
            bytes.push_back(wire(sum));
            bytes.push_back(wire(sum >> 8));
            bytes.push_back(0x0D);
        }
        }
        sent_.insert(sent_.end(), bytes.begin(), bytes.end());
        port.deliver(bytes, (head >> 3) * 25u);
    }
    const Bytes& sent() const { return sent_; }

private:
    static std::uint8_t wire(unsigned sum) {
        const auto b = static_cast<std::uint8_t>(sum);
        return b == 0x0D ? 0x0E : b;
    }
    std::uint8_t next() { return at_ < script_.size() ? script_[at_++] : 0; }
    Bytes take(std::size_t n) {
        n = std::min(n, script_.size() - at_);
        Bytes bytes(script_.begin() + static_cast<std::ptrdiff_t>(at_),
                    script_.begin() + static_cast<std::ptrdiff_t>(at_ + n));
        at_ += n;
        return bytes;
    }

    Input script_;
    std::size_t at_ = 0;
    Bytes sent_;
};

// The records of a data file: lines ending in CR LF. Nothing when the file is not made
// of such lines.
std::optional<std::vector<Bytes>> records_of(const Bytes& file) {
    std::vector<Bytes> records;
    Bytes line;
    for (std::size_t i = 0; i < file.size(); ++i) {
        if (file[i] == 0x0D) {
            if (i + 1 >= file.size() || file[i + 1] != 0x0A) return std::nullopt;
            records.push_back(std::move(line));
            line.clear();
            ++i;
        } else {
            line.push_back(file[i]);
        }
    }
    if (!line.empty()) return std::nullopt;
    return records;
}

}  // namespace

std::string upload_records(Input input) {
    auto project = std::make_unique<Project>();
    reset_to_defaults(*project);
    testing::FakeClock clock;
    testing::ScriptedPort port(clock);
    Terminal terminal(input);
    port.set_responder([&](testing::ScriptedPort& p, const Bytes&) { terminal.answer(p); });
    testing::ScriptedUi ui;
    Link link(port, clock);
    testing::UnsyncedFileSteps files;
    UploadOptions options;
    options.portName = "COM1";
    options.path = scratch_path("upload.txt");
    options.offerViewer = false;
    // An old data file, replaced only when records arrive.
    const Bytes old = testing::bytes_of("old record\r\n");
    testing::TempDir::write(*options.path, old);
    const UploadReport report = upload_data(*project, link, ui, files, options);

    const Bytes file = testing::TempDir::read(*options.path);
    if (report.records == 0) return file == old ? "" : "an upload without records changed the old data file";
    const auto records = records_of(file);
    if (!records) return "the data file is not made of whole lines";
    if (static_cast<int>(records->size()) != report.records)
        return "the data file holds " + std::to_string(records->size()) + " records, the report says " +
               std::to_string(report.records);
    // Each record is data the terminal sent, followed by two checksum bytes and CR, and
    // the records come from distinct frames in the order sent.
    const Bytes& sent = terminal.sent();
    auto from = sent.begin();
    for (const Bytes& record : *records) {
        for (;;) {
            from = std::search(from, sent.end(), record.begin(), record.end());
            if (from == sent.end()) return "a record is not what the terminal sent, or came twice";
            const auto end = from + static_cast<std::ptrdiff_t>(record.size());
            if (sent.end() - end >= 3 && end[2] == 0x0D && from != sent.begin()) {
                from = end + 3;
                break;
            }
            ++from;
        }
    }
    return {};
}

}  // namespace kest::fuzz
