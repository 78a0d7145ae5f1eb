// A serial port double on the fake clock. Every write and every applied line setting is
// logged with its time; a responder (the scripted peer) sees each write and schedules
// reply bytes that become readable after a delay. Reads wait on the fake clock.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/serial_port.h"
#include "tests/support/fake_clock.h"

namespace kest::testing {

using Bytes = std::vector<std::uint8_t>;

Bytes bytes_of(const std::string& text);
std::string text_of(const Bytes& bytes);

class ScriptedPort final : public SerialPort {
public:
    struct Event {
        enum Kind { Open, Apply, Write, Purge, Close } kind;
        std::uint32_t at;       // fake tick count
        Bytes data;             // Write: the bytes of the one write
        LineSettings settings;  // Apply: the settings applied
        std::string name;       // Open: the port name
        std::size_t inQueue = 0, outQueue = 0;
    };
    // Called after every write with the bytes written.
    using Responder = std::function<void(ScriptedPort& port, const Bytes& written)>;

    explicit ScriptedPort(FakeClock& clock) : clock_(clock) {}

    void set_responder(Responder responder) { responder_ = std::move(responder); }
    // Makes bytes readable delayMs after the current fake time.
    void deliver(const Bytes& bytes, std::uint32_t delayMs = 0);
    void deliver(const std::string& text, std::uint32_t delayMs = 0) { deliver(bytes_of(text), delayMs); }
    void fail_open(bool fail) { failOpen_ = fail; }
    void fail_apply(bool fail) { failApply_ = fail; }
    void fail_write(bool fail) { failWrite_ = fail; }

    const std::vector<Event>& events() const { return events_; }
    std::vector<Bytes> writes() const;
    const LineSettings& current_settings() const { return current_; }
    std::size_t pending() const { return incoming_.size(); }

    bool open(const std::string& name, std::size_t inQueue, std::size_t outQueue) override;
    bool is_open() const override { return open_; }
    bool apply(const LineSettings& settings) override;
    bool write(std::span<const std::uint8_t> bytes) override;
    std::size_t read(std::uint8_t* buffer, std::size_t max, std::uint32_t timeoutMs) override;
    void purge_input() override;
    void close() override;

private:
    struct Pending {
        std::uint32_t readyAt;
        std::uint8_t byte;
    };
    FakeClock& clock_;
    Responder responder_;
    std::deque<Pending> incoming_;
    std::vector<Event> events_;
    LineSettings current_{};
    bool open_ = false;
    bool failOpen_ = false;
    bool failApply_ = false;
    bool failWrite_ = false;
};

}  // namespace kest::testing
