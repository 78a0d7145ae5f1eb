// The COM port dialog of the generator ("ComSettingDlg"): the project's ports and the rate
// list. It writes the project's ComSelection directly on OK and does not mark the project
// as modified.
#pragma once

#include <iterator>

#include "editor/com_setting_ids.h"
#include "link/port_dialog.h"
#include "project/names.h"
#include "project/project.h"

namespace kest::editor {

inline constexpr PortDialogTable kComSettingTable{IDC_COM_PORT, IDC_BAUDRATE,
                                                  static_cast<int>(std::size(names::kComPorts))};

class ComSettingDialog final : public PortDialog<u8> {
public:
    explicit ComSettingDialog(ComSelection& selection)
        : PortDialog(kComSettingTable, selection.portIndex, selection.rateIndex) {}
};

}  // namespace kest::editor
