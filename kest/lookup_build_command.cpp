// kest lookup-build: a lookup file from a table as business systems and spreadsheets export
// it (CSV), in the layout of one of the project's lookup definitions.
#include <algorithm>
#include <iostream>

#include "common/cp1252.h"
#include "common/file_problem.h"
#include "common/json.h"
#include "kest/command.h"
#include "kest/console_ui.h"
#include "kest/lookup_report.h"
#include "kest/output_path.h"
#include "kest/project_io.h"
#include "platform/file_steps.h"
#include "project/lookup_table.h"

namespace kest::cli {
namespace {

constexpr char kUsage[] =
    "usage: kest lookup-build PROJECT.AGX --lookup N TABLE.CSV -o LOOKUP.TXT [--force]\n"
    "                         [--sep C] [--header | --no-header] [--encoding E]\n"
    "                         [--columns LIST] [--cut] [--unique] [--sort] [--json]\n"
    "\n"
    "Writes the lookup file for lookup N (1-3) of the project from a table: each record of\n"
    "the table becomes one line in the layout the lookup page defines and the terminal\n"
    "reads. With fixed-length fields each value stands at its start position, padded\n"
    "with blanks to its length, in lines of the record length; with a separator the\n"
    "values are joined by it, each at most its field's maximum length. Lines end in\n"
    "CR LF and are Windows-1252, the terminal's code page.\n"
    "\n"
    "The table is read as spreadsheets write it: cells divided by ';', ',' or TAB (the one\n"
    "that gives each record a cell for every field, or divides the records evenly), a\n"
    "cell in double quotes may hold the separator,\n"
    "line breaks and doubled quotes; lines end in CR LF, LF or CR; blank lines are\n"
    "skipped. Its text may be UTF-8 (with or without a BOM), UTF-16 with a BOM, or\n"
    "Windows-1252. A first record whose cells would none fit their fields is taken as a\n"
    "header row.\n"
    "\n"
    "  --lookup N       the lookup definition of the project, 1 to 3\n"
    "  -o LOOKUP.TXT    the lookup file to write; - is standard output\n"
    "  --force          replace LOOKUP.TXT if it exists\n"
    "  --sep C          the table's separator: ';', ',', tab, or any one character\n"
    "  --header         the first record is a header row; --no-header: it is not\n"
    "  --encoding E     utf-8, utf-16le, utf-16be or windows-1252 instead of detecting it\n"
    "  --columns LIST   the table's column for each field, in field order, by number or\n"
    "                   by header name: --columns 3,1,5 or --columns Artikel,Text,Preis;\n"
    "                   without it the table's columns are the fields in order\n"
    "  --cut            cut values longer than their field (counted in the summary)\n"
    "  --unique         refuse duplicate keys (otherwise they are warnings)\n"
    "  --sort           order the lines by key, byte by byte\n"
    "  --json           the summary (or the refusal) as one JSON object: ok, file,\n"
    "                   output, lookup, records, cut, encoding, separator, header,\n"
    "                   warnings; or ok, file, problemCount and problems (line, column,\n"
    "                   text)\n"
    "\n"
    "The table is refused, and nothing is written, when a value is longer than its field\n"
    "(without --cut), holds the separator of the lookup, a line break or a character\n"
    "Windows-1252 does not have; when a key is empty, a line would pass the 289 bytes a\n"
    "lookup line can have, or a record has another number of columns than the first.\n"
    "Each problem is named with its line and column. The summary (records, values cut,\n"
    "warnings) goes to standard output, to standard error with -o -.\n"
    "\n"
    "Exit status 0 when the lookup file was written; 2 when the table was refused, a\n"
    "file could not be read or written, or the lookup definition cannot hold a file.\n";

// A lookup the terminal can hold is far smaller; anything larger is no table for it.
constexpr std::size_t kMaxTableSize = 64u << 20;

std::optional<char32_t> separator_named(const std::string& name) {
    if (name == "tab" || name == "TAB" || name == "\\t") return U'\t';
    const std::u32string text = decode_text({reinterpret_cast<const std::uint8_t*>(name.data()), name.size()}).text;
    if (text.size() != 1 || text[0] == U'"' || text[0] == 0x0D || text[0] == 0x0A) return std::nullopt;
    return text[0];
}

std::vector<std::string> split_list(const std::string& list) {
    std::vector<std::string> items;
    std::size_t start = 0;
    for (std::size_t comma; (comma = list.find(',', start)) != std::string::npos; start = comma + 1)
        items.push_back(list.substr(start, comma - start));
    items.push_back(list.substr(start));
    return items;
}

std::string shown_separator(char32_t c) { return c == U'\t' ? "TAB" : to_utf8(std::u32string(1, c)); }

std::string counted(std::size_t n, const char* one, const char* many) {
    return std::to_string(n) + (n == 1 ? one : many);
}

std::string layout_text(const LookupRecord& l) {
    if (l.separator == 0) return "fixed-length fields, record length " + std::to_string(l.recordLength);
    return "fields divided by '" + cp1252_to_utf8(std::string(1, static_cast<char>(l.separator))) + "'";
}

void problems_json(JsonWriter& json, const char* name, const std::vector<LookupProblem>& list) {
    json.key(name).begin_array();
    for (const LookupProblem& p : list) {
        json.begin_object().field("line", p.line);
        if (p.column) json.field("column", p.column);
        if (p.otherLine) json.field("otherLine", p.otherLine);
        json.field("text", problem_text(p)).end_object();
    }
    json.end_array();
}

int run(const std::vector<std::string>& argv) {
    const ParsedArgs args = parse_command(argv, {"o", "lookup", "sep", "encoding", "columns"},
                                          {"force", "header", "no-header", "cut", "unique", "sort", "json"});
    if (!args.error.empty()) return usage_error("lookup-build", args.error);
    if (args.positional.size() != 2)
        return usage_error("lookup-build", "expects PROJECT.AGX and TABLE.CSV (kest lookup-build --help)");
    const auto output = args.value("o");
    if (!output || output->empty()) return usage_error("lookup-build", "-o LOOKUP.TXT is required");
    const auto number = lookup_number("lookup-build", args);
    if (!number) return kExitBadInput;

    LookupBuildOptions options;
    if (const auto sep = args.value("sep")) {
        options.separator = separator_named(*sep);
        if (!options.separator)
            return usage_error("lookup-build", "--sep takes one character (';', ',', tab), not '" + *sep + "'");
    }
    if (const auto name = args.value("encoding")) {
        options.encoding = encoding_named(*name);
        if (!options.encoding)
            return usage_error("lookup-build",
                               "--encoding takes utf-8, utf-16le, utf-16be or windows-1252, not '" + *name + "'");
    }
    if (args.flag("header") && args.flag("no-header"))
        return usage_error("lookup-build", "--header and --no-header exclude each other");
    if (args.flag("header")) options.header = LookupBuildOptions::Header::Yes;
    if (args.flag("no-header")) options.header = LookupBuildOptions::Header::No;
    if (const auto columns = args.value("columns")) options.columns = split_list(*columns);
    options.cut = args.flag("cut");
    options.unique = args.flag("unique");
    options.sort = args.flag("sort");

    const std::string& projectPath = args.positional[0];
    const std::string& tablePath = args.positional[1];
    const auto loaded = load_project("lookup-build", projectPath);
    if (!loaded) return kExitBadInput;
    const LookupRecord& layout = loaded->project->lookups[*number - 1];
    const std::string shownTable = tablePath == "-" ? "(standard input)" : tablePath;
    const auto csv = read_input(tablePath, kMaxTableSize);
    if (!csv) {
        std::cerr << "kest lookup-build: " << shownTable << ": "
                  << (tablePath == "-" ? "cannot be read" : read_problem(tablePath, "a table")) << "\n";
        return kExitBadInput;
    }
    if (csv->size() > kMaxTableSize) {
        std::cerr << "kest lookup-build: " << shownTable << ": more than 64 MB; no table for a lookup\n";
        return kExitBadInput;
    }

    const LookupTable table =
        build_lookup_table({reinterpret_cast<const std::uint8_t*>(csv->data()), csv->size()}, layout, options);
    const bool toStdout = *output == "-";
    std::ostream& summary = toStdout ? std::cerr : std::cout;
    const bool quiet = args.flag("quiet");
    const std::string lookupName = "lookup " + std::to_string(*number) + " of " + projectPath;

    if (!table.ok()) {
        const bool layoutFault = layout_fault(table.problems.front().fault);
        print_problems("lookup-build", layoutFault ? lookupName : shownTable, table.problems, table.problemCount);
        const bool firstRow = std::any_of(table.problems.begin(), table.problems.end(),
                                          [&](const LookupProblem& p) { return p.line == table.firstLine; });
        if (firstRow && !table.header && options.header == LookupBuildOptions::Header::Detect)
            std::cerr << "kest lookup-build: if line " << table.firstLine << " is a header row, give --header\n";
        if (std::any_of(table.problems.begin(), table.problems.end(),
                        [](const LookupProblem& p) { return p.fault == LookupFault::TooLong; }))
            std::cerr << "kest lookup-build: --cut cuts over-long values to their field\n";
        std::cerr << "kest lookup-build: nothing was written\n";
        if (args.flag("json")) {
            JsonWriter json;
            json.begin_object().field("ok", false).field("file", tablePath).field("problemCount", table.problemCount);
            problems_json(json, "problems", table.problems);
            summary << json.end_object().str();
        }
        return kExitBadInput;
    }

    const std::string text = lookup_file_text(table.lines);
    int error = 0;
    const OutputProblem problem =
        write_output_file(output_target(*output), {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()},
                          output_rules(args.flag("force"), true), system_file_steps(), &error);
    if (problem != OutputProblem::None) {
        report_output_problem("lookup-build", *output, problem, error);
        return kExitBadInput;
    }
    if (!quiet)
        for (const LookupProblem& w : table.warnings)
            std::cerr << "kest lookup-build: " << shownTable << ": warning: " << console_utf8(problem_text(w)) << "\n";
    if (args.flag("json")) {
        JsonWriter json;
        json.begin_object()
            .field("ok", true)
            .field("file", tablePath)
            .field("output", *output)
            .field("lookup", *number)
            .field("records", static_cast<int>(table.lines.size()))
            .field("cut", table.cutValues)
            .field("encoding", encoding_name(table.encoding))
            .field("separator", shown_separator(table.separator))
            .field("header", table.header);
        problems_json(json, "warnings", table.warnings);
        summary << json.end_object().str();
    } else if (!quiet) {
        const std::string line =
            (toStdout ? "(standard output)" : *output) + ": " + counted(table.lines.size(), " record", " records") +
            " for " + lookupName + " (" + layout_text(layout) + "); " +
            counted(table.cutValues, " value cut", " values cut") + ", " +
            counted(table.warnings.size(), " warning", " warnings") + "; read " + encoding_name(table.encoding) +
            ", separator '" + shown_separator(table.separator) + "'" +
            (table.header ? ", header row on line " + std::to_string(table.firstLine) : ", no header row");
        summary << console_utf8(line) << "\n";
    }
    return kExitOk;
}

const Registration registration({"lookup-build", "write a lookup file from a table (CSV)", kUsage, run});

}  // namespace
}  // namespace kest::cli
