// Application download against kestemu with line-rate pacing, at 115200 and 9600 bit/s:
// wall time against the wire-time minimum of the bytes exchanged, and the CPU time the
// PC side used. Run: build/bench/download_bench (finds kestemu next to it, or KESTEMU_BIN).
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>

#include "session/download_session.h"
#include "project/defaults.h"
#include "bench/quiet_ui.h"
#include "tests/integration/kestemu_process.h"

namespace {

using namespace kest;

using SteadyClock = std::chrono::steady_clock;

// Counts the bytes in both directions, the PC's own turnaround (from the last byte of a
// reply to the end of the next write) and the wait from the end of a write to the first
// byte of its reply (the line and the terminal).
class CountingPort final : public SerialPort {
public:
    explicit CountingPort(SerialPort& inner) : inner_(inner) {}
    bool open(const std::string& name, std::size_t in, std::size_t out) override { return inner_.open(name, in, out); }
    bool is_open() const override { return inner_.is_open(); }
    bool apply(const LineSettings& s) override { return inner_.apply(s); }
    bool write(std::span<const std::uint8_t> bytes) override {
        written += bytes.size();
        const bool ok = inner_.write(bytes);
        const auto now = SteadyClock::now();
        if (lastRead_) turnaround += now - *lastRead_;
        lastRead_.reset();
        lastWrite_ = now;
        return ok;
    }
    std::size_t read(std::uint8_t* buffer, std::size_t max, std::uint32_t timeoutMs) override {
        const std::size_t n = inner_.read(buffer, max, timeoutMs);
        received += n;
        if (n) {
            lastRead_ = SteadyClock::now();
            if (lastWrite_) replyWait += *lastRead_ - *lastWrite_;
            lastWrite_.reset();
        }
        return n;
    }
    void purge_input() override { inner_.purge_input(); }
    void close() override { inner_.close(); }

    std::size_t written = 0, received = 0;
    SteadyClock::duration turnaround{};
    SteadyClock::duration replyWait{};

private:
    SerialPort& inner_;
    std::optional<SteadyClock::time_point> lastRead_;
    std::optional<SteadyClock::time_point> lastWrite_;
};

using bench::QuietUi;

double cpu_seconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

bool measure(int rateIndex) {
    testing::KestemuProcess emu({"--direct", "--pace"});
    if (!emu.ok()) {
        std::fprintf(stderr, "download_bench: kestemu did not start\n");
        return false;
    }
    auto project = std::make_unique<Project>();
    std::memset(project.get(), 0, sizeof(Project));
    reset_to_defaults(*project);
    auto device = make_serial_port();
    CountingPort port(*device);
    Link link(port, system_clock());
    QuietUi ui;
    DownloadOptions options;
    options.portName = emu.link();
    options.rateIndex = rateIndex;
    std::string lookupName;

    const double cpu0 = cpu_seconds();
    const auto t0 = SteadyClock::now();
    const DownloadReport report = download(*project, link, ui, options, lookupName);
    const double wall = std::chrono::duration<double>(SteadyClock::now() - t0).count();
    const double cpu = cpu_seconds() - cpu0;
    if (report.outcome != DownloadOutcome::Completed) {
        std::fprintf(stderr, "download_bench: download failed: %s\n", ui.last.c_str());
        return false;
    }
    const double baud = kRates[static_cast<std::size_t>(rateIndex)];
    const std::size_t bytes = port.written + port.received;
    const double wire = static_cast<double>(bytes) * 10.0 / baud;
    const double turnaround = std::chrono::duration<double>(port.turnaround).count();
    const double replyWait = std::chrono::duration<double>(port.replyWait).count();
    std::printf(
        "%6.0f bit/s: %zu bytes out, %zu in; wire minimum %.3f s, wall %.3f s, ratio %.3f;\n"
        "              PC CPU %.3f s (%.2f%% of wall); PC turnaround %.1f ms in all; "
        "write to reply %.3f s in all\n",
        baud, port.written, port.received, wire, wall, wall / wire, cpu, 100.0 * cpu / wall, turnaround * 1000.0,
        replyWait);
    return true;
}

}  // namespace

int main() {
    if (!std::getenv("KESTEMU_BIN")) {
        const auto next = std::filesystem::read_symlink("/proc/self/exe").parent_path().parent_path() / "kestemu";
        setenv("KESTEMU_BIN", next.c_str(), 0);
    }
    std::printf("application download, 200 blocks of 103 bytes, kestemu --direct --pace\n");
    bool ok = true;
    for (int rateIndex : {0, 4}) ok = measure(rateIndex) && ok;
    return ok ? 0 : 1;
}
