#include "loader/com_properties_dialog.h"

namespace kest::loader {

void ComPropertiesDialog::init(DialogAccess& dialog) {
    dialog.set_list(IDC_LOADER_PORT, port_names(kLoaderPortCount));
    dialog.set_list(IDC_LOADER_RATE, rate_names());
    dialog.select(IDC_LOADER_PORT, settings_.port);
    dialog.select(IDC_LOADER_RATE, settings_.rate);
}

DialogResult ComPropertiesDialog::command(DialogAccess& dialog, int id) {
    if (id == kIdCancel) return DialogResult::CloseCancel;
    if (id != kIdOk) return DialogResult::Stay;
    // A list without a selection keeps the earlier choice.
    const int port = dialog.selection(IDC_LOADER_PORT);
    const int rate = dialog.selection(IDC_LOADER_RATE);
    if (port >= 0 && port < kLoaderPortCount) settings_.port = port;
    if (rate >= 0 && rate < kRateCount) settings_.rate = rate;
    return DialogResult::CloseOk;
}

}  // namespace kest::loader
