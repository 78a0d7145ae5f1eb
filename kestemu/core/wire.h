// Timing of one direction of a paced line. Bytes follow each other without a gap while the
// line is busy; each busy spell is timed from its start, so the rounding to whole
// microseconds never adds up over a long transfer.
#pragma once

#include <cstddef>
#include <cstdint>

#include "kestemu/core/types.h"

namespace kest::emu {

// Time `count` bytes take on the wire at this rate (10 bits each), rounded up.
Micros wire_time(std::uint64_t count, std::uint32_t rate);

class Wire {
public:
    // When `count` bytes that are ready at `ready` will have crossed the wire at `rate`.
    Micros done(Micros ready, std::uint64_t count, std::uint32_t rate) const;
    // The same, and the wire is busy with them until then.
    Micros send(Micros ready, std::uint64_t count, std::uint32_t rate);
    // When the last byte sent so far is through.
    Micros free() const { return start_ + wire_time(count_, rate_); }

private:
    // Whether bytes ready at `ready` at `rate` continue the current busy spell.
    bool continues(Micros ready, std::uint32_t rate) const { return count_ > 0 && rate == rate_ && ready <= free(); }

    Micros start_ = 0;
    std::uint64_t count_ = 0;
    std::uint32_t rate_ = 9600;
};

}  // namespace kest::emu
