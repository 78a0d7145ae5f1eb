// The terminal and its cradle in process: a serial port whose other end is kestemu's
// portable emulator, on the fake clock. Transfers run against the same terminal that the
// emulator program runs, and what the terminal stored (application image, lookup files,
// flash) can be compared with what was sent. The emulator's deadlines (a lone control
// byte, a message left incomplete, erasing, paced bytes) fall due as the fake time passes.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "kestemu/core/emulator.h"
#include "platform/serial_port.h"
#include "tests/support/fake_clock.h"

namespace kest::testing {

class EmulatedPort final : public SerialPort {
public:
    // log receives the terminal's events (as kestemu --verbose shows them).
    explicit EmulatedPort(FakeClock& clock, emu::EmulatorConfig config = {}, const emu::FaultPlan& plan = {},
                          std::uint64_t seed = 1, emu::EventLog log = {});

    // Records the terminal sends on "READ", one per entry.
    void set_records(std::vector<std::string> records);
    // Faults from now on; the terminal keeps its state.
    void set_faults(const emu::FaultPlan& plan, std::uint64_t seed) { faults_ = emu::FaultInjector(plan, seed); }
    void fail_open(bool fail) { failOpen_ = fail; }
    // The terminal taken out of its cradle (false) and put back (true).
    void set_present(bool present) {
        catch_up();
        emulator_.set_present(present);
    }
    void fail_apply(bool fail) { failApply_ = fail; }

    // The files the terminal stored ("image.bin", "lookup-1.txt", "flash.bin", ...).
    std::string stored(const std::string& name) const;
    const emu::Emulator& emulator() const { return emulator_; }
    // Every write of the PC, in order.
    const std::vector<std::vector<std::uint8_t>>& writes() const { return writes_; }
    // The names the port was asked to open, in order.
    const std::vector<std::string>& opened() const { return opened_; }
    const LineSettings& current_settings() const { return settings_; }

    bool open(const std::string& name, std::size_t inQueue, std::size_t outQueue) override;
    bool is_open() const override { return open_; }
    bool apply(const LineSettings& settings) override;
    bool write(std::span<const std::uint8_t> bytes) override;
    std::size_t read(std::uint8_t* buffer, std::size_t max, std::uint32_t timeoutMs) override;
    void purge_input() override;
    void close() override;

private:
    // The emulator's time for the fake clock's tick count.
    emu::Micros now();
    // Runs the emulator up to now as its own loop would: at each deadline it lets out what
    // is due; the bytes become readable for the PC.
    void catch_up();

    FakeClock& clock_;
    emu::MemoryStateSink state_;
    emu::FaultInjector faults_;
    emu::Emulator emulator_;
    std::vector<std::string> records_;
    std::uint32_t startTicks_;
    std::deque<std::uint8_t> readable_;
    std::vector<std::vector<std::uint8_t>> writes_;
    LineSettings settings_{};
    std::vector<std::string> opened_;
    bool open_ = false;
    bool failOpen_ = false;
    bool failApply_ = false;
};

}  // namespace kest::testing
