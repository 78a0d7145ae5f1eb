// Text files as users have them: UTF-8 with or without a byte-order mark, UTF-16 LE or BE
// with one, or Windows-1252. They are read into characters, with the place of anything that
// is not text in the encoding, and written back in Windows-1252, the terminal's code page,
// with the place of the first character it has no code for.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace kest {

enum class TextEncoding { Utf8, Utf16Le, Utf16Be, Windows1252 };

// "UTF-8", "UTF-16LE", "UTF-16BE", "Windows-1252".
const char* encoding_name(TextEncoding encoding);
// A name from the command line: utf-8, utf-16le, utf-16be, windows-1252 (also utf8,
// utf16le, utf16be, cp1252; any case).
std::optional<TextEncoding> encoding_named(std::string_view name);

// A place in a text: 1-based line (CR LF, LF or CR end a line) and character in the line.
struct TextPlace {
    int line = 1;
    int column = 1;
};

enum class DecodeFault {
    None,
    NulBytes,  // NUL bytes without a byte-order mark: no text, or UTF-16 without its mark
    NotText,   // bytes that are not text in the encoding (or half a UTF-16 character)
};

struct DecodedText {
    std::u32string text;  // up to the fault
    TextEncoding encoding = TextEncoding::Utf8;
    bool bom = false;  // a byte-order mark led the bytes; it is not part of the text
    DecodeFault fault = DecodeFault::None;
    TextPlace faultAt;
};

// Without `forced`: a byte-order mark names the encoding; bytes without one are UTF-8 when
// they are valid UTF-8, else Windows-1252. NUL bytes without a byte-order mark are refused
// (UTF-16 without a mark, or no text at all) unless the encoding is forced.
DecodedText decode_text(std::span<const std::uint8_t> bytes, std::optional<TextEncoding> forced = {});

// The place of the character at `index` of a text.
TextPlace place_in(std::u32string_view text, std::size_t index);

// The Windows-1252 bytes of a text, or nothing; `unmapped` then gets the index of the first
// character without a code.
std::optional<std::string> to_cp1252(std::u32string_view text, std::size_t* unmapped = nullptr);

void append_utf8(std::string& out, char32_t character);
std::string to_utf8(std::u32string_view text);
// "U+03A9".
std::string code_point_name(char32_t character);

}  // namespace kest
