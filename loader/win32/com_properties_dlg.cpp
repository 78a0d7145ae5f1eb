#include "loader/win32/com_properties_dlg.h"

#include "loader/com_properties_dialog.h"
#include "platform/win32/dialog.h"

namespace kest::loader {

bool choose_port(HINSTANCE, LoaderSettings& settings) {
    ComPropertiesDialog logic(settings);
    return win32::LogicDialog(logic).run(GetFocus(), "ComPropertiesDlg") == IDOK;
}

}  // namespace kest::loader
