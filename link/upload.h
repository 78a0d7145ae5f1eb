// The upload protocol of the application runtime: connect with "READ\r", then receive the
// numbered, checksummed record frames the terminal collected, each answered "ACK\r" once it
// is stored or "NAK\r", until the terminal sends "OVER\r". The records go to a sink; the
// session above owns the data file and talks to the user.
#pragma once

#include <cstdint>
#include <span>

#include "link/exchange.h"
#include "link/link.h"

namespace kest {

enum class Connect {
    Connected,    // the terminal answered "ACK\r"
    NoAnswer,     // no answer to the fourth "READ\r"
    Refused,      // six answers other than "ACK\r"
    Interrupted,  // a stop was requested (Link::stop_requested)
};

struct Connection {
    Connect end = Connect::NoAnswer;
    int reads = 0;  // "READ\r" sent
};

// Sends "READ\r" until the terminal answers "ACK\r": a silent terminal gets it four times,
// one that answers something else six times.
Connection connect(Link& link);
// One "READ\r" and the terminal's answer as connect reads it (the CR kept): "ACK\r" when it
// sends its records now. Input left from before is discarded first.
Reply ask_upload(Link& link);

// Where the records go, and who follows their count.
class RecordSink {
public:
    virtual ~RecordSink() = default;
    // Keeps one record's data bytes. The record's "ACK\r" is written only after this returned
    // true; false ends the upload with the record unacknowledged, so the terminal keeps it.
    virtual bool store(std::span<const std::uint8_t> data) = 0;
    // The records begin to come; a record was stored (the count so far); the records end,
    // whatever the reason.
    virtual void begin() {}
    virtual void stored(int count) { (void)count; }
    virtual void end(int count) { (void)count; }
};

enum class ReceiveEnd {
    Over,         // the terminal ended with "OVER\r"
    TimedOut,     // the terminal fell silent, or sent no usable frame for too long
    StoreFailed,  // the sink could not keep a record; it was not acknowledged
    Interrupted,  // a stop was requested; every record stored so far is acknowledged
};

struct Received {
    ReceiveEnd end = ReceiveEnd::Over;
    int records = 0;          // records stored
    std::uint64_t bytes = 0;  // their data bytes
};

// The records after the connection, until "OVER\r", a time-out, a record the sink could not
// keep or a stop request.
Received receive_records(Link& link, RecordSink& sink);

}  // namespace kest
