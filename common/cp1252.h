// Windows-1252, the single-byte text of the project, the terminal and the message texts.
#pragma once

#include <string>

namespace kest {

std::string cp1252_to_utf8(const std::string& text);
// Characters without a Windows-1252 code become '?'.
std::string utf8_to_cp1252(const std::string& text);

}  // namespace kest
