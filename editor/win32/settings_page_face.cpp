// The settings page's face: the logic, and its two modal dialogs, owned by the page.
#include "editor/keyboard_wedge_dialog.h"
#include "editor/settings_page.h"
#include "editor/system_settings_dialog.h"
#include "editor/win32/sheet_pages.h"

namespace kest::win32 {
namespace {

class Win32SettingsDialogs final : public editor::SettingsDialogs {
public:
    explicit Win32SettingsDialogs(const Dialog& page) : page_(page) {}

    void keyboard_wedge(editor::KeyboardWedgeDialog& logic) override {
        LogicDialog<editor::KeyboardWedgeDialog>(logic).run(page_.handle(), "KeyboardWedgeDlg");
    }
    void system_settings(editor::SystemSettingsDialog& logic) override {
        LogicDialog<editor::SystemSettingsDialog>(logic).run(page_.handle(), "SystemSettingsDlg");
    }

private:
    const Dialog& page_;
};

class SettingsPageFace final : public PageFace {
public:
    explicit SettingsPageFace(const PageContext& context) : logic_(context.project, context.ui, dialogs_) {}
    editor::SheetPage* logic() override { return &logic_; }

private:
    void init_logic() override { logic_.init(*this); }
    void on_command(int id) override { logic_.command(*this, id); }

    Win32SettingsDialogs dialogs_{*this};
    editor::SettingsPage logic_;
};

}  // namespace

std::unique_ptr<PageFace> make_settings_page_face(const PageContext& context) {
    return std::make_unique<SettingsPageFace>(context);
}

}  // namespace kest::win32
