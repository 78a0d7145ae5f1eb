#include "loader/flash_protocol.h"

#include <istream>
#include <optional>

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
constexpr int kStateQuestions = 4;  // lone CRs after an unanswered end record
// The count byte of a send record covers its 4 address bytes and the checksum besides the data.
constexpr int kSendRecordOverhead = 5;

// A reply up to its CR (dropped), at most kReplyKept bytes kept.
constexpr ReplyRules kReplyRules{kReplyKept, ReplyRules::Overflow::SkipToCr};

Reply read_reply(Link& link, std::uint32_t waitMs) { return kest::read_reply(link, link.now() + waitMs, kReplyRules); }

// A pause this long ends the rest of a damaged reply.
constexpr std::uint32_t kQuietMs = 50;

bool is_reply_word(const Reply& r) {
    for (const std::string_view w : {word::kAck1, word::kAck2, word::kFa, word::kFb, word::kFn, word::kFf})
        if (r == w) return true;
    return false;
}

// Writes the bytes in one write and reads the reply within 2 s. The loader answers every
// message once; a reply split by a damaged byte, or one that came late, must not answer
// the next message, or every later message would read the answer of the one before it
// (and a record answered "FN" would pass as accepted). So what is left of earlier replies
// is discarded first.
Reply exchange(Link& link, std::span<const std::uint8_t> bytes) {
    link.purge_input();
    return kest::exchange(link, bytes, kReplyMs, kReplyRules);
}

// A command of the wake-up or the erase, whose reply is taken at once: the rest of a reply
// that is no word of the loader is waited out as well. (A record waits for further replies
// itself.)
Reply command(Link& link, std::string_view text) {
    const Reply r = exchange(link, bytes_of(text));
    if (r.end == ReplyEnd::Cr && !is_reply_word(r)) skip_until_quiet(link, kQuietMs, kReplyMs);
    return r;
}

// True when the loader waits for the erase; false (with outcome set) when it did not answer
// or a stop was requested.
bool wake_up(Link& link, FlashOutcome& outcome) {
    outcome = FlashOutcome::StoppedBeforeErase;
    for (int cycle = 0; cycle < kCycles; ++cycle) {
        if (link.stop_requested()) return false;
        Reply r = command(link, word::kWake);
        if (r == word::kFn || r == word::kFf) return true;  // the loader already waits
        r = command(link, word::kQuentir);
        if (r == word::kFn) return true;
        if (r != word::kAck1) continue;
        r = command(link, word::kDownload);
        if (r == word::kFn || r == word::kAck2) return true;
    }
    outcome = FlashOutcome::NotReady;
    return false;
}

FlashOutcome erase(Link& link, UserInterface& ui) {
    for (int cycle = 0; cycle < kCycles; ++cycle) {
        if (link.stop_requested()) return cycle == 0 ? FlashOutcome::StoppedBeforeErase : FlashOutcome::Stopped;
        const Reply r = command(link, word::kErase);
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
        *trouble =
            RecordTrouble{static_cast<std::uint32_t>(record[3]) << 24 | static_cast<std::uint32_t>(record[4]) << 16 |
                              static_cast<std::uint32_t>(record[5]) << 8 | record[6],
                          false, false, trouble->written};
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

// Whether the loader still waits, asked with lone CRs: a waiting loader answers "FN" or
// "FF". Any other answer, silence included, is believed only when the next CR brings the
// same: a reply damaged or lost on the line seldom comes the same way twice.
enum class LoaderState { Waiting, Ended, Unknown };

LoaderState loader_state(Link& link) {
    std::optional<std::string> previous;
    for (int n = 0; n < kStateQuestions && !link.stop_requested(); ++n) {
        const Reply r = exchange(link, bytes_of(word::kWake));
        if (r == word::kFn || r == word::kFf) return LoaderState::Waiting;
        if (previous == r.text) return LoaderState::Ended;
        previous = r.text;
    }
    return LoaderState::Unknown;
}

// The end record. The loader may end without answering it, so when no "FA" comes, lone
// CRs ask whether a loader still waits: if none does, the end record was taken; if one
// does (or it stays unclear), the end record goes again. "FN" and "FF" count as for any
// record. So a program whose end the loader did not take is not reported written.
bool send_end_record(Link& link, UserInterface& ui, std::span<const std::uint8_t> record, RecordTrouble* trouble) {
    if (trouble) *trouble = RecordTrouble{0, false, true, trouble->written};
    for (int t = 0; t < kTransmissions; ++t) {
        if (link.stop_requested()) return false;
        const Reply r = exchange(link, record);
        if (r == word::kFa) return true;
        if (r == word::kFf) {
            if (trouble) trouble->refused = true;
            show(ui, msg::kRecordFailed);
            return false;
        }
        if (r != word::kFn && loader_state(link) == LoaderState::Ended) return true;
    }
    show(ui, msg::kRecordFailed);
    return false;
}

// The bar follows the file as it is read; the amount counts the program's bytes the
// terminal accepted, the unit of the summary at the end.
FlashOutcome transfer(Link& link, std::istream& object, std::uint64_t size, std::uint64_t programBytes,
                      UserInterface& ui, RecordTrouble* trouble) {
    std::uint64_t accepted = 0;
    SrecConverter converter([&](std::span<const std::uint8_t> record) {
        if (record[1] == kEndRecord[1]) return send_end_record(link, ui, record, trouble);
        if (!send_record(link, ui, record, trouble)) return false;
        accepted += record[2] - kSendRecordOverhead;
        if (trouble) trouble->written = accepted;
        ui.progress_amount(accepted, programBytes, "bytes");
        return true;
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
    const FlashOutcome result = transfer(link, object, report.fileSize, report.dataBytes, ui, trouble);
    ui.progress_end();
    return result;
}

}  // namespace kest::loader
