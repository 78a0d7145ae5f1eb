// kest new: a new default project, the file agkest writes after "Neu" and "Speichern".
#include "kest/command.h"
#include "common/options.h"
#include "kest/project_io.h"

namespace kest::cli {
namespace {

constexpr char kUsage[] =
    "usage: kest new [--force] FILE\n"
    "\n"
    "Writes a new project with every default set (18942 bytes, tag \"KEST-1.00\"),\n"
    "byte for byte what agkest saves after \"Neu\".\n"
    "\n"
    "  FILE     the project file to write (- for standard output)\n"
    "  --force  replace FILE if it exists\n"
    "\n"
    "Exit status 2 when FILE exists (without --force) or cannot be written.\n";

int run(const std::vector<std::string>& argv) {
    const auto args = file_arguments("new", argv, 1, "expects one FILE (kest new --help)", {}, {"force"});
    if (!args) return kExitBadInput;
    const auto project = default_project();
    return store_project("new", args->positional[0], *project, args->flag("force")) ? kExitOk : kExitBadInput;
}

const Registration registration({"new", "write a new default project file", kUsage, run});

}  // namespace
}  // namespace kest::cli
