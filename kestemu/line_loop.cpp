#include "kestemu/line_loop.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>

namespace kest::emu {
namespace {

std::int64_t now_nanos() {
    using namespace std::chrono;
    return duration_cast<nanoseconds>(steady_clock::now().time_since_epoch()).count();
}

// How long to wait for input before the emulator's next deadline: exactly up to it (by then
// the clock reads at least that microsecond), nothing when it has passed.
timespec wait_until(Micros deadline) {
    const std::int64_t wait = std::max<std::int64_t>(deadline * 1000 - now_nanos(), 0);
    return timespec{static_cast<time_t>(wait / 1'000'000'000), static_cast<long>(wait % 1'000'000'000)};
}

}  // namespace

Micros now_micros() { return now_nanos() / 1000; }

void run_line(PtyTransport& line, Emulator& emulator, int wakeFd, const volatile std::sig_atomic_t& stop,
              const volatile std::sig_atomic_t& present, const EventLog& log, bool trace) {
    std::uint8_t buffer[4096];
    while (!stop) {
        emulator.set_present(present != 0);
        Micros now = now_micros();
        const Bytes out = emulator.take_output(line.pc_rate(), now);
        if (!out.empty()) {
            if (trace) log("out " + printable(out));
            if (!line.write(out) && log) log("the PC does not read: reply lost");
        }

        const auto deadline = emulator.next_wake();
        const timespec timeout = deadline ? wait_until(*deadline) : timespec{};
        pollfd fds[2] = {{line.fd(), POLLIN, 0}, {wakeFd, POLLIN, 0}};
        const int ready = ppoll(fds, 2, deadline ? &timeout : nullptr, nullptr);
        if (ready < 0) {
            if (errno == EINTR) continue;
            std::perror("kestemu: poll");
            return;
        }
        if (fds[1].revents & POLLIN) {
            char drained[64];
            [[maybe_unused]] auto n = ::read(wakeFd, drained, sizeof drained);
        }
        if (fds[0].revents & POLLIN) {
            const std::size_t n = line.read(buffer, sizeof buffer);
            now = now_micros();
            if (n > 0) {
                const std::uint32_t rate = line.pc_rate();
                if (trace) log("in  " + std::to_string(rate) + " " + printable(ByteView(buffer, n)));
                emulator.receive(ByteView(buffer, n), rate, now);
            }
        }
    }
}

}  // namespace kest::emu
