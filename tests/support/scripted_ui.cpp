#include "tests/support/scripted_ui.h"

namespace kest::testing {

Answer ScriptedUi::message(const std::string& text, const std::string& caption, Icon icon, Buttons buttons) {
    messages.push_back({text, caption, icon, buttons});
    if (buttons == Buttons::Ok) return Answer::Ok;
    if (answers.empty()) return buttons == Buttons::OkCancel ? Answer::Cancel : Answer::No;
    Answer a = answers.front();
    answers.pop_front();
    return a;
}

std::optional<std::string> ScriptedUi::choose_open_file(const FileDialogRequest& request) {
    dialogs.push_back(request);
    if (openFiles.empty()) return std::nullopt;
    auto f = openFiles.front();
    openFiles.pop_front();
    return f;
}

std::optional<std::string> ScriptedUi::choose_save_file(const FileDialogRequest& request) {
    dialogs.push_back(request);
    if (saveFiles.empty()) return std::nullopt;
    auto f = saveFiles.front();
    saveFiles.pop_front();
    return f;
}

void ScriptedUi::progress_begin(const std::string&, const std::string&) {
    ++progressWindows;
    progressOpen = true;
}
void ScriptedUi::progress_set(int percent) { progress.push_back(percent); }
void ScriptedUi::progress_end() { progressOpen = false; }
void ScriptedUi::counter_box(int mode, int count) { counterCalls.emplace_back(mode, count); }
bool ScriptedUi::open_viewer(const std::string& path) {
    viewed.push_back(path);
    return viewerResult;
}

std::vector<std::string> ScriptedUi::texts() const {
    std::vector<std::string> out;
    for (const auto& m : messages) out.push_back(m.text);
    return out;
}

}  // namespace kest::testing
