// Files the programs read whole (the loader's settings file, the emulator's records) are
// read only up to a limit, so that a wrong or damaged file cannot take all the memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kest {

enum class BoundedRead { Ok, CannotRead, TooLarge };

// The whole file into `bytes` when it holds at most `limit` bytes; no more than limit + 1
// bytes are ever read.
BoundedRead read_bounded(const std::string& path, std::size_t limit, std::vector<std::uint8_t>& bytes);

}  // namespace kest
