#include "kestemu/options.h"

#include "common/options.h"
#include "link/link.h"

namespace kest::emu {
namespace {

const char kUsage[] =
    "usage: kestemu --link PATH [--state DIR] [--cradle-rate RATE | --direct] [--records FILE]\n"
    "               [--pace] [--faults PLAN] [--seed N] [--flash-size BYTES] [--flash-base ADDR]\n"
    "               [--erase-delay MS] [--loader-waiting] [--verbose] [--trace]\n"
    "       kestemu --help | --version\n"
    "\n"
    "Emulates the hand-held terminal and its infrared cradle on a pseudo-terminal. PATH becomes a\n"
    "link to the pseudo-terminal's device: give it to kest --port, or point a Wine COM port at it.\n"
    "Prints \"kestemu: ready on PATH\" when ready and runs until interrupted (SIGINT, SIGTERM).\n"
    "SIGUSR1 takes the terminal out of its cradle (nothing reaches it, it answers nothing),\n"
    "SIGUSR2 puts it back.\n"
    "\n"
    "  --link PATH         where to put the link to the device (a stale link is replaced; one\n"
    "                      another kestemu serves, locked by PATH.lock, is refused)\n"
    "  --state DIR         keep what the terminal receives here: image.bin (application image),\n"
    "                      lookup-N.txt (N-th lookup file of this run), flash.bin and flash.base\n"
    "                      (flash image from its lowest written address, that address in hex)\n"
    "  --cradle-rate RATE  rate the cradle listens at first: 115200, 57600, 38400, 19200 or 9600\n"
    "                      (default 9600); the PC's cradle set-up switches it\n"
    "  --direct            a direct cable instead of the cradle: data passes at any rate\n"
    "  --records FILE      records the terminal uploads on \"READ\", one per line (read afresh\n"
    "                      for every upload; none without this option); a missing FILE is\n"
    "                      created empty, one over 16 MiB refused\n"
    "  --pace              bytes take as long as on a real line (10 bits per byte at the rate)\n"
    "  --faults PLAN       make faults, chosen by --seed (default 1), the same for the same seed\n"
    "  --seed N            seed of the fault generator\n"
    "  --flash-size BYTES  size of the flash memory (default 0x1000000); records outside get \"FF\"\n"
    "  --flash-base ADDR   lowest address of the flash memory (default 0)\n"
    "  --erase-delay MS    answer \":ERASE\" with \"FB\", then \"FA\" after MS milliseconds\n"
    "                      (default 0: \"FA\" at once)\n"
    "  --loader-waiting    start with the flash loader already waiting in download mode\n"
    "  --verbose           log every event on stderr\n"
    "  --trace             also log every byte read and written, with the PC's rate\n"
    "\n";

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

ParsedOptions mistake(const std::string& message) {
    ParsedOptions p;
    p.error = message;
    return p;
}

}  // namespace

std::string usage_text() {
    return std::string(kUsage) + kFaultPlanHelp +
           "\nexit status: 0 after an interrupt, 2 usage error, 3 the pseudo-terminal or the link\n"
           "             cannot be made\n";
}

ParsedOptions parse_options(const std::vector<std::string>& args) {
    ParsedOptions out;
    for (const auto& a : args)
        if (a == "--help" || a == "-h") {
            out.help = true;
            return out;
        }
    if (args.size() == 1 && args[0] == "--version") {
        out.version = true;
        return out;
    }
    const auto parsed = parse_args(
        args, {"link", "state", "cradle-rate", "records", "faults", "seed", "flash-size", "flash-base", "erase-delay"},
        {"direct", "pace", "verbose", "trace", "loader-waiting"});
    if (!parsed.error.empty()) return mistake(parsed.error);
    if (!parsed.positional.empty()) return mistake("unexpected argument " + parsed.positional.front());
    RunOptions run;
    const auto linkPath = parsed.value("link");
    if (!linkPath || linkPath->empty()) return mistake("--link PATH is required");
    run.linkPath = *linkPath;

    EmulatorConfig& config = run.emulator;
    config.direct = parsed.flag("direct");
    config.pace = parsed.flag("pace");
    config.terminal.loaderWaiting = parsed.flag("loader-waiting");
    if (const auto rate = parsed.value("cradle-rate")) {
        if (config.direct) return mistake("--cradle-rate and --direct exclude each other");
        const auto value = parse_number(*rate);
        if (!value || !rate_index(static_cast<std::uint32_t>(*value)))
            return mistake("--cradle-rate must be 115200, 57600, 38400, 19200 or 9600, not " + *rate);
        config.cradleRate = static_cast<std::uint32_t>(*value);
    }
    if (const auto ms = parsed.value("erase-delay")) {
        const auto value = parse_number(*ms);
        if (!value) return mistake("--erase-delay needs milliseconds, not " + *ms);
        config.terminal.eraseDelay = Micros(*value) * kMillis;
    }
    if (const auto size = parsed.value("flash-size")) {
        const auto value = parse_size(*size);
        if (!value || *value == 0 || *value > 0x100000000ull) return mistake("bad --flash-size " + *size);
        config.terminal.flashSize = *value;
    }
    if (const auto base = parsed.value("flash-base")) {
        const auto value = parse_size(*base);
        if (!value || *value > 0xFFFFFFFFull) return mistake("bad --flash-base " + *base);
        config.terminal.flashBase = static_cast<std::uint32_t>(*value);
    }
    if (const auto plan = parsed.value("faults")) {
        std::string error;
        const auto parsedPlan = parse_fault_plan(*plan, error);
        if (!parsedPlan) return mistake("--faults: " + error);
        run.faults = *parsedPlan;
    }
    if (const auto text = parsed.value("seed")) {
        const auto value = parse_size(*text);
        if (!value) return mistake("--seed needs a number, not " + *text);
        run.seed = *value;
    }

    run.trace = parsed.flag("trace");
    run.verbose = parsed.flag("verbose") || run.trace;
    run.recordsPath = parsed.value("records");
    run.stateFolder = parsed.value("state");
    out.run = std::move(run);
    return out;
}

}  // namespace kest::emu
