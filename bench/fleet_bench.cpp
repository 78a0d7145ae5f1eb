// Application download to N terminals at once (N = 1, 4, 16): kest download on N ports of
// kestemu --direct --pace at 115200 bit/s. Measured for kest alone (wait4 on its process):
// the wall time, against that for one terminal; its CPU time (user and system) as a share of
// the wall time per terminal; its peak resident memory. Best of a few runs each.
// Goals: wall time for N at most 1.10 times that for one, CPU at most 2 % of the wall time
// per terminal, memory at most 8 MiB plus 1 MiB per port.
// Run: build/bench/fleet_bench [RUNS] (finds kest and kestemu next to it, or KEST_BIN and
// KESTEMU_BIN).
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "tests/integration/kestemu_process.h"
#include "tests/support/temp_dir.h"

namespace {

using SteadyClock = std::chrono::steady_clock;

struct Run {
    bool ok = false;
    double wall = 0, cpu = 0;
    double peakMiB = 0;
};

// kest with these arguments, its output thrown away; what wait4 says of it.
Run run_kest(const std::string& kest, const std::vector<std::string>& args) {
    std::vector<std::string> argv{kest};
    argv.insert(argv.end(), args.begin(), args.end());
    const auto t0 = SteadyClock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        const int null = ::open("/dev/null", O_RDWR);
        dup2(null, STDIN_FILENO);
        dup2(null, STDOUT_FILENO);
        dup2(null, STDERR_FILENO);
        std::vector<char*> raw;
        for (auto& a : argv) raw.push_back(a.data());
        raw.push_back(nullptr);
        execv(raw[0], raw.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    Run r;
    if (pid < 0 || wait4(pid, &status, 0, &usage) != pid) return r;
    r.wall = std::chrono::duration<double>(SteadyClock::now() - t0).count();
    r.cpu = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
            static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    r.peakMiB = static_cast<double>(usage.ru_maxrss) / 1024.0;
    r.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return r;
}

std::string next_to_me(const char* name) {
    return (std::filesystem::read_symlink("/proc/self/exe").parent_path().parent_path() / name).string();
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    setenv("KESTEMU_BIN", next_to_me("kestemu").c_str(), 0);
    const char* kestEnv = std::getenv("KEST_BIN");
    const std::string kest = kestEnv ? kestEnv : next_to_me("kest");
    kest::testing::TempDir dir;
    const std::string project = dir.file("p.agx");
    if (!run_kest(kest, {"new", project}).ok) {
        std::fprintf(stderr, "fleet_bench: kest new failed (%s)\n", kest.c_str());
        return 1;
    }
    std::printf("application download to N terminals at once, kestemu --direct --pace at 115200 bit/s, best of %d\n",
                runs);
    std::printf("%3s  %8s  %6s  %8s  %13s  %9s\n", "N", "wall", "ratio", "PC CPU", "per terminal", "peak RSS");
    bool ok = true;
    double single = 0;
    for (const int n : {1, 4, 16}) {
        std::vector<std::unique_ptr<kest::testing::KestemuProcess>> terminals;
        std::vector<std::string> args{"download", project, "-b", "115200", "-q", "--json"};
        for (int i = 0; i < n; ++i) {
            terminals.push_back(
                std::make_unique<kest::testing::KestemuProcess>(std::vector<std::string>{"--direct", "--pace"}));
            if (!terminals.back()->ok()) {
                std::fprintf(stderr, "fleet_bench: kestemu did not start\n");
                return 1;
            }
            args.insert(args.end(), {"-p", terminals.back()->link()});
        }
        Run best;
        for (int i = 0; i < runs; ++i) {
            const Run r = run_kest(kest, args);
            if (!r.ok) {
                std::fprintf(stderr, "fleet_bench: the download to %d terminals failed\n", n);
                ok = false;
                break;
            }
            if (!best.ok || r.wall < best.wall) best = r;
        }
        if (!best.ok) continue;
        if (n == 1) single = best.wall;
        const double perTerminal = 100.0 * best.cpu / best.wall / n;
        const double ratio = best.wall / single;
        const double memoryGoal = 8.0 + n;
        std::printf("%3d  %7.3fs  %6.3f  %7.3fs  %12.2f%%  %6.1f MiB   goals %s %s %s\n", n, best.wall, ratio, best.cpu,
                    perTerminal, best.peakMiB, ratio <= 1.10 ? "met" : "MISSED", perTerminal <= 2.0 ? "met" : "MISSED",
                    best.peakMiB <= memoryGoal ? "met" : "MISSED");
    }
    return ok ? 0 : 1;
}
