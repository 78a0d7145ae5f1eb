// "LookupCsvDlg": a table (*.csv) chosen in "Lookupdatei laden" becomes the lookup file of
// one of the project's three lookup definitions. The dialog asks which one (the first that
// may be loaded is chosen) and the table's separator (the one found in it), converts the
// table as kest lookup-build does and shows the number of records or why the table cannot
// be sent; "Senden" (OK) is only enabled for a table that converts.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "editor/lookup_table_ids.h"
#include "platform/dialog_access.h"
#include "session/lookup_file.h"
#include "platform/user_interface.h"
#include "project/lookup_table.h"
#include "project/project.h"

namespace kest::editor {

class LookupTableDialog {
public:
    LookupTableDialog(const Project& project, std::span<const std::uint8_t> table);

    void init(DialogAccess& dialog);
    DialogResult command(DialogAccess& dialog, int id);

    // The converted table (valid once the dialog closed with OK).
    const LookupTable& result() const { return table_; }

private:
    void convert(DialogAccess& dialog);

    const Project& project_;
    std::span<const std::uint8_t> csv_;
    int lookup_ = -1;
    int separator_ = -1;
    std::optional<bool> header_;  // nothing: told from the first record
    LookupTable table_;
};

// What agkest's "Lookupdatei laden" sends of the chosen file: a table (*.csv) as the dialog
// converts it (runDialog shows it modally, true on OK), any other file by the rules of a
// lookup file, told in message boxes.
PreparedLookup prepare_lookup_load(const Project& project, const std::string& path, std::span<const std::uint8_t> bytes,
                                   UserInterface& ui, const std::function<bool(LookupTableDialog&)>& runDialog);

}  // namespace kest::editor
