// kest image: the download image of a project, as the application download sends it.

#include "kest/command.h"
#include "common/options.h"
#include "kest/output_path.h"
#include "kest/project_io.h"
#include "platform/file_steps.h"
#include "project/download_image.h"

namespace kest::cli {
namespace {

constexpr char kUsage[] =
    "usage: kest image PROJECT.AGX -o IMAGE.BIN [--force]\n"
    "\n"
    "Writes the 20000-byte download image of the project: menus and forms normalised,\n"
    "screen texts padded, settings re-coded for the terminal, byte for byte what\n"
    "`kest download` and agkest send in their 200 blocks. The project file is not changed.\n"
    "\n"
    "  -o IMAGE.BIN  the file to write; - is standard output; a terminal, a pipe or\n"
    "                /dev/stdout is written into directly\n"
    "  --force       replace IMAGE.BIN if it exists\n"
    "\n"
    "Exit status 2 when the project cannot be read or the image cannot be written\n"
    "(IMAGE.BIN exists without --force, or is a folder); IMAGE.BIN is then left as it was.\n";

int run(const std::vector<std::string>& argv) {
    const ParsedArgs args = parse_command(argv, {"o"}, {"force"});
    if (!args.error.empty()) return usage_error("image", args.error);
    if (args.positional.size() != 1) return usage_error("image", "expects one PROJECT file (kest image --help)");
    const auto output = args.value("o");
    if (!output || output->empty()) return usage_error("image", "-o IMAGE.BIN is required");
    if (output_is_input("image", *output, args.positional[0])) return kExitBadInput;
    const auto loaded = load_project("image", args.positional[0]);
    if (!loaded) return kExitBadInput;

    const DownloadImage image = prepare_image(*loaded->project);
    int error = 0;
    const OutputProblem problem = write_output_file(
        output_target(*output), image, output_rules(args.flag("force"), true), system_file_steps(), &error);
    if (problem == OutputProblem::None) return kExitOk;
    report_output_problem("image", *output, problem, error);
    return kExitBadInput;
}

const Registration registration({"image", "write the download image of a project", kUsage, run});

}  // namespace
}  // namespace kest::cli
