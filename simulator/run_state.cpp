#include "simulator/run_state.h"

#include "project/rules.h"

namespace kest::sim {
namespace {

// A line without input of its own shows no prompt once the program has started.
bool prompt_cleared(const FormRecord& form, int line) {
    return form.lineType[line] == kFieldEmpty || form.lineType[line] == kFieldContinuation;
}

constexpr char kNoPrompt[kCell20] = {};

}  // namespace

void RunState::enter_menu(int menu) {
    currentItem_[menu] = 0;
    runtime_[menu] = 0;
}

const char* RunState::prompt(int form, int line) const {
    const FormRecord& f = project_.forms[form];
    return cleared_[form] && prompt_cleared(f, line) ? kNoPrompt : f.prompt[line];
}

void RunState::recount() {
    for (int k = 0; k < kMenuCount; ++k) itemCount_[k] = static_cast<u8>(count_menu_items(project_.menus[k]));
    for (int k = 0; k < kFormCount; ++k) {
        entryLineCount_[k] = static_cast<u8>(count_entry_lines(project_.forms[k]));
        cleared_[k] = true;
    }
}

void RunState::put_into(Project& project) const {
    for (int k = 0; k < kMenuCount; ++k) {
        MenuRecord& m = project.menus[k];
        m.itemCount = itemCount_[k].value_or(m.itemCount);
        m.currentItem = currentItem_[k].value_or(m.currentItem);
        m.runtime = runtime_[k].value_or(m.runtime);
    }
    for (int k = 0; k < kFormCount; ++k) {
        FormRecord& f = project.forms[k];
        if (cleared_[k])
            for (int line = 0; line < kFormLines; ++line) clear_line_by_type(f, line);
        f.entryLineCount = entryLineCount_[k].value_or(f.entryLineCount);
        f.currentLine = currentLine_[k].value_or(f.currentLine);
    }
}

void RunState::forget() {
    itemCount_ = {}, currentItem_ = {}, runtime_ = {};
    entryLineCount_ = {}, currentLine_ = {};
    cleared_ = {};
}

}  // namespace kest::sim
