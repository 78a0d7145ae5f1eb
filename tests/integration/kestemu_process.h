// Starts kestemu for an integration test and stops it again: the emulator runs on its own
// pseudo-terminal, reachable through a link in a fresh temporary folder.
#pragma once

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace kest::testing {

class KestemuProcess {
public:
    // Starts kestemu (KESTEMU_BIN) with --link and --state in a new temporary folder plus the
    // given options, and waits up to 5 s for its ready line. ok() tells whether it came.
    explicit KestemuProcess(const std::vector<std::string>& options = {}) {
        const char* bin = std::getenv("KESTEMU_BIN");
        if (!bin) return;
        std::string pattern = (std::filesystem::temp_directory_path() / "kestemu-XXXXXX").string();
        if (!mkdtemp(pattern.data())) return;
        folder_ = pattern;
        link_ = (folder_ / "tty").string();
        std::vector<std::string> args{bin, "--link", link_, "--state", (folder_ / "state").string()};
        args.insert(args.end(), options.begin(), options.end());
        int out[2];
        if (pipe(out) != 0) return;
        pid_ = fork();
        if (pid_ == 0) {
            dup2(out[1], STDOUT_FILENO);
            ::close(out[0]);
            ::close(out[1]);
            std::vector<char*> argv;
            for (auto& a : args) argv.push_back(a.data());
            argv.push_back(nullptr);
            execv(argv[0], argv.data());
            _exit(127);
        }
        ::close(out[1]);
        std::string line;
        pollfd p{out[0], POLLIN, 0};
        while (line.find('\n') == std::string::npos && poll(&p, 1, 5000) > 0) {
            char buf[256];
            const ssize_t n = ::read(out[0], buf, sizeof buf);
            if (n <= 0) break;
            line.append(buf, static_cast<std::size_t>(n));
        }
        ::close(out[0]);
        ready_ = line == "kestemu: ready on " + link_ + "\n";
    }

    ~KestemuProcess() {
        stop();
        if (!folder_.empty()) std::filesystem::remove_all(folder_);
    }

    // Interrupts the emulator and returns its exit status (-1 when it did not run).
    int stop() {
        if (pid_ <= 0) return -1;
        kill(pid_, SIGTERM);
        int status = 0;
        waitpid(pid_, &status, 0);
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    bool ok() const { return ready_; }
    pid_t pid() const { return pid_; }
    const std::string& link() const { return link_; }
    std::filesystem::path state() const { return folder_ / "state"; }

private:
    std::filesystem::path folder_;
    std::string link_;
    pid_t pid_ = -1;
    bool ready_ = false;
};

}  // namespace kest::testing
