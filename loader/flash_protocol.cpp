#include "loader/flash_protocol.h"

#include <istream>

#include "link/exchange.h"

namespace kest::loader {

namespace {

// The messages of the flash download.
namespace msg {
constexpr MessageText kNotReady{"Terminal is not ready!", kCaption};
constexpr MessageText kEraseRefused{"Can't erase flash memory!", kCaption};
constexpr MessageText kEraseFailed{"Failed to erase flash memory!", kCaption};
constexpr MessageText kRecordFailed{"Error on downloading!", kCaption};
constexpr MessageText kNoProgram{"Error on downloading!!", kCaption};
constexpr MessageText kBadFile{"", kCaption};  // bad_file_message()
}  // namespace msg

constexpr int kCycles = 3;
constexpr int kTransmissions = 3;
constexpr int kRepliesPerTransmission = 3;

// A reply up to its CR (dropped), at most kReplyKept bytes kept.
constexpr ReplyRules kReplyRules{kReplyKept, ReplyRules::Overflow::SkipToCr};

Reply read_reply(Link& link, std::uint32_t waitMs) { return kest::read_reply(link, link.now() + waitMs, kReplyRules); }

// Writes the bytes in one write and reads the reply within 2 s.
Reply exchange(Link& link, std::span<const std::uint8_t> bytes) {
    return kest::exchange(link, bytes, kReplyMs, kReplyRules);
}

// True when the loader waits for the erase; false (with outcome set) when it did not answer
// or a stop was requested.
bool wake_up(Link& link, FlashOutcome& outcome) {
    outcome = FlashOutcome::StoppedBeforeErase;
    for (int cycle = 0; cycle < kCycles; ++cycle) {
        if (link.stop_requested()) return false;
        Reply r = exchange(link, bytes_of(word::kWake));
        if (r == word::kFn || r == word::kFf) return true;  // the loader already waits
        r = exchange(link, bytes_of(word::kQuentir));
        if (r == word::kFn) return true;
        if (r != word::kAck1) continue;
        r = exchange(link, bytes_of(word::kDownload));
        if (r == word::kFn || r == word::kAck2) return true;
    }
    outcome = FlashOutcome::NotReady;
    return false;
}

FlashOutcome erase(Link& link, UserInterface& ui) {
    for (int cycle = 0; cycle < kCycles; ++cycle) {
        if (link.stop_requested()) return cycle == 0 ? FlashOutcome::StoppedBeforeErase : FlashOutcome::Stopped;
        const Reply r = exchange(link, bytes_of(word::kErase));
        if (r == word::kFa) return FlashOutcome::Done;
        if (r == word::kFb) {
            ui.status_begin("Erase (Ver 2.1 IR)", "Erasing flash memory...");
            const Reply done = read_reply(link, kEraseMs);
            ui.status_end();
            if (done == word::kFa) return FlashOutcome::Done;
            show(ui, msg::kEraseFailed);
            return FlashOutcome::EraseFailed;
        }
    }
    show(ui, msg::kEraseRefused);
    return FlashOutcome::EraseRefused;
}

// "FA" accepts, "FN" asks for the record again, "FF" refuses it for good; other replies
// are waited out before the record goes again.
bool send_record(Link& link, UserInterface& ui, std::span<const std::uint8_t> record, RecordTrouble* trouble) {
    // "S3", the count, then the address, most significant byte first.
    if (trouble && record.size() >= 7)
        trouble->address = static_cast<std::uint32_t>(record[3]) << 24 | static_cast<std::uint32_t>(record[4]) << 16 |
                           static_cast<std::uint32_t>(record[5]) << 8 | record[6];
    for (int t = 0; t < kTransmissions; ++t) {
        if (link.stop_requested()) return false;
        Reply r = exchange(link, record);
        bool again = false;
        for (int n = 0; n < kRepliesPerTransmission && !again; ++n) {
            if (n > 0) r = read_reply(link, kReplyMs);
            if (r == word::kFa) return true;
            if (r == word::kFf) {
                if (trouble) trouble->refused = true;
                show(ui, msg::kRecordFailed);
                return false;
            }
            again = r == word::kFn;
        }
        if (!again) read_reply(link, kReplyMs);  // discarded
    }
    show(ui, msg::kRecordFailed);
    return false;
}

FlashOutcome transfer(Link& link, std::istream& object, std::uint64_t size, UserInterface& ui,
                      RecordTrouble* trouble) {
    SrecConverter converter(
        [&](std::span<const std::uint8_t> record) {
            if (record[1] == kEndRecord[1]) {
                exchange(link, record);  // its reply is not examined
                return true;
            }
            return send_record(link, ui, record, trouble);
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
        ui.progress_amount(done, size, "bytes");
    }
    if (!converter.ended() && !converter.failed() && !converter.error()) converter.finish();
    if (converter.ended() && !converter.failed()) return FlashOutcome::Done;
    if (link.stop_requested()) return FlashOutcome::Stopped;
    // A record already failed and was reported; otherwise the file changed under us.
    if (!converter.failed()) show(ui, msg::kNoProgram);
    return FlashOutcome::RecordFailed;
}

}  // namespace

std::string bad_file_message(const SrecError& error) {
    // An empty file and a file without an end record keep the loader's old message.
    if (error.noProgram) return msg::kNoProgram.text;
    std::string text = "The object file is damaged and was not downloaded.\n";
    if (error.line) text += "Line " + std::to_string(error.line) + ": ";
    return text + error.text;
}

FlashOutcome flash_attempt(Link& link, std::istream& object, UserInterface& ui, RecordTrouble* trouble) {
    const SrecReport report = check_srec(object);
    if (!report.ok()) {
        show(ui, msg::kBadFile, bad_file_message(*report.error));
        return FlashOutcome::BadFile;
    }
    object.clear();
    object.seekg(0);

    if (FlashOutcome woken; !wake_up(link, woken)) {
        if (woken == FlashOutcome::NotReady) show(ui, msg::kNotReady);
        return woken;
    }
    if (const FlashOutcome erased = erase(link, ui); erased != FlashOutcome::Done) return erased;

    ui.progress_begin("Progress (Ver 2.1 IR)", "Downloading...");
    ui.progress_set(0);
    const FlashOutcome result = transfer(link, object, report.fileSize, ui, trouble);
    ui.progress_end();
    return result;
}

}  // namespace kest::loader
