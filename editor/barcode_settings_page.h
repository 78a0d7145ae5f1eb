// The barcode page of the property sheet ("Barcodeeinstellungen"): scan mode, decode
// security, scan time-out, one enable box per symbology and "Invertierter Barcode". The
// page keeps no working copy: its own controls are written into BarcodeSettings on the
// sheet's OK (only their bits, into the bytes as they are then), while its parameter
// dialogs and "Grundeinstellungen" change BarcodeSettings at once and survive a Cancel.
#pragma once

#include <array>

#include "editor/barcode_settings_ids.h"
#include "editor/property_sheet.h"
#include "editor/symbology_dialog.h"
#include "platform/dialog_access.h"
#include "project/project.h"

namespace kest::editor {

namespace barcode_page {
inline constexpr unsigned kTimeoutLimit = 255;
}  // namespace barcode_page

// A check box of the page, the bit it stands for and its text (Windows-1252). The
// "Parameter" button of a row is the box's id + 100.
struct BarcodeEnableBox {
    int id;
    int byte;
    int bit;
    const char* name;
};
// The symbology boxes 101-111, 113-121 and 123 and "Invertierter Barcode" (122).
const std::array<BarcodeEnableBox, 22>& barcode_enable_boxes();

// Runs a parameter dialog modally over BarcodeSettings (the Win32 face with the page as
// owner; tests run the dialog logic on a test dialog).
class SymbologyDialogRunner {
public:
    virtual ~SymbologyDialogRunner() = default;
    virtual void run(const SymbologyDialogSpec& layout, BarcodeSettings& settings) = 0;
};

class BarcodeSettingsPage final : public SheetPage {
public:
    BarcodeSettingsPage(Project& project, SymbologyDialogRunner& dialogs) : project_(project), dialogs_(dialogs) {}

    // No working copy: the controls are read from the project when the page is created.
    void load(const Project&) override {}
    // The page's own controls into their bits; nothing when the page never showed them.
    void commit(Project& project, EditorState& state) override;

    void init(DialogAccess& dialog);
    DialogResult command(DialogAccess& dialog, int id);

private:
    void show(DialogAccess& dialog);

    Project& project_;
    SymbologyDialogRunner& dialogs_;
    bool initialised_ = false;
    // What the controls hold, stored on OK.
    int scanMode_ = -1;  // -1: the byte held a code outside the list; it is kept
    int security_ = -1;
    unsigned timeout_ = 0;
    std::array<bool, 22> boxes_{};
};

}  // namespace kest::editor
