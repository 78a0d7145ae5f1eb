// A clock whose time moves only when the code under test sleeps or waits, so that
// time-outs of seconds cost no real time.
#pragma once

#include "platform/clock.h"

namespace kest::testing {

class FakeClock final : public Clock {
public:
    std::uint32_t ticks() override { return now_; }
    void sleep(std::uint32_t ms) override {
        now_ += ms;
        sleptMs_ += ms;
    }
    LocalTime local_time() override { return time_; }

    void advance(std::uint32_t ms) { now_ += ms; }
    void set_ticks(std::uint32_t now) { now_ = now; }
    void set_local_time(const LocalTime& time) { time_ = time; }
    std::uint64_t slept_ms() const { return sleptMs_; }

private:
    std::uint32_t now_ = 1000000;
    std::uint64_t sleptMs_ = 0;
    LocalTime time_{2026, 12, 7, 9, 30, 15};
};

}  // namespace kest::testing
