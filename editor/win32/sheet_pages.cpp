#include "editor/win32/sheet_pages.h"

#include "editor/lookup_page.h"
#include "editor/menu_page.h"
#include "editor/startup_page.h"

namespace kest::win32 {

PageFaces make_page_faces(const PageContext& context) {
    return {{
        make_form_page_face(context),                                  // FORMDLG "Maske"
        std::make_unique<LogicFace<editor::MenuPage>>(),               // MENUDLG "Benutzermenü"
        std::make_unique<LogicFace<editor::LookupPage>>(),             // LOOKUPDLG "Lookup"
        make_barcode_settings_page_face(context),                      // BARCODESETTINGDLG "Barcodeeinstellungen"
        make_settings_page_face(context),                              // SETTINGSDLG "Einstellungen"
        std::make_unique<LogicFace<editor::StartupPage>>(context.ui),  // STARTUPDLG "Startup"
    }};
}

}  // namespace kest::win32
