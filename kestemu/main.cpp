// kestemu: the terminal and its infrared cradle on a pseudo-terminal, so that the PC tools
// can be tried, demonstrated and tested without hardware.
#include <unistd.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>

#include "common/bounded_read.h"
#include "common/exit_status.h"
#include "common/file_problem.h"
#include "common/output_file.h"
#include "common/version.h"
#include "kestemu/line_loop.h"
#include "kestemu/options.h"
#include "platform/file_steps.h"

namespace {

using namespace kest;
using namespace kest::emu;

volatile std::sig_atomic_t gStop = 0;
volatile std::sig_atomic_t gPresent = 1;
int gWakePipe[2] = {-1, -1};

void wake() {
    const char byte = 0;
    [[maybe_unused]] auto n = ::write(gWakePipe[1], &byte, 1);
}

void on_signal(int) {
    gStop = 1;
    wake();
}

// SIGUSR1 takes the terminal out of its cradle, SIGUSR2 puts it back.
void on_presence(int signal) {
    gPresent = signal == SIGUSR2;
    wake();
}

// The terminal collects no more records than its flash memory holds.
constexpr std::size_t kRecordsLimit = 16 * 1024 * 1024;

// The records file, or why it cannot be used.
std::optional<Bytes> read_records(const std::string& path, std::string& problem) {
    Bytes bytes;
    switch (read_bounded(path, kRecordsLimit, bytes)) {
    case BoundedRead::Ok: return bytes;
    case BoundedRead::CannotRead:
        problem = "cannot read the records file " + path + ": " + read_problem(path, "a records file");
        break;
    case BoundedRead::TooLarge: problem = "the records file " + path + " is larger than 16 MiB"; break;
    }
    return std::nullopt;
}

int usage_error(const std::string& message) {
    std::cerr << "kestemu: " << message << "\n(kestemu --help shows the options)\n";
    return kExitBadInput;
}

// SIGINT and SIGTERM end the loop through the wake-up pipe; SIGUSR1 and SIGUSR2 take the
// terminal out and put it back.
bool catch_signals() {
    if (pipe(gWakePipe) != 0) {
        std::perror("kestemu: pipe");
        return false;
    }
    struct sigaction action {};
    action.sa_handler = on_signal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    action.sa_handler = on_presence;
    sigaction(SIGUSR1, &action, nullptr);
    sigaction(SIGUSR2, &action, nullptr);
    signal(SIGPIPE, SIG_IGN);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const ParsedOptions parsed = parse_options(std::vector<std::string>(argv + 1, argv + argc));
    if (parsed.help) {
        std::cout << usage_text();
        return kExitOk;
    }
    if (parsed.version) {
        std::cout << "kestemu " KEST_VERSION "\n";
        return kExitOk;
    }
    if (!parsed.run) return usage_error(parsed.error);
    RunOptions run = *parsed.run;

    const Micros start = now_micros();
    EventLog log;
    if (run.verbose)
        log = [start](const std::string& line) {
            std::fprintf(stderr, "kestemu %8.3f: %s\n", double(now_micros() - start) / 1e6, line.c_str());
        };

    if (run.recordsPath) {
        const std::string& path = *run.recordsPath;
        std::error_code ec;
        if (std::filesystem::symlink_status(path, ec).type() == std::filesystem::file_type::not_found) {
            // A terminal without collected records: the file is there for records to be added.
            int error = 0;
            const OutputProblem problem = write_output_file(path, {}, OutputRules{}, system_file_steps(), &error);
            if (problem != OutputProblem::None) {
                const std::string why = create_problem(path, error);
                std::cerr << "kestemu: the records file " << path << " " << problem_text(problem)
                          << (why.empty() ? "" : ": " + why) << "\n";
                return kExitBadInput;
            }
            std::cerr << "kestemu: " << path
                      << " did not exist: created it empty (the terminal uploads its lines, one record each)\n";
        }
        std::string problem;
        if (!read_records(path, problem)) {
            std::cerr << "kestemu: " << problem << "\n";
            return kExitBadInput;
        }
        run.emulator.terminal.records = [path = *run.recordsPath, log]() {
            std::string problem;
            const auto text = read_records(path, problem);
            if (!text) {
                if (log) log(problem);
                return std::vector<Bytes>{};
            }
            return split_records(*text);
        };
    }

    std::unique_ptr<StateSink> state;
    if (run.stateFolder) {
        std::error_code ec;
        std::filesystem::create_directories(*run.stateFolder, ec);
        if (ec || !std::filesystem::is_directory(*run.stateFolder)) {
            const std::string folder = std::filesystem::path(*run.stateFolder).parent_path().string();
            std::cerr << "kestemu: cannot use the state folder " << *run.stateFolder << ": "
                      << (ec ? system_problem(ec.value(), folder) : "it is not a folder") << "\n";
            return kExitBadInput;
        }
        state = std::make_unique<FolderStateSink>(*run.stateFolder, system_file_steps());
    } else {
        state = std::make_unique<DiscardingStateSink>();
    }

    if (!catch_signals()) return kExitLinkSetup;
#ifdef __linux__
    // Paced bytes are due to the microsecond; the default timer slack would add ~50 us a wait.
    if (run.emulator.pace) prctl(PR_SET_TIMERSLACK, 1UL);
#endif

    PtyTransport line;
    std::string error;
    if (!line.open(run.linkPath, error)) {
        std::cerr << "kestemu: " << error << "\n";
        return kExitLinkSetup;
    }
    FaultInjector faults(run.faults, run.seed);
    Emulator emulator(run.emulator, *state, faults, log);
    if (log)
        log("device " + line.device() +
            (run.emulator.direct ? ", direct cable" : ", cradle at " + std::to_string(run.emulator.cradleRate)));
    std::cout << "kestemu: ready on " << run.linkPath << std::endl;

    run_line(line, emulator, gWakePipe[0], gStop, gPresent, log, run.trace);
    emulator.finish();
    if (log) log("stopped");
    return kExitOk;
}
