#include "kest/console_output.h"

#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <streambuf>
#include <utility>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <sys/ioctl.h>
#include <unistd.h>
#endif

#include "kest/console_ui.h"

namespace kest::cli {

bool terminal_takes_cursor_moves() {
#ifdef _WIN32
    if (_isatty(2) == 0) return false;
    const HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
    DWORD mode = 0;
    if (!GetConsoleMode(err, &mode)) return false;
    return (mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0 ||
           SetConsoleMode(err, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0;
#else
    const char* term = std::getenv("TERM");
    return isatty(2) != 0 && !(term && std::string(term) == "dumb");
#endif
}

std::size_t terminal_width() {
#ifdef _WIN32
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (GetConsoleScreenBufferInfo(GetStdHandle(STD_ERROR_HANDLE), &info))
        return static_cast<std::size_t>(info.srWindow.Right - info.srWindow.Left + 1);
#else
    winsize size{};
    if (ioctl(2, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
#endif
    return 80;
}

// ------------------------------------------------------------ one transfer

bool StderrOutput::live_lines() const { return stderr_is_terminal(); }

void StderrOutput::live(const std::string& text) {
    std::string shown = text;
    // Blanks over what a longer line before left behind.
    if (shown.size() < drawn_) shown.append(drawn_ - shown.size(), ' ');
    drawn_ = text.size();
    std::cerr << "\r" << shown << std::flush;
    open_ = true;
}

void StderrOutput::settle() {
    if (open_) std::cerr << "\n";
    open_ = false;
    drawn_ = 0;
}

void StderrOutput::line(const std::string& text, bool result) {
    settle();
    (result ? std::cout : std::cerr) << text << "\n";
}

std::optional<std::string> StderrOutput::ask(const std::string& question) {
    settle();
    std::cerr << question << std::flush;
    std::string answer;
    if (!std::getline(std::cin, answer)) return std::nullopt;
    return answer;
}

// ------------------------------------------------------------ several transfers

class FleetConsole::Port final : public ConsoleOutput {
public:
    Port(FleetConsole& console, std::size_t index) : console_(console), index_(index) {}
    bool live_lines() const override { return console_.live_; }
    void live(const std::string& text) override { console_.live(index_, text); }
    // Every port keeps its line in the block until the end.
    void settle() override {}
    void line(const std::string& text, bool result) override { console_.line(index_, text, result); }
    std::optional<std::string> ask(const std::string& question) override { return console_.ask(index_, question); }

private:
    FleetConsole& console_;
    std::size_t index_;
};

// Collects what a port's -v and --trace write, and hands it on line by line.
class FleetConsole::Lines final : public std::streambuf {
public:
    Lines(FleetConsole& console, std::size_t index) : console_(console), index_(index) {}

protected:
    int_type overflow(int_type c) override {
        if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
        if (traits_type::to_char_type(c) == '\n') {
            console_.line(index_, pending_, false);
            pending_.clear();
        } else {
            pending_ += traits_type::to_char_type(c);
        }
        return c;
    }

private:
    FleetConsole& console_;
    std::size_t index_;
    std::string pending_;
};

FleetConsole::FleetConsole(std::vector<std::string> names, bool live, std::size_t width)
    : names_(std::move(names)), live_(live), width_(width ? width : terminal_width()), texts_(names_.size()) {
    for (const auto& n : names_) nameWidth_ = std::max(nameWidth_, n.size());
    for (std::size_t i = 0; i < names_.size(); ++i) {
        ports_.push_back(std::make_unique<Port>(*this, i));
        buffers_.push_back(std::make_unique<Lines>(*this, i));
        streams_.push_back(std::make_unique<std::ostream>(buffers_.back().get()));
    }
}

FleetConsole::~FleetConsole() { finish(); }

ConsoleOutput& FleetConsole::port(std::size_t i) { return *ports_[i]; }

std::string FleetConsole::block_line(const std::string& name, std::size_t nameWidth, const std::string& text,
                                     std::size_t width) {
    std::string line = name + std::string(nameWidth > name.size() ? nameWidth - name.size() : 0, ' ') + "  " + text;
    // The last column stays free: a full line would wrap on some terminals and move the block.
    std::size_t characters = 0;
    for (std::size_t at = 0; at < line.size(); ++at) {
        const bool continuation = (static_cast<unsigned char>(line[at]) & 0xC0) == 0x80;
        if (!continuation && ++characters >= width) {
            line.resize(at);
            break;
        }
    }
    return line;
}

void FleetConsole::live(std::size_t i, const std::string& text) {
    const std::lock_guard lock(screen_);
    texts_[i] = text;
    if (!live_ || asking_) return;
    if (blockShown_)
        draw_line(i);
    else
        draw_block();
    std::cerr << std::flush;
}

void FleetConsole::line(std::size_t i, const std::string& text, bool result) {
    const std::lock_guard lock(screen_);
    const std::string full = names_[i] + ": " + text;
    if (asking_)
        held_.emplace_back(full, result);
    else
        write(full, result);
}

void FleetConsole::line(const std::string& text, bool result) {
    const std::lock_guard lock(screen_);
    write(text, result);
}

std::optional<std::string> FleetConsole::ask(std::size_t i, const std::string& question) {
    const std::lock_guard one(question_);
    {
        const std::lock_guard lock(screen_);
        erase_block();
        std::cerr << names_[i] << ": " << question << std::flush;
        asking_ = true;
    }
    std::string answer;
    const bool answered = static_cast<bool>(std::getline(std::cin, answer));
    const std::lock_guard lock(screen_);
    if (!answered) std::cerr << "\n";
    asking_ = false;
    for (const auto& [text, result] : std::exchange(held_, {})) write(text, result);
    if (live_) {
        for (const auto& t : texts_)
            if (!t.empty()) {
                draw_block();
                break;
            }
        std::cerr << std::flush;
    }
    if (!answered) return std::nullopt;
    return answer;
}

void FleetConsole::finish() {
    const std::lock_guard lock(screen_);
    blockShown_ = false;  // it stays where it is
}

void FleetConsole::write(const std::string& text, bool result) {
    const bool shown = blockShown_;
    erase_block();
    if (result) {
        std::cerr << std::flush;
        std::cout << text << "\n" << std::flush;
    } else {
        std::cerr << text << "\n";
    }
    if (shown) draw_block();
    std::cerr << std::flush;
}

void FleetConsole::erase_block() {
    if (!blockShown_) return;
    std::cerr << "\x1b[" << names_.size() << "A\r\x1b[J";
    blockShown_ = false;
}

void FleetConsole::draw_block() {
    for (std::size_t i = 0; i < names_.size(); ++i)
        std::cerr << block_line(names_[i], nameWidth_, texts_[i], width_) << "\x1b[K\n";
    blockShown_ = true;
}

void FleetConsole::draw_line(std::size_t i) {
    const std::size_t up = names_.size() - i;
    std::cerr << "\x1b[" << up << "A\r" << block_line(names_[i], nameWidth_, texts_[i], width_) << "\x1b[K\x1b[" << up
              << "B\r";
}

}  // namespace kest::cli
