#include "loader/win32/com_properties_dlg.h"

#include <string>

namespace kest::loader {

namespace {

constexpr int kPortList = 101;
constexpr int kRateList = 102;

INT_PTR CALLBACK dialog_proc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
    auto* settings = reinterpret_cast<LoaderSettings*>(GetWindowLongPtrA(dlg, DWLP_USER));
    switch (msg) {
        case WM_INITDIALOG: {
            SetWindowLongPtrA(dlg, DWLP_USER, lp);
            settings = reinterpret_cast<LoaderSettings*>(lp);
            for (int i = 0; i < kLoaderPortCount; ++i)
                SendDlgItemMessageA(dlg, kPortList, CB_ADDSTRING, 0,
                                    reinterpret_cast<LPARAM>(loader_port_name(i).c_str()));
            for (auto rate : kRates)
                SendDlgItemMessageA(dlg, kRateList, CB_ADDSTRING, 0,
                                    reinterpret_cast<LPARAM>(std::to_string(rate).c_str()));
            SendDlgItemMessageA(dlg, kPortList, CB_SETCURSEL, static_cast<WPARAM>(settings->port), 0);
            SendDlgItemMessageA(dlg, kRateList, CB_SETCURSEL, static_cast<WPARAM>(settings->rate), 0);
            return TRUE;
        }
        case WM_COMMAND:
            if (LOWORD(wp) == IDOK) {
                const auto port = SendDlgItemMessageA(dlg, kPortList, CB_GETCURSEL, 0, 0);
                const auto rate = SendDlgItemMessageA(dlg, kRateList, CB_GETCURSEL, 0, 0);
                if (port >= 0) settings->port = static_cast<int>(port);
                if (rate >= 0) settings->rate = static_cast<int>(rate);
                EndDialog(dlg, 1);
                return TRUE;
            }
            if (LOWORD(wp) == IDCANCEL) {
                EndDialog(dlg, 2);
                return TRUE;
            }
            break;
    }
    return FALSE;
}

}  // namespace

bool choose_port(HINSTANCE instance, LoaderSettings& settings) {
    return DialogBoxParamA(instance, "ComPropertiesDlg", GetFocus(), dialog_proc,
                           reinterpret_cast<LPARAM>(&settings)) == 1;
}

}  // namespace kest::loader
