#include "simulator/win32/terminal_window.h"

#include <cstring>

#include "simulator/terminal_keys.h"

namespace kest::win32 {
namespace {

constexpr UINT_PTR kTimerId = 1;
constexpr UINT kTimerPeriodMs = 100;

class TerminalWindow {
public:
    explicit TerminalWindow(TerminalContext& context) : context_(context), engine_(*context.engine) {}

    LRESULT handle(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

private:
    void create();
    void destroy();
    void paint();
    void draw_bitmap(HDC dc, int index, int x, int y);
    void draw_display(HDC dc);
    void left_down(int x, int y);
    void mouse_move(int x, int y);
    void left_up();
    void popup_menu(int x, int y);
    void press(int code);
    void apply_repaint(bool now);
    void draw_frame();

    TerminalContext& context_;
    sim::Engine& engine_;
    HWND hwnd_ = nullptr;
    HBITMAP bitmaps_[terminal::kBitmapCount] = {};
    HFONT font_ = nullptr;
    HMENU menu_ = nullptr;
    int keyUnderPress_ = 0;
    bool keyDown_ = false;
    bool dragging_ = false;
    POINT pressPoint_{};
    RECT pressRect_{};
    RECT frame_{};
};

void TerminalWindow::create() {
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(hwnd_, GWLP_HINSTANCE));
    for (int i = 0; i < terminal::kBitmapCount; ++i) {
        bitmaps_[i] = LoadBitmapA(instance, MAKEINTRESOURCEA(terminal::kFirstBitmap + i));
    }
    SetTimer(hwnd_, kTimerId, kTimerPeriodMs, nullptr);
    font_ = CreateFontA(15, 6, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                        CLIP_DEFAULT_PRECIS, PROOF_QUALITY, FIXED_PITCH | FF_MODERN, "Elite");
    menu_ = LoadMenuA(instance, "PopMenuKEST");
    engine_.show_start_screen();
    apply_repaint(false);
}

void TerminalWindow::destroy() {
    KillTimer(hwnd_, kTimerId);
    for (HBITMAP& bitmap : bitmaps_) {
        if (bitmap) DeleteObject(bitmap);
        bitmap = nullptr;
    }
    if (font_) DeleteObject(font_);
    if (menu_) DestroyMenu(menu_);
    font_ = nullptr;
    menu_ = nullptr;
}

void TerminalWindow::draw_bitmap(HDC dc, int index, int x, int y) {
    HBITMAP bitmap = bitmaps_[index - terminal::kFirstBitmap];
    if (!bitmap) return;
    BITMAP info{};
    GetObjectA(bitmap, sizeof info, &info);
    HDC memory = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(dc, x, y, info.bmWidth, info.bmHeight, memory, 0, 0, SRCCOPY);
    SelectObject(memory, old);
    DeleteDC(memory);
}

void TerminalWindow::draw_display(HDC dc) {
    const sim::DisplayState& display = engine_.display();
    HGDIOBJ oldFont = SelectObject(dc, font_);
    int oldMode = SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0, 0, 0));
    int cursorX = sim::kTextLeft + sim::kCellWidth * display.cursorColumn;
    int cursorY = 36 + 10 * display.cursorRow;
    if (display.state == sim::kStateForm) draw_bitmap(dc, terminal::kCursorBitmap, cursorX, cursorY);
    draw_bitmap(dc, display.alpha ? terminal::kAlphaOnBitmap : terminal::kAlphaOffBitmap, terminal::kAlphaX,
                terminal::kAlphaY);
    for (int line = 0; line < sim::kDisplayLines; ++line) {
        const char* text = display.lines[line];
        int length = static_cast<int>(strnlen(text, sim::kDisplayColumns));
        int y = sim::line_top(display, line);
        if (line + 1 == display.highlight) {
            draw_bitmap(dc, terminal::kHighlightBitmap, sim::kTextLeft, y + 2);
            SetTextColor(dc, RGB(255, 255, 255));
            TextOutA(dc, sim::kTextLeft, y, text, length);
            SetTextColor(dc, RGB(0, 0, 0));
        } else {
            TextOutA(dc, sim::kTextLeft, y, text, length);
        }
    }
    if (display.state == sim::kStateForm && display.pendingLetter) {
        // The multi-tap letter waiting for its commit, light on the cursor block.
        draw_bitmap(dc, terminal::kCursorBitmap, cursorX, cursorY);
        SetTextColor(dc, RGB(255, 255, 255));
        TextOutA(dc, cursorX, cursorY - 1, &display.pendingLetter, 1);
        SetTextColor(dc, RGB(0, 0, 0));
    }
    if (display.state == sim::kStateStart && display.clockLine[0]) {
        draw_bitmap(dc, terminal::kClockBackgroundBitmap, sim::kTextLeft, sim::kClockTop);
        TextOutA(dc, sim::kTextLeft, sim::kClockTop, display.clockLine,
                 static_cast<int>(strnlen(display.clockLine, sim::kDisplayColumns)));
    }
    SetBkMode(dc, oldMode);
    SelectObject(dc, oldFont);
}

void TerminalWindow::paint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd_, &ps);
    draw_bitmap(dc, terminal::kPictureBitmap, 0, 0);
    for (int code = 1; code <= terminal::kKeyCount; ++code) {
        terminal::KeyImage image = terminal::key_image(code);
        bool pressed = keyDown_ && code == keyUnderPress_;
        draw_bitmap(dc, pressed ? terminal::pressed_bitmap(code) : terminal::released_bitmap(code), image.x, image.y);
    }
    draw_display(dc);
    EndPaint(hwnd_, &ps);
}

// Invalidates what the engine asks for, without erasing; `now` paints at once.
void TerminalWindow::apply_repaint(bool now) {
    sim::Repaint repaint = engine_.take_repaint();
    sim::Rect rects[sim::kMaxRepaintRects];
    int count = sim::repaint_rects(repaint, rects);
    for (int i = 0; i < count; ++i) {
        RECT r{rects[i].left, rects[i].top, rects[i].right, rects[i].bottom};
        InvalidateRect(hwnd_, &r, FALSE);
    }
    if (now && count > 0) UpdateWindow(hwnd_);
}

void TerminalWindow::press(int code) {
    sim::Outcome outcome = engine_.key(code);
    apply_repaint(true);
    if (outcome == sim::Outcome::kCannotStart) {
        MessageBoxA(hwnd_, sim::kCannotStartText, sim::kCannotStartCaption, MB_OK | MB_ICONWARNING);
        PostMessageA(context_.mainWindow, WM_COMMAND, context_.newCommand, 0);
        if (keyDown_) {
            terminal::KeyImage image = terminal::key_image(keyUnderPress_);
            RECT r{image.x, image.y, image.x + image.width, image.y + image.height};
            InvalidateRect(hwnd_, &r, FALSE);
        }
        keyDown_ = false;
        keyUnderPress_ = 0;
        ReleaseCapture();
    }
}

void TerminalWindow::left_down(int x, int y) {
    SetCapture(hwnd_);
    keyUnderPress_ = terminal::hit_test(x, y);
    if (keyUnderPress_ != terminal::kNoKey) {
        keyDown_ = true;
        terminal::KeyImage image = terminal::key_image(keyUnderPress_);
        HDC dc = GetDC(hwnd_);
        draw_bitmap(dc, terminal::pressed_bitmap(keyUnderPress_), image.x, image.y);
        ReleaseDC(hwnd_, dc);
        press(keyUnderPress_);
        return;
    }
    dragging_ = true;
    pressPoint_ = {x, y};
    GetWindowRect(context_.mainWindow, &pressRect_);
    frame_ = pressRect_;
    draw_frame();
}

void TerminalWindow::mouse_move(int x, int y) {
    if (!dragging_ || keyDown_) return;
    draw_frame();
    frame_ = pressRect_;
    OffsetRect(&frame_, x - pressPoint_.x, y - pressPoint_.y);
    draw_frame();
}

void TerminalWindow::left_up() {
    int released = keyDown_ ? keyUnderPress_ : terminal::kNoKey;
    if (released != terminal::kNoKey) {
        terminal::KeyImage image = terminal::key_image(released);
        HDC dc = GetDC(hwnd_);
        draw_bitmap(dc, terminal::released_bitmap(released), image.x, image.y);
        ReleaseDC(hwnd_, dc);
    } else if (dragging_) {
        draw_frame();
        MoveWindow(context_.mainWindow, frame_.left, frame_.top, frame_.right - frame_.left, frame_.bottom - frame_.top,
                   TRUE);
        ShowWindow(context_.mainWindow, SW_SHOW);
    }
    keyDown_ = false;
    dragging_ = false;
    keyUnderPress_ = terminal::kNoKey;
    ReleaseCapture();
    if (released == sim::kKeyPower) {
        terminal::KeyImage image = terminal::key_image(sim::kKeyPower);
        popup_menu(image.x, image.y);
    }
}

// The drag frame, drawn on the screen with an inverting pen: drawing it twice erases it.
void TerminalWindow::draw_frame() {
    HDC dc = GetDC(nullptr);
    int oldRop = SetROP2(dc, R2_NOT);
    POINT points[] = {{frame_.left - 1, frame_.top - 1},
                      {frame_.left - 1, frame_.bottom},
                      {frame_.right, frame_.bottom},
                      {frame_.right, frame_.top - 1},
                      {frame_.left - 1, frame_.top - 1}};
    Polyline(dc, points, 5);
    SetROP2(dc, oldRop);
    ReleaseDC(nullptr, dc);
}

void TerminalWindow::popup_menu(int x, int y) {
    POINT point{x, y};
    ClientToScreen(hwnd_, &point);
    HMENU popup = GetSubMenu(menu_, 0);
    SetForegroundWindow(context_.mainWindow);
    TrackPopupMenu(popup, TPM_LEFTBUTTON, point.x, point.y, 0, context_.mainWindow, nullptr);
    PostMessageA(context_.mainWindow, WM_NULL, 0, 0);
}

LRESULT TerminalWindow::handle(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    int x = static_cast<short>(LOWORD(lParam));
    int y = static_cast<short>(HIWORD(lParam));
    switch (message) {
    case WM_CREATE:
        hwnd_ = hwnd;
        create();
        return 0;
    case WM_DESTROY: destroy(); return 0;
    case WM_PAINT: paint(); return 0;
    case WM_ERASEBKGND: return 1;  // the picture covers the whole window
    case WM_LBUTTONDOWN: left_down(x, y); return 0;
    case WM_MOUSEMOVE: mouse_move(x, y); return 0;
    case WM_LBUTTONUP: left_up(); return 0;
    case WM_RBUTTONDOWN: popup_menu(x, y); return 0;
    case WM_TIMER:
        if (wParam == kTimerId) {
            engine_.tick();
            apply_repaint(false);
        }
        return 0;
    case WM_APP:
        engine_.key(sim::kKeyRestart);
        apply_repaint(false);
        return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK terminal_procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<TerminalWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        self = new TerminalWindow(*static_cast<TerminalContext*>(create->lpCreateParams));
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    if (!self) return DefWindowProcA(hwnd, message, wParam, lParam);
    LRESULT result = self->handle(hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        delete self;
    }
    return result;
}

}  // namespace

bool register_terminal_class(HINSTANCE instance) {
    WNDCLASSA wc{};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = terminal_procedure;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = kTerminalClass;
    return RegisterClassA(&wc) != 0;
}

HWND create_terminal_window(HWND parent, int id, TerminalContext* context) {
    return CreateWindowExA(0, kTerminalClass, "", WS_CHILD | WS_VISIBLE, 0, 0, 200, 459, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                           reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(parent, GWLP_HINSTANCE)), context);
}

void restart_terminal(HWND terminal) { SendMessageA(terminal, WM_APP, 0, 0); }

}  // namespace kest::win32
