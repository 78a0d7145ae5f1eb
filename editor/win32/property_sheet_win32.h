// The modal editor property sheet "Programmgenerator DOZAZA" with its six pages.
#pragma once

#include <windows.h>

#include "editor/property_sheet.h"

namespace kest::win32 {

// Shows the sheet owned by the main window (which, with the terminal window, is disabled
// while it is open) and commits the session on OK. True when closed with OK.
bool run_property_sheet(HWND owner, HINSTANCE instance, editor::SheetSession& session);

}  // namespace kest::win32
