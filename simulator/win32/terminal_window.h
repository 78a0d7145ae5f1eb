// The terminal window (class "Client"): the picture of the hand-held terminal with its
// live display and clickable keys. Key presses go to the simulation engine, which changes
// the display state and says what to repaint; the right button and the power key open
// the command menu, whose commands go to the main window.
#pragma once

#include <windows.h>

#include "project/project.h"
#include "simulator/engine.h"

namespace kest::win32 {

struct TerminalContext {
    sim::Engine* engine;
    HWND mainWindow;  // owner of the popup menu and of its commands
    int newCommand;   // posted to the main window when the program cannot start
};

inline constexpr char kTerminalClass[] = "Client";

bool register_terminal_class(HINSTANCE instance);
// Creates the terminal window as the child of the main window; the context must outlive it.
HWND create_terminal_window(HWND parent, int id, TerminalContext* context);
// Restart the simulation (the form page's applied changes) and repaint.
void restart_terminal(HWND terminal);

}  // namespace kest::win32
