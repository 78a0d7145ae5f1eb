#include "link/link.h"

namespace kest {

std::optional<int> rate_index(std::uint32_t baud) {
    for (int i = 0; i < kRateCount; ++i)
        if (kRates[i] == baud) return i;
    return std::nullopt;
}

std::string port_name(int index) { return "COM" + std::to_string(index + 1); }

bool Link::open(const std::string& portName, std::size_t inQueue, std::size_t outQueue) {
    return port_.open(portName, inQueue, outQueue);
}

void Link::close(bool purge) {
    if (!port_.is_open()) return;
    if (purge) port_.purge_input();
    port_.close();
}

void Link::set_line(int rateIndex) {
    settings_.baud = kRates[static_cast<std::size_t>(rateIndex)];
    settings_.dataBits = 8;
    settings_.parity = false;
    settings_.stopBits = 1;
}

bool Link::write(const std::string& text) {
    return port_.write(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

std::optional<std::uint8_t> Link::read_byte(std::uint32_t deadline) {
    for (;;) {
        const auto remaining = static_cast<std::int32_t>(deadline - clock_.ticks());
        std::uint8_t byte = 0;
        if (port_.read(&byte, 1, remaining > 0 ? static_cast<std::uint32_t>(remaining) : 0) == 1)
            return byte;
        if (remaining <= 0) return std::nullopt;
    }
}

ReplyEnd read_reply(Link& link, std::uint32_t deadline, std::size_t keep, std::vector<std::uint8_t>& reply) {
    while (reply.size() < keep) {
        const auto byte = link.read_byte(deadline);
        if (!byte) return ReplyEnd::Deadline;
        reply.push_back(*byte);
        if (*byte == 0x0D) return ReplyEnd::Cr;
    }
    return ReplyEnd::Full;
}

}  // namespace kest
