// Flash download of a 256 KiB program at 115200 bit/s into kestemu with a paced line:
// wall time against the time the bytes need on the wire, and the CPU time the loader uses.
// Usage: flash_bench [KESTEMU]   (default: kestemu next to the bench folder)
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>

#include "link/link.h"
#include "loader/loader_session.h"
#include "tests/integration/kestemu_process.h"
#include "tests/support/srec_text.h"

namespace {

using namespace kest;

class QuietUi final : public UserInterface {
public:
    Answer message(const std::string& text, const std::string&, Icon, Buttons) override {
        std::fprintf(stderr, "message: %s\n", text.c_str());
        return Answer::No;
    }
    std::optional<std::string> choose_open_file(const FileDialogRequest&) override { return {}; }
    std::optional<std::string> choose_save_file(const FileDialogRequest&) override { return {}; }
    void progress_begin(const std::string&, const std::string&) override {}
    void progress_set(int) override {}
    void progress_end() override {}
    void counter_box(int, int) override {}
    bool open_viewer(const std::string&) override { return false; }
};

double cpu_seconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    const fs::path self = fs::read_symlink("/proc/self/exe");
    const std::string emulatorBin = argc > 1 ? argv[1] : (self.parent_path().parent_path() / "kestemu").string();
    setenv("KESTEMU_BIN", emulatorBin.c_str(), 1);

    constexpr std::size_t kSize = 256 * 1024;
    constexpr std::uint32_t kBase = 0x00100000;
    constexpr std::uint32_t kBaud = 115200;
    std::vector<std::uint8_t> image(kSize);
    std::mt19937 random(7);
    for (auto& b : image) b = static_cast<std::uint8_t>(random());
    const std::string text = testing::srec_lines('3', kBase, image, 16) + testing::srec_line('7', 0, {});

    // Bytes on the wire: wake-up and erase, every send record with its "FA" and CR, the end record.
    std::size_t wire = 1 + 2 + 8 + 5 + 9 + 5 + 7 + 3;
    for (const auto& record : loader::convert_srec_text(text)) wire += record.size() + 3;
    const double wireSeconds = static_cast<double>(wire) * 10.0 / kBaud;

    testing::KestemuProcess emulator({"--direct", "--pace"});
    if (!emulator.ok()) {
        std::fprintf(stderr, "flash_bench: kestemu (%s) did not start\n", emulatorBin.c_str());
        return 1;
    }
    const fs::path program = emulator.state().parent_path() / "bench.shx";
    std::ofstream(program, std::ios::binary) << text;

    auto port = make_serial_port();
    Link link(*port, system_clock());
    QuietUi ui;
    const double cpu0 = cpu_seconds();
    const auto t0 = std::chrono::steady_clock::now();
    const loader::SessionResult result =
        loader::flash_session(link, emulator.link(), *rate_index(kBaud), false, program.string(), ui);
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    const double cpu = cpu_seconds() - cpu0;

    std::ifstream flash(emulator.state() / "flash.bin", std::ios::binary);
    const std::vector<std::uint8_t> written((std::istreambuf_iterator<char>(flash)), {});
    const bool same = result.end == loader::SessionEnd::Done && written == image;

    std::printf("flash download, %zu KiB program at %u bit/s, paced line, direct cable\n", kSize / 1024, kBaud);
    std::printf("  object file          %zu bytes, %zu bytes on the wire\n", text.size(), wire);
    std::printf("  wire-time minimum    %.2f s\n", wireSeconds);
    std::printf("  wall time            %.2f s (%.1f %% of the minimum)\n", wall, 100.0 * wall / wireSeconds);
    std::printf("  CPU time (loader)    %.3f s (%.2f %% of the wall time)\n", cpu, 100.0 * cpu / wall);
    std::printf("  flash image          %s\n", same ? "equals the binary" : "DIFFERS");
    return same ? 0 : 1;
}
