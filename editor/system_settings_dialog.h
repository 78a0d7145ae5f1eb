// The system settings dialog of the settings page ("Systemeinstellungen"): the terminal's
// ports, rate, backlight, deletion and acknowledge options. Every change goes into the
// page's working copy at once; Cancel puts back the copy as it was when the dialog opened.
#pragma once

#include "editor/system_settings_ids.h"
#include "platform/dialog_access.h"
#include "project/project.h"

namespace kest::editor {

inline constexpr int kSystemTimeChoice = IDC_SYSTEM_TIME_CHOICE;
inline constexpr int kSystemKeyChoice = IDC_SYSTEM_KEY_CHOICE;
inline constexpr int kSystemPhone = IDC_SYSTEM_PHONE;
inline constexpr int kSystemBacklightTime = IDC_SYSTEM_BACKLIGHT_TIME;
inline constexpr int kSystemAckTime = IDC_SYSTEM_ACK_TIME;
inline constexpr int kSystemSendPort = IDC_SYSTEM_SEND_PORT;
inline constexpr int kSystemReceivePort = IDC_SYSTEM_RECEIVE_PORT;
inline constexpr int kSystemBaudRate = IDC_SYSTEM_BAUD_RATE;
inline constexpr int kSystemBacklight = IDC_SYSTEM_BACKLIGHT;
inline constexpr int kSystemDeleteAfterSend = IDC_SYSTEM_DELETE;
inline constexpr int kSystemAckDisplay = IDC_SYSTEM_ACK_DISPLAY;

class SystemSettingsDialog {
public:
    explicit SystemSettingsDialog(ApplicationOptions& workingCopy) : copy_(workingCopy), backup_(workingCopy) {}

    void init(DialogAccess& dialog);
    DialogResult command(DialogAccess& dialog, int id);

private:
    void update_enabling(DialogAccess& dialog);
    void number(DialogAccess& dialog, int id, unsigned limit, u8& stored);

    ApplicationOptions& copy_;
    ApplicationOptions backup_;
};

}  // namespace kest::editor
