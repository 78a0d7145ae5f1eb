#include "editor/main_commands.h"

#include <cstring>
#include <vector>

namespace kest::editor {

std::string project_argument(const std::string& commandLine) {
    const std::size_t start = commandLine.find_first_not_of(" \t");
    if (start == std::string::npos) return {};
    if (commandLine[start] == '"') {
        const std::size_t end = commandLine.find('"', start + 1);
        return commandLine.substr(start + 1, end == std::string::npos ? std::string::npos : end - start - 1);
    }
    const std::size_t end = commandLine.find_first_of(" \t", start);
    return commandLine.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

bool MainCommands::save_prompt() {
    if (!state_.modified) return true;
    switch (ui_.message(kSavePromptText, kSavePromptCaption, Icon::Warning, Buttons::YesNoCancel)) {
    case Answer::Yes:
        if (!host_.save_file()) return false;
        state_.modified = false;
        return true;
    case Answer::No: return true;
    default: return false;
    }
}

void MainCommands::reset_project() {
    state_.recordCount = 0;
    state_.modified = false;
    host_.set_defaults();
}

void MainCommands::new_project() {
    if (!save_prompt()) return;
    reset_project();
    state_.fileName.clear();
    edit();
}

void MainCommands::open_project() {
    if (!save_prompt()) return;
    reset_project();
    if (host_.open_file()) edit();
}

void MainCommands::save() {
    if (host_.save_file()) state_.modified = false;
}

void MainCommands::save_as() {
    if (host_.save_file_as()) state_.modified = false;
}

void MainCommands::edit() {
    std::vector<unsigned char> before(sizeof(Project));
    std::memcpy(before.data(), &project_, sizeof(Project));
    host_.run_sheet();
    if (std::memcmp(before.data(), &project_, sizeof(Project)) != 0) state_.modified = true;
}

bool MainCommands::close_request() { return save_prompt(); }

}  // namespace kest::editor
