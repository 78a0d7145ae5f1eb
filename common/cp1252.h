// Windows-1252, the single-byte text of the project, the terminal and the message texts.
#pragma once

#include <optional>
#include <string>

namespace kest {

// The character of a byte (the five bytes without a character of their own stand for
// U+0081, U+008D, U+008F, U+0090, U+009D), and the byte of a character, -1 when it has none.
char32_t cp1252_char(unsigned char byte);
int cp1252_byte(char32_t character);

std::string cp1252_to_utf8(const std::string& text);
// Characters without a Windows-1252 code become '?'.
std::string utf8_to_cp1252(const std::string& text);
// The exact way back from cp1252_to_utf8: every byte it decodes is given back, also the
// five without a character of their own (U+0081, U+008D, U+008F, U+0090, U+009D). Nothing
// when the text is not UTF-8 or holds a character without a Windows-1252 code; `missing`
// then names the first such character ("U+03A9").
std::optional<std::string> utf8_to_cp1252_exact(const std::string& text, std::string* missing = nullptr);

}  // namespace kest
