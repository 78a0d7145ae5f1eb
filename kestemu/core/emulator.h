// The whole counterpart of the PC on one line: the cradle (unless the cable is direct), the
// terminal behind it, and optionally the pace of the bytes on the wire. The caller feeds in
// what it reads from the line together with the rate the PC's port is set to, and writes out
// what take_output() returns; between those it sleeps until next_deadline().
#pragma once

#include <cstdint>
#include <deque>
#include <optional>

#include "kestemu/core/cradle.h"
#include "kestemu/core/fault_injector.h"
#include "kestemu/core/state_sink.h"
#include "kestemu/core/terminal.h"
#include "kestemu/core/wire.h"

namespace kest::emu {

struct EmulatorConfig {
    bool direct = false;              // a direct cable: no cradle, data always passes
    std::uint32_t cradleRate = 9600;  // the rate the cradle listens at first
    bool pace = false;                // bytes take their time on the wire (10 bits each)
    TerminalConfig terminal;
};

// Time one byte takes on the wire at this rate (start bit, 8 data bits, stop bit).
Micros byte_time(std::uint32_t rate);

class Emulator {
public:
    Emulator(EmulatorConfig config, StateSink& state, FaultInjector& faults, EventLog log = {});

    void receive(ByteView chunk, std::uint32_t pcRate, Micros now);
    void advance(Micros now);
    std::optional<Micros> next_deadline() const;
    // When the caller should look again: next_deadline(), except that paced output is let out
    // in batches (each due byte within kOutputBatch of the first), so that a short reply
    // costs one wake-up, timed to its last byte, instead of one per byte.
    std::optional<Micros> next_wake() const;
    static constexpr Micros kOutputBatch = kMillis;
    // The bytes to write to the line now; bytes the cradle cannot pass are lost.
    Bytes take_output(std::uint32_t pcRate, Micros now);

    // Keeps what is still unsaved before the program ends.
    void finish() { terminal_.finish(); }

    // The terminal taken out of its cradle (or off its cable) and put back: while it is out,
    // nothing reaches it and nothing comes from it (the cradle stays and answers its probes);
    // it comes back idle, keeping what it stored.
    void set_present(bool present);
    bool present() const { return present_; }

    const Terminal& terminal() const { return terminal_; }
    const Cradle& cradle() const { return cradle_; }

private:
    std::optional<Micros> next_input_deadline() const;
    void deliver(ByteView chunk, std::uint32_t pcRate, Micros now);
    void collect(Micros now);
    void queue(ByteView bytes, Micros at);
    bool passes(std::uint32_t pcRate) const { return config_.direct || cradle_.passes(pcRate); }
    void log(const std::string& line) const {
        if (log_) log_(line);
    }

    struct Outgoing {
        Micros earliest;
        std::uint8_t byte;
    };

    EmulatorConfig config_;
    EventLog log_;
    Cradle cradle_;
    Terminal terminal_;
    std::deque<Outgoing> outgoing_;
    Wire rx_;  // the PC's bytes on their way in (pacing)
    Wire tx_;  // the replies on their way out (pacing)
    std::uint32_t lastRate_ = 9600;
    bool present_ = true;
};

}  // namespace kest::emu
