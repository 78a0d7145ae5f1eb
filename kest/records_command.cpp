// kest records: the lines of a received data file as named records, by the project's forms.
#include <iostream>

#include "common/file_problem.h"
#include "kest/command.h"
#include "kest/output_path.h"
#include "kest/project_io.h"
#include "kest/records_run.h"

namespace kest::cli {
namespace {

constexpr char kName[] = "records";

constexpr char kUsage[] =
    "usage: kest records DATA.TXT --project PROJECT.AGX [-o OUT] [--format csv|json]\n"
    "                    [--form N] [--excel] [--json] [--force]\n"
    "\n"
    "Reads the records of a data file that kest upload (or \"Daten empfangen\") wrote,\n"
    "tells by the project which form built each line and splits it into the form's\n"
    "fields, named by the lines' prompts: prefix and suffix codes and the fill of fixed\n"
    "lengths removed, the date/time stamp as a date and a time field, the text in UTF-8.\n"
    "A line that fits several forms is ambiguous; a line that fits none is unmatched;\n"
    "both are written with their line number and text, never left out. Menu titles and\n"
    "items saved as records are told as such.\n"
    "\n"
    "  --project FILE   the project whose forms built the records\n"
    "  -o OUT           OUT.csv or OUT.jsonl: one file; DIR/ (or a folder): one file per\n"
    "                   form, DIR/Maske-1.csv ..., with Menue-1.csv ..., ambiguous.csv\n"
    "                   and unmatched.csv where there are such lines; default: standard\n"
    "                   output\n"
    "  --format F       csv (RFC 4180, UTF-8, a \"Maske\" column) or json (JSON Lines, one\n"
    "                   object per record); default: by the extension of OUT, else csv\n"
    "  --excel          CSV for spreadsheet programs set to German: ';', CR LF and a BOM\n"
    "  --form N         reads the lines several forms fit as form N (1-10), also when\n"
    "                   form N does not store its records\n"
    "  --json           the summary as one JSON object on standard output (needs -o)\n"
    "  --force          replace output files that exist\n"
    "\n"
    "The summary (records per form and menu, ambiguous and unmatched lines) goes to stderr.\n"
    "Fixed lengths give back what the terminal kept: blanks or zeros on the side the fill\n"
    "went are taken as fill, and an input longer than the length was cut.\n"
    "Exit status: 0 every line was read, 1 some lines are ambiguous or fit no form,\n"
    "2 usage error, a file that cannot be read or an output that cannot be written.\n";

int run(const std::vector<std::string>& argv) {
    const auto args =
        file_arguments(kName, argv, 1, "one DATA file", {"project", "o", "format", "form"}, {"excel", "json", "force"});
    if (!args) return kExitBadInput;
    const std::string& data = args->positional[0];
    const auto project = args->value("project");
    if (!project || project->empty()) return usage_error(kName, "--project PROJECT.AGX is required");
    RecordsOutput output;
    output.path = args->value("o").value_or("");
    output.excel = args->flag("excel");
    output.force = args->flag("force");
    const std::string format = args->value("format").value_or(json_by_name(output.path) ? "json" : "csv");
    if (format != "csv" && format != "json")
        return usage_error(kName, "--format takes csv or json, not '" + format + "'");
    output.json = format == "json";
    if (output.json && output.excel) return usage_error(kName, "--excel is for CSV output");
    const bool summaryJson = args->flag("json");
    if (summaryJson && (output.path.empty() || output.path == "-"))
        return usage_error(kName, "--json writes the summary to standard output: name the records' output with -o");
    int chosen = -1;
    if (const auto form = args->value("form")) {
        const auto n = parse_number(*form);
        if (!n || *n < 1 || *n > kFormCount) return usage_error(kName, "--form takes a form number 1-10");
        chosen = static_cast<int>(*n) - 1;
    }
    for (const std::string& input : {data, *project})
        if (output_is_input(kName, output.path, input)) return kExitBadInput;

    const auto layouts = project_layouts_of(kName, *project, chosen);
    if (!layouts) return kExitBadInput;
    const auto text = read_input(data, kMostDataFile);
    if (!text) {
        std::cerr << "kest records: " << data << ": "
                  << (data == "-" ? "cannot be read" : read_problem(data, "a data file")) << "\n";
        return kExitBadInput;
    }
    if (text->size() > kMostDataFile) {
        std::cerr << "kest records: " << data << ": larger than " << (kMostDataFile >> 20)
                  << " MiB, no data file of a terminal\n";
        return kExitBadInput;
    }
    const std::vector<records::ReadRecord> read = records::read_records(*layouts, *text, chosen);
    std::vector<std::string> written;
    if (!write_records(kName, *layouts, read, output, written)) return kExitBadInput;
    const records::RecordCounts counts = records::count_records(read);
    if (summaryJson)
        std::cout << summary_json(data, counts, written);
    else if (!args->flag("quiet"))
        print_summary(std::cerr, data, counts, read);
    return counts.ambiguous.empty() && counts.unmatched.empty() ? kExitOk : kExitTransferFailed;
}

const Registration registration({kName, "split received records into named fields by the project's forms", kUsage,
                                 run});

}  // namespace
}  // namespace kest::cli
