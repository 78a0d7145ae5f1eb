#include <chrono>
#include <ctime>
#include <thread>

#include "platform/clock.h"

namespace kest {
namespace {

class PosixClock final : public Clock {
public:
    std::uint32_t ticks() override {
        auto now = std::chrono::steady_clock::now().time_since_epoch();
        return static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
    }
    void sleep(std::uint32_t ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
    LocalTime local_time() override {
        std::time_t now = std::time(nullptr);
        std::tm tm{};
        localtime_r(&now, &tm);
        return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
    }
};

}  // namespace

Clock& system_clock() {
    static PosixClock clock;
    return clock;
}

}  // namespace kest
