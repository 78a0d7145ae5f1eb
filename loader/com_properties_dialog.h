// The loader's port dialog "ComPropertiesDlg": port COM1-COM8 and rate, both preset to
// the current choice. OK stores both; Cancel changes nothing.
#pragma once

#include "editor/dialog_access.h"
#include "loader/com_properties_ids.h"
#include "loader/loader_session.h"

namespace kest::loader {

class ComPropertiesDialog {
public:
    explicit ComPropertiesDialog(LoaderSettings& settings) : settings_(settings) {}

    void init(editor::DialogAccess& dialog);
    editor::DialogResult command(editor::DialogAccess& dialog, int id);

private:
    LoaderSettings& settings_;
};

}  // namespace kest::loader
