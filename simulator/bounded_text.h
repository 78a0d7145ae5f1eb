// Zero-terminated text in fixed buffers, never written past their size.
#pragma once

#include <cstddef>

namespace kest::sim {

// Length up to the terminator or the end of the buffer.
inline std::size_t bounded_length(const char* text, std::size_t size) {
    std::size_t n = 0;
    while (n < size && text[n] != '\0') ++n;
    return n;
}

// Appends src (up to its terminator or srcSize bytes) to the text in dst, cut to size - 1
// characters; dst is always terminated.
inline void append_text(char* dst, std::size_t size, const char* src,
                        std::size_t srcSize = static_cast<std::size_t>(-1)) {
    std::size_t at = bounded_length(dst, size - 1);
    for (std::size_t i = 0; i < srcSize && src[i] != '\0' && at < size - 1; ++i) dst[at++] = src[i];
    dst[at] = '\0';
}

inline void copy_text(char* dst, std::size_t size, const char* src,
                      std::size_t srcSize = static_cast<std::size_t>(-1)) {
    dst[0] = '\0';
    append_text(dst, size, src, srcSize);
}

}  // namespace kest::sim
