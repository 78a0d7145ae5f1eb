// The form page "FORMDLG" ("Maske"): the ten data-entry forms of the project, edited in
// a working copy that the sheet's OK commits. For the form shown it edits the font, the
// Esc and next targets, the lookup file and the record action, and per line the type,
// display text, source, minimum and maximum length and lookup column; "mehr..." and
// "Zeitzusatz" open the field detail dialogs on the working copy.
#pragma once

#include "editor/form_page_ids.h"
#include "editor/form_working_copy.h"
#include "editor/property_sheet.h"
#include "platform/dialog_access.h"
#include "project/rules.h"

namespace kest::editor {

// Which controls of a line a type enables (the type combo of a usable line always is).
struct LineControls {
    bool prompt, more, source, lookup, lengths;
};
LineControls line_rule(unsigned type);

// "Grundeinstellungen": the values every form gets (the form defaults, each form going on
// to form 1).
void reset_form(FormRecord& form);

class FormPage final : public SheetPage {
public:
    explicit FormPage(FormDetailDialogs& dialogs) : dialogs_(dialogs) {}

    // SheetPage
    void load(const Project& project) override;
    // All ten forms back into the project, the project marked modified, the forms
    // normalised.
    void commit(Project& project, EditorState& state) override;
    // Once every page has committed: the forms prepared for the simulation go into the
    // project, then the simulation is told and restarted.
    void follow_up(Project& project, EditorState& state, SheetHost& host) override;

    // Fills the lists and shows form 1.
    void init(DialogAccess& dialog);
    DialogResult command(DialogAccess& dialog, int id);

    const FormWorkingCopy& working_copy() const { return copy_; }

private:
    FormRecord& form() { return copy_.current(); }
    int text_limit() { return line_width(form().font); }
    // Puts the current form on the controls; `selectName` also selects it in "Name :".
    void show_form(DialogAccess& dialog, bool selectName);
    void show_prompt(DialogAccess& dialog, int line);
    void show_length(DialogAccess& dialog, int id, u8 value);
    // Enabling of one line by the line rule and the font rule.
    void enable_line(DialogAccess& dialog, int line);
    void apply_font_rule(DialogAccess& dialog);

    void prompt_changed(DialogAccess& dialog, int line);
    void length_changed(DialogAccess& dialog, int id, u8& length, int line);
    void type_changed(DialogAccess& dialog, int line);
    void font_changed(DialogAccess& dialog);
    void reset(DialogAccess& dialog);

    FormDetailDialogs& dialogs_;
    FormWorkingCopy copy_;
};

}  // namespace kest::editor
