// The user-interface service of the command-line tool: messages on stderr (UTF-8),
// a progress bar and counter on a terminal, questions answered from a budget of "yes"
// answers (--retries) or, when interactive and no budget was given, at the terminal.
#pragma once

#include <optional>

#include "platform/user_interface.h"

namespace kest::cli {

class ConsoleUi final : public UserInterface {
public:
    // yesBudget: how many Yes/No questions are answered Yes; nothing = ask when stdin is
    // a terminal, else answer No.
    explicit ConsoleUi(std::optional<int> yesBudget = std::nullopt);

    Answer message(const std::string& text, const std::string& caption, Icon icon,
                   Buttons buttons) override;
    std::optional<std::string> choose_open_file(const FileDialogRequest& request) override;
    std::optional<std::string> choose_save_file(const FileDialogRequest& request) override;
    void progress_begin(const std::string& caption, const std::string& text) override;
    void progress_set(int percent) override;
    void progress_end() override;
    void status_begin(const std::string& caption, const std::string& text) override;
    void status_end() override;
    void counter_box(int mode, int count) override;
    bool open_viewer(const std::string& path) override;

    // Answer for the file dialogs (the command line names the file).
    void set_file_choice(std::optional<std::string> path) { file_ = std::move(path); }
    // Texts of the messages shown so far (Windows-1252), for the command's summary.
    const std::string& last_message() const { return last_; }

private:
    std::optional<int> yesBudget_;
    std::optional<std::string> file_;
    std::string last_;
    bool tty_ = false;
    bool progressShown_ = false;
    int lastPercent_ = -1;
};

bool stderr_is_terminal();
bool stdin_is_terminal();

}  // namespace kest::cli
