// CPU used by the PC side while it waits for a silent peer: a 3 s reply deadline and a
// whole cradle set-up that nobody answers, over a real pseudo-terminal. Waiting must
// block in the operating system, so the figure should stay far below 5% of one core.
#include <fcntl.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>

#include "link/cradle_setup.h"
#include "link/link.h"

namespace {

double cpu_seconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

template <typename Wait>
bool measure(const char* what, Wait wait) {
    const double cpu0 = cpu_seconds();
    const auto wall0 = std::chrono::steady_clock::now();
    wait();
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wall0).count();
    const double cpu = cpu_seconds() - cpu0;
    const double percent = 100.0 * cpu / wall;
    std::printf("%-36s wall %.3f s  cpu %.4f s  = %.2f%% of one core (goal < 5%%)\n", what, wall, cpu, percent);
    return percent < 5.0;
}

}  // namespace

int main() {
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
        std::perror("pseudo-terminal");
        return 1;
    }
    auto port = kest::make_serial_port();
    kest::Link link(*port, kest::system_clock());
    if (!link.open(ptsname(master), kest::kInQueue, kest::kDownloadOutQueue)) {
        std::perror("open");
        return 1;
    }
    link.set_line(4);
    link.apply();

    bool ok = measure("reply deadline of 3 s, silent peer", [&] { (void)link.read_byte(link.now() + 3000); });
    ok &=
        measure("cradle set-up, no cradle (2.1 s)", [&] { (void)kest::cradle_setup(link, 0, kest::kGeneratorCradle); });
    close(master);
    ok &= measure("reply deadline of 3 s, peer hung up", [&] { (void)link.read_byte(link.now() + 3000); });
    link.close(true);
    return ok ? 0 : 1;
}
