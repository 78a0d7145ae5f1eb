// Drives the emulated terminal as the PC would: messages in, replies out, on a clock that
// moves only when the test says so.
#pragma once

#include <string>

#include "kestemu/core/terminal.h"

namespace kest::emu::testing {

inline Bytes text(const std::string& s) { return Bytes(s.begin(), s.end()); }

inline std::string as_text(const Bytes& b) { return std::string(b.begin(), b.end()); }

struct TerminalHarness {
    explicit TerminalHarness(TerminalConfig config = {}, FaultPlan plan = {}, std::uint64_t seed = 1)
        : faults(plan, seed), terminal(std::move(config), state, faults) {}

    // Sends one message in one piece; returns every reply due by then.
    std::string send(const Bytes& message) {
        now += kMillis;
        terminal.receive(message, now);
        return take();
    }
    std::string send(const std::string& message) { return send(text(message)); }

    // Sends a message and waits out the frame gap: every reply it gets.
    std::string exchange(const Bytes& message) {
        std::string reply = send(message);
        return reply + wait(Terminal::kFrameGap);
    }
    std::string exchange(const std::string& message) { return exchange(text(message)); }

    // Lets time pass (frame gaps, erasing, silence) and returns the replies due by then.
    std::string wait(Micros span) {
        now += span;
        terminal.advance(now);
        return take();
    }

    std::string take() {
        for (auto& r : terminal.take_replies()) pending.push_back(std::move(r));
        std::string out;
        for (auto it = pending.begin(); it != pending.end();) {
            if (it->at <= now) {
                out += as_text(it->bytes);
                it = pending.erase(it);
            } else {
                ++it;
            }
        }
        return out;
    }

    MemoryStateSink state;
    FaultInjector faults;
    Terminal terminal;
    Micros now = 1000 * kMillis;
    std::vector<Reply> pending;
};

}  // namespace kest::emu::testing
