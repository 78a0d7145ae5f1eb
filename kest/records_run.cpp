#include "kest/records_run.h"

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <span>

#include "common/file_problem.h"
#include "common/json.h"
#include "kest/command.h"
#include "kest/output_path.h"
#include "kest/project_io.h"
#include "platform/file_steps.h"

namespace kest::cli {
namespace {

using records::ReadRecord;

constexpr std::size_t kLinesShown = 10;

bool into_folder(const std::string& path) {
    if (path.empty() || path == "-") return false;
    std::error_code ec;
    return path.back() == '/' || path.back() == '\\' || std::filesystem::is_directory(path, ec);
}

std::string file_text(const records::ProjectLayouts& layouts, const std::vector<const ReadRecord*>& records,
                      const std::vector<int>& forms, const RecordsOutput& output) {
    if (output.json) return records::records_json_lines(records);
    return records::records_csv(layouts, records, forms, output.excel ? records::kExcelCsv : records::CsvStyle{});
}

bool write_one(const char* command, const std::string& path, const std::string& text, const RecordsOutput& output,
               std::vector<std::string>& written) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    int error = 0;
    const OutputProblem problem =
        write_output_file(output_target(path.empty() ? "-" : path), std::span(bytes, text.size()),
                          output_rules(output.force, true), system_file_steps(), &error);
    if (problem != OutputProblem::None) {
        report_output_problem(command, path, problem, error);
        return false;
    }
    if (!path.empty() && path != "-") written.push_back(path);
    return true;
}

std::string lines_text(const std::vector<int>& lines) {
    std::string out = lines.size() == 1 ? "line " : "lines ";
    for (std::size_t i = 0; i < lines.size() && i < kLinesShown; ++i) out += (i ? ", " : "") + std::to_string(lines[i]);
    if (lines.size() > kLinesShown) out += ", ...";
    return out;
}

}  // namespace

bool json_by_name(const std::string& path) {
    const std::string extension = std::filesystem::path(path).extension().string();
    return extension == ".json" || extension == ".jsonl" || extension == ".JSON" || extension == ".JSONL";
}

bool write_records(const char* command, const records::ProjectLayouts& layouts, const std::vector<ReadRecord>& all,
                   const RecordsOutput& output, std::vector<std::string>& written) {
    std::vector<int> storing;
    for (const records::FormLayout& layout : layouts.forms) storing.push_back(layout.form);
    std::vector<const ReadRecord*> records;
    for (const ReadRecord& r : all) records.push_back(&r);
    if (!into_folder(output.path))
        return write_one(command, output.path, file_text(layouts, records, storing, output), output, written);

    // One file per form (each storing form has one, also without records), menu, and for
    // the lines that are ambiguous or fit no form.
    const std::filesystem::path folder(output.path);
    std::error_code ec;
    if (!std::filesystem::is_directory(folder, ec) && !std::filesystem::create_directory(folder, ec)) {
        std::cerr << "kest " << command << ": " << output.path << ": " << create_problem(output.path, ec.value())
                  << "\n";
        return false;
    }
    std::vector<std::string> keys;
    for (int form : storing) keys.push_back("Maske-" + std::to_string(form + 1));
    for (const ReadRecord& r : all)
        if (std::find(keys.begin(), keys.end(), records::group_key(r)) == keys.end())
            keys.push_back(records::group_key(r));
    for (const std::string& key : keys) {
        std::vector<const ReadRecord*> group;
        for (const ReadRecord& r : all)
            if (records::group_key(r) == key) group.push_back(&r);
        std::vector<int> forms;
        for (int form : storing)
            if (key == "Maske-" + std::to_string(form + 1)) forms.push_back(form);
        const std::string path = (folder / (key + (output.json ? ".jsonl" : ".csv"))).string();
        if (!write_one(command, path, file_text(layouts, group, forms, output), output, written)) return false;
    }
    return true;
}

void print_summary(std::ostream& out, const std::string& data, const records::RecordCounts& counts,
                   const std::vector<ReadRecord>& records) {
    out << data << ": " << counts.total << (counts.total == 1 ? " record" : " records") << "\n";
    for (const auto& [group, count] : counts.groups) {
        std::string key = group;
        std::replace(key.begin(), key.end(), '-', ' ');
        out << "  " << (key.starts_with("Menue") ? "Menü" + key.substr(5) : key) << ": " << count << "\n";
    }
    if (!counts.ambiguous.empty()) {
        out << "  ambiguous: " << counts.ambiguous.size() << " (" << lines_text(counts.ambiguous)
            << "; --form N reads them as form N)\n";
        std::size_t shown = 0;
        for (const ReadRecord& r : records) {
            if (r.match.kind != records::MatchKind::kAmbiguous || ++shown > kLinesShown) continue;
            std::string fits;
            for (int form : r.match.forms) fits += (fits.empty() ? "" : ", ") + ("Maske " + std::to_string(form + 1));
            for (const records::MenuText* m : r.match.menus)
                fits += (fits.empty() ? "" : ", ") + ("Menü " + std::to_string(m->menu + 1));
            out << "    line " << r.line << " fits " << (fits.empty() ? "its form in several ways" : fits) << "\n";
        }
    }
    if (!counts.unmatched.empty())
        out << "  unmatched: " << counts.unmatched.size() << " (" << lines_text(counts.unmatched)
            << "; no form of the project fits)\n";
}

std::string summary_json(const std::string& data, const records::RecordCounts& counts,
                         const std::vector<std::string>& written) {
    JsonWriter json;
    json.begin_object().field("data", data).field("records", counts.total).key("groups").begin_object();
    for (const auto& [key, count] : counts.groups) json.field(key, count);
    json.end_object().key("ambiguous").numbers(counts.ambiguous).key("unmatched").numbers(counts.unmatched);
    json.key("outputs").begin_array();
    for (const std::string& path : written) json.value(path);
    json.end_array().end_object();
    return json.str();
}

std::optional<records::ProjectLayouts> project_layouts_of(const char* command, const std::string& project, int also) {
    const auto loaded = load_project(command, project);
    if (!loaded) return std::nullopt;
    return records::project_layouts(*loaded->project, also);
}

bool upload_records_request(const char* command, const ParsedArgs& args, const std::string& data,
                            std::optional<UploadRecords>& request) {
    const auto project = args.value("project");
    const auto csv = args.value("csv");
    const auto jsonl = args.value("jsonl");
    if (!project && !csv && !jsonl && !args.flag("excel")) return true;
    const auto refuse = [&](const std::string& message) {
        usage_error(command, message);
        return false;
    };
    if (!project || (!csv && !jsonl) || (csv && jsonl))
        return refuse("--project PROJECT.AGX goes with one of --csv OUT.csv and --jsonl OUT.jsonl");
    UploadRecords named;
    named.output.path = csv ? *csv : *jsonl;
    named.output.json = jsonl.has_value();
    named.output.excel = args.flag("excel");
    named.output.force = args.flag("force") || args.flag("append");
    if (named.output.path.empty() || named.output.path == "-")
        return refuse("--csv and --jsonl name a file or a folder");
    if (named.output.excel && named.output.json) return refuse("--excel is for --csv");
    if (named.output.path == data) return refuse(data + " is the data file: name another file for the records");
    if (output_is_input(command, named.output.path, data) || output_is_input(command, named.output.path, *project))
        return false;
    auto layouts = project_layouts_of(command, *project);
    if (!layouts) return false;
    named.layouts = std::move(*layouts);
    request = std::move(named);
    return true;
}

bool upload_records(const char* command, const std::string& data, const UploadRecords& request) {
    const records::ProjectLayouts& layouts = request.layouts;
    const RecordsOutput& output = request.output;
    const auto text = read_input(data, kMostDataFile);
    if (!text || text->size() > kMostDataFile) {
        std::cerr << "kest " << command << ": " << data << ": " << read_problem(data, "a data file") << "\n";
        return false;
    }
    const std::vector<ReadRecord> read = records::read_records(layouts, *text);
    std::vector<std::string> written;
    if (!write_records(command, layouts, read, output, written)) return false;
    print_summary(std::cerr, data, records::count_records(read), read);
    return true;
}

}  // namespace kest::cli
