// The user-interface service of the command-line tool: messages on stderr (UTF-8),
// a progress line and counter on a terminal (not with --quiet), questions answered from a
// budget of "yes" answers (--retries) or, when interactive and no budget was given, at the
// terminal. What it shows goes through a ConsoleOutput: standard error of one transfer, or
// the port's share of the console of several.
#pragma once

#include <chrono>
#include <optional>

#include "common/progress_line.h"
#include "kest/console_output.h"
#include "platform/user_interface.h"

namespace kest::cli {

class ConsoleUi final : public UserInterface {
public:
    // yesBudget: how many Yes/No questions are answered Yes; nothing = ask when stdin is
    // a terminal, else answer No.
    explicit ConsoleUi(ConsoleOutput& out, std::optional<int> yesBudget = std::nullopt);

    Answer message(const std::string& text, const std::string& caption, Icon icon, Buttons buttons) override;
    std::optional<std::string> choose_open_file(const FileDialogRequest& request) override;
    std::optional<std::string> choose_save_file(const FileDialogRequest& request) override;
    void progress_begin(const std::string& caption, const std::string& text) override;
    void progress_set(int percent) override;
    void progress_end() override;
    void progress_amount(std::uint64_t done, std::uint64_t total, const char* unit) override;
    void status_begin(const std::string& caption, const std::string& text) override;
    void status_end() override;
    void counter_box(int mode, int count) override;
    bool open_viewer(const std::string& path) override;

    // Answer for the file dialogs (the command line names the file).
    void set_file_choice(std::optional<std::string> path) { file_ = std::move(path); }
    // No progress line, no counter, no status line (--quiet).
    void set_quiet(bool quiet) { quiet_ = quiet; }
    // Texts of the messages shown so far (Windows-1252), for the command's summary.
    const std::string& last_message() const { return last_; }

private:
    ConsoleOutput* out_;
    std::optional<int> yesBudget_;
    std::optional<std::string> file_;
    std::string last_;
    bool shows_progress() const { return out_->live_lines() && !quiet_; }
    // Redraws the progress line: at once when `now` is set, else at most every 100 ms.
    void draw(bool now);
    // Ends a line left open on the terminal, so that what follows starts below it.
    void end_line();

    bool quiet_ = false;
    enum class Shown { Nothing, Progress, Other };  // what the live line holds
    Shown shown_ = Shown::Nothing;
    ProgressState progress_;
    std::chrono::steady_clock::time_point started_;
    std::chrono::steady_clock::time_point drawn_;
};

// UTF-8 text as the console shows it (the ANSI code page on Windows).
std::string console_utf8(const std::string& text);

bool stderr_is_terminal();
bool stdin_is_terminal();

}  // namespace kest::cli
