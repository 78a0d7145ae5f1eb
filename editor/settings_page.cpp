#include "editor/settings_page.h"

#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "editor/edit_rules.h"
#include "editor/keyboard_wedge_dialog.h"
#include "editor/system_settings_dialog.h"
#include "project/limits.h"
#include "project/names.h"

namespace kest::editor {
namespace {

// The bytes of ApplicationOptions this page owns: from the send port to the last function key.
constexpr std::size_t kOwnedFirst = offsetof(ApplicationOptions, sendPort);
constexpr std::size_t kOwnedEnd = offsetof(ApplicationOptions, largeTitles);
static_assert(kOwnedFirst == 5 && kOwnedEnd == 68);

bool password_character(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

std::vector<std::string> key_entries() {
    std::vector<std::string> keys;
    for (int k = 0; k < kFunctionKeyCount; ++k) keys.push_back(" FN+" + std::to_string(k));
    return keys;
}

}  // namespace

void settings_defaults(ApplicationOptions& options, KeyboardWedgeSettings& wedge) {
    std::memset(options.protectedArea, 0, sizeof options.protectedArea);
    std::memset(options.password, 0, sizeof options.password);
    std::memset(options.functionKey, 0, sizeof options.functionKey);
    options.sendPort = 0;
    options.phoneNumber[0] = 0;
    options.receivePort = 0;
    options.terminalBaud = 0;
    options.backlight = 0;
    options.backlightOff = 2;
    options.deleteAfterSend = 0;
    options.ackDisplay = 1;
    options.ackTime = 6;
    wedge.keyboardType = 0;
    wedge.wedgeFlags = 0;
    wedge.charPause = 0;
    wedge.linkTimeout = 0;
    wedge.appendCrLf = 1;
}

void SettingsPage::load(const Project& project) {
    options_ = project.options;
    wedge_ = project.wedge;
}

void SettingsPage::commit(Project& project, EditorState&) {
    auto* to = reinterpret_cast<u8*>(&project.options);
    const auto* from = reinterpret_cast<const u8*>(&options_);
    std::memcpy(to + kOwnedFirst, from + kOwnedFirst, kOwnedEnd - kOwnedFirst);
    // The wedge copy too: after "Grundeinstellungen" it holds defaults no dialog wrote yet.
    copy_wedge_settings(wedge_, project.wedge);
}

void SettingsPage::init(DialogAccess& dialog) {
    dialog.set_list(IDC_SETTINGS_KEY, key_entries());
    dialog.set_list(IDC_SETTINGS_FUNCTION, names::entries(names::kTerminalFunctions));
    show(dialog);
}

void SettingsPage::show(DialogAccess& dialog) {
    // The echo of the password edit checks a stored password as if it had been typed.
    dialog.set_text(IDC_SETTINGS_PASSWORD, cell_text(options_.password));
    show_areas(dialog);
    dialog.select(IDC_SETTINGS_KEY, 0);
    show_function(dialog);
}

void SettingsPage::show_areas(DialogAccess& dialog) {
    for (int i = 0; i < kSettingsAreaCount; ++i)
        dialog.set_checked(IDC_SETTINGS_AREA + i, options_.protectedArea[i] != 0);
}

void SettingsPage::show_function(DialogAccess& dialog) {
    const int key = dialog.selection(IDC_SETTINGS_KEY);
    if (key < 0 || key >= kFunctionKeyCount) {
        dialog.select(IDC_SETTINGS_FUNCTION, -1);
        return;
    }
    show_selection(dialog, IDC_SETTINGS_FUNCTION, options_.functionKey[key], std::size(names::kTerminalFunctions));
}

void SettingsPage::store_function(const DialogAccess& dialog) {
    const int key = dialog.selection(IDC_SETTINGS_KEY);
    if (key >= 0 && key < kFunctionKeyCount) store_selection(dialog, IDC_SETTINGS_FUNCTION, options_.functionKey[key]);
}

DialogResult SettingsPage::command(DialogAccess& dialog, int id) {
    if (id >= IDC_SETTINGS_AREA && id < IDC_SETTINGS_AREA + kSettingsAreaCount) {
        options_.protectedArea[id - IDC_SETTINGS_AREA] = dialog.checked(id) ? 1 : 0;
        return DialogResult::Stay;
    }
    switch (id) {
    case IDC_SETTINGS_PASSWORD: check_password(dialog); break;
    case IDC_SETTINGS_ALL:
    case IDC_SETTINGS_NONE:
        std::memset(options_.protectedArea, id == IDC_SETTINGS_ALL ? 1 : 0, sizeof options_.protectedArea);
        show_areas(dialog);
        break;
    case IDC_SETTINGS_KEY: show_function(dialog); break;
    case IDC_SETTINGS_FUNCTION: store_function(dialog); break;
    case IDC_SETTINGS_WEDGE: {
        KeyboardWedgeDialog wedge(wedge_, project_.wedge);
        dialogs_.keyboard_wedge(wedge);
        break;
    }
    case IDC_SETTINGS_SYSTEM: {
        SystemSettingsDialog system(options_);
        dialogs_.system_settings(system);
        break;
    }
    case IDC_SETTINGS_DEFAULTS:
        settings_defaults(options_, wedge_);
        show(dialog);
        break;
    }
    return DialogResult::Stay;
}

// Checked on every change: a password is at most ten letters and digits. A correction is
// put back into the edit, whose own change notification stores it.
void SettingsPage::check_password(DialogAccess& dialog) {
    const std::string text = dialog.text(IDC_SETTINGS_PASSWORD);
    if (text.size() > kPasswordLength) {
        ui_.message(kPasswordTooLong, kWarningCaption, Icon::Warning, Buttons::Ok);
        text_edit(dialog, IDC_SETTINGS_PASSWORD, kPasswordLength);
        return;
    }
    std::string clean;
    for (char c : text)
        if (password_character(c)) clean += c;
    if (clean.size() != text.size()) {
        ui_.message(kPasswordInvalid, kWarningCaption, Icon::Warning, Buttons::Ok);
        dialog.set_text(IDC_SETTINGS_PASSWORD, clean);
        return;
    }
    std::memset(options_.password, 0, sizeof options_.password);
    std::memcpy(options_.password, text.data(), text.size());
}

}  // namespace kest::editor
