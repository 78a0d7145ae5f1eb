// Writing to a non-blocking descriptor (a tty device, the master side of a pseudo-terminal).
#pragma once

#include <chrono>
#include <cstdint>
#include <span>

namespace kest::posix {

// Writes every byte, waiting in poll() for room while the descriptor is full, until the
// deadline. False when a write fails or the bytes are not all out by then.
bool write_all(int fd, std::span<const std::uint8_t> bytes, std::chrono::steady_clock::time_point deadline);

}  // namespace kest::posix
