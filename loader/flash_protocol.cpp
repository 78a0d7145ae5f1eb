#include "loader/flash_protocol.h"

#include <istream>
#include <optional>

#include "link/exchange.h"

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
constexpr int kStateQuestions = 4;  // lone CRs after an unanswered end record

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

void warn(UserInterface& ui, const std::string& text) {
    ui.message(text, kCaption, Icon::Warning, Buttons::Ok);
}

bool wake_up(Link& link) {
    for (int cycle = 0; cycle < kCycles; ++cycle) {
        Reply r = command(link, word::kWake);
        if (r == word::kFn || r == word::kFf) return true;  // the loader already waits
        r = command(link, word::kQuentir);
        if (r == word::kFn) return true;
        if (r != word::kAck1) continue;
        r = command(link, word::kDownload);
        if (r == word::kFn || r == word::kAck2) return true;
    }
    return false;
}

FlashOutcome erase(Link& link, UserInterface& ui) {
    for (int cycle = 0; cycle < kCycles; ++cycle) {
        const Reply r = command(link, word::kErase);
        if (r == word::kFa) return FlashOutcome::Done;
        if (r == word::kFb) {
            ui.status_begin("Erase (Ver 2.1 IR)", "Erasing flash memory...");
            const Reply done = read_reply(link, kEraseMs);
            ui.status_end();
            if (done == word::kFa) return FlashOutcome::Done;
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
        Reply r = exchange(link, record);
        bool again = false;
        for (int n = 0; n < kRepliesPerTransmission && !again; ++n) {
            if (n > 0) r = read_reply(link, kReplyMs);
            if (r == word::kFa) return true;
            if (r == word::kFf) {
                warn(ui, kRecordFailedText);
                return false;
            }
            again = r == word::kFn;
        }
        if (!again) read_reply(link, kReplyMs);  // discarded
    }
    warn(ui, kRecordFailedText);
    return false;
}

// Whether the loader still waits, asked with lone CRs: a waiting loader answers "FN" or
// "FF". Any other answer, silence included, is believed only when the next CR brings the
// same: a reply damaged or lost on the line seldom comes the same way twice.
enum class LoaderState { Waiting, Ended, Unknown };

LoaderState loader_state(Link& link) {
    std::optional<std::string> previous;
    for (int n = 0; n < kStateQuestions; ++n) {
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
bool send_end_record(Link& link, UserInterface& ui, std::span<const std::uint8_t> record) {
    for (int t = 0; t < kTransmissions; ++t) {
        const Reply r = exchange(link, record);
        if (r == word::kFa) return true;
        if (r == word::kFf) {
            warn(ui, kRecordFailedText);
            return false;
        }
        if (r != word::kFn && loader_state(link) == LoaderState::Ended) return true;
    }
    warn(ui, kRecordFailedText);
    return false;
}

FlashOutcome transfer(Link& link, std::istream& object, std::uint64_t size, UserInterface& ui) {
    SrecConverter converter([&](std::span<const std::uint8_t> record) {
        return record[1] == kEndRecord[1] ? send_end_record(link, ui, record) : send_record(link, ui, record);
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
