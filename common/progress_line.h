// The one line a transfer's progress takes on a terminal:
//   [##########          ]  50%  100/200 blocks  52 blocks/s  0:02 left
#pragma once

#include <cstdint>
#include <string>

namespace kest {

struct ProgressState {
    int percent = 0;         // the bar, 0-100, where there is no amount
    std::uint64_t done = 0;  // of total units, when the transfer names them (total 0: it does not)
    std::uint64_t total = 0;
    std::string unit;             // "blocks", "bytes"
    std::uint64_t elapsedMs = 0;  // since the progress began
};

// The rate and the time left appear once there is something to measure them by.
std::string progress_line(const ProgressState& state);

// "9.5 kB/s", "950 B/s" for bytes; "52 blocks/s" for other units.
std::string rate_text(double perSecond, const std::string& unit);

}  // namespace kest
