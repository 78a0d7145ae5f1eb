// Clock service: tick counts for every time-out and pause, and the local time for the
// simulated clock and record stamps. Tests use a fake clock so that waiting costs nothing.
#pragma once

#include <cstdint>

namespace kest {

struct LocalTime {
    int year = 2000;  // four digits
    int month = 1;    // 1-12
    int day = 1;      // 1-31
    int hour = 0;
    int minute = 0;
    int second = 0;
};

class Clock {
public:
    virtual ~Clock() = default;
    // Milliseconds since an arbitrary start; wraps like a 32-bit tick count.
    virtual std::uint32_t ticks() = 0;
    // Blocks for the given time (never spins).
    virtual void sleep(std::uint32_t ms) = 0;
    virtual LocalTime local_time() = 0;
};

// The platform's real clock.
Clock& system_clock();

}  // namespace kest
