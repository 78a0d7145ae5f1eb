#include "editor/com_setting_dialog.h"

#include "link/link.h"

namespace kest::editor {

void ComSettingDialog::init(DialogAccess& dialog) {
    dialog.set_list(IDC_COM_PORT, port_names(kGeneratorPortCount));
    dialog.set_list(IDC_BAUDRATE, rate_names());
    dialog.select(IDC_COM_PORT, selection_.portIndex < kGeneratorPortCount ? selection_.portIndex : -1);
    dialog.select(IDC_BAUDRATE, selection_.rateIndex < kRateCount ? selection_.rateIndex : -1);
}

DialogResult ComSettingDialog::command(DialogAccess& dialog, int id) {
    if (id == kIdCancel) return DialogResult::CloseCancel;
    if (id != kIdOk) return DialogResult::Stay;
    // A list left without a selection (the project held an index out of range) keeps
    // the stored byte rather than storing "no selection" as a port or rate.
    const int port = dialog.selection(IDC_COM_PORT);
    const int rate = dialog.selection(IDC_BAUDRATE);
    if (port >= 0 && port < kGeneratorPortCount) selection_.portIndex = static_cast<u8>(port);
    if (rate >= 0 && rate < kRateCount) selection_.rateIndex = static_cast<u8>(rate);
    return DialogResult::CloseOk;
}

}  // namespace kest::editor
