// windriver.exe: drives the dialogs and message boxes of a Win32 program running under the
// same Wine, for the end-to-end tests. Windows are found by their caption; controls by id.
// Texts go in and out as UTF-8. Exit status 0 on success, 1 when the window or control is
// not there (after waiting), 2 on a usage error.
//
//   windriver wait CAPTION [MS]          until a visible top-level window has the caption
//   windriver gone CAPTION [MS]          until no visible window has it
//   windriver list CAPTION               every child control: id, class, text
//   windriver rect CAPTION [ID]          the window's (or its control's) screen rectangle:
//                                        left top right bottom
//   windriver client CAPTION             the screen rectangle of its client area (without the
//                                        caption and frame, which no window manager draws here)
//   windriver enabled CAPTION [ID]       1 when the window (or its control) is enabled, else 0
//   windriver command CAPTION ID         sends a menu command to the window
//   windriver tab CAPTION INDEX          shows a page of a property sheet (and waits until it is there)
//   windriver popup - [MS]               waits for an open popup menu; prints its screen rectangle
//   windriver nopopup - [MS]             waits until no popup menu is open
//   windriver resmenu EXE NAME           the menu resource NAME of a program: one line per item,
//                                        "id<TAB>text", submenus indented, separators "-"
//   windriver version EXE                its version information: "ProductName<TAB>ProductVersion
//                                        <TAB>FileVersion<TAB>FileDescription"
//   windriver manifest EXE               its application manifest
//   windriver modules CAPTION            the modules loaded by the window's process, one path a line
//   windriver windows -                  every top-level window, shown or not: handle, process,
//                                        visible, enabled, class, caption (for failure reports)
// Controls by id: a control of the window itself, else of the property sheet's page on
// show, else any visible one below the window (waited for while a page is being made).
// Notifications go to the control's parent, as the control would send them:
//   windriver text CAPTION ID            a control's text (a drop-down list: its selection)
//   windriver settext CAPTION ID TEXT    sets an edit field's text (its EN_CHANGE reaches the
//                                        dialog before windriver returns)
//   windriver selection CAPTION ID       the selected index of a drop-down list
//   windriver items CAPTION ID           the entries of a drop-down list, one per line
//   windriver select CAPTION ID INDEX    selects an entry as the user would (CBN_SELCHANGE,
//                                        handled before windriver returns)
//   windriver checked CAPTION ID         1 when a check box or radio button is checked, else 0
//   windriver check CAPTION ID 0|1       sets a check box as a click would, then BN_CLICKED
//   windriver toggle CAPTION ID          a click on a plain (not automatic) check box: BN_CLICKED
//                                        alone, handled before windriver returns
//   windriver click CAPTION ID           presses a button (OK 1, Cancel 2, Yes 6, No 7); posted,
//                                        so a button that opens a modal dialog does not block
#include <windows.h>
#include <commctrl.h>
#include <psapi.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

namespace {

std::string utf8(const std::wstring& text) {
    if (text.empty()) return {};
    int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(size, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, out.data(), size, nullptr, nullptr);
    out.resize(size - 1);
    return out;
}

std::wstring window_text(HWND hwnd) {
    wchar_t buffer[2048] = {};
    SendMessageW(hwnd, WM_GETTEXT, 2048, reinterpret_cast<LPARAM>(buffer));
    return buffer;
}

std::wstring class_name(HWND hwnd) {
    wchar_t buffer[256] = {};
    GetClassNameW(hwnd, buffer, 256);
    return buffer;
}

struct Search {
    std::wstring caption;
    HWND found = nullptr;
};

BOOL CALLBACK find_top(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<Search*>(param);
    if (IsWindowVisible(hwnd) && window_text(hwnd) == search->caption) {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

HWND find_window(const std::wstring& caption) {
    Search search{caption};
    EnumWindows(find_top, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Sleeps between looks until the window is there (or gone) or the time is up.
bool wait_for(const std::wstring& caption, DWORD ms, bool present, HWND* found = nullptr) {
    DWORD start = GetTickCount();
    for (;;) {
        HWND hwnd = find_window(caption);
        if (found) *found = hwnd;
        if ((hwnd != nullptr) == present) return true;
        if (GetTickCount() - start >= ms) return false;
        Sleep(100);
    }
}

BOOL CALLBACK list_child(HWND hwnd, LPARAM) {
    std::printf("%d\t%s\t%s\n", GetDlgCtrlID(hwnd), utf8(class_name(hwnd)).c_str(), utf8(window_text(hwnd)).c_str());
    return TRUE;
}

struct ControlSearch {
    int id;
    HWND found = nullptr;
};

BOOL CALLBACK find_control(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<ControlSearch*>(param);
    if (GetDlgCtrlID(hwnd) == search->id && IsWindowVisible(hwnd)) {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

// The control with the id: the window's own, the shown page's, or any visible descendant.
HWND control_of(HWND window, int id) {
    if (HWND own = GetDlgItem(window, id)) return own;
    auto page = reinterpret_cast<HWND>(SendMessageW(window, PSM_GETCURRENTPAGEHWND, 0, 0));
    if (page && IsWindow(page)) {
        if (HWND inPage = GetDlgItem(page, id)) return inPage;
    }
    ControlSearch search{id};
    EnumChildWindows(window, find_control, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Waits a while for a control of a page that is still being made (long: a loaded machine
// may take its time, and the deadline only bounds a failure).
HWND wait_control(HWND window, int id) {
    DWORD start = GetTickCount();
    for (;;) {
        if (HWND control = control_of(window, id)) return control;
        if (GetTickCount() - start >= 30000) return nullptr;
        Sleep(100);
    }
}

BOOL CALLBACK find_popup(HWND hwnd, LPARAM param) {
    if (IsWindowVisible(hwnd) && class_name(hwnd) == L"#32768") {
        *reinterpret_cast<HWND*>(param) = hwnd;
        return FALSE;
    }
    return TRUE;
}

HWND open_popup() {
    HWND popup = nullptr;
    EnumWindows(find_popup, reinterpret_cast<LPARAM>(&popup));
    return popup;
}

// Waits until a popup menu is open and prints its screen rectangle; with `open` false,
// until none is.
int wait_popup(DWORD ms, bool open) {
    DWORD start = GetTickCount();
    HWND popup = nullptr;
    while (((popup = open_popup()) != nullptr) != open) {
        if (GetTickCount() - start >= ms) {
            std::fprintf(stderr, open ? "windriver: no popup menu\n" : "windriver: a popup menu stays open\n");
            return 1;
        }
        Sleep(100);
    }
    if (!open) return 0;
    RECT r;
    GetWindowRect(popup, &r);
    std::printf("%ld %ld %ld %ld\n", r.left, r.top, r.right, r.bottom);
    return 0;
}

void print_menu(HMENU menu, int depth) {
    int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        wchar_t item[256] = {};
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_SUBMENU | MIIM_STRING;
        info.dwTypeData = item;
        info.cch = 256;
        GetMenuItemInfoW(menu, i, TRUE, &info);
        std::string indent(depth * 2, ' ');
        if (info.fType & MFT_SEPARATOR) {
            std::printf("%s-\n", indent.c_str());
        } else {
            std::printf("%s%d\t%s\n", indent.c_str(), info.hSubMenu ? 0 : static_cast<int>(info.wID),
                        utf8(item).c_str());
        }
        if (info.hSubMenu) print_menu(info.hSubMenu, depth + 1);
    }
}

int resource_menu(const wchar_t* exe, const wchar_t* name) {
    HMODULE module = LoadLibraryExW(exe, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    HMENU menu = module ? LoadMenuW(module, name) : nullptr;
    if (!menu) {
        std::fprintf(stderr, "windriver: no menu resource\n");
        return 1;
    }
    print_menu(menu, 0);
    return 0;
}

// The program's version strings, in the language of its first translation.
int version_info(const wchar_t* exe) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(exe, &ignored);
    std::vector<char> data(size);
    struct Translation {
        WORD language, codePage;
    }* translation = nullptr;
    UINT length = 0;
    if (!size || !GetFileVersionInfoW(exe, 0, size, data.data()) ||
        !VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &length) ||
        length < sizeof *translation) {
        std::fprintf(stderr, "windriver: no version information\n");
        return 1;
    }
    const wchar_t* keys[] = {L"ProductName", L"ProductVersion", L"FileVersion", L"FileDescription"};
    for (const wchar_t* key : keys) {
        wchar_t path[128];
        std::swprintf(path, 128, L"\\StringFileInfo\\%04x%04x\\%ls", translation->language, translation->codePage, key);
        wchar_t* value = nullptr;
        std::printf(
            "%s%s", key == keys[0] ? "" : "\t",
            VerQueryValueW(data.data(), path, reinterpret_cast<void**>(&value), &length) ? utf8(value).c_str() : "");
    }
    std::printf("\n");
    return 0;
}

int manifest(const wchar_t* exe) {
    HMODULE module = LoadLibraryExW(exe, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    HRSRC found = module ? FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24)) : nullptr;
    if (!found) {
        std::fprintf(stderr, "windriver: no manifest\n");
        return 1;
    }
    std::fwrite(LockResource(LoadResource(module, found)), 1, SizeofResource(module, found), stdout);
    return 0;
}

int modules(HWND window) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
    HMODULE list[512];
    DWORD bytes = 0;
    if (!process || !EnumProcessModules(process, list, sizeof list, &bytes)) {
        std::fprintf(stderr, "windriver: the process cannot be read\n");
        return 1;
    }
    for (DWORD i = 0; i < bytes / sizeof list[0] && i < 512; ++i) {
        wchar_t path[MAX_PATH] = {};
        GetModuleFileNameExW(process, list[i], path, MAX_PATH);
        std::printf("%s\n", utf8(path).c_str());
    }
    CloseHandle(process);
    return 0;
}

// Reads the caption without a message to the window, so that a busy program cannot stall the list.
BOOL CALLBACK list_top(HWND hwnd, LPARAM) {
    wchar_t caption[512] = {};
    InternalGetWindowText(hwnd, caption, 512);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    std::printf("%p\t%lu\t%s\t%s\t%s\t%s\n", static_cast<void*>(hwnd), pid,
                IsWindowVisible(hwnd) ? "visible" : "hidden", IsWindowEnabled(hwnd) ? "enabled" : "disabled",
                utf8(class_name(hwnd)).c_str(), utf8(caption).c_str());
    return TRUE;
}

int usage() {
    std::fprintf(stderr,
                 "usage: windriver "
                 "wait|gone|list|rect|client|enabled|command|tab|text|settext|selection|items|select|checked|check|"
                 "toggle|click|modules CAPTION ...\n"
                 "       windriver popup|nopopup|windows - ...\n"
                 "       windriver resmenu|version|manifest EXE ...\n");
    return 2;
}

}  // namespace

int wmain() {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argc < 3) return usage();
    std::wstring verb = argv[1];
    std::wstring caption = argv[2];
    auto number = [&](int i, int fallback) {
        return i < argc ? static_cast<int>(std::wcstol(argv[i], nullptr, 10)) : fallback;
    };

    if (verb == L"popup") return wait_popup(number(3, 5000), true);
    if (verb == L"nopopup") return wait_popup(number(3, 5000), false);
    if (verb == L"resmenu") return argc >= 4 ? resource_menu(argv[2], argv[3]) : usage();
    if (verb == L"version") return version_info(argv[2]);
    if (verb == L"manifest") return manifest(argv[2]);
    if (verb == L"windows") return EnumWindows(list_top, 0), 0;
    if (verb == L"wait" || verb == L"gone") {
        bool present = verb == L"wait";
        if (!wait_for(caption, number(3, 10000), present)) {
            std::fprintf(stderr, "windriver: window \"%s\" %s\n", utf8(caption).c_str(),
                         present ? "did not appear" : "did not close");
            return 1;
        }
        return 0;
    }
    HWND window = nullptr;
    if (!wait_for(caption, 30000, true, &window)) {
        std::fprintf(stderr, "windriver: no window \"%s\"\n", utf8(caption).c_str());
        return 1;
    }
    if (verb == L"list") {
        EnumChildWindows(window, list_child, 0);
        return 0;
    }
    if (verb == L"rect" && argc < 4) {
        RECT r;
        GetWindowRect(window, &r);
        std::printf("%ld %ld %ld %ld\n", r.left, r.top, r.right, r.bottom);
        return 0;
    }
    if (verb == L"client") {
        RECT r;
        GetClientRect(window, &r);
        MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&r), 2);
        std::printf("%ld %ld %ld %ld\n", r.left, r.top, r.right, r.bottom);
        return 0;
    }
    if (verb == L"modules") return modules(window);
    if (verb == L"enabled" && argc < 4) {
        std::printf("%d\n", IsWindowEnabled(window) ? 1 : 0);
        return 0;
    }
    if (argc < 4) return usage();
    int id = number(3, 0);
    if (verb == L"command") {
        PostMessageW(window, WM_COMMAND, MAKEWPARAM(id, 0), 0);
        return 0;
    }
    if (verb == L"tab") {
        SendMessageW(window, PSM_SETCURSEL, id, 0);
        return 0;
    }
    HWND control = wait_control(window, id);
    if (!control) {
        std::fprintf(stderr, "windriver: \"%s\" has no control %d\n", utf8(caption).c_str(), id);
        return 1;
    }
    HWND parent = GetParent(control);
    auto notify = [&](int code) {
        SendMessageW(parent, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(control));
    };
    if (verb == L"text") {
        std::printf("%s\n", utf8(window_text(control)).c_str());
    } else if (verb == L"enabled") {
        std::printf("%d\n", IsWindowEnabled(control) ? 1 : 0);
    } else if (verb == L"settext" && argc >= 5) {
        // A combo box with an edit field (the file dialogs' name) takes the text in its edit.
        HWND edit = control;
        while (edit && class_name(edit) != L"Edit") edit = FindWindowExW(edit, nullptr, nullptr, nullptr);
        SendMessageW(edit ? edit : control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[4]));
    } else if (verb == L"selection") {
        std::printf("%d\n", static_cast<int>(SendMessageW(control, CB_GETCURSEL, 0, 0)));
    } else if (verb == L"items") {
        const int count = static_cast<int>(SendMessageW(control, CB_GETCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            std::wstring item(static_cast<std::size_t>(SendMessageW(control, CB_GETLBTEXTLEN, i, 0)) + 1, L'\0');
            SendMessageW(control, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item.data()));
            std::printf("%s\n", utf8(item.c_str()).c_str());
        }
    } else if (verb == L"select" && argc >= 5) {
        SendMessageW(control, CB_SETCURSEL, number(4, 0), 0);
        notify(CBN_SELCHANGE);
    } else if (verb == L"checked") {
        std::printf("%d\n", SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0);
    } else if (verb == L"check" && argc >= 5) {
        SendMessageW(control, BM_SETCHECK, number(4, 0) ? BST_CHECKED : BST_UNCHECKED, 0);
        notify(BN_CLICKED);
    } else if (verb == L"toggle") {
        notify(BN_CLICKED);
    } else if (verb == L"rect") {
        RECT r;
        GetWindowRect(control, &r);
        std::printf("%ld %ld %ld %ld\n", r.left, r.top, r.right, r.bottom);
    } else if (verb == L"click") {
        PostMessageW(parent, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(control));
    } else {
        return usage();
    }
    return 0;
}
