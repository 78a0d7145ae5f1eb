// The emulator on its pseudo-terminal: let out the replies that are due, wait in ppoll()
// for input, the emulator's next deadline or a wake-up, and feed in what arrived.
#pragma once

#include <csignal>

#include "kestemu/core/emulator.h"
#include "kestemu/pty_transport.h"

namespace kest::emu {

// Microseconds on the steady clock: the emulator's time base.
Micros now_micros();

// Runs until stop is set (a byte on wakeFd ends the wait at once), with the terminal in its
// cradle while present is set. log, when set, gets the events; trace adds every byte read
// and written.
void run_line(PtyTransport& line, Emulator& emulator, int wakeFd, const volatile std::sig_atomic_t& stop,
              const volatile std::sig_atomic_t& present, const EventLog& log, bool trace);

}  // namespace kest::emu
