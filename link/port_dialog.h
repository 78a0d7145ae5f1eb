// The port dialog of both programs ("ComSettingDlg" of the generator, "ComPropertiesDlg" of
// the loader): a list of ports and the rate list, both at the current choice. OK stores both
// selections, Cancel changes nothing. A list left without a selection (the stored index is
// beyond it, as in a damaged project file) keeps the stored index rather than storing "none".
// Each program gives its control ids and how many ports it offers, and where the choice lives.
#pragma once

#include "link/link.h"
#include "platform/dialog_access.h"

namespace kest {

struct PortDialogTable {
    int portList;   // "&COM port :"
    int rateList;   // the rate list, "115200" to "9600"
    int portCount;  // COM1 to COM<portCount>
};

// Index: the type of the stored port and rate indices.
template <class Index>
class PortDialog {
public:
    PortDialog(const PortDialogTable& table, Index& port, Index& rate) : table_(table), port_(port), rate_(rate) {}

    void init(DialogAccess& dialog) {
        dialog.set_list(table_.portList, port_names(table_.portCount));
        dialog.set_list(table_.rateList, rate_names());
        dialog.select(table_.portList, within(port_, table_.portCount) ? static_cast<int>(port_) : -1);
        dialog.select(table_.rateList, within(rate_, kRateCount) ? static_cast<int>(rate_) : -1);
    }

    DialogResult command(DialogAccess& dialog, int id) {
        if (id == kIdCancel) return DialogResult::CloseCancel;
        if (id != kIdOk) return DialogResult::Stay;
        const int port = dialog.selection(table_.portList);
        const int rate = dialog.selection(table_.rateList);
        if (within(port, table_.portCount)) port_ = static_cast<Index>(port);
        if (within(rate, kRateCount)) rate_ = static_cast<Index>(rate);
        return DialogResult::CloseOk;
    }

private:
    static bool within(int index, int count) { return index >= 0 && index < count; }

    const PortDialogTable& table_;
    Index& port_;
    Index& rate_;
};

}  // namespace kest
