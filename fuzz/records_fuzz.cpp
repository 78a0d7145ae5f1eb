// Received records told by a project: whatever the data file holds, every line is read
// once, in order, and written out again; none is lost and none invented. A line read as a
// form's record is what that form assembles from the fields read.
#include <cstring>
#include <memory>
#include <string>

#include "common/cp1252.h"
#include "common/csv.h"
#include "common/json.h"
#include "common/text_encoding.h"
#include "fuzz/harness.h"
#include "project/defaults.h"
#include "records/record_output.h"

namespace kest::fuzz {

namespace {

// Two storing forms alike but for a fixed length, a stamp, codes and a menu title saved as
// a record: the project a short input is read against.
std::unique_ptr<Project> storing_project() {
    auto project = std::make_unique<Project>();
    reset_to_defaults(*project);
    project->options.delimiter1 = ';';
    for (int form : {0, 1}) {
        FormRecord& f = project->forms[form];
        f.recordAction = kRecordStore;
        f.lineType[0] = kFieldText;
        f.lineType[1] = kFieldContinuation;
        f.lineType[2] = kFieldInteger;
        f.lineType[3] = kFieldFixedData;
        set_cell(f.prompt[3], "LAGER");
        f.stampPosition = static_cast<u8>(form + 1);
        f.yearOn = f.monthOn = f.dayOn = f.hourOn = f.minuteOn = f.secondOn = 1;
    }
    FormRecord& second = project->forms[1];
    second.fixedLengthOn[2] = 1, second.fixedLength[2] = 6, second.justify[2] = 3;
    second.prefixOn[0] = 1, second.prefix[0][0] = '#';
    MenuRecord& menu = project->menus[0];
    menu.titleEnabled = menu.saveTitle = 1;
    set_cell(menu.title, "Inventur");
    return project;
}

std::u32string characters(const std::string& cp1252) {
    std::u32string out;
    for (unsigned char c : cp1252) out += cp1252_char(c);
    return out;
}

}  // namespace

// An optional project (the tables of a project file, when the input is longer; otherwise
// the storing project above), then the data file.
std::string records(Input input) {
    auto project = storing_project();
    if (input.size() > sizeof(Project)) {
        std::memcpy(project.get(), input.data(), sizeof(Project));
        input = input.subspan(sizeof(Project));
    }
    const std::string data(input.begin(), input.end());
    const records::ProjectLayouts layouts = records::project_layouts(*project);
    const std::vector<records::ReadRecord> read = records::read_records(layouts, data);

    // The lines joined again are the file (its last line end aside).
    const std::string end = data.find('\r') == std::string::npos ? "\n" : "\r\n";
    std::string joined;
    for (std::size_t i = 0; i < read.size(); ++i) {
        if (read[i].line != static_cast<int>(i) + 1) return "line numbers out of order";
        joined += (i ? end : "") + read[i].raw;
    }
    if (joined != data && joined + end != data) return "the lines read are not the file's lines";

    for (const records::ReadRecord& r : read) {
        const records::RecordMatch& m = r.match;
        if (m.kind == records::MatchKind::kForm && !m.split.cut &&
            records::assemble_again(*m.layout, m.split.inputs, m.split.stamp) != r.raw)
            return "line " + std::to_string(r.line) + " is not what its form assembles from the fields read";
        if (m.kind == records::MatchKind::kAmbiguous && m.forms.size() + m.menus.size() < 1)
            return "line " + std::to_string(r.line) + " is ambiguous without a form";
    }

    // Every line comes out of the table and the JSON Lines with its text.
    std::vector<const records::ReadRecord*> all;
    for (const records::ReadRecord& r : read) all.push_back(&r);
    const std::string csv = records::records_csv(layouts, all, {}, records::kExcelCsv);
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(csv.data());
    const DecodedText text = decode_text(std::span(bytes, csv.size()), TextEncoding::Utf8);
    if (text.fault != DecodeFault::None || !text.bom) return "the table is not UTF-8 with its mark";
    const CsvTable table = read_csv(text.text, U';');
    if (table.error) return "the table does not read back";
    std::size_t row = 1;
    for (const records::ReadRecord& r : read) {
        if (row >= table.rows.size()) return "the table lost line " + std::to_string(r.line);
        const std::u32string& cell = table.rows[row++].cells.back();
        if (cell != characters(r.raw)) return "the table changed line " + std::to_string(r.line);
    }
    const std::string lines = records::records_json_lines(all);
    std::size_t from = 0;
    for (const records::ReadRecord& r : read) {
        const std::size_t to = lines.find('\n', from);
        if (to == std::string::npos) return "the JSON Lines lost line " + std::to_string(r.line);
        const JsonParse parsed = parse_json(std::string_view(lines).substr(from, to - from));
        from = to + 1;
        if (!parsed.value) return "line " + std::to_string(r.line) + " is no JSON object";
        const JsonValue* raw = parsed.value->member("raw");
        if (!raw || raw->text != cp1252_to_utf8(r.raw)) return "the JSON Lines changed line " + std::to_string(r.line);
    }
    return from == lines.size() ? "" : "the JSON Lines hold more than the lines";
}

}  // namespace kest::fuzz
