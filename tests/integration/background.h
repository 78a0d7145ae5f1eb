// kest in the background for the tests that act while it runs (an interrupt, a terminal
// taken out of its cradle): its standard output and standard error in files.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "tests/integration/run_tool.h"

namespace kest::testing {

class Background {
public:
    explicit Background(const std::vector<std::string>& args) {
        std::vector<std::string> argv{tool_path("KEST_BIN")};
        argv.insert(argv.end(), args.begin(), args.end());
        err_ = dir_.file("err");
        out_ = dir_.file("out");
        pid_ = fork();
        if (pid_ == 0) {
            dup2(::open(err_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), STDERR_FILENO);
            dup2(::open(out_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), STDOUT_FILENO);
            dup2(::open("/dev/null", O_RDWR), STDIN_FILENO);
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

    // How often text stands in stderr.
    int count(const std::string& text) const {
        const std::string err = slurp(err_);
        int found = 0;
        for (auto at = err.find(text); at != std::string::npos; at = err.find(text, at + 1)) ++found;
        return found;
    }
    // Waits up to 30 s until stderr holds count lines with the text (a traced write: "PC>").
    bool wait_for(const std::string& text, int count) const {
        for (int i = 0; i < 1500; ++i) {
            if (this->count(text) >= count) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return false;
    }
    // Sends the signal (0: none, only waits) and waits up to 20 s for the end; the exit status or -1.
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
    std::string out() const { return slurp(out_); }

private:
    TempDir dir_;
    std::string err_;
    std::string out_;
    pid_t pid_ = -1;
};

}  // namespace kest::testing
