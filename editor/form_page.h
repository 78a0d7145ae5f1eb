// The form page "FORMDLG" ("Maske"): the ten data-entry forms of the project, edited in
// a working copy that the sheet's OK commits.
#pragma once

#include "editor/dialog_access.h"
#include "editor/form_working_copy.h"
#include "editor/property_sheet.h"

namespace kest::editor {

class FormPage final : public SheetPage {
public:
    explicit FormPage(FormDetailDialogs& dialogs) : dialogs_(dialogs) {}

    // SheetPage
    void load(const Project& project) override;
    // All ten forms back into the project, the project marked modified, the forms
    // normalised.
    void commit(Project& project, EditorState& state) override;
    // Prepare forms for simulation and the restart, once every page has committed.
    void follow_up(Project& project, EditorState& state, SheetHost& host) override;

    void init(DialogAccess& dialog);
    DialogResult command(DialogAccess& dialog, int id);

    const FormWorkingCopy& working_copy() const { return copy_; }

private:
    FormDetailDialogs& dialogs_;
    FormWorkingCopy copy_;
};

}  // namespace kest::editor
