#include "common/bounded_read.h"

#include <fstream>

namespace kest {

BoundedRead read_bounded(const std::string& path, std::size_t limit, std::vector<std::uint8_t>& bytes) {
    bytes.clear();
    std::ifstream in(path, std::ios::binary);
    if (!in) return BoundedRead::CannotRead;
    bytes.resize(limit + 1);
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (in.bad()) return BoundedRead::CannotRead;
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    if (bytes.size() <= limit) return BoundedRead::Ok;
    bytes.clear();
    return BoundedRead::TooLarge;
}

}  // namespace kest
