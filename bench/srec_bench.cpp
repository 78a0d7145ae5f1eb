// Object program reading side by side with srec_cat, and the memory a 16 MiB flash takes.
// A 16 MiB random program is written by srec_cat as S3 records of 16 bytes; then, in one
// run and on the same file (in the page cache after its first reading):
//   - the loader's check of the whole file and its conversion into send records, against
//     srec_cat reading the file (into a binary on /dev/null); CPU time, best of five, and
//     the ratios. The conversion is timed twice: reading the file in the check's blocks,
//     and in the 256-byte pieces the flash transfer reads between its progress steps;
//   - the maximum resident memory of kest flash sending the program to kestemu (direct,
//     unpaced) and of kestemu holding the 16 MiB flash; the flash image is compared with
//     the program.
// Usage: srec_bench [--no-flash]   (kest and kestemu next to the bench folder)
//        srec_bench --passes FILE  (the check and the conversion once, e.g. under callgrind)
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "loader/flash_protocol.h"
#include "loader/srec.h"
#include "tests/integration/kestemu_process.h"

namespace {

namespace fs = std::filesystem;
using namespace kest;

constexpr std::size_t kProgramSize = 16 * 1024 * 1024;
constexpr int kRounds = 5;

struct Usage {
    double cpu = 0;  // user + system seconds
    double wall = 0;
    long maxRssKiB = 0;
    int status = -1;
};

double seconds(const timeval& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6; }

double own_cpu() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return seconds(u.ru_utime) + seconds(u.ru_stime);
}

// Runs a program (output to /dev/null) and returns what it used.
Usage run(const std::vector<std::string>& args) {
    Usage usage;
    const auto t0 = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        std::FILE* null = std::fopen("/dev/null", "w");
        if (null) {
            dup2(fileno(null), STDOUT_FILENO);
            dup2(fileno(null), STDERR_FILENO);
        }
        std::vector<char*> argv;
        for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    rusage u{};
    wait4(pid, &status, 0, &u);
    usage.wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    usage.cpu = seconds(u.ru_utime) + seconds(u.ru_stime);
    usage.maxRssKiB = u.ru_maxrss;
    usage.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return usage;
}

// Peak resident memory of a running process (VmHWM), KiB.
long peak_rss_kib(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
    return -1;
}

// The loader's passes over the file: the check, then the conversion, in blocks of
// `piece` bytes; the image the send records carry is rebuilt to compare with the program.
struct Passes {
    double checkCpu = 0, convertCpu = 0;
    bool same = false;
};

Passes loader_passes(const fs::path& file, const std::vector<std::uint8_t>& program, std::size_t piece) {
    Passes p;
    double t = own_cpu();
    std::ifstream in(file, std::ios::binary);
    const loader::SrecReport report = loader::check_srec(in);
    p.checkCpu = own_cpu() - t;

    std::vector<std::uint8_t> image(program.size(), 0xFF);
    bool inside = true;
    t = own_cpu();
    loader::SrecConverter converter([&](std::span<const std::uint8_t> r) {
        if (r.size() > 9 && !program.empty()) {
            const std::uint32_t address = std::uint32_t{r[3]} << 24 | std::uint32_t{r[4]} << 16 | r[5] << 8 | r[6];
            const std::size_t n = r.size() - 9;
            if (address + n > image.size())
                inside = false;
            else
                std::memcpy(image.data() + address, r.data() + 7, n);
        }
        return true;
    });
    std::ifstream again(file, std::ios::binary);
    std::vector<char> chunk(piece);
    bool ok = true;
    while (ok && again) {
        again.read(chunk.data(), static_cast<std::streamsize>(chunk.size()));
        const auto got = static_cast<std::size_t>(again.gcount());
        if (got == 0) break;
        ok = converter.feed(std::string_view(chunk.data(), got));
    }
    ok = ok && converter.finish() && converter.ended();
    p.convertCpu = own_cpu() - t;
    p.same = report.ok() && ok && inside && (program.empty() || image == program);
    return p;
}

// The program: random bytes, the same for every run.
std::vector<std::uint8_t> random_program() {
    std::vector<std::uint8_t> program(kProgramSize);
    std::mt19937 random(7);
    for (auto& b : program) b = static_cast<std::uint8_t>(random());
    return program;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--passes") == 0) {
        const Passes p = loader_passes(argv[2], {}, loader::kSrecBlockSize);
        std::printf("check %.3f s, conversion %.3f s, %s\n", p.checkCpu, p.convertCpu, p.same ? "good" : "REFUSED");
        return p.same ? 0 : 1;
    }
    const bool flash = !(argc > 1 && std::strcmp(argv[1], "--no-flash") == 0);
    const fs::path self = fs::read_symlink("/proc/self/exe");
    const fs::path bin = self.parent_path().parent_path();
    setenv("KESTEMU_BIN", (bin / "kestemu").c_str(), 1);
    const fs::path folder = fs::temp_directory_path() / ("srec-bench-" + std::to_string(getpid()));
    fs::create_directories(folder);
    const fs::path shx = folder / "program.shx";

    // The programs run first, while this process is small: a child's maximum RSS counts
    // what it had before its exec (the floor, measured with /bin/true).
    {
        const auto program = random_program();
        std::ofstream(folder / "program.bin", std::ios::binary)
            .write(reinterpret_cast<const char*>(program.data()), static_cast<std::streamsize>(program.size()));
    }
    const long floorKiB = run({"/bin/true"}).maxRssKiB;
    if (run({"srec_cat", (folder / "program.bin").string(), "-binary", "-o", shx.string(), "-motorola",
             "-address-length=4", "-obs=16", "-execution-start-address=0"})
            .status != 0) {
        std::fprintf(stderr, "srec_bench: srec_cat did not write the program (is srecord installed?)\n");
        fs::remove_all(folder);
        return 1;
    }
    std::vector<Usage> peer;
    for (int round = 0; round < kRounds; ++round)
        peer.push_back(run({"srec_cat", shx.string(), "-o", "/dev/null", "-binary"}));
    Usage sender;
    long emulatorRss = -1;
    std::vector<std::uint8_t> written;
    if (flash) {
        testing::KestemuProcess emulator({"--direct"});
        if (!emulator.ok()) {
            std::fprintf(stderr, "srec_bench: kestemu did not start\n");
            fs::remove_all(folder);
            return 1;
        }
        sender = run({(bin / "kest").string(), "flash", shx.string(), "--port", emulator.link(), "--baud", "115200",
                      "--no-cradle"});
        emulatorRss = peak_rss_kib(emulator.pid());
        emulator.stop();
        std::ifstream in(emulator.state() / "flash.bin", std::ios::binary);
        written.assign(std::istreambuf_iterator<char>(in), {});
    }

    const auto program = random_program();
    Passes best{1e9, 1e9, true};
    double pieceCpu = 1e9;
    for (int round = 0; round < kRounds; ++round) {
        const Passes p = loader_passes(shx, program, loader::kSrecBlockSize);
        const Passes inPieces = loader_passes(shx, program, loader::kChunkSize);
        best.checkCpu = std::min(best.checkCpu, p.checkCpu);
        best.convertCpu = std::min(best.convertCpu, p.convertCpu);
        best.same = best.same && p.same && inPieces.same;
        pieceCpu = std::min(pieceCpu, inPieces.convertCpu);
    }
    double peerCpu = 1e9;
    long peerRss = 0;
    bool peerOk = true;
    for (const Usage& u : peer) {
        peerCpu = std::min(peerCpu, u.cpu);
        peerRss = std::max(peerRss, u.maxRssKiB);
        peerOk = peerOk && u.status == 0;
    }
    const double ours = best.checkCpu + best.convertCpu;
    std::printf("object program: %zu MiB random data, %ju bytes of S3 records (16 data bytes a line)\n",
                kProgramSize >> 20, static_cast<std::uintmax_t>(fs::file_size(shx)));
    std::printf("CPU time, best of %d      check    convert  both     srec_cat\n", kRounds);
    std::printf("                          %.3f s  %.3f s  %.3f s  %.3f s\n", best.checkCpu, best.convertCpu, ours,
                peerCpu);
    std::printf("ratio to srec_cat         %.3f    %.3f    %.3f\n", best.checkCpu / peerCpu, best.convertCpu / peerCpu,
                ours / peerCpu);
    std::printf("conversion in the flash transfer's %zu-byte pieces: %.3f s (ratio %.3f)\n", loader::kChunkSize,
                pieceCpu, pieceCpu / peerCpu);
    std::printf("send records carry the program: %s; srec_cat %s\n", best.same ? "yes" : "NO",
                peerOk ? "read the file" : "FAILED");
    bool ok = best.same && peerOk;
    std::printf("maximum RSS   srec_cat %ld KiB", peerRss);
    if (flash) {
        const bool same = sender.status == 0 && written == program;
        std::printf("   kest flash %ld KiB   kestemu %ld KiB   (floor %ld KiB)\n", sender.maxRssKiB, emulatorRss,
                    floorKiB);
        std::printf("16 MiB flash, direct unpaced line: %.1f s; flash image %s\n", sender.wall,
                    same ? "equals the program" : "DIFFERS");
        ok = ok && same;
    } else {
        std::printf("   (floor %ld KiB)\n", floorKiB);
    }
    fs::remove_all(folder);
    return ok ? 0 : 1;
}
