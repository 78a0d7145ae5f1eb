#include "common/cp1252.h"

#include <cstdint>
#include <cstdio>

#include "common/text_encoding.h"

namespace kest {
namespace {

// Code points of 0x80-0x9F; 0 where Windows-1252 has no character.
constexpr char32_t kHigh[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
                                0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
                                0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char32_t decode(unsigned char c) {
    if (c >= 0x80 && c < 0xA0) return kHigh[c - 0x80] ? kHigh[c - 0x80] : c;
    return c;
}

// The byte that decodes to cp, or -1.
int encode(char32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<int>(cp);
    for (int k = 0; k < 32; ++k)
        if (decode(static_cast<unsigned char>(0x80 + k)) == cp) return 0x80 + k;
    return -1;
}

}  // namespace

char32_t cp1252_char(unsigned char byte) { return decode(byte); }
int cp1252_byte(char32_t character) { return encode(character); }

std::string cp1252_to_utf8(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (unsigned char c : text) append_utf8(out, decode(c));
    return out;
}

std::string utf8_to_cp1252(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        char32_t cp = c;
        std::size_t len = 1;
        if (c >= 0xF0) {
            len = 4;
            cp = c & 0x07;
        } else if (c >= 0xE0) {
            len = 3;
            cp = c & 0x0F;
        } else if (c >= 0xC0) {
            len = 2;
            cp = c & 0x1F;
        }
        for (std::size_t k = 1; k < len && i + k < text.size(); ++k)
            cp = (cp << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        i += len;
        if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) {
            out += static_cast<char>(cp);
            continue;
        }
        char mapped = '?';
        for (int k = 0; k < 32; ++k)
            if (kHigh[k] == cp) mapped = static_cast<char>(0x80 + k);
        out += mapped;
    }
    return out;
}

std::optional<std::string> utf8_to_cp1252_exact(const std::string& text, std::string* missing) {
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t len = 1;
        char32_t cp = lead;
        if (lead >= 0xF0) {
            len = 4;
            cp = lead & 0x07;
        } else if (lead >= 0xE0) {
            len = 3;
            cp = lead & 0x0F;
        } else if (lead >= 0xC0) {
            len = 2;
            cp = lead & 0x1F;
        } else if (lead >= 0x80)
            return std::nullopt;
        if (i + len > text.size()) return std::nullopt;
        for (std::size_t k = 1; k < len; ++k) {
            const auto c = static_cast<unsigned char>(text[i + k]);
            if ((c & 0xC0) != 0x80) return std::nullopt;
            cp = (cp << 6) | (c & 0x3F);
        }
        const int byte = encode(cp);
        if (byte < 0) {
            if (missing) {
                char name[16];
                std::snprintf(name, sizeof name, "U+%04X", static_cast<unsigned>(cp));
                *missing = name;
            }
            return std::nullopt;
        }
        out += static_cast<char>(byte);
        i += len;
    }
    return out;
}

}  // namespace kest
