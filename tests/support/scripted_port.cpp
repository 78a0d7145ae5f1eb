#include "tests/support/scripted_port.h"

#include <algorithm>

namespace kest::testing {

Bytes bytes_of(const std::string& text) { return Bytes(text.begin(), text.end()); }
std::string text_of(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

void ScriptedPort::deliver(const Bytes& bytes, std::uint32_t delayMs) {
    // Bytes never overtake bytes delivered earlier.
    std::uint32_t readyAt = clock_.ticks() + delayMs;
    if (!incoming_.empty()) readyAt = std::max(readyAt, incoming_.back().readyAt);
    for (auto b : bytes) incoming_.push_back({readyAt, b});
}

std::vector<Bytes> ScriptedPort::writes() const {
    std::vector<Bytes> out;
    for (const auto& e : events_)
        if (e.kind == Event::Write) out.push_back(e.data);
    return out;
}

bool ScriptedPort::open(const std::string& name, std::size_t inQueue, std::size_t outQueue) {
    Event e{Event::Open, clock_.ticks(), {}, {}, name, inQueue, outQueue};
    events_.push_back(e);
    if (failOpen_) return false;
    open_ = true;
    // Like a real port: what arrived before the port was opened is gone.
    while (!incoming_.empty() && static_cast<std::int32_t>(incoming_.front().readyAt - clock_.ticks()) <= 0)
        incoming_.pop_front();
    return true;
}

bool ScriptedPort::apply(const LineSettings& settings) {
    events_.push_back({Event::Apply, clock_.ticks(), {}, settings, {}});
    if (failApply_) return false;
    current_ = settings;
    return true;
}

bool ScriptedPort::write(std::span<const std::uint8_t> bytes) {
    Bytes data(bytes.begin(), bytes.end());
    events_.push_back({Event::Write, clock_.ticks(), data, {}, {}});
    if (failWrite_) return false;
    if (responder_) responder_(*this, data);
    return true;
}

std::size_t ScriptedPort::read(std::uint8_t* buffer, std::size_t max, std::uint32_t timeoutMs) {
    if (max == 0) return 0;
    const std::uint32_t deadline = clock_.ticks() + timeoutMs;
    if (incoming_.empty() || static_cast<std::int32_t>(incoming_.front().readyAt - deadline) > 0) {
        clock_.advance(timeoutMs);
        return 0;
    }
    if (static_cast<std::int32_t>(incoming_.front().readyAt - clock_.ticks()) > 0)
        clock_.set_ticks(incoming_.front().readyAt);
    std::size_t n = 0;
    while (n < max && !incoming_.empty() &&
           static_cast<std::int32_t>(incoming_.front().readyAt - clock_.ticks()) <= 0) {
        buffer[n++] = incoming_.front().byte;
        incoming_.pop_front();
    }
    return n;
}

void ScriptedPort::purge_input() {
    events_.push_back({Event::Purge, clock_.ticks(), {}, {}, {}});
    // Only what has already arrived is discarded.
    while (!incoming_.empty() && static_cast<std::int32_t>(incoming_.front().readyAt - clock_.ticks()) <= 0)
        incoming_.pop_front();
}

void ScriptedPort::close() {
    events_.push_back({Event::Close, clock_.ticks(), {}, {}, {}});
    open_ = false;
}

}  // namespace kest::testing
