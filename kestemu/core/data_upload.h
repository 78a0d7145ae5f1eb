// The terminal's side of the data upload: after "READ\r" it answers "ACK\r" and sends its
// collected records one frame at a time (sequence byte 0-9, data, sum low, sum high, CR),
// the next after the PC's "ACK\r", the same again after anything else, then "OVER\r".
#pragma once

#include <cstddef>
#include <vector>

#include "kestemu/core/types.h"

namespace kest::emu {

class DataUpload {
public:
    // A new upload of these records; returns "ACK\r" followed by the first frame.
    Bytes start(std::vector<Bytes> records);
    // The PC's reply to the last frame. ackLost: the PC's "ACK" did not arrive whole.
    // Returns the frame to send next (the same one again unless the reply was "ACK\r").
    Bytes reply(ByteView line, bool ackLost = false);

    // Whether "OVER\r" has been sent.
    bool finished() const { return next_ >= records_.size(); }
    std::size_t acknowledged() const { return next_; }

    static Bytes frame(std::uint8_t sequence, ByteView data);

private:
    Bytes current() const;

    std::vector<Bytes> records_;
    std::size_t next_ = 0;
};

// Records from the text of a records file: one per line, ending in CR LF, LF or CR (a
// record cannot hold a CR); a last line without a line end counts.
std::vector<Bytes> split_records(ByteView text);

}  // namespace kest::emu
