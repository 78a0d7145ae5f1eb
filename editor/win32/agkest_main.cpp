// agkest.exe: the application generator. The main window (class "AGKEST") is a
// captionless popup that carries the terminal window; it has no menu bar and runs the
// commands of the popup menu and of the accelerators one at a time.
#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <string>

#include "editor/main_commands.h"
#include "editor/win32/generator.h"
#include "editor/win32/resource_ids.h"
#include "simulator/win32/terminal_window.h"

namespace {

using kest::win32::Generator;

constexpr char kMainClass[] = "AGKEST";
constexpr char kMainTitle[] = "Application Generator";

Generator* g_generator = nullptr;

LRESULT CALLBACK main_procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: {
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_PROGRESS_CLASS};
        InitCommonControlsEx(&controls);
        g_generator->create(hwnd);
        return 0;
    }
    case WM_COMMAND: g_generator->command(LOWORD(wParam)); return 0;
    case WM_CLOSE:
        if (g_generator->close_request()) DestroyWindow(hwnd);
        return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

bool register_main_class(HINSTANCE instance) {
    WNDCLASSA wc{};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = main_procedure;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(instance, "AGKEST");
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = GetSysColorBrush(COLOR_APPWORKSPACE);
    wc.lpszClassName = kMainClass;
    return RegisterClassA(&wc) != 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int show) {
    if (!register_main_class(instance) || !kest::win32::register_terminal_class(instance)) return 0;
    auto generator = std::make_unique<Generator>(instance);
    g_generator = generator.get();
    HWND main =
        CreateWindowExA(0, kMainClass, kMainTitle, WS_POPUP, 300, 50, 200, 459, nullptr, nullptr, instance, nullptr);
    if (!main) return 0;
    ShowWindow(main, show);
    UpdateWindow(main);
    HACCEL accelerators = LoadAcceleratorsA(instance, "AGKEST");
    g_generator->open_from_command_line(commandLine);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (TranslateAcceleratorA(main, accelerators, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    g_generator = nullptr;
    return static_cast<int>(msg.wParam);
}
