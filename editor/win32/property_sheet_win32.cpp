#include "editor/win32/property_sheet_win32.h"

#include <commctrl.h>

namespace kest::win32 {

bool run_property_sheet(HWND owner, HINSTANCE instance, editor::SheetSession& session, PageFaces& faces) {
    bool ok = false;
    PROPSHEETPAGEA pages[editor::kPageCount] = {};
    for (int i = 0; i < editor::kPageCount; ++i) {
        faces[i]->join(session, i, ok);
        pages[i] = faces[i]->describe(instance, editor::page_templates()[i].templateName);
    }
    PROPSHEETHEADERA header{};
    header.dwSize = sizeof header;
    header.dwFlags = PSH_PROPSHEETPAGE | PSH_NOAPPLYNOW | PSH_USEICONID;
    header.hwndParent = owner;
    header.hInstance = instance;
    header.pszIcon = "QUEPG";
    header.pszCaption = editor::kSheetCaption;
    header.nPages = editor::kPageCount;
    header.nStartPage = 0;
    header.ppsp = pages;
    PropertySheetA(&header);
    // Every shown page heard OK; the session commits them in page order now.
    if (ok) {
        session.ok();
    } else {
        session.cancel();
    }
    return ok;
}

}  // namespace kest::win32
