// The thirteen parameter dialogs of the barcode page ("Code 39 Parameter" ... "Telepen
// Parameter"), one logic driven by a table: each dialog is a list of check boxes standing
// for single bits, groups of radio buttons choosing the value of a bit field, and for the
// 2/5 codes and MSI a pair of allowed lengths. A dialog reads its bits from BarcodeSettings
// when it opens and writes only them, into the current bytes, on its own OK, so that the
// barcode page and other dialogs sharing a byte keep their bits.
#pragma once

#include <array>
#include <cstddef>
#include <span>

#include "editor/symbology_ids.h"
#include "platform/dialog_access.h"
#include "project/project.h"

namespace kest::editor {

namespace symbology {
inline constexpr char kFixedLabel1[] = "feste L\xE4nge 1:";
inline constexpr char kFixedLabel2[] = "feste L\xE4nge 2:";
inline constexpr char kRangeLabel1[] = "Max L\xE4nge :";
inline constexpr char kRangeLabel2[] = "Min L\xE4nge :";
inline constexpr unsigned kMaxLength = 127;
inline constexpr std::size_t kMaxGroups = 2;  // radio groups of one dialog besides its length mode
inline constexpr std::size_t kMaxChecks = 6;  // check boxes of one dialog
}  // namespace symbology

// Sets or clears bit `bit` of a BarcodeSettings byte, leaving the other bits as they are.
inline void put_bit(u8& byte, int bit, bool on) {
    const auto mask = static_cast<u8>(1u << bit);
    byte = static_cast<u8>(on ? byte | mask : byte & ~mask);
}

// A check box standing for bit `bit` of BarcodeSettings byte `byte`, with its text
// (Windows-1252).
struct SymbologyCheck {
    int id;
    int byte;
    int bit;
    const char* label;
};

// Radio buttons first .. first + count - 1 choosing the value of the bit field of
// `width` bits from bit `shift` of byte `byte`: radio i stands for values[i]. A value that
// no radio stands for shows radio `fallback` (-1: none) and is written back unchanged
// unless a radio is chosen. The group's title and the radios' texts are Windows-1252.
struct SymbologyRadios {
    int first;
    int count;
    int byte;
    int shift;
    int width;
    std::array<u8, 5> values;
    int fallback;
    const char* title;
    std::array<const char*, 5> labels;
};

// A length pair: the radios `fixedRadio` ("feste Länge", bit 7 of `byte` clear) and
// fixedRadio + 1 ("Max / Min Länge", bit 7 set), length 1 in bits 6-0 of `byte`, length 2
// in the next byte; edits 501 and 502 under the labels 401 and 402.
struct SymbologyLengths {
    int fixedRadio;
    int byte;
};

struct SymbologyDialogSpec {
    int button;                // the "Parameter" button of the barcode page
    const char* templateName;  // dialog template
    const char* caption;
    std::span<const SymbologyCheck> checks;
    std::span<const SymbologyRadios> radios;
    const SymbologyLengths* lengths;  // null for a dialog without lengths
};

// The thirteen dialogs in the order of their buttons.
std::span<const SymbologyDialogSpec> symbology_dialogs();
// The dialog a "Parameter" button opens, or null.
const SymbologyDialogSpec* symbology_dialog_for_button(int button);

// The dialog keeps the state of its boxes and radios itself: a click on a check box turns
// its state over, a click on a radio chooses it, and the controls are set to show that,
// so the template may use plain or automatic buttons.
class SymbologyDialog {
public:
    SymbologyDialog(const SymbologyDialogSpec& layout, BarcodeSettings& settings)
        : spec_(layout), settings_(settings) {}

    // Shows the dialog's bits and lengths as they are now.
    void init(DialogAccess& dialog);
    // OK writes the dialog's bits and lengths into BarcodeSettings; Cancel nothing.
    DialogResult command(DialogAccess& dialog, int id);

private:
    void show_group(DialogAccess& dialog, std::size_t group) const;
    void show_length_mode(DialogAccess& dialog) const;
    void length1_changed(DialogAccess& dialog);
    void length2_changed(DialogAccess& dialog);
    void store();

    const SymbologyDialogSpec& spec_;
    BarcodeSettings& settings_;
    std::array<bool, symbology::kMaxChecks> checked_{};
    std::array<unsigned, symbology::kMaxGroups> groupValue_{};
    bool fixedLengths_ = false;
    unsigned length1_ = symbology::kMaxLength;
    unsigned length2_ = 1;
};

}  // namespace kest::editor
