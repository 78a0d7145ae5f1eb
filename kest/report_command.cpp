// kest report: one HTML file that shows a whole project for review and printing.
#include <span>

#include "common/cp1252.h"
#include "common/options.h"
#include "common/version.h"
#include "kest/command.h"
#include "kest/output_path.h"
#include "kest/project_io.h"
#include "kest/time_option.h"
#include "platform/file_steps.h"
#include "report/report.h"

namespace kest::cli {
namespace {

constexpr char kUsage[] =
    "usage: kest report PROJECT.AGX -o REPORT.html [--lang de|en] [--time T] [--force]\n"
    "\n"
    "Writes one self-contained HTML file (styles and pictures inside, no script, nothing\n"
    "fetched) that shows the whole project: a map of the application (the start, every\n"
    "menu item, every form's next action and Esc; what nothing leads to is marked), the\n"
    "lookup layouts as rulers, the barcode symbologies switched on, the terminal and\n"
    "keyboard-wedge settings, the password protection (never the password), the function\n"
    "keys, the system texts that differ from the defaults, the values `kest check`\n"
    "reports, and one page per form and menu in use: the display as the simulated\n"
    "terminal shows it when the form or menu starts (with the keys that lead there), its\n"
    "settings, and for a form the record it builds from sample input, field by field.\n"
    "A browser prints it one form or menu per page.\n"
    "\n"
    "  -o REPORT.html  the file to write; - is standard output\n"
    "  --lang de|en    the language of the headings (default de); the terminal's and the\n"
    "                  generator's own texts stay as they are\n"
    "  --time T        YYYY-MM-DDTHH:MM:SS, the clock of the simulation, which the records'\n"
    "                  date and time stamps show (default 2025-01-31T14:05:09, so that the\n"
    "                  same project gives the same report)\n"
    "  --force         replace REPORT.html if it exists\n"
    "\n"
    "Exit status 2 when the project cannot be read or the report cannot be written\n"
    "(REPORT.html exists without --force, or is a folder); REPORT.html is then left as it was.\n";

constexpr LocalTime kSampleTime{2025, 1, 31, 14, 5, 9};

int run(const std::vector<std::string>& argv) {
    const ParsedArgs args = parse_command(argv, {"o", "lang", "time"}, {"force"});
    if (!args.error.empty()) return usage_error("report", args.error);
    if (args.positional.size() != 1) return usage_error("report", "expects one PROJECT file (kest report --help)");
    const auto output = args.value("o");
    if (!output || output->empty()) return usage_error("report", "-o REPORT.html is required");
    if (output_is_input("report", *output, args.positional[0])) return kExitBadInput;
    const std::string lang = args.value("lang").value_or("de");
    if (lang != "de" && lang != "en") return usage_error("report", "--lang takes de or en, not '" + lang + "'");
    report::ReportInput input;
    input.time = kSampleTime;
    if (const auto text = args.value("time")) {
        std::string error;
        const auto time = parse_time(*text, error);
        if (!time) return usage_error("report", error);
        input.time = *time;
    }
    const std::string& path = args.positional[0];
    const auto loaded = load_project("report", path);
    if (!loaded) return kExitBadInput;
    // A path given in the Windows code page (kest.exe) is shown in UTF-8 like every text.
    std::string missing;
    const bool utf8 = utf8_to_cp1252_exact(path, &missing) || !missing.empty();
    input.fileName = utf8 ? path : cp1252_to_utf8(path);
    input.olderLayout = loaded->olderLayout;
    input.findings = out_of_range(path, *loaded);
    input.english = lang == "en";
    input.version = KEST_VERSION;

    const std::string html = report::report_html(*loaded->project, input);
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(html.data());
    int error = 0;
    const OutputProblem problem =
        write_output_file(output_target(*output), std::span(bytes, html.size()), output_rules(args.flag("force"), true),
                          system_file_steps(), &error);
    if (problem == OutputProblem::None) return kExitOk;
    report_output_problem("report", *output, problem, error);
    return kExitBadInput;
}

const Registration registration({"report", "write an HTML report of a project with every screen", kUsage, run});

}  // namespace
}  // namespace kest::cli
