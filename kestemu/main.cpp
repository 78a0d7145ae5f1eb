// kestemu: the terminal and its infrared cradle on a pseudo-terminal, so that the PC tools
// can be tried, demonstrated and tested without hardware.
#include <poll.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif

#include <chrono>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>

#include "common/version.h"
#include "kest/options.h"
#include "kestemu/core/emulator.h"
#include "kestemu/pty_transport.h"
#include "link/link.h"

namespace {

using namespace kest::emu;

constexpr int kExitOk = 0;
constexpr int kExitUsage = 2;
constexpr int kExitLine = 3;

const char kUsage[] =
    "usage: kestemu --link PATH [--state DIR] [--cradle-rate RATE | --direct] [--records FILE]\n"
    "               [--pace] [--faults SPEC] [--seed N] [--flash-size BYTES] [--flash-base ADDR]\n"
    "               [--erase-delay MS] [--loader-waiting] [--verbose] [--trace]\n"
    "       kestemu --help | --version\n"
    "\n"
    "Emulates the hand-held terminal and its infrared cradle on a pseudo-terminal. PATH becomes a\n"
    "link to the pseudo-terminal's device: give it to kest --port, or point a Wine COM port at it.\n"
    "Prints \"kestemu: ready on PATH\" when ready and runs until interrupted (SIGINT, SIGTERM).\n"
    "\n"
    "  --link PATH         where to put the link to the device (a stale link is replaced)\n"
    "  --state DIR         keep what the terminal receives here: image.bin (application image),\n"
    "                      lookup-N.txt (N-th lookup file of this run), flash.bin and flash.base\n"
    "                      (flash image from its lowest written address, that address in hex)\n"
    "  --cradle-rate RATE  rate the cradle listens at first: 115200, 57600, 38400, 19200 or 9600\n"
    "                      (default 9600); the PC's cradle set-up switches it\n"
    "  --direct            a direct cable instead of the cradle: data passes at any rate\n"
    "  --records FILE      records the terminal uploads on \"READ\", one per line (read afresh\n"
    "                      for every upload; none without this option)\n"
    "  --pace              bytes take as long as on a real line (10 bits per byte at the rate)\n"
    "  --faults SPEC       make faults, chosen by --seed (default 1), the same for the same seed\n"
    "  --seed N            seed of the fault generator\n"
    "  --flash-size BYTES  size of the flash memory (default 0x1000000); records outside get \"FF\"\n"
    "  --flash-base ADDR   lowest address of the flash memory (default 0)\n"
    "  --erase-delay MS    answer \":ERASE\" with \"FB\", then \"FA\" after MS milliseconds\n"
    "                      (default 0: \"FA\" at once)\n"
    "  --loader-waiting    start with the flash loader already waiting in download mode\n"
    "  --verbose           log every event on stderr\n"
    "  --trace             also log every byte read and written, with the PC's rate\n"
    "\n";

volatile std::sig_atomic_t gStop = 0;
int gWakePipe[2] = {-1, -1};

void on_signal(int) {
    gStop = 1;
    const char byte = 0;
    [[maybe_unused]] auto n = ::write(gWakePipe[1], &byte, 1);
}

std::int64_t now_nanos() {
    using namespace std::chrono;
    return duration_cast<nanoseconds>(steady_clock::now().time_since_epoch()).count();
}

Micros now_micros() { return now_nanos() / 1000; }

// How long to wait for input before the emulator's next deadline: exactly up to it (by then
// the clock reads at least that microsecond), nothing when it has passed.
timespec wait_until(Micros deadline) {
    const std::int64_t wait = std::max<std::int64_t>(deadline * 1000 - now_nanos(), 0);
    return timespec{static_cast<time_t>(wait / 1'000'000'000), static_cast<long>(wait % 1'000'000'000)};
}

// Decimal, or hexadecimal with 0x.
std::optional<std::uint64_t> parse_size(const std::string& text) {
    if (text.empty() || text.size() > 18) return std::nullopt;
    std::size_t used = 0;
    try {
        const auto value = std::stoull(text, &used, text.rfind("0x", 0) == 0 ? 16 : 10);
        if (used != text.size()) return std::nullopt;
        return value;
    } catch (...) {
        return std::nullopt;
    }
}

std::optional<Bytes> read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

int usage_error(const std::string& message) {
    std::cerr << "kestemu: " << message << "\n(kestemu --help shows the options)\n";
    return kExitUsage;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    for (const auto& a : args)
        if (a == "--help" || a == "-h") {
            std::cout << kUsage << kFaultSpecHelp
                      << "\nexit status: 0 after an interrupt, 2 usage error, 3 the pseudo-terminal or the link\n"
                         "             cannot be made\n";
            return kExitOk;
        }
    if (args.size() == 1 && args[0] == "--version") {
        std::cout << "kestemu " KEST_VERSION "\n";
        return kExitOk;
    }
    const auto parsed = kest::cli::parse_args(
        args,
        {"link", "state", "cradle-rate", "records", "faults", "seed", "flash-size", "flash-base", "erase-delay"},
        {"direct", "pace", "verbose", "trace", "loader-waiting"});
    if (!parsed.error.empty()) return usage_error(parsed.error);
    if (!parsed.positional.empty()) return usage_error("unexpected argument " + parsed.positional.front());
    const auto linkPath = parsed.value("link");
    if (!linkPath || linkPath->empty()) return usage_error("--link PATH is required");

    EmulatorConfig config;
    config.direct = parsed.flag("direct");
    config.pace = parsed.flag("pace");
    config.terminal.loaderWaiting = parsed.flag("loader-waiting");
    if (const auto rate = parsed.value("cradle-rate")) {
        if (config.direct) return usage_error("--cradle-rate and --direct exclude each other");
        const auto value = kest::cli::parse_number(*rate);
        if (!value || !kest::rate_index(static_cast<std::uint32_t>(*value)))
            return usage_error("--cradle-rate must be 115200, 57600, 38400, 19200 or 9600, not " + *rate);
        config.cradleRate = static_cast<std::uint32_t>(*value);
    }
    if (const auto ms = parsed.value("erase-delay")) {
        const auto value = kest::cli::parse_number(*ms);
        if (!value) return usage_error("--erase-delay needs milliseconds, not " + *ms);
        config.terminal.eraseDelay = Micros(*value) * kMillis;
    }
    if (const auto size = parsed.value("flash-size")) {
        const auto value = parse_size(*size);
        if (!value || *value == 0 || *value > 0x100000000ull) return usage_error("bad --flash-size " + *size);
        config.terminal.flashSize = *value;
    }
    if (const auto base = parsed.value("flash-base")) {
        const auto value = parse_size(*base);
        if (!value || *value > 0xFFFFFFFFull) return usage_error("bad --flash-base " + *base);
        config.terminal.flashBase = static_cast<std::uint32_t>(*value);
    }
    FaultSpec faultSpec;
    if (const auto plan = parsed.value("faults")) {
        std::string error;
        const auto parsedPlan = parse_fault_spec(*plan, error);
        if (!parsedPlan) return usage_error("--faults: " + error);
        faultSpec = *parsedPlan;
    }
    std::uint64_t seed = 1;
    if (const auto text = parsed.value("seed")) {
        const auto value = parse_size(*text);
        if (!value) return usage_error("--seed needs a number, not " + *text);
        seed = *value;
    }

    const bool trace = parsed.flag("trace");
    const bool verbose = parsed.flag("verbose") || trace;
    const Micros start = now_micros();
    EventLog log;
    if (verbose)
        log = [start](const std::string& line) {
            std::fprintf(stderr, "kestemu %8.3f: %s\n", double(now_micros() - start) / 1e6, line.c_str());
        };

    if (const auto records = parsed.value("records")) {
        if (!read_file(*records)) {
            std::cerr << "kestemu: cannot read the records file " << *records << "\n";
            return kExitUsage;
        }
        config.terminal.records = [path = *records, log]() {
            const auto text = read_file(path);
            if (!text) {
                if (log) log("cannot read the records file " + path);
                return std::vector<Bytes>{};
            }
            return split_records(*text);
        };
    }

    std::unique_ptr<StateSink> state;
    if (const auto folder = parsed.value("state")) {
        std::error_code ec;
        std::filesystem::create_directories(*folder, ec);
        if (ec || !std::filesystem::is_directory(*folder)) {
            std::cerr << "kestemu: cannot use the state folder " << *folder << "\n";
            return kExitUsage;
        }
        state = std::make_unique<FolderStateSink>(*folder);
    } else {
        state = std::make_unique<MemoryStateSink>();
    }

    if (pipe(gWakePipe) != 0) {
        std::perror("kestemu: pipe");
        return kExitLine;
    }
    struct sigaction action {};
    action.sa_handler = on_signal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    signal(SIGPIPE, SIG_IGN);
#ifdef __linux__
    // Paced bytes are due to the microsecond; the default timer slack would add ~50 us a wait.
    if (config.pace) prctl(PR_SET_TIMERSLACK, 1UL);
#endif

    PtyTransport line;
    std::string error;
    if (!line.open(*linkPath, error)) {
        std::cerr << "kestemu: " << error << "\n";
        return kExitLine;
    }
    FaultInjector faults(faultSpec, seed);
    Emulator emulator(config, *state, faults, log);
    if (log)
        log("device " + line.device() + (config.direct ? ", direct cable" : ", cradle at " + std::to_string(config.cradleRate)));
    std::cout << "kestemu: ready on " << *linkPath << std::endl;

    std::uint8_t buffer[4096];
    while (!gStop) {
        Micros now = now_micros();
        const Bytes out = emulator.take_output(line.pc_rate(), now);
        if (!out.empty()) {
            if (trace) log("out " + printable(out));
            if (!line.write(out) && log) log("the PC does not read: reply lost");
        }

        const auto deadline = emulator.next_wake();
        const timespec timeout = deadline ? wait_until(*deadline) : timespec{};
        pollfd fds[2] = {{line.fd(), POLLIN, 0}, {gWakePipe[0], POLLIN, 0}};
        const int ready = ppoll(fds, 2, deadline ? &timeout : nullptr, nullptr);
        if (ready < 0) {
            if (errno == EINTR) continue;
            std::perror("kestemu: poll");
            break;
        }
        if (fds[0].revents & POLLIN) {
            const std::size_t n = line.read(buffer, sizeof buffer);
            now = now_micros();
            if (n > 0) {
                const std::uint32_t rate = line.pc_rate();
                if (trace) log("in  " + std::to_string(rate) + " " + printable(ByteView(buffer, n)));
                emulator.receive(ByteView(buffer, n), rate, now);
            }
        }
    }
    emulator.finish();
    if (log) log("stopped");
    return kExitOk;
}
