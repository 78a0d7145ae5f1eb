#include "link/link.h"

namespace kest {

std::optional<int> rate_index(std::uint32_t baud) {
    for (int i = 0; i < kRateCount; ++i)
        if (kRates[i] == baud) return i;
    return std::nullopt;
}

std::vector<std::string> rate_names() {
    std::vector<std::string> names;
    for (auto rate : kRates) names.push_back(std::to_string(rate));
    return names;
}

std::string port_name(int index) { return "COM" + std::to_string(index + 1); }

std::vector<std::string> port_names(int count) {
    std::vector<std::string> names;
    for (int i = 0; i < count; ++i) names.push_back(port_name(i));
    return names;
}

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

std::optional<std::uint8_t> Link::read_byte(std::uint32_t deadline) {
    for (;;) {
        const auto remaining = static_cast<std::int32_t>(deadline - clock_.ticks());
        std::uint8_t byte = 0;
        if (port_.read(&byte, 1, remaining > 0 ? static_cast<std::uint32_t>(remaining) : 0) == 1) return byte;
        if (remaining <= 0) return std::nullopt;
    }
}

}  // namespace kest
