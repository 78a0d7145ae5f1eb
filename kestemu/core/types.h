// Shared vocabulary of the terminal emulator: byte strings, the time base and the event log.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kest::emu {

using Bytes = std::vector<std::uint8_t>;
using ByteView = std::span<const std::uint8_t>;

// Monotonic time in microseconds; the emulator never reads a clock itself.
using Micros = std::int64_t;
inline constexpr Micros kMillis = 1000;

// One line per event ("cradle: probe answered at 9600"); empty when not logging.
using EventLog = std::function<void(const std::string&)>;

inline Bytes to_bytes(std::string_view text) { return Bytes(text.begin(), text.end()); }

inline bool equals(ByteView bytes, std::string_view text) {
    return bytes.size() == text.size() &&
           std::equal(bytes.begin(), bytes.end(), text.begin(),
                      [](std::uint8_t b, char c) { return b == static_cast<std::uint8_t>(c); });
}

// A sum byte on a line where CR only ever ends a message: 0x0D travels as 0x0E.
inline std::uint8_t sum_byte(unsigned value) {
    const auto b = static_cast<std::uint8_t>(value & 0xFF);
    return b == 0x0D ? 0x0E : b;
}

// Printable form of a reply or command for the log: "ACK\r" -> "ACK<0D>".
std::string printable(ByteView bytes);

}  // namespace kest::emu
