#include "loader/flash_protocol.h"

#include <istream>

namespace kest::loader {

namespace {

constexpr char kNotReadyText[] = "Terminal is not ready!";
constexpr char kEraseRefusedText[] = "Can't erase flash memory!";
constexpr char kEraseFailedText[] = "Failed to erase flash memory!";
constexpr char kRecordFailedText[] = "Error on downloading!";
constexpr char kNoProgramText[] = "Error on downloading!!";

constexpr int kCycles = 3;
constexpr int kTransmissions = 3;
constexpr int kRepliesPerTransmission = 3;

void warn(UserInterface& ui, const std::string& text) {
    ui.message(text, kCaption, Icon::Warning, Buttons::Ok);
}

bool wake_up(Link& link) {
    for (int cycle = 0; cycle < kCycles; ++cycle) {
        std::string r = exchange(link, "\x0D");
        if (r == "FN" || r == "FF") return true;  // the loader already waits
        r = exchange(link, "QUENTIR\x0D");
        if (r == "FN") return true;
        if (r != "ACK1") continue;
        r = exchange(link, "DOWNLOAD\x0D");
        if (r == "FN" || r == "ACK2") return true;
    }
    return false;
}

FlashOutcome erase(Link& link, UserInterface& ui) {
    for (int cycle = 0; cycle < kCycles; ++cycle) {
        const std::string r = exchange(link, ":ERASE\x0D");
        if (r == "FA") return FlashOutcome::Done;
        if (r == "FB") {
            ui.status_begin("Erase (Ver 2.1 IR)", "Erasing flash memory...");
            const std::string done = read_reply(link, kEraseMs);
            ui.status_end();
            if (done == "FA") return FlashOutcome::Done;
            warn(ui, kEraseFailedText);
            return FlashOutcome::EraseFailed;
        }
    }
    warn(ui, kEraseRefusedText);
    return FlashOutcome::EraseRefused;
}

// "FA" accepts, "FN" asks for the record again, "FF" refuses it for good; other replies
// are waited out before the record goes again.
bool send_record(Link& link, UserInterface& ui, std::span<const std::uint8_t> record) {
    for (int t = 0; t < kTransmissions; ++t) {
        std::string r = exchange(link, record);
        bool again = false;
        for (int n = 0; n < kRepliesPerTransmission && !again; ++n) {
            if (n > 0) r = read_reply(link, kReplyMs);
            if (r == "FA") return true;
            if (r == "FF") {
                warn(ui, kRecordFailedText);
                return false;
            }
            again = r == "FN";
        }
        if (!again) read_reply(link, kReplyMs);  // discarded
    }
    warn(ui, kRecordFailedText);
    return false;
}

FlashOutcome transfer(Link& link, std::istream& object, std::uint64_t size, UserInterface& ui) {
    SrecConverter converter(
        [&](std::span<const std::uint8_t> record) {
            if (record[1] == kEndRecord[1]) {
                exchange(link, record);  // its reply is not examined
                return true;
            }
            return send_record(link, ui, record);
        });
    char chunk[kChunkSize];
    std::uint64_t done = 0;
    while (!converter.ended() && object) {
        object.read(chunk, sizeof chunk);
        const auto got = object.gcount();
        if (got <= 0) break;
        done += static_cast<std::uint64_t>(got);
        if (!converter.feed(std::string_view(chunk, static_cast<std::size_t>(got)))) break;
        ui.progress_set(static_cast<int>(done * 100 / (size ? size : 1)));
    }
    if (!converter.ended() && !converter.failed() && !converter.error()) converter.finish();
    if (converter.ended() && !converter.failed()) return FlashOutcome::Done;
    // A record already failed and was reported; otherwise the file changed under us.
    if (!converter.failed()) warn(ui, kNoProgramText);
    return FlashOutcome::RecordFailed;
}

}  // namespace

std::string read_reply(Link& link, std::uint32_t waitMs) {
    std::string reply;
    const std::uint32_t deadline = link.now() + waitMs;
    while (auto byte = link.read_byte(deadline)) {
        if (*byte == 0x0D) break;
        if (reply.size() < kReplyKept) reply += static_cast<char>(*byte);
    }
    return reply;
}

std::string exchange(Link& link, std::span<const std::uint8_t> bytes) {
    link.write(bytes);
    return read_reply(link, kReplyMs);
}

std::string exchange(Link& link, const std::string& text) {
    link.write(text);
    return read_reply(link, kReplyMs);
}

std::string bad_file_message(const SrecError& error) {
    // An empty file and a file without an end record keep the loader's old message.
    if (error.noProgram) return kNoProgramText;
    std::string text = "The object file is damaged and was not downloaded.\n";
    if (error.line) text += "Line " + std::to_string(error.line) + ": ";
    return text + error.text;
}

FlashOutcome flash_attempt(Link& link, std::istream& object, UserInterface& ui) {
    const SrecReport report = check_srec(object);
    if (!report.ok()) {
        warn(ui, bad_file_message(*report.error));
        return FlashOutcome::BadFile;
    }
    object.clear();
    object.seekg(0);

    if (!wake_up(link)) {
        warn(ui, kNotReadyText);
        return FlashOutcome::NotReady;
    }
    if (const FlashOutcome erased = erase(link, ui); erased != FlashOutcome::Done) return erased;

    ui.progress_begin("Progress (Ver 2.1 IR)", "Downloading...");
    ui.progress_set(0);
    const FlashOutcome result = transfer(link, object, report.fileSize, ui);
    ui.progress_end();
    return result;
}

}  // namespace kest::loader
