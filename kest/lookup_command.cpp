// kest lookup: a lookup text file sent to the terminal line by line, after its text has been
// checked as agkest's "Lookupdatei laden" checks it.
#include <iostream>
#include <mutex>

#include "kest/command.h"
#include "kest/download_run.h"
#include "kest/file_kind.h"
#include "kest/lookup_report.h"
#include "kest/project_io.h"
#include "session/lookup_file.h"

namespace kest::cli {
namespace {

constexpr char kUsage[] =
    "usage: kest lookup FILE.TXT [--project PROJECT.AGX --lookup N] [--raw] [--allow-empty]\n"
    "                   [-p DEVICE]... [--all-ports] [-b RATE] [--cradle] [--retries N] [--wait]\n"
    "                   [--json] [-q | -v] [--trace]\n"
    "\n"
    "Sends a lookup file to the terminal, as agkest's \"Lookupdatei laden\" does: one\n"
    "acknowledged packet per line, then \"OVER\". Lines end in CR LF, CR or LF (as any\n"
    "editor writes them). The file is checked before the port is opened; nothing is sent\n"
    "when it is refused:\n"
    "  - a line longer than 289 bytes;\n"
    "  - UTF-16 text or NUL bytes (kest lookup-build converts a table to a lookup file);\n"
    "  - an empty file, which would empty the terminal's lookup (--allow-empty sends it);\n"
    "  - a project file or an object program: not a lookup file.\n"
    "The terminal reads Windows-1252: a UTF-8 byte-order mark is left out and UTF-8 text\n"
    "is sent in Windows-1252 (a note says so); a character Windows-1252 has no code for\n"
    "refuses the file. A file that is no valid UTF-8 is sent byte for byte.\n"
    "\n"
    "  --project PROJECT.AGX --lookup N\n"
    "                     check every line against lookup N (1-3) of the project: the\n"
    "                     record length of fixed-length fields, the separators and the\n"
    "                     maximum lengths of divided fields; the first mismatches are named\n"
    "  --raw              send the bytes as they are: no mark left out, no UTF-8 converted\n"
    "  --allow-empty      send an empty file (the terminal's lookup is emptied)\n"
    "  -b, --baud RATE    115200, 57600, 38400, 19200 or 9600; default 115200\n"
    "  --wait             a roll-out station, until Ctrl+C: every terminal that answers on a\n"
    "                     port gets the file; one that stays is not sent to again until it\n"
    "                     has been taken out\n" KEST_TRANSFER_OPTIONS_HELP
    "\n"
    "Exit status 0 when the terminal acknowledged every line and the end; 1 when it\n"
    "refused or ran out of memory; 2 when the file cannot be read or is refused; 3 when\n"
    "the port, the cradle or the line settings could not be set up; 4 when the terminal\n"
    "did not answer; with several ports the most severe of them (130 after Ctrl+C).\n";

constexpr int kDefaultRateIndex = 0;  // 115200

int run(const std::vector<std::string>& argv) {
    std::set<std::string> valued = kTransferValued, switches = kTransferSwitches;
    valued.insert({"project", "lookup"});
    switches.insert({"raw", "allow-empty", "wait"});
    const auto command =
        transfer_command("lookup", argv, "expects one lookup FILE (kest lookup --help)", valued, switches);
    if (!command) return kExitBadInput;
    const ParsedArgs& args = command->args;
    LookupFileRules rules;
    rules.raw = args.flag("raw");
    rules.allowEmpty = args.flag("allow-empty");
    std::optional<LoadedProject> layoutProject;
    std::string layoutName;
    if (const auto project = args.value("project")) {
        const auto n = lookup_number("lookup", args);
        if (!n) return kExitBadInput;
        layoutProject = load_project("lookup", *project);
        if (!layoutProject) return kExitBadInput;
        rules.layout = &layoutProject->project->lookups[*n - 1];
        layoutName = "lookup " + std::to_string(*n) + " of " + *project;
    } else if (args.value("lookup")) {
        return usage_error("lookup", "--lookup N needs --project PROJECT.AGX");
    }
    const bool quiet = command->options.quiet;
    // Every port sends the same file: it is checked, and told about, once.
    std::mutex once;
    std::optional<PreparedLookup> checked;
    auto prepare = [&](const std::string& path, std::span<const std::uint8_t> bytes, UserInterface&) {
        const std::lock_guard lock(once);
        if (checked) return *checked;
        checked = prepare_lookup_file(bytes, rules);
        const PreparedLookup& prepared = *checked;
        if (!quiet)
            for (const LookupNote note : prepared.notes) print_note("lookup", path, note);
        if (!prepared.refused()) return prepared;
        const LookupFault first = prepared.problems.front().fault;
        if (first == LookupFault::ProjectFile || first == LookupFault::ObjectProgram)
            if (const std::string kind = wrong_kind(path, FileKind::LookupFile); !kind.empty()) {
                std::cerr << "kest lookup: " << path << ": " << kind << "; nothing was sent\n";
                return prepared;
            }
        if (mismatch_fault(first))
            std::cerr << "kest lookup: " << path << ": " << prepared.problemCount << " of " << prepared.lines.size()
                      << " lines do not fit " << layoutName << "\n";
        print_problems("lookup", layout_fault(first) ? layoutName : path, prepared.problems, prepared.problemCount);
        if (first == LookupFault::Utf16 || first == LookupFault::NulBytes)
            std::cerr << "kest lookup: kest lookup-build turns a table into a lookup file (kest help lookup-build)\n";
        if (first == LookupFault::Empty) std::cerr << "kest lookup: --allow-empty sends it all the same\n";
        std::cerr << "kest lookup: nothing was sent\n";
        return prepared;
    };
    // The port and rate come from the command line; the project plays no part.
    const auto project = default_project();
    const std::string& file = command->file();
    const int rate = command->options.rateIndex.value_or(kDefaultRateIndex);
    return run_on_ports("lookup", command->options, [&](PortRun& run) {
        download_on_port(run, *project, file, rate, file, prepare, command->options.wait);
    });
}

const Registration registration({"lookup", "send a lookup file to the terminal", kUsage, run});

}  // namespace
}  // namespace kest::cli
