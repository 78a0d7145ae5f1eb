// kest lookup: a lookup text file sent to the terminal line by line, after its text has been
// checked as agkest's "Lookupdatei laden" checks it.
#include <iostream>

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
    "                   [-p DEVICE] [-b RATE] [--cradle] [--retries N] [-q | -v] [--trace]\n"
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
    "  -b, --baud RATE    115200, 57600, 38400, 19200 or 9600; default 115200\n" KEST_TRANSFER_OPTIONS_HELP
    "\n"
    "Exit status 0 when the terminal acknowledged every line and the end; 1 when it\n"
    "refused or ran out of memory; 2 when the file cannot be read or is refused; 3 when\n"
    "the port, the cradle or the line settings could not be set up; 4 when the terminal\n"
    "did not answer.\n";

constexpr int kDefaultRateIndex = 0;  // 115200

int run(const std::vector<std::string>& argv) {
    std::set<std::string> valued = kTransferValued, switches = kTransferSwitches;
    valued.insert({"project", "lookup"});
    switches.insert({"raw", "allow-empty"});
    const auto parsed =
        file_arguments("lookup", argv, 1, "expects one lookup FILE (kest lookup --help)", valued, switches);
    if (!parsed) return kExitBadInput;
    const ParsedArgs& args = *parsed;
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
    auto setup = transfer_setup("lookup", args);
    if (!setup) return kExitBadInput;
    const bool quiet = setup->quiet;
    auto prepare = [&](const std::string& path, std::span<const std::uint8_t> bytes, UserInterface&) {
        PreparedLookup prepared = prepare_lookup_file(bytes, rules);
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
    return run_download("lookup", *project, *setup, setup->rateIndex.value_or(kDefaultRateIndex), args.positional[0],
                        prepare);
}

const Registration registration({"lookup", "send a lookup file to the terminal", kUsage, run});

}  // namespace
}  // namespace kest::cli
