#include "editor/barcode_settings_page.h"

#include <string>
#include <vector>

#include "editor/edit_rules.h"
#include "project/defaults.h"
#include "project/names.h"

namespace kest::editor {

namespace {

using namespace barcode_page;

constexpr int kScanModeByte = 20;  // bits 7-4
constexpr int kSecurityByte = 11;  // bits 3-2
constexpr int kTimeoutByte = 21;

template <std::size_t N>
std::vector<std::string> entries(const char* const (&names)[N]) {
    return {std::begin(names), std::end(names)};
}

}  // namespace

const std::array<BarcodeEnableBox, 22>& barcode_enable_boxes() {
    static const std::array<BarcodeEnableBox, 22> kBoxes = {{
        {IDC_BARCODE_CODE39, 0, 7, "Code 39"},
        {IDC_BARCODE_ITALIAN, 0, 6, "Italian  Pharmacode"},
        {IDC_BARCODE_FRENCH, 0, 5, "French  Pharmacode"},
        {IDC_BARCODE_INDUSTRIAL, 0, 4, "Industrial 2/5"},
        {IDC_BARCODE_INTERLEAVE, 0, 3, "Interleave 2/5"},
        {IDC_BARCODE_MATRIX, 0, 2, "Matrix 2/5"},
        {IDC_BARCODE_CODABAR, 0, 1, "Codabar"},
        {IDC_BARCODE_MSI, 2, 5, "MSI"},
        {IDC_BARCODE_PLESSEY, 2, 4, "Plessey"},
        {IDC_BARCODE_CODE93, 0, 0, "Code 93"},
        {IDC_BARCODE_CODE128, 1, 7, "Code 128"},
        {IDC_BARCODE_UPCE, 1, 6, "UPCE"},
        {IDC_BARCODE_UPCE + 1, 1, 5, "UPCE  Addon 2"},
        {IDC_BARCODE_UPCE + 2, 1, 4, "UPCE  Addon 5"},
        {IDC_BARCODE_EAN8, 1, 3, "EAN8"},
        {IDC_BARCODE_EAN8 + 1, 1, 2, "EAN8  Addon 2"},
        {IDC_BARCODE_EAN8 + 2, 1, 1, "EAN8  Addon 5"},
        {IDC_BARCODE_EAN13, 1, 0, "EAN13  &  UPCA"},
        {IDC_BARCODE_EAN13 + 1, 2, 7, "EAN13  Addon 2"},
        {IDC_BARCODE_EAN13 + 2, 2, 6, "EAN13  Addon 5"},
        {IDC_BARCODE_INVERTED, 11, 4, "Invertierter Barcode"},
        {IDC_BARCODE_TELEPEN, 2, 2, "Telepen"},
    }};
    return kBoxes;
}

void BarcodeSettingsPage::init(DialogAccess& dialog) {
    dialog.set_list(IDC_BARCODE_SCAN_MODE, entries(names::kScanModes));
    dialog.set_list(IDC_BARCODE_SECURITY, entries(names::kDecodeSecurity));
    show(dialog);
    initialised_ = true;
}

// The controls from BarcodeSettings as it is now (at creation and after the reset).
void BarcodeSettingsPage::show(DialogAccess& dialog) {
    const u8* b = project_.barcode.bytes;
    show_selection(dialog, IDC_BARCODE_SCAN_MODE, b[kScanModeByte] >> 4, std::size(names::kScanModes));
    show_selection(dialog, IDC_BARCODE_SECURITY, (b[kSecurityByte] >> 2) & 3, std::size(names::kDecodeSecurity));
    scanMode_ = dialog.selection(IDC_BARCODE_SCAN_MODE);
    security_ = dialog.selection(IDC_BARCODE_SECURITY);
    timeout_ = b[kTimeoutByte];
    dialog.set_text(IDC_BARCODE_TIMEOUT, std::to_string(timeout_));
    const auto& boxes = barcode_enable_boxes();
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        boxes_[i] = (b[boxes[i].byte] >> boxes[i].bit) & 1;
        dialog.set_checked(boxes[i].id, boxes_[i]);
    }
}

DialogResult BarcodeSettingsPage::command(DialogAccess& dialog, int id) {
    switch (id) {
    case IDC_BARCODE_SCAN_MODE:
        if (dialog.selection(IDC_BARCODE_SCAN_MODE) >= 0) scanMode_ = dialog.selection(IDC_BARCODE_SCAN_MODE);
        return DialogResult::Stay;
    case IDC_BARCODE_SECURITY:
        if (dialog.selection(IDC_BARCODE_SECURITY) >= 0) security_ = dialog.selection(IDC_BARCODE_SECURITY);
        return DialogResult::Stay;
    case IDC_BARCODE_TIMEOUT:
        if (auto value = number_edit(dialog, IDC_BARCODE_TIMEOUT, kTimeoutLimit, timeout_)) timeout_ = *value;
        return DialogResult::Stay;
    case IDC_BARCODE_DEFAULTS:
        barcode_defaults(project_);
        show(dialog);
        return DialogResult::Stay;
    default: break;
    }
    const auto& boxes = barcode_enable_boxes();
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        if (boxes[i].id != id) continue;
        // Plain check boxes: a click turns the box over; the bit waits for OK.
        boxes_[i] = !boxes_[i];
        dialog.set_checked(id, boxes_[i]);
    }
    if (const SymbologyDialogSpec* layout = symbology_dialog_for_button(id)) dialogs_.run(*layout, project_.barcode);
    return DialogResult::Stay;
}

void BarcodeSettingsPage::commit(Project& project, EditorState&) {
    if (!initialised_) return;
    u8* b = project.barcode.bytes;
    if (scanMode_ >= 0) b[kScanModeByte] = static_cast<u8>((scanMode_ << 4) | (b[kScanModeByte] & 0x0F));
    if (security_ >= 0) b[kSecurityByte] = static_cast<u8>((b[kSecurityByte] & ~0x0C) | (security_ << 2));
    b[kTimeoutByte] = static_cast<u8>(timeout_);
    const auto& boxes = barcode_enable_boxes();
    for (std::size_t i = 0; i < boxes.size(); ++i) put_bit(b[boxes[i].byte], boxes[i].bit, boxes_[i]);
}

}  // namespace kest::editor
