// Ctrl+C and SIGTERM during a kest transfer: the transfer stops between two packets, the
// port is closed, the command says what the terminal now holds and ends with status 130.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "tests/integration/kestemu_process.h"
#include "tests/integration/run_tool.h"
#include "tests/support/srec_text.h"

namespace kest::testing {
namespace {

// kest in the background, its stderr in a file.
class Background {
public:
    explicit Background(const std::vector<std::string>& args) {
        std::vector<std::string> argv{tool_path("KEST_BIN")};
        argv.insert(argv.end(), args.begin(), args.end());
        err_ = dir_.file("err");
        pid_ = fork();
        if (pid_ == 0) {
            const int fd = ::open(err_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            dup2(fd, STDERR_FILENO);
            const int null = ::open("/dev/null", O_RDWR);
            dup2(null, STDIN_FILENO);
            dup2(null, STDOUT_FILENO);
            std::vector<char*> raw;
            for (auto& a : argv) raw.push_back(a.data());
            raw.push_back(nullptr);
            execv(raw[0], raw.data());
            _exit(127);
        }
    }
    ~Background() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
    }

    // Waits until stderr holds count lines with the text (a traced write: "PC>").
    bool wait_for(const std::string& text, int count) {
        for (int i = 0; i < 1500; ++i) {
            const std::string err = slurp(err_);
            int found = 0;
            for (auto at = err.find(text); at != std::string::npos; at = err.find(text, at + 1)) ++found;
            if (found >= count) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return false;
    }
    // Sends the signal and waits up to 20 s for the end; the exit status or -1.
    int stop(int signal) {
        kill(pid_, signal);
        for (int i = 0; i < 2000; ++i) {
            int status = 0;
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return -1;
    }
    std::string err() const { return slurp(err_); }

private:
    TempDir dir_;
    std::string err_;
    pid_t pid_ = -1;
};

TEST(KestInterrupt, TransfersStopBetweenPacketsAndSayWhatTheTerminalHolds) {
    TempDir dir;
    std::vector<std::uint8_t> program(16 * 1024);
    for (std::size_t i = 0; i < program.size(); ++i) program[i] = static_cast<std::uint8_t>(i * 7);
    const std::string shx = srec_lines('3', 0x10000, program, 32) + srec_line('7', 0, {});
    TempDir::write(dir.file("big.shx"), std::vector<unsigned char>(shx.begin(), shx.end()));
    ASSERT_EQ(run_tool(tool_path("KEST_BIN"), {"new", dir.file("p.agx")}).status, 0);
    std::string records;
    for (int i = 0; i < 300; ++i) records += "Datensatz " + std::to_string(i) + ";4711;12\r\n";
    TempDir::write(dir.file("records.txt"), std::vector<unsigned char>(records.begin(), records.end()));

    const struct {
        const char* name;
        std::vector<std::string> args;  // besides --port and the common options
        int signal;
        std::string said;
    } cases[] = {
        {"flash",
         {"flash", dir.file("big.shx"), "--no-cradle"},
         SIGINT,
         "kest flash: interrupted: the flash is incomplete and the terminal waits in its loader"},
        {"download",
         {"download", dir.file("p.agx")},
         SIGTERM,
         "the terminal may hold an incomplete application: run the download again"},
        {"upload",
         {"upload", "-o", dir.file("data.txt")},
         SIGINT,
         "received into " + dir.file("data.txt") +
             "; the terminal keeps the records it did not send: kest upload --append -o " + dir.file("data.txt") +
             " adds them to the file"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        KestemuProcess emulator({"--direct", "--pace", "--records", dir.file("records.txt")});
        ASSERT_TRUE(emulator.ok());
        std::vector<std::string> args = c.args;
        args.insert(args.end(), {"--port", emulator.link(), "--baud", "9600", "--trace"});
        Background kest(args);
        ASSERT_TRUE(kest.wait_for("PC>", 8)) << kest.err();
        EXPECT_EQ(kest.stop(c.signal), 130) << kest.err();
        const std::string err = kest.err();
        EXPECT_NE(err.find(c.said), std::string::npos) << err;
        EXPECT_NE(err.rfind("close"), std::string::npos) << "the port was closed";
    }
    // The upload kept what it received, each record whole.
    const std::string data = slurp(dir.file("data.txt"));
    EXPECT_FALSE(data.empty());
    EXPECT_EQ(records.compare(0, data.size(), data), 0);
}

}  // namespace
}  // namespace kest::testing
