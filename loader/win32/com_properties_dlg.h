// The loader's port dialog "ComPropertiesDlg": port COM1-COM8 and rate.
#pragma once

#include <windows.h>

#include "loader/loader_session.h"

namespace kest::loader {

// Modal, owned by the window that has the focus. True on OK (settings updated), false on
// Cancel (settings unchanged).
bool choose_port(HINSTANCE instance, LoaderSettings& settings);

}  // namespace kest::loader
