// The loader's port dialog "ComPropertiesDlg": ports COM1-COM8 and the rate list, both
// preset to the current choice. OK stores both; Cancel changes nothing.
#pragma once

#include "link/port_dialog.h"
#include "loader/com_properties_ids.h"
#include "loader/loader_session.h"

namespace kest::loader {

inline constexpr PortDialogTable kComPropertiesTable{IDC_LOADER_PORT, IDC_LOADER_RATE, 8};

class ComPropertiesDialog final : public PortDialog<int> {
public:
    explicit ComPropertiesDialog(LoaderSettings& settings)
        : PortDialog(kComPropertiesTable, settings.port, settings.rate) {}
};

}  // namespace kest::loader
