#include "editor/win32/form_detail_dialogs.h"

#include <commctrl.h>

#include "editor/advance_dialog.h"
#include "editor/date_time_stamp_dialog.h"
#include "editor/win32/grid_face.h"

namespace kest::win32 {

namespace {

// A line dialog. Its prefix and suffix fields are read-only edits: a left button press opens
// the grid on the field's buffer, owned by the field, and while the grid is open the field is
// a blue rectangle with a black outline.
template <class Logic>
class LineFace final : public Dialog {
public:
    explicit LineFace(editor::FormWorkingCopy& copy) : logic_(copy) {}

protected:
    void on_init() override {
        for (int id : {IDC_LINE_PREFIX_FIELD, IDC_LINE_SUFFIX_FIELD})
            SetWindowSubclass(GetDlgItem(handle(), id), &LineFace::field_proc, static_cast<UINT_PTR>(id),
                              reinterpret_cast<DWORD_PTR>(this));
        logic_.init(*this);
    }
    void on_command(int id) override { follow(logic_.command(*this, id)); }

private:
    void open_grid(HWND field, int id) {
        SetFocus(field);
        gridOpenOn_ = field;
        InvalidateRect(field, nullptr, TRUE);
        GridFace grid(logic_.codes(id), field);
        grid.run(field, "GridDlg");
        gridOpenOn_ = nullptr;
        logic_.show_codes(*this, id);
        InvalidateRect(field, nullptr, TRUE);
    }

    static LRESULT CALLBACK field_proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                       DWORD_PTR ref) {
        auto* self = reinterpret_cast<LineFace*>(ref);
        switch (message) {
        case WM_LBUTTONDOWN: self->open_grid(hwnd, static_cast<int>(id)); return 0;
        case WM_PAINT:
            if (self->gridOpenOn_ != hwnd) break;
            {
                PAINTSTRUCT ps;
                HDC dc = BeginPaint(hwnd, &ps);
                RECT client;
                GetClientRect(hwnd, &client);
                HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
                FillRect(dc, &client, blue);
                FrameRect(dc, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
                DeleteObject(blue);
                EndPaint(hwnd, &ps);
            }
            return 0;
        case WM_NCDESTROY: RemoveWindowSubclass(hwnd, &LineFace::field_proc, id); break;
        }
        return DefSubclassProc(hwnd, message, wParam, lParam);
    }

    Logic logic_;
    HWND gridOpenOn_ = nullptr;
};

class StampFace final : public Dialog {
public:
    explicit StampFace(editor::FormWorkingCopy& copy) : logic_(copy) {}

protected:
    void on_init() override { logic_.init(*this); }
    void on_command(int id) override { follow(logic_.command(*this, id)); }

private:
    editor::DateTimeStampDlg logic_;
};

}  // namespace

void Win32FormDetailDialogs::advance(editor::FormWorkingCopy& copy) {
    LineFace<editor::AdvanceDlg> face(copy);
    face.run(page_.handle(), "AdvanceDlg");
}

void Win32FormDetailDialogs::lookup_advance(editor::FormWorkingCopy& copy) {
    LineFace<editor::LookupAdvanceDlg> face(copy);
    face.run(page_.handle(), "LookupAdvanceDlg");
}

void Win32FormDetailDialogs::date_time_stamp(editor::FormWorkingCopy& copy) {
    StampFace face(copy);
    face.run(page_.handle(), "DateTimeStampDlg");
}

}  // namespace kest::win32
