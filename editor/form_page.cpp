#include "editor/form_page.h"

#include "project/rules.h"

namespace kest::editor {

void FormPage::load(const Project& project) {
    for (int i = 0; i < kFormCount; ++i) copy_.forms[i] = project.forms[i];
}

void FormPage::commit(Project& project, EditorState& state) {
    for (int i = 0; i < kFormCount; ++i) project.forms[i] = copy_.forms[i];
    state.modified = true;
    normalise_forms(project);
}

void FormPage::follow_up(Project&, EditorState&, SheetHost& host) {
    host.prepare_forms();
    host.restart_simulation();
}

void FormPage::init(DialogAccess&) {}

DialogResult FormPage::command(DialogAccess&, int) { return DialogResult::Stay; }

}  // namespace kest::editor
