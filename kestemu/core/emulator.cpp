#include "kestemu/core/emulator.h"

#include <algorithm>

namespace kest::emu {

Micros byte_time(std::uint32_t rate) { return wire_time(1, rate); }

Emulator::Emulator(EmulatorConfig config, StateSink& state, FaultInjector& faults, EventLog log)
    : config_(std::move(config)),
      log_(std::move(log)),
      cradle_(config_.cradleRate, log_),
      terminal_(config_.terminal, state, faults, log_) {}

void Emulator::receive(ByteView chunk, std::uint32_t pcRate, Micros now) {
    if (chunk.empty()) return;
    lastRate_ = pcRate;
    if (!config_.pace) {
        advance(now);
        deliver(chunk, pcRate, now);
        collect(now);
        return;
    }
    // The last byte is in only after the whole chunk has crossed the wire. Only the PC's bytes
    // change the terminal's course and they come in order, so the terminal can take them in
    // now, stamped with that time (after whatever falls due before it); its replies wait in
    // the output queue until their time on the wire. One wake-up a packet fewer.
    const Micros due = rx_.send(now, chunk.size(), pcRate);
    advance(now);
    std::optional<Micros> before;
    for (auto d = next_input_deadline(); d && *d <= due && d != before; d = next_input_deadline()) {
        advance(*d);
        before = d;
    }
    deliver(chunk, pcRate, due);
    collect(due);
}

void Emulator::deliver(ByteView chunk, std::uint32_t pcRate, Micros now) {
    if (config_.direct) {
        if (present_) terminal_.receive(chunk, now);
        return;
    }
    cradle_.receive(chunk, pcRate, now);
    const Bytes data = cradle_.take_for_terminal();
    if (!data.empty() && present_) terminal_.receive(data, now);
}

void Emulator::advance(Micros now) {
    cradle_.advance(now);
    const Bytes data = cradle_.take_for_terminal();
    if (!data.empty() && present_) terminal_.receive(data, now);
    terminal_.advance(now);
    collect(now);
}

void Emulator::collect(Micros now) {
    queue(cradle_.take_for_pc(), now);
    for (const Reply& r : terminal_.take_replies())
        if (present_) queue(r.bytes, r.at);
}

void Emulator::set_present(bool present) {
    if (present == present_) return;
    present_ = present;
    log(present ? "terminal put back" : "terminal taken out");
    if (present) return;
    terminal_.taken_out();
    outgoing_.clear();  // what was on its way to the PC goes with it
}

void Emulator::queue(ByteView bytes, Micros at) {
    // Keep the queue in time order; a later reply never overtakes an earlier one.
    auto pos = std::find_if(outgoing_.begin(), outgoing_.end(), [at](const Outgoing& o) { return o.earliest > at; });
    for (std::uint8_t b : bytes) pos = std::next(outgoing_.insert(pos, Outgoing{at, b}));
}

namespace {

void consider(std::optional<Micros>& next, std::optional<Micros> t) {
    if (t && (!next || *t < *next)) next = t;
}

}  // namespace

std::optional<Micros> Emulator::next_input_deadline() const {
    std::optional<Micros> next;
    consider(next, cradle_.next_deadline());
    consider(next, terminal_.next_deadline());
    return next;
}

std::optional<Micros> Emulator::next_deadline() const {
    std::optional<Micros> next = next_input_deadline();
    if (!outgoing_.empty()) {
        const Micros earliest = outgoing_.front().earliest;
        consider(next, config_.pace ? tx_.done(earliest, 1, lastRate_) : earliest);
    }
    return next;
}

std::optional<Micros> Emulator::next_wake() const {
    if (!config_.pace || outgoing_.empty()) return next_deadline();
    std::optional<Micros> next = next_input_deadline();
    Wire wire = tx_;
    const Micros first = wire.done(outgoing_.front().earliest, 1, lastRate_);
    Micros last = first;
    for (const Outgoing& o : outgoing_) {
        const Micros done = wire.done(o.earliest, 1, lastRate_);
        if (done > first + kOutputBatch) break;
        last = wire.send(o.earliest, 1, lastRate_);
    }
    consider(next, last);
    return next;
}

Bytes Emulator::take_output(std::uint32_t pcRate, Micros now) {
    lastRate_ = pcRate;
    advance(now);
    Bytes out;
    std::size_t lost = 0;
    while (!outgoing_.empty()) {
        const Outgoing o = outgoing_.front();
        if (config_.pace) {
            if (tx_.done(o.earliest, 1, pcRate) > now) break;
            tx_.send(o.earliest, 1, pcRate);
        } else if (o.earliest > now) {
            break;
        }
        outgoing_.pop_front();
        if (passes(pcRate))
            out.push_back(o.byte);
        else
            ++lost;
    }
    if (lost)
        log("cradle: " + std::to_string(lost) + " bytes for the PC lost (PC at " + std::to_string(pcRate) +
            ", cradle at " + std::to_string(cradle_.rate()) + ")");
    return out;
}

}  // namespace kest::emu
