// Data upload against kestemu with line-rate pacing, at 115200 and 9600 bit/s, records of 20
// and 200 bytes: wall time per record with every record put on the disk before its "ACK"
// (as the programs do) and without the syncs, against the wire-time minimum. The data file
// goes to a folder beside the program (a disk, where /tmp may be memory), or UPLOAD_BENCH_DIR.
// Run: build/bench/upload_bench (finds kestemu next to it, or KESTEMU_BIN).
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "bench/quiet_ui.h"
#include "platform/file_steps.h"
#include "session/upload_session.h"
#include "tests/integration/kestemu_process.h"
#include "tests/support/unsynced_file_steps.h"

namespace {

using namespace kest;
namespace fs = std::filesystem;

using bench::QuietUi;

// Seconds for one upload of `count` records of `size` bytes; negative when it failed.
double upload_once(const fs::path& folder, int rateIndex, int count, int size, FileSteps& files) {
    const fs::path records = folder / "records.txt";
    {
        std::ofstream out(records, std::ios::binary);
        for (int i = 0; i < count; ++i) {
            std::string record = std::to_string(i) + ";";
            while (static_cast<int>(record.size()) < size) record += static_cast<char>('A' + record.size() % 26);
            out << record << "\r\n";
        }
    }
    testing::KestemuProcess emu({"--direct", "--pace", "--records", records.string()});
    if (!emu.ok()) {
        std::fprintf(stderr, "upload_bench: kestemu did not start\n");
        return -1;
    }
    auto port = make_serial_port();
    Link link(*port, system_clock());
    QuietUi ui;
    UploadOptions options;
    options.portName = emu.link();
    options.rateIndex = rateIndex;
    options.path = (folder / "DATA.TXT").string();
    options.offerViewer = false;
    const auto t0 = std::chrono::steady_clock::now();
    const UploadReport report = upload_data(Project{}, link, ui, files, options);
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    if (report.end != UploadEnd::Over || report.records != count) {
        std::fprintf(stderr, "upload_bench: upload failed after %d records: %s\n", report.records, ui.last.c_str());
        return -1;
    }
    return wall;
}

bool measure(const fs::path& folder, int rateIndex, int count, int size) {
    testing::UnsyncedFileSteps unsynced;
    const double synced = upload_once(folder, rateIndex, count, size, system_file_steps());
    const double without = upload_once(folder, rateIndex, count, size, unsynced);
    if (synced < 0 || without < 0) return false;
    const double baud = kRates[static_cast<std::size_t>(rateIndex)];
    // READ, ACK, then per record its frame (sequence, data, two sum bytes, CR) and the ACK,
    // then OVER.
    const double bytes = 5 + 4 + count * (size + 4 + 4.0) + 5;
    const double wire = bytes * 10.0 / baud;
    std::printf(
        "%6.0f bit/s, %3d records of %3d bytes: wire minimum %.3f s; synced %.3f s (%.2f ms a record), "
        "unsynced %.3f s (%.2f ms a record); the syncs add %.2f ms a record (%+.0f %%)\n",
        baud, count, size, wire, synced, 1000 * synced / count, without, 1000 * without / count,
        1000 * (synced - without) / count, 100 * (synced - without) / without);
    return true;
}

}  // namespace

int main() {
    const fs::path programs = fs::read_symlink("/proc/self/exe").parent_path();
    if (!std::getenv("KESTEMU_BIN")) setenv("KESTEMU_BIN", (programs.parent_path() / "kestemu").c_str(), 0);
    const char* chosen = std::getenv("UPLOAD_BENCH_DIR");
    const fs::path folder = chosen ? fs::path(chosen) : programs / "upload-bench";
    fs::create_directories(folder);
    std::printf("data upload, kestemu --direct --pace, data file in %s\n", folder.c_str());
    bool ok = true;
    for (const auto& [rateIndex, count] : {std::pair{0, 100}, std::pair{4, 40}})
        for (int size : {20, 200}) ok = measure(folder, rateIndex, count, size) && ok;
    if (!chosen) fs::remove_all(folder);
    return ok ? 0 : 1;
}
