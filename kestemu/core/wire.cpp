#include "kestemu/core/wire.h"

#include <algorithm>

namespace kest::emu {

Micros wire_time(std::uint64_t count, std::uint32_t rate) {
    if (rate == 0) rate = 9600;
    const std::uint64_t bits = count * 10 * 1000000;
    return static_cast<Micros>((bits + rate - 1) / rate);
}

Micros Wire::done(Micros ready, std::uint64_t count, std::uint32_t rate) const {
    if (continues(ready, rate)) return start_ + wire_time(count_ + count, rate_);
    return std::max(ready, free()) + wire_time(count, rate);
}

Micros Wire::send(Micros ready, std::uint64_t count, std::uint32_t rate) {
    if (!continues(ready, rate)) {
        start_ = std::max(ready, free());
        count_ = 0;
        rate_ = rate;
    }
    count_ += count;
    return free();
}

}  // namespace kest::emu
