// kest convert: any project file agkest can open, written in the current layout.
#include <iostream>

#include "kest/command.h"
#include "common/options.h"
#include "kest/output_path.h"
#include "kest/project_io.h"

namespace kest::cli {
namespace {

constexpr char kUsage[] =
    "usage: kest convert [--force] IN OUT\n"
    "\n"
    "Reads IN, a project file of the current layout (\"KEST-1.00\") or of the older\n"
    "terminal family (\"Qvx-4.00\", \"Qvx-3.10\"), and writes it to OUT in the current\n"
    "layout, converted as agkest converts it on opening.\n"
    "\n"
    "  OUT      the project file to write (- for standard output)\n"
    "  --force  replace OUT if it exists\n"
    "\n"
    "Exit status 2 when IN is not a project file or is cut short, or when OUT exists\n"
    "(without --force) or cannot be written; OUT is then left as it was.\n";

int run(const std::vector<std::string>& argv) {
    const auto parsed = file_arguments("convert", argv, 2, "expects IN and OUT (kest convert --help)", {}, {"force"});
    if (!parsed) return kExitBadInput;
    const ParsedArgs& args = *parsed;
    if (output_is_input("convert", args.positional[1], args.positional[0])) return kExitBadInput;
    const auto loaded = load_project("convert", args.positional[0]);
    if (!loaded) return kExitBadInput;
    if (!store_project("convert", args.positional[1], *loaded->project, args.flag("force"))) return kExitBadInput;
    // With the project on standard output, the note goes to stderr.
    std::ostream& note = args.positional[1] == "-" ? std::cerr : std::cout;
    if (loaded->olderLayout && !args.flag("quiet")) note << args.positional[0] << ": older layout converted\n";
    return kExitOk;
}

const Registration registration({"convert", "convert a project file to the current layout", kUsage, run});

}  // namespace
}  // namespace kest::cli
