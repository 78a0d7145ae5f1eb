// A dialog on maps: what page and dialog logic set on its controls, kept per control id,
// and what a test "types" or "selects" before pressing a button.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "editor/dialog_access.h"

namespace kest::testing {

class MapDialog final : public editor::DialogAccess {
public:
    std::map<int, std::vector<std::string>> lists;
    std::map<int, int> selections;
    std::map<int, std::string> texts;
    std::map<int, bool> checks;
    std::map<int, bool> enabled;  // absent: never changed (enabled)

    void set_list(int id, const std::vector<std::string>& entries) override {
        lists[id] = entries;
        selections[id] = -1;
    }
    // Like a drop-down list: an index outside the entries selects none.
    void select(int id, int index) override {
        const auto n = static_cast<int>(lists[id].size());
        selections[id] = index >= 0 && index < n ? index : -1;
    }
    int selection(int id) const override {
        auto it = selections.find(id);
        return it == selections.end() ? -1 : it->second;
    }
    void set_text(int id, const std::string& text) override { texts[id] = text; }
    std::string text(int id) const override {
        auto it = texts.find(id);
        return it == texts.end() ? std::string() : it->second;
    }
    void set_checked(int id, bool on) override { checks[id] = on; }
    bool checked(int id) const override {
        auto it = checks.find(id);
        return it != checks.end() && it->second;
    }
    void enable(int id, bool on) override { enabled[id] = on; }
    bool is_enabled(int id) const {
        auto it = enabled.find(id);
        return it == enabled.end() || it->second;
    }
};

}  // namespace kest::testing
