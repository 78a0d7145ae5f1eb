#include "editor/win32/grid_face.h"

#include <commctrl.h>

#include <algorithm>

namespace kest::win32 {

namespace {

COLORREF colour(editor::PaintColour c) {
    switch (c) {
    case editor::PaintColour::LightGrey: return RGB(192, 192, 192);
    case editor::PaintColour::White: return RGB(255, 255, 255);
    case editor::PaintColour::LineGrey: return RGB(196, 196, 196);
    case editor::PaintColour::DarkGrey: return RGB(128, 128, 128);
    case editor::PaintColour::Black: return RGB(0, 0, 0);
    case editor::PaintColour::Blue: return RGB(0, 0, 255);
    }
    return RGB(0, 0, 0);
}

// Draws a plan off screen in the dialog's font and puts it on the control in one piece.
void paint(HWND control, const editor::PaintPlan& plan) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(control, &ps);
    RECT client;
    GetClientRect(control, &client);
    HDC mem = CreateCompatibleDC(dc);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, client.right, client.bottom);
    HGDIOBJ oldBitmap = SelectObject(mem, bitmap);
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(GetParent(control), WM_GETFONT, 0, 0));
    HGDIOBJ oldFont = font ? SelectObject(mem, font) : nullptr;
    SetBkMode(mem, TRANSPARENT);
    for (const auto& step : plan) {
        RECT r{step.rect.left, step.rect.top, step.rect.right, step.rect.bottom};
        if (step.kind == editor::PaintStep::Kind::Fill) {
            HBRUSH brush = CreateSolidBrush(colour(step.colour));
            FillRect(mem, &r, brush);
            DeleteObject(brush);
            continue;
        }
        SetTextColor(mem, colour(step.colour));
        const UINT align = step.kind == editor::PaintStep::Kind::CentredText ? DT_CENTER : DT_LEFT;
        DrawTextA(mem, step.text.c_str(), static_cast<int>(step.text.size()), &r,
                  align | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
    BitBlt(dc, 0, 0, client.right, client.bottom, mem, 0, 0, SRCCOPY);
    if (oldFont) SelectObject(mem, oldFont);
    SelectObject(mem, oldBitmap);
    DeleteObject(bitmap);
    DeleteDC(mem);
    EndPaint(control, &ps);
}

}  // namespace

void GridFace::on_init() {
    place_beside_field();
    SetWindowSubclass(GetDlgItem(handle(), IDC_GRID_CELLS), &GridFace::cells_proc, 0,
                      reinterpret_cast<DWORD_PTR>(this));
    SetWindowSubclass(GetDlgItem(handle(), IDC_GRID_RESULT), &GridFace::result_proc, 0,
                      reinterpret_cast<DWORD_PTR>(this));
    logic_.init(*this);
}

// Below the field when the grid fits there, else above it; otherwise it stays centred.
void GridFace::place_beside_field() {
    RECT field, grid, work;
    if (!field_ || !GetWindowRect(field_, &field) || !GetWindowRect(handle(), &grid) ||
        !SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0))
        return;
    const int width = grid.right - grid.left, height = grid.bottom - grid.top;
    int top;
    if (field.bottom + height <= work.bottom)
        top = field.bottom;
    else if (field.top - height >= work.top)
        top = field.top - height;
    else
        return;
    const int centre = (field.left + field.right) / 2;
    const int left =
        std::max(static_cast<int>(work.left), std::min(centre - width / 2, static_cast<int>(work.right) - width));
    SetWindowPos(handle(), nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void GridFace::on_command(int id) {
    follow(logic_.command(*this, id));
    repaint();
}

void GridFace::repaint() {
    InvalidateRect(GetDlgItem(handle(), IDC_GRID_CELLS), nullptr, FALSE);
    InvalidateRect(GetDlgItem(handle(), IDC_GRID_RESULT), nullptr, FALSE);
}

LRESULT CALLBACK GridFace::cells_proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR ref) {
    auto* self = reinterpret_cast<GridFace*>(ref);
    RECT client;
    switch (message) {
    case WM_ERASEBKGND: return 1;
    case WM_PAINT:
        GetClientRect(hwnd, &client);
        paint(hwnd, editor::paint_grid(editor::GridGeometry(client.right, client.bottom), self->logic_.selected()));
        return 0;
    case WM_LBUTTONDOWN:
        GetClientRect(hwnd, &client);
        if (self->logic_.click(*self, static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)),
                               client.right, client.bottom))
            self->repaint();
        return 0;
    case WM_NCDESTROY: RemoveWindowSubclass(hwnd, &GridFace::cells_proc, 0); break;
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK GridFace::result_proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR ref) {
    auto* self = reinterpret_cast<GridFace*>(ref);
    switch (message) {
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: {
        RECT client;
        GetClientRect(hwnd, &client);
        paint(hwnd, editor::paint_result_field(client.right, client.bottom, self->logic_.result_text()));
        return 0;
    }
    case WM_NCDESTROY: RemoveWindowSubclass(hwnd, &GridFace::result_proc, 0); break;
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

}  // namespace kest::win32
