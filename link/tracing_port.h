// A serial port decorator that logs every byte in both directions with a timestamp, in
// hex and as printable text: what users attach to a bug report (kest --trace).
#pragma once

#include <ostream>

#include "platform/clock.h"
#include "platform/serial_port.h"

namespace kest {

class TracingPort final : public SerialPort {
public:
    TracingPort(SerialPort& inner, Clock& clock, std::ostream& out);

    bool open(const std::string& name, std::size_t inQueue, std::size_t outQueue) override;
    PortProblem open_problem() const override { return inner_.open_problem(); }
    bool is_open() const override { return inner_.is_open(); }
    bool apply(const LineSettings& settings) override;
    bool write(std::span<const std::uint8_t> bytes) override;
    std::size_t read(std::uint8_t* buffer, std::size_t max, std::uint32_t timeoutMs) override;
    void purge_input() override;
    void close() override;

private:
    void line(const char* direction, std::span<const std::uint8_t> bytes);
    void note(const std::string& text);

    SerialPort& inner_;
    Clock& clock_;
    std::ostream& out_;
    std::uint32_t start_;
};

}  // namespace kest
