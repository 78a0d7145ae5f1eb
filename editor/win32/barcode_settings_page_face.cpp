// The barcode page's face: the logic, and the thirteen parameter dialogs it opens, all
// on one dialog face driven by the dialog table.
#include "editor/barcode_settings_page.h"
#include "editor/symbology_dialog.h"
#include "editor/win32/sheet_pages.h"

namespace kest::win32 {
namespace {

class SymbologyFace final : public Dialog {
public:
    SymbologyFace(const editor::SymbologyDialogSpec& layout, BarcodeSettings& settings) : logic_(layout, settings) {}

private:
    void on_init() override { logic_.init(*this); }
    void on_command(int id) override { follow(logic_.command(*this, id)); }

    editor::SymbologyDialog logic_;
};

class BarcodeSettingsPageFace final : public PageFace, private editor::SymbologyDialogRunner {
public:
    explicit BarcodeSettingsPageFace(Project& project) : logic_(project, *this) {}
    editor::SheetPage* logic() override { return &logic_; }

private:
    void init_logic() override { logic_.init(*this); }
    void on_command(int id) override { logic_.command(*this, id); }
    // Modal, owned by the page.
    void run(const editor::SymbologyDialogSpec& layout, BarcodeSettings& settings) override {
        SymbologyFace dialog(layout, settings);
        dialog.run(handle(), layout.templateName);
    }

    editor::BarcodeSettingsPage logic_;
};

}  // namespace

std::unique_ptr<PageFace> make_barcode_settings_page_face(const PageContext& context) {
    return std::make_unique<BarcodeSettingsPageFace>(context.project);
}

}  // namespace kest::win32
