// The names of the terminal's keys on the command line ("kest simulate --keys 1,alpha,2")
// and in reports that say how a screen is reached.
#pragma once

#include <optional>
#include <string>

namespace kest::sim {

// "1"-"9", "dash", "0", "dot", "alpha", "power", "fn", "enter", "enter2", "left", "up",
// "right", "esc", "down", "bs", "restart"; nothing for another name.
std::optional<int> key_code(const std::string& name);
// The name of a key code, "?" for a code without a key.
const char* key_name(int code);

}  // namespace kest::sim
