#include "project/names.h"

namespace kest::names {

std::string jump_target(unsigned target) {
    if (target == jump::kStartScreen) return "Startmaske";
    if (target >= jump::kFirstForm && target < jump::kFirstMenu)
        return "Maske  " + std::to_string(target - jump::kFirstForm + 1);
    if (target >= jump::kFirstMenu && target < jump::kCount)
        return "Men\xFC  " + std::to_string(target - jump::kFirstMenu + 1);
    return "(" + std::to_string(target) + ")";
}

std::string lookup_key(unsigned key) {
    if (key == 0) return "<leer>";
    if (key >= kLookupKeyCount) return "(" + std::to_string(key) + ")";
    static constexpr const char* kPrefix[] = {"Feld ", "- Feld ", "+ Feld "};
    return kPrefix[(key - 1) / kLookupFields] + std::to_string((key - 1) % kLookupFields + 1);
}

std::string rate(unsigned index) {
    return index < kRates.size() ? std::to_string(kRates[index]) : "(" + std::to_string(index) + ")";
}

std::string terminal_rate(unsigned index) { return index < kRates.size() ? rate(index) + " bps" : rate(index); }

std::vector<std::string> terminal_rates() {
    std::vector<std::string> list;
    for (unsigned i = 0; i < kRates.size(); ++i) list.push_back(terminal_rate(i));
    return list;
}

}  // namespace kest::names
