#include <windows.h>

#include "platform/clock.h"

namespace kest {
namespace {

class Win32Clock final : public Clock {
public:
    std::uint32_t ticks() override { return GetTickCount(); }
    void sleep(std::uint32_t ms) override { Sleep(ms); }
    LocalTime local_time() override {
        SYSTEMTIME st;
        GetLocalTime(&st);
        return {st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond};
    }
};

}  // namespace

Clock& system_clock() {
    static Win32Clock clock;
    return clock;
}

}  // namespace kest
