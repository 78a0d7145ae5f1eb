// The keyboard-wedge dialog of the settings page ("Tastatureinstellungen"): how the
// terminal types collected data into a host's keyboard line. It opens from the page's
// working copy; OK writes the copy and, at once, the project's table, whether the sheet
// is later closed with OK or Cancel. Cancel changes nothing.
#pragma once

#include "editor/dialog_access.h"
#include "project/project.h"

namespace kest::editor {

inline constexpr int kWedgeKeypad = 101;       // "Ziffernblock zur Übertragung von Zahlen benutzen"
inline constexpr int kWedgeCrLf = 102;         // "An jeden Datensatz CR/LF anhängen"
inline constexpr int kWedgeFormatFirst = 301;  // "Zeichenformat": "Normal", "klein", "groß"
inline constexpr int kWedgeLockFirst = 304;    // "Normal", "Capital-lock keyboard", "Shift-lock keyboard"
inline constexpr int kWedgeCapsFirst = 307;    // "autom. Ekennung", "Immer EIN", "ignorieren"
inline constexpr int kWedgePause = 501;        // "Pause zwischen zwei Zeichen :" (0 ~ 255 ms)
inline constexpr int kWedgeTimeout = 502;      // "Verbindungs-Time-out :" (0 ~ 255 sec)
inline constexpr int kWedgeTypeList = 601;     // "Tastatur / Terminal Typ :"

// Copies the five bytes the generator edits (type, flags, pause, time-out, CR/LF); the
// rest of the table is carried through as it is.
void copy_wedge_settings(const KeyboardWedgeSettings& from, KeyboardWedgeSettings& to);

class KeyboardWedgeDialog {
public:
    KeyboardWedgeDialog(KeyboardWedgeSettings& workingCopy, KeyboardWedgeSettings& project)
        : copy_(workingCopy), project_(project) {}

    void init(DialogAccess& dialog);
    DialogResult command(DialogAccess& dialog, int id);

private:
    void store(const DialogAccess& dialog);

    KeyboardWedgeSettings& copy_;
    KeyboardWedgeSettings& project_;
};

}  // namespace kest::editor
