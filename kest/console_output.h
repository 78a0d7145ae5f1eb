// Where the console of a transfer writes: standard error as one transfer has it (the
// progress line redrawn with CR), or the writer that the transfers of several ports share,
// which puts each port's name before its lines and, on a terminal, keeps one live line per
// port in a block below the messages and redraws it in place.
#pragma once

#include <cstddef>
#include <memory>
#include <mutex>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace kest::cli {

class ConsoleOutput {
public:
    virtual ~ConsoleOutput() = default;
    // Whether a live line (progress, status, record counter) is shown at all.
    virtual bool live_lines() const = 0;
    // The transfer's live line, replaced in place.
    virtual void live(const std::string& text) = 0;
    // The live line stays as it stands; what follows goes below it.
    virtual void settle() = 0;
    // A whole line: a message on standard error, or a result on standard output.
    virtual void line(const std::string& text, bool result = false) = 0;
    // Shows the question and reads the answer from standard input (nothing at its end).
    virtual std::optional<std::string> ask(const std::string& question) = 0;
};

// Standard error of one transfer.
class StderrOutput final : public ConsoleOutput {
public:
    bool live_lines() const override;
    void live(const std::string& text) override;
    void settle() override;
    void line(const std::string& text, bool result) override;
    std::optional<std::string> ask(const std::string& question) override;

private:
    bool open_ = false;  // the terminal's current line holds a live line
    std::size_t drawn_ = 0;
};

// The console of several transfers at once, one per port, each in its own thread.
class FleetConsole {
public:
    // names: how each port is called in its lines; live: whether standard error shows live
    // lines (a terminal, and not --quiet); width: the terminal's (0: as it says).
    FleetConsole(std::vector<std::string> names, bool live, std::size_t width = 0);
    ~FleetConsole();

    // The output of port i, for its console user interface.
    ConsoleOutput& port(std::size_t i);
    // A stream whose lines go out as port i's (-v, --trace).
    std::ostream& port_stream(std::size_t i) { return *streams_[i]; }
    // A line of no port (the summary); the live block stays below it.
    void line(const std::string& text, bool result);
    // The live block stays on the screen as it stands; what follows goes below it.
    void finish();

    // Text of live lines as the block shows them, cut to the width of the terminal.
    static std::string block_line(const std::string& name, std::size_t nameWidth, const std::string& text,
                                  std::size_t width);

private:
    class Port;
    class Lines;
    friend class Port;

    void live(std::size_t i, const std::string& text);
    void line(std::size_t i, const std::string& text, bool result);
    std::optional<std::string> ask(std::size_t i, const std::string& question);
    // With the screen lock held:
    void write(const std::string& text, bool result);
    void erase_block();
    void draw_block();
    void draw_line(std::size_t i);

    std::vector<std::string> names_;
    std::size_t nameWidth_ = 0;
    bool live_;
    std::size_t width_;
    std::vector<std::unique_ptr<ConsoleOutput>> ports_;
    std::vector<std::unique_ptr<Lines>> buffers_;
    std::vector<std::unique_ptr<std::ostream>> streams_;
    std::mutex screen_;
    std::mutex question_;                             // one question at a time
    std::vector<std::string> texts_;                  // each port's live line
    bool blockShown_ = false;                         // the block is on the screen, the cursor below it
    bool asking_ = false;                             // a question waits for its answer
    std::vector<std::pair<std::string, bool>> held_;  // lines that came meanwhile
};

// Whether standard error is a terminal that takes cursor movements (on Windows, once they
// have been switched on for the console); its width in characters.
bool terminal_takes_cursor_moves();
std::size_t terminal_width();

}  // namespace kest::cli
