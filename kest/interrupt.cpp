#include "kest/interrupt.h"

#include <csignal>
#include <cstdlib>

#include "common/exit_status.h"

namespace kest::cli {

namespace {

// Lock-free, so the handler may set it and every thread read it.
std::atomic<bool> gStop{false};
static_assert(std::atomic<bool>::is_always_lock_free);

extern "C" void on_interrupt(int) {
    if (gStop.exchange(true)) std::_Exit(kExitInterrupted);
}

}  // namespace

const std::atomic<bool>* stop_at_next_packet() {
    std::signal(SIGINT, on_interrupt);
    std::signal(SIGTERM, on_interrupt);
    return &gStop;
}

bool interrupted() { return gStop.load(); }

}  // namespace kest::cli
