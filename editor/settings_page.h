// The settings page of the editor sheet ("Einstellungen"): the password, the terminal
// functions it protects and the functions of the keys FN+0 to FN+9, with the buttons that
// open the keyboard-wedge and system settings dialogs and that restore the defaults.
//
// The page works on its own copies of ApplicationOptions and KeyboardWedgeSettings. On OK
// it commits only the bytes it owns (5-67 of ApplicationOptions: the system settings, the
// protected areas, the password and the function keys) and its five wedge bytes, so that
// what the menu and startup pages commit in the same OK survives.
#pragma once

#include <cstddef>

#include "editor/property_sheet.h"
#include "editor/settings_page_ids.h"
#include "platform/dialog_access.h"
#include "platform/user_interface.h"
#include "project/project.h"

namespace kest::editor {

// Check boxes from IDC_SETTINGS_AREA, one per protected area; function keys FN+0 to FN+9.
inline constexpr int kSettingsAreaCount = sizeof(ApplicationOptions::protectedArea);
inline constexpr int kFunctionKeyCount = sizeof(ApplicationOptions::functionKey);

inline constexpr char kPasswordTooLong[] = "Passwort zu lang!!!";
inline constexpr char kPasswordInvalid[] = "ungueltiges Zeichen!!!";
inline constexpr char kWarningCaption[] = "Warnung";

class KeyboardWedgeDialog;
class SystemSettingsDialog;

// Runs the page's two modal dialogs. The Win32 face runs them from their templates, owned
// by the page; tests run their logic on a map dialog.
class SettingsDialogs {
public:
    virtual ~SettingsDialogs() = default;
    virtual void keyboard_wedge(KeyboardWedgeDialog& dialog) = 0;
    virtual void system_settings(SystemSettingsDialog& dialog) = 0;
};

// "Grundeinstellungen": the page's part of ApplicationOptions and the wedge settings.
void settings_defaults(ApplicationOptions& options, KeyboardWedgeSettings& wedge);

class SettingsPage final : public SheetPage {
public:
    // The keyboard-wedge dialog writes the project's wedge settings at its own OK; the
    // password warnings go through `ui`.
    SettingsPage(Project& project, UserInterface& ui, SettingsDialogs& dialogs)
        : project_(project), ui_(ui), dialogs_(dialogs) {}

    void load(const Project& project) override;
    void commit(Project& project, EditorState& state) override;

    // Fills the controls from the working copy.
    void init(DialogAccess& dialog);
    DialogResult command(DialogAccess& dialog, int id);

private:
    void show(DialogAccess& dialog);
    void show_areas(DialogAccess& dialog);
    void show_function(DialogAccess& dialog);
    void check_password(DialogAccess& dialog);
    void store_function(const DialogAccess& dialog);

    Project& project_;
    UserInterface& ui_;
    SettingsDialogs& dialogs_;
    ApplicationOptions options_{};
    KeyboardWedgeSettings wedge_{};
};

}  // namespace kest::editor
