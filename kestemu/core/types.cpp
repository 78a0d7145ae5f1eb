#include "kestemu/core/types.h"

#include <cstdio>

namespace kest::emu {

std::string printable(ByteView bytes) {
    std::string out;
    for (std::uint8_t b : bytes) {
        if (b >= 0x20 && b < 0x7F) {
            out += static_cast<char>(b);
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "<%02X>", b);
            out += hex;
        }
    }
    return out;
}

}  // namespace kest::emu
