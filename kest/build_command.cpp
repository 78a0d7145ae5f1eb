// kest build: a project file from its JSON text, the way back from `kest show --json`.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>

#include "common/file_problem.h"
#include "common/options.h"
#include "kest/command.h"
#include "kest/file_kind.h"
#include "kest/output_path.h"
#include "kest/project_io.h"
#include "project/project_check.h"
#include "project/project_json.h"

namespace kest::cli {
namespace {

constexpr char kUsage[] =
    "usage: kest build [--force] FILE.json -o PROJECT.AGX\n"
    "\n"
    "Writes the project file that the JSON text describes: every table, every byte the\n"
    "text names (the reserved bytes it leaves out are zero). `kest show --json` writes\n"
    "such a text, so a project can be kept under version control as text, reviewed as a\n"
    "diff and built in scripts; show --json followed by build gives the same file byte for\n"
    "byte. Texts are UTF-8 and become Windows-1252, the terminal's code page; a character\n"
    "it does not have refuses the file. The format is described in the README.\n"
    "\n"
    "  FILE.json       the JSON text (- reads standard input)\n"
    "  -o PROJECT.AGX  the project file to write (- for standard output)\n"
    "  --force         replace PROJECT.AGX if it exists\n"
    "\n"
    "Exit status 2 when the text is not a project (the message names the line and the\n"
    "field) or the file cannot be written; nothing is written then.\n";

// A project's JSON text is about 200 kB; anything far larger is not one.
constexpr std::size_t kMaxJsonSize = 16u << 20;

int run(const std::vector<std::string>& argv) {
    const ParsedArgs args = parse_command(argv, {"o"}, {"force"});
    if (!args.error.empty()) return usage_error("build", args.error);
    if (args.positional.size() != 1) return usage_error("build", "expects one FILE.json (kest build --help)");
    const auto output = args.value("o");
    if (!output || output->empty()) return usage_error("build", "-o PROJECT.AGX is required");
    const std::string& input = args.positional[0];
    const std::string shown = input == "-" ? "(standard input)" : input;
    if (output_is_input("build", *output, input)) return kExitBadInput;

    const auto text = read_input(input, kMaxJsonSize);
    if (!text) {
        std::cerr << "kest build: " << shown << ": "
                  << (input == "-" ? "cannot be read" : read_problem(input, "a JSON text")) << "\n";
        return kExitBadInput;
    }
    if (text->size() > kMaxJsonSize) {
        std::cerr << "kest build: " << shown << ": more than 16 MB; not the JSON text of a project\n";
        return kExitBadInput;
    }
    const auto project = default_project();
    const std::string error = project_from_json(*text, *project);
    if (!error.empty()) {
        const std::string kind = input == "-" ? "" : wrong_kind(input, FileKind::JsonText);
        std::cerr << "kest build: " << shown << ": " << (kind.empty() ? error : kind) << "\n";
        return kExitBadInput;
    }
    if (!store_project("build", *output, *project, args.flag("force"))) return kExitBadInput;
    const std::size_t found = check_project(*project).size();
    if (found && !args.flag("quiet"))
        std::cerr << "kest build: " << *output << ": written; it holds " << found << (found == 1 ? " value" : " values")
                  << " no page of agkest produces (kest check " << *output << " lists them)\n";
    return kExitOk;
}

const Registration registration({"build", "write a project file from its JSON text", kUsage, run});

}  // namespace
}  // namespace kest::cli
