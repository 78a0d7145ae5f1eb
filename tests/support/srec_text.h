// Builds S-record text for tests: one record per line with CR LF, checksum filled in.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace kest::testing {

// type '0'-'9'; the address takes 2, 3 or 4 bytes as the type says.
inline std::string srec_line(char type, std::uint32_t address, const std::vector<std::uint8_t>& data) {
    const int addrLen = (type == '2' || type == '6' || type == '8') ? 3 : (type == '3' || type == '7') ? 4 : 2;
    std::vector<std::uint8_t> bytes;
    bytes.push_back(static_cast<std::uint8_t>(addrLen + data.size() + 1));
    for (int i = addrLen - 1; i >= 0; --i) bytes.push_back(static_cast<std::uint8_t>(address >> (8 * i)));
    bytes.insert(bytes.end(), data.begin(), data.end());
    unsigned sum = 0;
    for (auto b : bytes) sum += b;
    bytes.push_back(static_cast<std::uint8_t>(0xFF - (sum & 0xFF)));
    static const char digits[] = "0123456789ABCDEF";
    std::string line = {'S', type};
    for (auto b : bytes) {
        line += digits[b >> 4];
        line += digits[b & 15];
    }
    return line + "\r\n";
}

// The data as consecutive records of perLine bytes from base on.
inline std::string srec_lines(char type, std::uint32_t base, const std::vector<std::uint8_t>& data,
                              std::size_t perLine) {
    std::string text;
    for (std::size_t i = 0; i < data.size(); i += perLine) {
        const std::size_t n = std::min(perLine, data.size() - i);
        text += srec_line(type, base + static_cast<std::uint32_t>(i),
                          std::vector<std::uint8_t>(data.begin() + static_cast<std::ptrdiff_t>(i),
                                                    data.begin() + static_cast<std::ptrdiff_t>(i + n)));
    }
    return text;
}

}  // namespace kest::testing
