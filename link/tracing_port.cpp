#include "link/tracing_port.h"

#include <cstdio>

namespace kest {

TracingPort::TracingPort(SerialPort& inner, Clock& clock, std::ostream& out)
    : inner_(inner), clock_(clock), out_(out), start_(clock.ticks()) {}

void TracingPort::note(const std::string& text) {
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%9.3f ", (clock_.ticks() - start_) / 1000.0);
    out_ << stamp << text << "\n" << std::flush;
}

void TracingPort::line(const char* direction, std::span<const std::uint8_t> bytes) {
    // 16 bytes a line: hex, then the printable text with dots for the rest.
    for (std::size_t at = 0; at < bytes.size(); at += 16) {
        std::string hex, text;
        for (std::size_t i = at; i < at + 16 && i < bytes.size(); ++i) {
            char h[4];
            std::snprintf(h, sizeof h, "%02X ", bytes[i]);
            hex += h;
            text += (bytes[i] >= 0x20 && bytes[i] < 0x7F) ? static_cast<char>(bytes[i]) : '.';
        }
        hex.resize(48, ' ');
        note(std::string(direction) + " " + hex + " |" + text + "|");
    }
}

bool TracingPort::open(const std::string& name, std::size_t inQueue, std::size_t outQueue) {
    bool ok = inner_.open(name, inQueue, outQueue);
    note("open " + name + (ok ? "" : " FAILED"));
    return ok;
}

bool TracingPort::apply(const LineSettings& s) {
    bool ok = inner_.apply(s);
    note("line " + std::to_string(s.baud) + " 8N1 RTS " + (s.rtsEnable ? "on" : "off") + " DTR " +
         (s.dtrEnable ? "on" : "off") + (ok ? "" : " FAILED"));
    return ok;
}

bool TracingPort::write(std::span<const std::uint8_t> bytes) {
    line("PC>", bytes);
    return inner_.write(bytes);
}

std::size_t TracingPort::read(std::uint8_t* buffer, std::size_t max, std::uint32_t timeoutMs) {
    std::size_t n = inner_.read(buffer, max, timeoutMs);
    if (n) line("<TM", std::span<const std::uint8_t>(buffer, n));
    return n;
}

void TracingPort::purge_input() {
    note("purge input");
    inner_.purge_input();
}

void TracingPort::close() {
    note("close");
    inner_.close();
}

}  // namespace kest
