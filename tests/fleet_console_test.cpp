#include <gtest/gtest.h>

#include <iostream>
#include <map>
#include <sstream>
#include <thread>

#include "kest/console_output.h"

namespace kest::cli {
namespace {

// What a terminal shows after the bytes: printable characters overwrite, CR and LF move as
// on a tty, and the cursor movements and erasures the console uses (ESC [ n A / B, K, J).
std::vector<std::string> screen(const std::string& bytes) {
    std::vector<std::string> lines(1);
    std::size_t row = 0, col = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c == '\r') {
            col = 0;
        } else if (c == '\n') {
            if (++row == lines.size()) lines.emplace_back();
            col = 0;
        } else if (c == '\x1b') {
            std::size_t n = 0, at = i + 2;
            while (std::isdigit(static_cast<unsigned char>(bytes[at]))) n = n * 10 + (bytes[at++] - '0');
            switch (bytes[at]) {
            case 'A': row -= std::min(row, n); break;
            case 'B': row = std::min(row + n, lines.size() - 1); break;
            case 'K': lines[row].resize(std::min(lines[row].size(), col)); break;
            case 'J':
                lines[row].resize(std::min(lines[row].size(), col));
                lines.resize(row + 1);
                break;
            default: ADD_FAILURE() << "unknown sequence " << bytes[at];
            }
            i = at;
        } else {
            if (lines[row].size() <= col) lines[row].resize(col + 1, ' ');
            lines[row][col++] = c;
        }
    }
    if (lines.back().empty()) lines.pop_back();
    return lines;
}

// Captures standard error and standard output for the life of the object.
struct Captured {
    std::ostringstream err, out;
    std::streambuf* oldErr = std::cerr.rdbuf(err.rdbuf());
    std::streambuf* oldOut = std::cout.rdbuf(out.rdbuf());
    ~Captured() {
        std::cerr.rdbuf(oldErr);
        std::cout.rdbuf(oldOut);
    }
};

// Four ports write at once. Whatever the order their threads meet in, the terminal ends up
// showing each message once, in each port's order, with its port before it, then one live
// line per port with the last text that port gave it, then what came after the transfers.
TEST(FleetConsole, MessagesStandAboveOneLiveLinePerPort) {
    const std::vector<std::string> names{"ttyUSB0", "ttyUSB1", "a/tty", "b/tty"};
    for (const bool live : {true, false}) {
        SCOPED_TRACE(live ? "on a terminal" : "in a pipe");
        std::string err;
        {
            Captured captured;
            {
                FleetConsole console(names, live, 80);
                std::vector<std::thread> threads;
                for (std::size_t i = 0; i < names.size(); ++i)
                    threads.emplace_back([&console, i] {
                        ConsoleOutput& out = console.port(i);
                        for (int k = 0; k < 200; ++k) {
                            out.live("[" + std::string(k % 20, '#') + "] " + std::to_string(k));
                            if (k % 37 == 0) out.line("message " + std::to_string(k));
                            if (k % 50 == 0) console.port_stream(i) << "PC> step " << k << "\n";
                        }
                        out.live("done " + std::to_string(i));
                    });
                for (auto& t : threads) t.join();
                console.finish();
                console.line("summary", false);
            }
            err = captured.err.str();
        }
        const std::vector<std::string> shown = screen(err);
        std::map<std::string, std::vector<std::string>> byPort;
        std::size_t at = 0;
        for (; at < shown.size(); ++at) {
            const auto colon = shown[at].find(": ");
            if (colon == std::string::npos) break;
            byPort[shown[at].substr(0, colon)].push_back(shown[at].substr(colon + 2));
        }
        for (const auto& name : names) {
            std::vector<std::string> expected;
            for (int k = 0; k < 200; ++k) {
                if (k % 37 == 0) expected.push_back("message " + std::to_string(k));
                if (k % 50 == 0) expected.push_back("PC> step " + std::to_string(k));
            }
            EXPECT_EQ(byPort[name], expected) << name;
        }
        if (live) {
            ASSERT_EQ(shown.size(), at + names.size() + 1) << err;
            for (std::size_t i = 0; i < names.size(); ++i)
                EXPECT_EQ(shown[at + i], FleetConsole::block_line(names[i], 7, "done " + std::to_string(i), 80));
        } else {
            ASSERT_EQ(shown.size(), at + 1) << "no live lines in a pipe";
            EXPECT_EQ(err.find('\x1b'), std::string::npos);
        }
        EXPECT_EQ(shown.back(), "summary");
    }
}

TEST(FleetConsole, LiveLinesAreCutToTheTerminalsWidth) {
    EXPECT_EQ(FleetConsole::block_line("a", 4, "[####]  50%", 80), "a     [####]  50%");
    EXPECT_EQ(FleetConsole::block_line("ttyUSB0", 7, std::string(100, '#'), 40).size(), 39u);
    // A character of several bytes counts once.
    EXPECT_EQ(FleetConsole::block_line("a", 1, "\xC3\xA4\xC3\xA4\xC3\xA4", 6), "a  \xC3\xA4\xC3\xA4");
}

}  // namespace
}  // namespace kest::cli
