// A station: one port kept open through a shift while terminals come and go (set into the
// cradle, taken out again). The port is asked in turn with the word that starts the
// transfer ("VELMOR" for a download, "READ" for an upload), as the handshake and the
// connection ask; a terminal that answers "ACK" is served at once, on the open port. A
// terminal served is then left alone until the port has fallen silent (it was taken out),
// so that one left in its cradle gets nothing twice.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "link/link.h"

namespace kest {

struct StationOptions {
    std::string portName;
    int rateIndex = 0;
    bool cradle = false;
    bool upload = false;  // ask with "READ" (and the upload's queues) instead of "VELMOR"
    // Asks in a row that got no byte at all, after which a terminal served counts as taken out.
    int silentAsks = 2;
};

// One ask takes at least this long, the reply window of the handshake and the connection:
// a port is asked about every three seconds whatever answers.
inline constexpr std::uint32_t kStationAskMs = 3000;

enum class StationEnd {
    Stopped,       // a stop was requested (Link::stop_requested)
    PortFailed,    // the port cannot be opened
    CradleFailed,  // no cradle rate answered
    LineFailed,    // the line settings cannot be applied
};

// Opens the port, sets up the cradle (when asked) and the line, and asks until a stop is
// requested. serve runs the transfer on the open link right after a terminal answered; it
// returns true when the terminal was served (it is left alone until taken out) and false
// when it should be asked again at once (a transfer that failed on the way). The port is
// closed on every path.
StationEnd run_station(Link& link, const StationOptions& options, const std::function<bool(Link&)>& serve);

}  // namespace kest
