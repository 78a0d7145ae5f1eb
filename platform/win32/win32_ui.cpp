#include "platform/win32/win32_ui.h"

#include <commctrl.h>
#include <commdlg.h>

#include <cstdio>
#include <vector>

#include "resources/progress_dlg.h"

namespace kest {

namespace {

constexpr COLORREF kCounterColour = RGB(255, 255, 100);
constexpr char kCounterSizing[] = "Daten empfangen : 0   ";

UINT icon_flags(Icon icon) {
    switch (icon) {
    case Icon::Warning: return MB_ICONWARNING;
    case Icon::Question: return MB_ICONQUESTION;
    case Icon::Information: return MB_ICONINFORMATION;
    case Icon::None: break;
    }
    return 0;
}

UINT button_flags(Buttons buttons) {
    switch (buttons) {
    case Buttons::YesNo: return MB_YESNO;
    case Buttons::YesNoCancel: return MB_YESNOCANCEL;
    case Buttons::OkCancel: return MB_OKCANCEL;
    case Buttons::Ok: break;
    }
    return MB_OK;
}

// "Description\0pattern\0...\0\0"
std::string filter_string(const FileDialogRequest& r) {
    std::string s;
    for (const auto& f : r.filters) {
        s += f.description;
        s += '\0';
        s += f.pattern;
        s += '\0';
    }
    s += '\0';
    return s;
}

std::optional<std::string> file_dialog(const FileDialogRequest& r, bool save) {
    // Long enough for any path the system takes; the dialog never writes past it.
    std::vector<char> name(32768, '\0');
    r.initialName.copy(name.data(), name.size() - 1);
    const std::string filter = filter_string(r);
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = GetActiveWindow();
    ofn.lpstrFilter = r.filters.empty() ? nullptr : filter.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = name.data();
    ofn.nMaxFile = static_cast<DWORD>(name.size());
    ofn.lpstrInitialDir = r.initialDir.empty() ? nullptr : r.initialDir.c_str();
    ofn.lpstrDefExt = r.defaultExtension.empty() ? nullptr : r.defaultExtension.c_str();
    if (r.mustExist) ofn.Flags |= OFN_FILEMUSTEXIST;
    if (r.pathMustExist) ofn.Flags |= OFN_PATHMUSTEXIST;
    if (r.overwritePrompt) ofn.Flags |= OFN_OVERWRITEPROMPT;
    if (r.hideReadOnly) ofn.Flags |= OFN_HIDEREADONLY;
    const BOOL ok = save ? GetSaveFileNameA(&ofn) : GetOpenFileNameA(&ofn);
    if (!ok) return std::nullopt;
    return std::string(name.data());
}

}  // namespace

Win32Ui::~Win32Ui() {
    progress_end();
    status_end();
    counter_box(2, 0);
}

Answer Win32Ui::message(const std::string& text, const std::string& caption, Icon icon, Buttons buttons) {
    const HWND owner = ownedMessages ? GetActiveWindow() : nullptr;
    switch (MessageBoxA(owner, text.c_str(), caption.c_str(), icon_flags(icon) | button_flags(buttons))) {
    case IDYES: return Answer::Yes;
    case IDNO: return Answer::No;
    case IDCANCEL: return Answer::Cancel;
    default: return Answer::Ok;
    }
}

std::optional<std::string> Win32Ui::choose_open_file(const FileDialogRequest& request) {
    return file_dialog(request, false);
}

std::optional<std::string> Win32Ui::choose_save_file(const FileDialogRequest& request) {
    return file_dialog(request, true);
}

// Modeless, without owner and without dialog procedure; nothing services its messages,
// so it is painted once when shown and the bar repaints itself on every change.
HWND Win32Ui::show_dialog(const char* name, const std::string& caption, const std::string& text) {
    HWND dlg = CreateDialogA(instance_, name, nullptr, nullptr);
    if (!dlg) return nullptr;
    SetWindowTextA(dlg, caption.c_str());
    SetDlgItemTextA(dlg, IDC_PROGRESS_TEXT, text.c_str());
    ShowWindow(dlg, SW_SHOW);
    UpdateWindow(dlg);
    return dlg;
}

void Win32Ui::progress_begin(const std::string& caption, const std::string& text) {
    progress_end();
    progress_ = show_dialog("ProgressDlg", caption, text);
    if (!progress_) return;
    RECT rc;
    GetClientRect(progress_, &rc);
    std::string barText = text;
    while (!barText.empty() && barText.back() == '.') barText.pop_back();
    bar_ = CreateWindowExA(0, PROGRESS_CLASSA, barText.c_str(), WS_CHILD | WS_VISIBLE, 14, rc.bottom / 2, rc.right - 28,
                           20, progress_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_PROGRESS_BAR)), instance_,
                           nullptr);
    SendMessageA(bar_, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
    SendMessageA(bar_, PBM_SETPOS, 0, 0);
    UpdateWindow(bar_);
}

void Win32Ui::progress_set(int percent) {
    if (!bar_) return;
    SendMessageA(bar_, PBM_SETPOS, static_cast<WPARAM>(percent), 0);
    UpdateWindow(bar_);
}

void Win32Ui::progress_end() {
    if (bar_) DestroyWindow(bar_);
    if (progress_) DestroyWindow(progress_);
    bar_ = progress_ = nullptr;
}

void Win32Ui::status_begin(const std::string& caption, const std::string& text) {
    status_end();
    status_ = show_dialog(statusTemplate, caption, text);
}

void Win32Ui::status_end() {
    if (status_) DestroyWindow(status_);
    status_ = nullptr;
}

void Win32Ui::counter_box(int mode, int count) {
    HDC screen = GetDC(nullptr);
    if (mode == 0 || (mode == 1 && !saved_)) {
        SIZE size{};
        GetTextExtentPoint32A(screen, kCounterSizing, static_cast<int>(sizeof kCounterSizing - 1), &size);
        const int w = size.cx + 20, h = 40;
        const int x = (GetSystemMetrics(SM_CXSCREEN) - w) / 2, y = (GetSystemMetrics(SM_CYSCREEN) - h) / 2;
        box_ = {x, y, x + w, y + h};
        if (!saved_) {
            saveDc_ = CreateCompatibleDC(screen);
            saved_ = CreateCompatibleBitmap(screen, w, h);
            savedOld_ = SelectObject(saveDc_, saved_);
            BitBlt(saveDc_, 0, 0, w, h, screen, x, y, SRCCOPY);
        }
    }
    if (mode == 1) {
        HBRUSH brush = CreateSolidBrush(kCounterColour);
        FillRect(screen, &box_, brush);
        DeleteObject(brush);
        char text[48];
        std::snprintf(text, sizeof text, "Daten empfangen : %d", count);
        SetBkMode(screen, TRANSPARENT);
        RECT r = box_;
        DrawTextA(screen, text, -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    } else if (mode == 2 && saved_) {
        BitBlt(screen, box_.left, box_.top, box_.right - box_.left, box_.bottom - box_.top, saveDc_, 0, 0, SRCCOPY);
        SelectObject(saveDc_, savedOld_);
        DeleteObject(saved_);
        DeleteDC(saveDc_);
        saved_ = nullptr;
        saveDc_ = nullptr;
    }
    ReleaseDC(nullptr, screen);
}

std::string viewer_command_line(const std::string& path) {
    if (path.empty() || path.find('"') != std::string::npos) return {};
    return "notepad.exe \"" + path + "\"";
}

bool Win32Ui::open_viewer(const std::string& path) {
    const std::string command = viewer_command_line(path);
    return !command.empty() && WinExec(command.c_str(), SW_SHOWNORMAL) > 31;
}

}  // namespace kest
