// A dialog on maps: what page and dialog logic set on its controls, kept per control id,
// and what a test "types", "chooses" or "clicks".
//
// Like a real dialog, putting a text into an edit field (ids 501-599) raises its change
// notification: once a logic is attached, set_text calls the logic's command handler for
// that id before it returns, so the logic's corrections (cut texts, replaced numbers) run
// as they do on Windows. Lists and check boxes set by the logic raise nothing.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/dialog_access.h"

namespace kest::testing {

class MapDialog final : public DialogAccess {
public:
    std::map<int, std::vector<std::string>> lists;
    std::map<int, int> selections;
    std::map<int, std::string> texts;
    std::map<int, bool> checks;
    std::map<int, bool> enabled;  // absent: never changed (enabled)

    // The logic that hears the notifications: `logic.command(*this, id)`.
    template <class Logic>
    void attach(Logic& logic) {
        handler_ = [this, &logic](int id) { return logic.command(*this, id); };
    }
    void detach() { handler_ = nullptr; }

    static bool is_edit(int id) { return id >= 501 && id <= 599; }

    // What a user does; each returns what the logic answered to the notification.
    DialogResult type(int id, const std::string& text) {
        texts[id] = text;
        return notify(id);
    }
    DialogResult choose(int id, int index) {
        select(id, index);
        return notify(id);
    }
    DialogResult click(int id) { return notify(id); }
    // A check box or an automatic radio button clicked: its state first, then the notification.
    DialogResult click_check(int id, bool on) {
        checks[id] = on;
        return notify(id);
    }
    DialogResult notify(int id) { return handler_ ? handler_(id) : DialogResult::Stay; }
    // How many change notifications set_text raised (the echo at work).
    int echoes = 0;

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
    void set_text(int id, const std::string& text) override {
        texts[id] = text;
        if (is_edit(id) && handler_) {
            ++echoes;
            handler_(id);
        }
    }
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

private:
    std::function<DialogResult(int)> handler_;
};

}  // namespace kest::testing
