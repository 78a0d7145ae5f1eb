#include "editor/win32/property_sheet_win32.h"

#include <commctrl.h>

namespace kest::win32 {
namespace {

struct SheetContext {
    editor::SheetSession* session;
    bool ok = false;
};

struct PageParam {
    SheetContext* sheet;
    int index;
};

INT_PTR CALLBACK page_procedure(HWND hwnd, UINT message, WPARAM, LPARAM lParam) {
    auto* page = reinterpret_cast<PageParam*>(GetWindowLongPtrA(hwnd, DWLP_USER));
    if (message == WM_INITDIALOG) {
        auto* sheetPage = reinterpret_cast<PROPSHEETPAGEA*>(lParam);
        page = reinterpret_cast<PageParam*>(sheetPage->lParam);
        SetWindowLongPtrA(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(page));
        page->sheet->session->page_shown(page->index);
        return TRUE;
    }
    if (!page || message != WM_NOTIFY) return FALSE;
    switch (reinterpret_cast<NMHDR*>(lParam)->code) {
    case PSN_SETACTIVE:
        page->sheet->session->page_shown(page->index);
        SetWindowLongPtrA(hwnd, DWLP_MSGRESULT, 0);
        return TRUE;
    case PSN_APPLY:
        // Every shown page hears OK; the session commits them in page order afterwards.
        page->sheet->ok = true;
        SetWindowLongPtrA(hwnd, DWLP_MSGRESULT, PSNRET_NOERROR);
        return TRUE;
    }
    return FALSE;
}

}  // namespace

bool run_property_sheet(HWND owner, HINSTANCE instance, editor::SheetSession& session) {
    SheetContext context{&session};
    PageParam params[editor::kPageCount];
    PROPSHEETPAGEA pages[editor::kPageCount] = {};
    for (int i = 0; i < editor::kPageCount; ++i) {
        params[i] = {&context, i};
        pages[i].dwSize = sizeof(PROPSHEETPAGEA);
        pages[i].hInstance = instance;
        pages[i].pszTemplate = editor::page_templates()[i].templateName;
        pages[i].pfnDlgProc = page_procedure;
        pages[i].lParam = reinterpret_cast<LPARAM>(&params[i]);
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
    if (context.ok) {
        session.ok();
    } else {
        session.cancel();
    }
    return context.ok;
}

}  // namespace kest::win32
