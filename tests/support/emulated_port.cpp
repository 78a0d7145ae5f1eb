#include "tests/support/emulated_port.h"

namespace kest::testing {

namespace {

emu::EmulatorConfig with_records(emu::EmulatorConfig config, const std::vector<std::string>* records) {
    if (!config.terminal.records)
        config.terminal.records = [records] {
            std::vector<emu::Bytes> out;
            for (const auto& r : *records) out.push_back(emu::to_bytes(r));
            return out;
        };
    return config;
}

}  // namespace

EmulatedPort::EmulatedPort(FakeClock& clock, emu::EmulatorConfig config, const emu::FaultPlan& plan, std::uint64_t seed,
                           emu::EventLog log)
    : clock_(clock),
      faults_(plan, seed),
      emulator_(with_records(std::move(config), &records_), state_, faults_, std::move(log)),
      startTicks_(clock.ticks()) {}

void EmulatedPort::set_records(std::vector<std::string> records) { records_ = std::move(records); }

std::string EmulatedPort::stored(const std::string& name) const {
    const auto it = state_.files.find(name);
    return it == state_.files.end() ? std::string() : std::string(it->second.begin(), it->second.end());
}

emu::Micros EmulatedPort::now() {
    // A long start-up time, so that the emulator's own zero is far behind.
    return (emu::Micros{1000000} + (clock_.ticks() - startTicks_)) * emu::kMillis;
}

void EmulatedPort::catch_up() {
    const emu::Micros until = now();
    std::optional<emu::Micros> previous;
    for (auto wake = emulator_.next_wake(); wake && *wake <= until && wake != previous; wake = emulator_.next_wake()) {
        for (auto b : emulator_.take_output(settings_.baud, *wake)) readable_.push_back(b);
        previous = wake;
    }
    for (auto b : emulator_.take_output(settings_.baud, until)) readable_.push_back(b);
}

bool EmulatedPort::open(const std::string& name, std::size_t, std::size_t) {
    opened_.push_back(name);
    if (failOpen_ || open_) return false;
    // What the terminal sent while the port was closed is lost, as on a real port.
    catch_up();
    readable_.clear();
    open_ = true;
    return true;
}

bool EmulatedPort::apply(const LineSettings& settings) {
    if (!open_ || failApply_) return false;
    catch_up();  // what came before belongs to the old rate
    settings_ = settings;
    return true;
}

bool EmulatedPort::write(std::span<const std::uint8_t> bytes) {
    if (!open_) return false;
    catch_up();
    writes_.emplace_back(bytes.begin(), bytes.end());
    emulator_.receive(bytes, settings_.baud, now());
    return true;
}

std::size_t EmulatedPort::read(std::uint8_t* buffer, std::size_t max, std::uint32_t timeoutMs) {
    if (!open_ || max == 0) return 0;
    const std::uint32_t deadline = clock_.ticks() + timeoutMs;
    for (;;) {
        catch_up();
        if (!readable_.empty()) {
            std::size_t n = 0;
            while (n < max && !readable_.empty()) {
                buffer[n++] = readable_.front();
                readable_.pop_front();
            }
            return n;
        }
        const auto left = static_cast<std::int32_t>(deadline - clock_.ticks());
        if (left <= 0) return 0;
        // Sleep until the emulator's next deadline (a whole millisecond) or the time-out.
        std::uint32_t step = static_cast<std::uint32_t>(left);
        if (const auto wake = emulator_.next_wake()) {
            const emu::Micros ahead = *wake - now();
            const auto ms = static_cast<std::uint32_t>(ahead <= 0 ? 1 : (ahead + emu::kMillis - 1) / emu::kMillis);
            if (ms < step) step = ms;
        }
        clock_.advance(step);
    }
}

void EmulatedPort::purge_input() {
    catch_up();
    readable_.clear();
}

void EmulatedPort::close() { open_ = false; }

}  // namespace kest::testing
