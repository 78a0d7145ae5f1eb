#include "kest/console_ui.h"

#include <cstdio>
#include <iostream>
#include <string>

#ifdef _WIN32
#include <io.h>
#define KEST_ISATTY _isatty
#else
#include <unistd.h>
#define KEST_ISATTY isatty
#endif

#include "common/cp1252.h"

namespace kest::cli {

bool stderr_is_terminal() { return KEST_ISATTY(2) != 0; }
bool stdin_is_terminal() { return KEST_ISATTY(0) != 0; }

namespace {
std::string console_text(const std::string& text) {
#ifdef _WIN32
    return text;  // the console shows the ANSI code page
#else
    return cp1252_to_utf8(text);
#endif
}
}  // namespace

std::string console_utf8(const std::string& text) {
#ifdef _WIN32
    return utf8_to_cp1252(text);
#else
    return text;
#endif
}

ConsoleUi::ConsoleUi(ConsoleOutput& out, std::optional<int> yesBudget) : out_(&out), yesBudget_(yesBudget) {}

// With --quiet the program's boxes stay unseen (the command's own line says what failed)
// and so do the questions answered without asking; a question asked at the terminal shows.
Answer ConsoleUi::message(const std::string& text, const std::string& caption, Icon, Buttons buttons) {
    last_ = text;
    const Answer yes = buttons == Buttons::OkCancel ? Answer::Ok : Answer::Yes;
    const Answer no = buttons == Buttons::OkCancel ? Answer::Cancel : Answer::No;
    std::optional<Answer> given;
    if (buttons == Buttons::Ok) {
        given = Answer::Ok;
    } else if (yesBudget_) {
        given = *yesBudget_ > 0 ? yes : no;
        if (*yesBudget_ > 0) --*yesBudget_;
    } else if (!stdin_is_terminal()) {
        given = no;
    }
    if (given && quiet_) return *given;

    if (shown_ == Shown::Progress) draw(true);  // where the transfer stood
    end_line();
    std::string shown = console_text(caption) + ": " + console_text(text);
    for (auto& c : shown)
        if (c == '\n') c = ' ';
    if (given) {
        out_->line(shown + (buttons == Buttons::Ok ? "" : *given == no ? " [no]" : " [yes]"));
        return *given;
    }
    const auto line = out_->ask(shown + " [y/n] ");
    if (!line) return no;
    return (!line->empty() && ((*line)[0] == 'y' || (*line)[0] == 'Y' || (*line)[0] == 'j' || (*line)[0] == 'J')) ? yes
                                                                                                                  : no;
}

std::optional<std::string> ConsoleUi::choose_open_file(const FileDialogRequest&) { return file_; }
std::optional<std::string> ConsoleUi::choose_save_file(const FileDialogRequest&) { return file_; }

void ConsoleUi::progress_begin(const std::string&, const std::string&) {
    progress_ = ProgressState{};
    started_ = std::chrono::steady_clock::now();
}

void ConsoleUi::progress_set(int percent) {
    if (percent == progress_.percent) return;
    progress_.percent = percent;
    if (progress_.total == 0) draw(false);
}

void ConsoleUi::progress_amount(std::uint64_t done, std::uint64_t total, const char* unit) {
    progress_.done = done;
    progress_.total = total;
    progress_.unit = unit;
    draw(done >= total);
}

void ConsoleUi::draw(bool now) {
    if (!shows_progress()) return;
    const auto at = std::chrono::steady_clock::now();
    if (!now && shown_ == Shown::Progress && at - drawn_ < std::chrono::milliseconds(100)) return;
    drawn_ = at;
    progress_.elapsedMs =
        static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(at - started_).count());
    out_->live(progress_line(progress_));
    shown_ = Shown::Progress;
}

void ConsoleUi::end_line() {
    if (shown_ != Shown::Nothing) out_->settle();
    shown_ = Shown::Nothing;
}

// The line is left as it stood at the end, and the next output starts below it.
void ConsoleUi::progress_end() {
    if (shown_ == Shown::Progress) draw(true);
    end_line();
}

// A status window ("Erasing flash memory...") is one line on a terminal while it lasts.
void ConsoleUi::status_begin(const std::string&, const std::string& text) {
    if (!shows_progress()) return;
    out_->live(console_text(text));
    shown_ = Shown::Other;
}

void ConsoleUi::status_end() { end_line(); }

void ConsoleUi::counter_box(int mode, int count) {
    if (!shows_progress()) return;
    if (mode == 1) {
        out_->live("Daten empfangen : " + std::to_string(count));
        shown_ = Shown::Other;
    } else if (mode == 2) {
        end_line();
    }
}

bool ConsoleUi::open_viewer(const std::string&) { return false; }

}  // namespace kest::cli
