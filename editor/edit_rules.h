// The input rules every page and dialog applies to its controls, written once. Edits are
// checked on every change notification and corrected in place: the corrected text is put
// back into the edit, whose own change notification then stores it (as on Windows, where
// putting a text into an edit raises its change notification).
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "platform/dialog_access.h"
#include "project/project.h"

namespace kest::editor {

// An edit's text read as an unsigned decimal number. Digits only; a number too large for
// any field saturates at kNumberCeiling, so that 300 never becomes 44 in a byte.
struct EditNumber {
    enum class Kind { Empty, NotANumber, Number };
    Kind kind;
    unsigned value;  // 0 unless kind == Number
};
inline constexpr unsigned kNumberCeiling = 0xFFFF;
EditNumber parse_edit_number(std::string_view text);

// The common number rule: the value to store, or nothing when the edit's change must not
// store anything (its corrected text was put back and its own notification stores that).
// - empty: 0 is stored;
// - not a number: the text is replaced by `replacement` (whose echo stores it);
// - a number above `limit`: the stored value is put back into the edit (the screen never
//   shows what is not stored);
// - otherwise the number.
std::optional<unsigned> number_edit(DialogAccess& dialog, int id, unsigned limit, unsigned stored,
                                    std::string_view replacement = "0");

// Text edits with a limit: a text of at most `limit` characters is returned to be stored;
// a longer one is cut to the limit and put back, and nothing is returned.
std::optional<std::string> text_edit(DialogAccess& dialog, int id, std::size_t limit);

// Stores a drop-down list's selection into its byte. A list without selection (the byte
// held a code outside the list) stores nothing, so the byte keeps its value; false then.
bool store_selection(const DialogAccess& dialog, int id, u8& byte);

// Shows a byte's code in a drop-down list of `count` entries; a code outside the list
// selects none (and store_selection then keeps the byte).
void show_selection(DialogAccess& dialog, int id, unsigned code, std::size_t count);

// Radio groups: the logic keeps exactly one button of the group first..first+count-1
// checked (or none, for a code outside the group), whatever the face did on the click.
void check_radio(DialogAccess& dialog, int first, int count, int index);
// The index of the checked button in the group, or -1 when none is.
int checked_radio(const DialogAccess& dialog, int first, int count);

}  // namespace kest::editor
