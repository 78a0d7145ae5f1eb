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

ConsoleUi::ConsoleUi(std::optional<int> yesBudget)
    : yesBudget_(yesBudget), tty_(stderr_is_terminal()) {}

Answer ConsoleUi::message(const std::string& text, const std::string& caption, Icon,
                          Buttons buttons) {
    last_ = text;
    if (progressShown_) std::cerr << "\n";
    progressShown_ = false;
    std::string shown = console_text(text);
    for (auto& c : shown)
        if (c == '\n') c = ' ';
    std::cerr << console_text(caption) << ": " << shown;
    if (buttons == Buttons::Ok) {
        std::cerr << "\n";
        return Answer::Ok;
    }
    Answer yes = buttons == Buttons::OkCancel ? Answer::Ok : Answer::Yes;
    Answer no = buttons == Buttons::OkCancel ? Answer::Cancel : Answer::No;
    if (yesBudget_) {
        bool answer = *yesBudget_ > 0;
        if (answer) --*yesBudget_;
        std::cerr << (answer ? " [yes]\n" : " [no]\n");
        return answer ? yes : no;
    }
    if (!stdin_is_terminal()) {
        std::cerr << " [no]\n";
        return no;
    }
    std::cerr << " [y/n] " << std::flush;
    std::string line;
    if (!std::getline(std::cin, line)) return no;
    return (!line.empty() && (line[0] == 'y' || line[0] == 'Y' || line[0] == 'j' || line[0] == 'J')) ? yes : no;
}

std::optional<std::string> ConsoleUi::choose_open_file(const FileDialogRequest&) { return file_; }
std::optional<std::string> ConsoleUi::choose_save_file(const FileDialogRequest&) { return file_; }

void ConsoleUi::progress_begin(const std::string&, const std::string&) { lastPercent_ = -1; }

void ConsoleUi::progress_set(int percent) {
    if (!tty_ || percent == lastPercent_) return;
    lastPercent_ = percent;
    const int width = 40;
    const int filled = percent * width / 100;
    std::cerr << "\r[" << std::string(static_cast<std::size_t>(filled), '#')
              << std::string(static_cast<std::size_t>(width - filled), ' ') << "] " << percent << "%"
              << std::flush;
    progressShown_ = true;
}

void ConsoleUi::progress_end() {
    if (progressShown_) std::cerr << "\n";
    progressShown_ = false;
}

// A status window ("Erasing flash memory...") is one line on a terminal while it lasts.
void ConsoleUi::status_begin(const std::string&, const std::string& text) {
    if (!tty_) return;
    std::cerr << console_text(text) << std::flush;
    progressShown_ = true;
}

void ConsoleUi::status_end() { progress_end(); }

void ConsoleUi::counter_box(int mode, int count) {
    if (!tty_) return;
    if (mode == 1) {
        std::cerr << "\rDaten empfangen : " << count << std::flush;
        progressShown_ = true;
    } else if (mode == 2) {
        progress_end();
    }
}

bool ConsoleUi::open_viewer(const std::string&) { return false; }

}  // namespace kest::cli
