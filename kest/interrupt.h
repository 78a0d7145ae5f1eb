// Ctrl+C and SIGTERM during a transfer: the first asks the transfer to stop before its next
// packet, so that the port is released and the command can say what state the terminal is
// in; a second one ends the program at once.
#pragma once

#include <atomic>

namespace kest::cli {

// Installs the handlers (once) and returns the flag they set, for Link::set_stop_flag: the
// links of every port read the one flag.
const std::atomic<bool>* stop_at_next_packet();
bool interrupted();

}  // namespace kest::cli
