#include "editor/keyboard_wedge_dialog.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string>

#include "editor/edit_rules.h"
#include "project/names.h"

namespace kest::editor {
namespace {

constexpr int kGroup = 3;  // buttons per radio group
constexpr int kLockShift = 1;
constexpr int kFormatShift = 3;
constexpr u8 kKeypadBit = 0x01;
constexpr u8 kCapsBits = 0xE0;  // bit 7 automatic, bit 6 always on, bit 5 ignored

// The capital-lock button for the stored bits: "Immer EIN" wins over "ignorieren", and
// neither means automatic detection.
int caps_index(u8 flags) {
    if (flags & 0x40) return 1;
    if (flags & 0x20) return 2;
    return 0;
}

// A two-bit field's button; a stored 3 checks none.
int field_index(u8 flags, int shift) { return (flags >> shift) & 3; }

u8 with_field(u8 flags, int shift, int index) { return static_cast<u8>((flags & ~(3 << shift)) | (index << shift)); }

// OK's number rule: anything but a number gives 0, a number above 255 gives 255.
u8 wedge_number(const DialogAccess& dialog, int id) {
    const EditNumber number = parse_edit_number(dialog.text(id));
    if (number.kind != EditNumber::Kind::Number) return 0;
    return static_cast<u8>(std::min(number.value, 255u));
}

}  // namespace

void copy_wedge_settings(const KeyboardWedgeSettings& from, KeyboardWedgeSettings& to) {
    std::memcpy(&to, &from, offsetof(KeyboardWedgeSettings, reserved));
}

void KeyboardWedgeDialog::init(DialogAccess& dialog) {
    dialog.set_list(IDC_WEDGE_TYPE, names::entries(names::kKeyboardTypes));
    show_selection(dialog, IDC_WEDGE_TYPE, copy_.keyboardType, std::size(names::kKeyboardTypes));
    dialog.set_text(IDC_WEDGE_PAUSE, std::to_string(copy_.charPause));
    dialog.set_text(IDC_WEDGE_TIMEOUT, std::to_string(copy_.linkTimeout));
    dialog.set_checked(IDC_WEDGE_KEYPAD, copy_.wedgeFlags & kKeypadBit);
    dialog.set_checked(IDC_WEDGE_CRLF, copy_.appendCrLf != 0);
    check_radio(dialog, IDC_WEDGE_FORMAT, kGroup, field_index(copy_.wedgeFlags, kFormatShift));
    check_radio(dialog, IDC_WEDGE_LOCK, kGroup, field_index(copy_.wedgeFlags, kLockShift));
    check_radio(dialog, IDC_WEDGE_CAPS, kGroup, caps_index(copy_.wedgeFlags));
}

DialogResult KeyboardWedgeDialog::command(DialogAccess& dialog, int id) {
    switch (id) {
    case kIdOk:
        store(dialog);
        copy_wedge_settings(copy_, project_);
        return DialogResult::CloseOk;
    case kIdCancel: return DialogResult::CloseCancel;
    case IDC_WEDGE_PAUSE:
    case IDC_WEDGE_TIMEOUT:
        // While typing only a text that is not a number is replaced; OK applies the range.
        number_edit(dialog, id, kNumberCeiling, 0);
        return DialogResult::Stay;
    }
    for (int first : {IDC_WEDGE_FORMAT, IDC_WEDGE_LOCK, IDC_WEDGE_CAPS}) {
        if (id >= first && id < first + kGroup) check_radio(dialog, first, kGroup, id - first);
    }
    return DialogResult::Stay;
}

void KeyboardWedgeDialog::store(const DialogAccess& dialog) {
    store_selection(dialog, IDC_WEDGE_TYPE, copy_.keyboardType);
    u8 flags = copy_.wedgeFlags;
    flags = static_cast<u8>(dialog.checked(IDC_WEDGE_KEYPAD) ? flags | kKeypadBit : flags & ~kKeypadBit);
    // A group without a checked button (a stored 3) keeps its field.
    if (int lock = checked_radio(dialog, IDC_WEDGE_LOCK, kGroup); lock >= 0)
        flags = with_field(flags, kLockShift, lock);
    if (int format = checked_radio(dialog, IDC_WEDGE_FORMAT, kGroup); format >= 0)
        flags = with_field(flags, kFormatShift, format);
    if (int caps = checked_radio(dialog, IDC_WEDGE_CAPS, kGroup); caps >= 0)
        flags = static_cast<u8>((flags & ~kCapsBits) | (0x80 >> caps));
    copy_.wedgeFlags = flags;
    copy_.charPause = wedge_number(dialog, IDC_WEDGE_PAUSE);
    copy_.linkTimeout = wedge_number(dialog, IDC_WEDGE_TIMEOUT);
    copy_.appendCrLf = dialog.checked(IDC_WEDGE_CRLF) ? 1 : 0;
}

}  // namespace kest::editor
