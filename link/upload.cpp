#include "link/upload.h"

#include "link/exchange.h"

namespace kest {

namespace {

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

// The terminal answers every reply of the PC with one frame. A damaged byte that reads as
// CR splits a frame in two, and answering both parts "NAK" would leave a second copy of the
// frame on its way: from then on every answer of the PC would reach the terminal as the
// answer to the frame after the one the PC read, and a record acknowledged that way is
// never stored. So the rest of a refused frame is dropped, and the frame gets one "NAK".
void skip_rest_of_frame(Link& link) { skip_until_quiet(link, kQuietMs, kFrameWindowMs); }

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

}  // namespace

Reply ask_upload(Link& link) {
    link.purge_input();
    return exchange(link, bytes_of(word::kRead), kConnectWindowMs, kConnectRules);
}

Connection connect(Link& link) {
    Connection c;
    for (int tries = 0;; ++tries) {
        if (link.stop_requested()) {
            c.end = Connect::Interrupted;
            return c;
        }
        ++c.reads;
        const Reply reply = exchange(link, bytes_of(word::kRead), kConnectWindowMs, kConnectRules);
        if (reply.end != ReplyEnd::Cr && tries >= kSilentConnectTries) {
            c.end = Connect::NoAnswer;
            return c;
        }
        if (reply == word::kAckLine) {
            c.end = Connect::Connected;
            return c;
        }
        if (tries >= kWrongReplies) {
            c.end = Connect::Refused;
            return c;
        }
    }
}

Received receive_records(Link& link, RecordSink& sink) {
    Received r;
    int silent = 0;
    int refused = 0;
    int expected = 0;
    Answers answers;  // "ACK\r" to "READ\r" counts as the first word
    auto ended = [&](ReceiveEnd end) {
        sink.end(r.records);
        r.end = end;
        return r;
    };
    sink.begin();
    for (;;) {
        // Between frames: every record stored so far is acknowledged, the terminal keeps
        // the rest.
        if (link.stop_requested()) return ended(ReceiveEnd::Interrupted);
        const Reply frame = read_reply(link, link.now() + kFrameWindowMs, kFrameRules);
        if (frame.end != ReplyEnd::Cr) {
            if (silent >= kSilentPeriods) return ended(ReceiveEnd::TimedOut);
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
        case Frame::Over: return ended(ReceiveEnd::Over);
        case Frame::Record: {
            const auto data = bytes_of(frame.text).subspan(1, frame.text.size() - 4);
            // Not acknowledged, so the terminal keeps the record.
            if (!sink.store(data)) return ended(ReceiveEnd::StoreFailed);
            ++r.records;
            r.bytes += data.size();
            expected = (expected + 1) % 10;
            sink.stored(r.records);
            answers.acknowledged();
            send(link, bytes_of(word::kAckLine));
            break;
        }
        case Frame::Repeated:
            // Its acknowledgement was lost: acknowledge again, store nothing.
            answers.acknowledged();
            send(link, bytes_of(word::kAckLine));
            break;
        case Frame::Bad:
            // No usable frame comes: the upload ends as after a silent terminal.
            if (refused > kRefusedFrames) return ended(ReceiveEnd::TimedOut);
            skip_rest_of_frame(link);
            send(link, bytes_of(word::kNakLine));
            ++answers.words;
            break;
        }
    }
}

}  // namespace kest
