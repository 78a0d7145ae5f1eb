#include "simulator/key_names.h"

#include "simulator/display_state.h"

namespace kest::sim {
namespace {

const struct {
    const char* name;
    int code;
} kNames[] = {
    {"1", 1},
    {"2", 2},
    {"3", 3},
    {"4", 4},
    {"5", 5},
    {"6", 6},
    {"7", 7},
    {"8", 8},
    {"9", 9},
    {"dash", kKeyDash},
    {"0", kKeyZero},
    {"dot", kKeyDot},
    {"alpha", kKeyAlpha},
    {"power", kKeyPower},
    {"fn", kKeyFn},
    {"enter", kKeyEnterLeft},
    {"enter2", kKeyEnterRight},
    {"left", kKeyLeft},
    {"up", kKeyUp},
    {"right", kKeyRight},
    {"esc", kKeyEsc},
    {"down", kKeyDown},
    {"bs", kKeyBackspace},
    {"restart", kKeyRestart},
};

}  // namespace

std::optional<int> key_code(const std::string& name) {
    for (const auto& k : kNames)
        if (name == k.name) return k.code;
    return std::nullopt;
}

const char* key_name(int code) {
    for (const auto& k : kNames)
        if (code == k.code) return k.name;
    return "?";
}

}  // namespace kest::sim
