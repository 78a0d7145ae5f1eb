#include "editor/edit_rules.h"

namespace kest::editor {

EditNumber parse_edit_number(std::string_view text) {
    if (text.empty()) return {EditNumber::Kind::Empty, 0};
    unsigned value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return {EditNumber::Kind::NotANumber, 0};
        value = value * 10 + static_cast<unsigned>(c - '0');
        if (value > kNumberCeiling) value = kNumberCeiling;
    }
    return {EditNumber::Kind::Number, value};
}

std::optional<unsigned> number_edit(DialogAccess& dialog, int id, unsigned limit, unsigned stored,
                                    std::string_view replacement) {
    const std::string text = dialog.text(id);
    const EditNumber number = parse_edit_number(text);
    switch (number.kind) {
    case EditNumber::Kind::Empty: return 0u;
    case EditNumber::Kind::NotANumber: dialog.set_text(id, std::string(replacement)); return std::nullopt;
    case EditNumber::Kind::Number: break;
    }
    if (number.value <= limit) return number.value;
    // A stored value above the limit (a damaged file) is shown as it is, once.
    const std::string back = std::to_string(stored);
    if (back != text) dialog.set_text(id, back);
    return std::nullopt;
}

std::optional<std::string> text_edit(DialogAccess& dialog, int id, std::size_t limit) {
    std::string text = dialog.text(id);
    if (text.size() <= limit) return text;
    text.resize(limit);
    dialog.set_text(id, text);
    return std::nullopt;
}

bool store_selection(const DialogAccess& dialog, int id, u8& byte) {
    const int index = dialog.selection(id);
    if (index < 0 || index > 0xFF) return false;
    byte = static_cast<u8>(index);
    return true;
}

void show_selection(DialogAccess& dialog, int id, unsigned code, std::size_t count) {
    dialog.select(id, code < count ? static_cast<int>(code) : -1);
}

void check_radio(DialogAccess& dialog, int first, int count, int index) {
    for (int i = 0; i < count; ++i) dialog.set_checked(first + i, i == index);
}

int checked_radio(const DialogAccess& dialog, int first, int count) {
    for (int i = 0; i < count; ++i)
        if (dialog.checked(first + i)) return i;
    return -1;
}

}  // namespace kest::editor
