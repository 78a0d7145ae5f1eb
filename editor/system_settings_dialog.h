// The system settings dialog of the settings page ("Systemeinstellungen"): the terminal's
// ports, rate, backlight, deletion and acknowledge options. Every change goes into the
// page's working copy at once; Cancel puts back the copy as it was when the dialog opened.
#pragma once

#include "editor/dialog_access.h"
#include "project/project.h"

namespace kest::editor {

inline constexpr int kSystemTimeChoice = 301;   // "Anzeige für :"
inline constexpr int kSystemKeyChoice = 302;    // "Taste drücken nach Quittung"
inline constexpr int kSystemPhone = 501;        // telephone number, only for a send port the list lacks
inline constexpr int kSystemBacklightTime = 504;  // "Beleuchtung aus nach :" (1 ~ 9) x 10 sec
inline constexpr int kSystemAckTime = 506;      // (1 ~ 99) x 100 ms
inline constexpr int kSystemSendPort = 601;     // "1.  Sendeport"
inline constexpr int kSystemReceivePort = 602;  // "2.  Empfangsport"
inline constexpr int kSystemBaudRate = 603;     // "3.  Baudrate"
inline constexpr int kSystemBacklight = 604;    // "4.  Hintergrundbeleuchtung"
inline constexpr int kSystemDeleteAfterSend = 605;  // "5.  Daten löschen nach Senden"
inline constexpr int kSystemAckDisplay = 606;   // "6.  Quittierungsoptionen"

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
