#include "project/names.h"

namespace kest::names {

std::string jump_target(unsigned target) {
    if (target == jump::kStartScreen) return "Startmaske";
    if (target >= jump::kFirstForm && target < jump::kFirstMenu)
        return "Maske  " + std::to_string(target - jump::kFirstForm + 1);
    if (target >= jump::kFirstMenu && target < jump::kFirstMenu + kMenuCount)
        return "Men\xFC  " + std::to_string(target - jump::kFirstMenu + 1);
    return "(" + std::to_string(target) + ")";
}

std::string lookup_key(unsigned key) {
    if (key == 0) return "<leer>";
    if (key > 24) return "(" + std::to_string(key) + ")";
    static constexpr const char* kPrefix[] = {"Feld ", "- Feld ", "+ Feld "};
    return kPrefix[(key - 1) / 8] + std::to_string((key - 1) % 8 + 1);
}

}  // namespace kest::names
