#include "kest/interrupt.h"

#include <cstdlib>

#include "common/exit_status.h"

namespace kest::cli {

namespace {

volatile std::sig_atomic_t gStop = 0;

extern "C" void on_interrupt(int) {
    if (gStop) std::_Exit(kExitInterrupted);
    gStop = 1;
}

}  // namespace

const volatile std::sig_atomic_t* stop_at_next_packet() {
    std::signal(SIGINT, on_interrupt);
    std::signal(SIGTERM, on_interrupt);
    return &gStop;
}

bool interrupted() { return gStop != 0; }

}  // namespace kest::cli
