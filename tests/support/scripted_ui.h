// A user-interface double: records every message, answers questions and file dialogs
// from queues, and keeps the progress values and counter-box calls for inspection.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "platform/user_interface.h"

namespace kest::testing {

class ScriptedUi final : public UserInterface {
public:
    struct Message {
        std::string text;
        std::string caption;
        Icon icon;
        Buttons buttons;
    };

    std::deque<Answer> answers;                        // for questions; Ok/No when empty
    std::deque<std::optional<std::string>> openFiles;  // nothing = cancelled
    std::deque<std::optional<std::string>> saveFiles;
    std::vector<Message> messages;
    std::vector<FileDialogRequest> dialogs;
    std::vector<int> progress;                                     // every value set
    std::vector<std::pair<std::uint64_t, std::uint64_t>> amounts;  // (done, total) of every amount
    int progressWindows = 0;                                       // begin calls
    bool progressOpen = false;
    std::vector<std::pair<int, int>> counterCalls;  // (mode, count)
    std::vector<std::string> viewed;
    bool viewerResult = true;

    Answer message(const std::string& text, const std::string& caption, Icon icon, Buttons buttons) override;
    std::optional<std::string> choose_open_file(const FileDialogRequest& request) override;
    std::optional<std::string> choose_save_file(const FileDialogRequest& request) override;
    void progress_begin(const std::string& caption, const std::string& text) override;
    void progress_set(int percent) override;
    void progress_end() override;
    void progress_amount(std::uint64_t done, std::uint64_t total, const char*) override {
        amounts.emplace_back(done, total);
    }
    void counter_box(int mode, int count) override;
    bool open_viewer(const std::string& path) override;

    std::vector<std::string> texts() const;
};

}  // namespace kest::testing
