#include "editor/win32/form_detail_dialogs.h"

namespace kest::win32 {

// "AdvanceDlg", "LookupAdvanceDlg" and "DateTimeStampDlg" open here, each with
// page_.handle() as owner; until their faces exist the buttons open nothing.
void Win32FormDetailDialogs::advance(editor::FormWorkingCopy&) {}
void Win32FormDetailDialogs::lookup_advance(editor::FormWorkingCopy&) {}
void Win32FormDetailDialogs::date_time_stamp(editor::FormWorkingCopy&) {}

}  // namespace kest::win32
