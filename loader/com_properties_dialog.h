// The loader's port dialog "ComPropertiesDlg": port COM1-COM8 and rate, both preset to
// the current choice. OK stores both; Cancel changes nothing.
#pragma once

#include "loader/com_properties_ids.h"
#include "loader/loader_session.h"
#include "platform/dialog_access.h"

namespace kest::loader {

class ComPropertiesDialog {
public:
    explicit ComPropertiesDialog(LoaderSettings& settings) : settings_(settings) {}

    void init(DialogAccess& dialog);
    DialogResult command(DialogAccess& dialog, int id);

private:
    LoaderSettings& settings_;
};

}  // namespace kest::loader
