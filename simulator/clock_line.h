// The clock line of the terminal's start screen, redrawn by the terminal window's timer.
#pragma once

#include <string>

#include "platform/clock.h"

namespace kest::terminal {

// "DEC 08, 14:05  00012": month, day, hour and minute, the colon shown on ticks 0-4 of
// each second and blank on ticks 5-9; unless separate files per form are kept, the
// simulated record counter follows as five digits (20 characters in all).
std::string clock_line(const LocalTime& time, int tick, int recordCount, bool separateFilePerForm);

}  // namespace kest::terminal
