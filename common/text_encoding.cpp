#include "common/text_encoding.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "common/cp1252.h"

namespace kest {
namespace {

using Bytes = std::span<const std::uint8_t>;

constexpr std::uint8_t kUtf8Bom[] = {0xEF, 0xBB, 0xBF};
constexpr std::uint8_t kUtf16LeBom[] = {0xFF, 0xFE};
constexpr std::uint8_t kUtf16BeBom[] = {0xFE, 0xFF};

bool starts_with(Bytes bytes, Bytes prefix) {
    return bytes.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), bytes.begin());
}

// Strict UTF-8: no overlong forms, no surrogates, nothing past U+10FFFF. Returns the
// number of bytes decoded; fewer than bytes.size() means the bytes there are not UTF-8.
std::size_t decode_utf8(Bytes bytes, std::u32string& out) {
    std::size_t i = 0;
    while (i < bytes.size()) {
        const std::uint8_t lead = bytes[i];
        if (lead < 0x80) {
            out += static_cast<char32_t>(lead);
            ++i;
            continue;
        }
        std::size_t len = 0;
        char32_t cp = 0, min = 0;
        if (lead >= 0xC2 && lead <= 0xDF) {
            len = 2, cp = lead & 0x1F, min = 0x80;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            len = 3, cp = lead & 0x0F, min = 0x800;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            len = 4, cp = lead & 0x07, min = 0x10000;
        } else {
            return i;
        }
        if (i + len > bytes.size()) return i;
        for (std::size_t k = 1; k < len; ++k) {
            if ((bytes[i + k] & 0xC0) != 0x80) return i;
            cp = (cp << 6) | (bytes[i + k] & 0x3F);
        }
        if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return i;
        out += cp;
        i += len;
    }
    return i;
}

// UTF-16 with surrogate pairs; returns false at an odd byte count or a lone surrogate.
bool decode_utf16(Bytes bytes, bool bigEndian, std::u32string& out) {
    auto unit = [&](std::size_t i) -> char32_t {
        return bigEndian ? (bytes[i] << 8 | bytes[i + 1]) : (bytes[i + 1] << 8 | bytes[i]);
    };
    std::size_t i = 0;
    for (; i + 1 < bytes.size(); i += 2) {
        const char32_t u = unit(i);
        if (u >= 0xDC00 && u <= 0xDFFF) return false;
        if (u >= 0xD800 && u <= 0xDBFF) {
            if (i + 3 >= bytes.size()) return false;
            const char32_t low = unit(i + 2);
            if (low < 0xDC00 || low > 0xDFFF) return false;
            out += 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00);
            i += 2;
            continue;
        }
        out += u;
    }
    return i == bytes.size();
}

std::string lower(std::string_view text) {
    std::string out(text);
    for (auto& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

}  // namespace

const char* encoding_name(TextEncoding encoding) {
    switch (encoding) {
    case TextEncoding::Utf8: return "UTF-8";
    case TextEncoding::Utf16Le: return "UTF-16LE";
    case TextEncoding::Utf16Be: return "UTF-16BE";
    case TextEncoding::Windows1252: break;
    }
    return "Windows-1252";
}

std::optional<TextEncoding> encoding_named(std::string_view name) {
    const std::string n = lower(name);
    if (n == "utf-8" || n == "utf8") return TextEncoding::Utf8;
    if (n == "utf-16le" || n == "utf16le") return TextEncoding::Utf16Le;
    if (n == "utf-16be" || n == "utf16be") return TextEncoding::Utf16Be;
    if (n == "windows-1252" || n == "cp1252") return TextEncoding::Windows1252;
    return std::nullopt;
}

TextPlace place_in(std::u32string_view text, std::size_t index) {
    TextPlace place;
    for (std::size_t i = 0; i < index && i < text.size(); ++i) {
        const char32_t c = text[i];
        if (c != 0x0D && c != 0x0A) {
            ++place.column;
            continue;
        }
        ++place.line;
        place.column = 1;
        if (c == 0x0D && i + 1 < text.size() && text[i + 1] == 0x0A) ++i;
    }
    return place;
}

DecodedText decode_text(std::span<const std::uint8_t> bytes, std::optional<TextEncoding> forced) {
    DecodedText d;
    auto fail = [&](DecodeFault fault) {
        d.fault = fault;
        d.faultAt = place_in(d.text, d.text.size());
        return d;
    };
    TextEncoding encoding = TextEncoding::Windows1252;
    if (starts_with(bytes, kUtf8Bom) && (!forced || forced == TextEncoding::Utf8)) {
        encoding = TextEncoding::Utf8, d.bom = true;
        bytes = bytes.subspan(3);
    } else if (starts_with(bytes, kUtf16LeBom) && (!forced || forced == TextEncoding::Utf16Le)) {
        encoding = TextEncoding::Utf16Le, d.bom = true;
        bytes = bytes.subspan(2);
    } else if (starts_with(bytes, kUtf16BeBom) && (!forced || forced == TextEncoding::Utf16Be)) {
        encoding = TextEncoding::Utf16Be, d.bom = true;
        bytes = bytes.subspan(2);
    } else if (forced) {
        encoding = *forced;
    } else {
        const auto nul = std::find(bytes.begin(), bytes.end(), 0);
        if (nul != bytes.end()) {
            // Read up to the NUL byte, for its place.
            d.encoding = TextEncoding::Windows1252;
            for (auto b = bytes.begin(); b != nul; ++b) d.text += cp1252_char(*b);
            return fail(DecodeFault::NulBytes);
        }
        std::u32string probe;
        if (decode_utf8(bytes, probe) == bytes.size()) {
            d.encoding = TextEncoding::Utf8;
            d.text = std::move(probe);
            return d;
        }
    }
    d.encoding = encoding;
    switch (encoding) {
    case TextEncoding::Utf8:
        if (decode_utf8(bytes, d.text) != bytes.size()) return fail(DecodeFault::NotText);
        break;
    case TextEncoding::Utf16Le:
    case TextEncoding::Utf16Be:
        if (!decode_utf16(bytes, encoding == TextEncoding::Utf16Be, d.text)) return fail(DecodeFault::NotText);
        break;
    case TextEncoding::Windows1252:
        d.text.reserve(bytes.size());
        for (const std::uint8_t b : bytes) d.text += cp1252_char(b);
        break;
    }
    return d;
}

std::optional<std::string> to_cp1252(std::u32string_view text, std::size_t* unmapped) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const int byte = cp1252_byte(text[i]);
        if (byte < 0) {
            if (unmapped) *unmapped = i;
            return std::nullopt;
        }
        out += static_cast<char>(byte);
    }
    return out;
}

void append_utf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

std::string to_utf8(std::u32string_view text) {
    std::string out;
    for (const char32_t c : text) append_utf8(out, c);
    return out;
}

std::string code_point_name(char32_t character) {
    char name[16];
    std::snprintf(name, sizeof name, "U+%04X", static_cast<unsigned>(character));
    return name;
}

}  // namespace kest
