// tamplo.exe: the flash loader. A hidden main window, then the loader sequence of
// standard dialogs and message boxes; no message loop.
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "session/exit_status.h"
#include "link/link.h"
#include "loader/loader_session.h"
#include "loader/win32/com_properties_dlg.h"
#include "platform/file_steps.h"
#include "platform/win32/win32_ui.h"

namespace {

LRESULT CALLBACK main_proc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_CLOSE: DestroyWindow(wnd); return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    }
    return DefWindowProcA(wnd, msg, wp, lp);
}

// The program's own path, however long.
std::string module_path() {
    std::vector<char> buffer(MAX_PATH);
    for (;;) {
        const DWORD n = GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) return {};
        if (n < buffer.size()) return std::string(buffer.data(), n);
        buffer.resize(buffer.size() * 2);
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    WNDCLASSA wc{};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = main_proc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(instance, "TAMPLO");
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_APPWORKSPACE + 1);
    wc.lpszClassName = "tamplo";
    if (!RegisterClassA(&wc)) return 0;
    HWND main = CreateWindowA("tamplo", "", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 2, 2, GetSystemMetrics(SM_CXSCREEN),
                              GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr, instance, nullptr);
    InitCommonControls();

    kest::Win32Ui ui(instance);
    ui.ownedMessages = false;
    auto port = kest::make_serial_port();
    kest::Link link(*port, kest::system_clock());
    kest::loader::LoaderEnvironment env{
        link, ui, kest::system_file_steps(), kest::loader::program_folder(module_path()),
        [instance](kest::loader::LoaderSettings& s) { return kest::loader::choose_port(instance, s); }};
    const std::string line = commandLine ? commandLine : "";
    const kest::loader::SessionResult result = kest::loader::run_loader(env, line);

    if (main) DestroyWindow(main);
    // Unattended runs tell the calling script how the download went.
    const bool unattended = !kest::loader::parse_command_line(line).file.empty();
    return unattended ? kest::exit_status(result) : kest::kExitOk;
}
