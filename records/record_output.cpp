#include "records/record_output.h"

#include <algorithm>

#include "common/cp1252.h"
#include "common/csv.h"
#include "common/json.h"

namespace kest::records {
namespace {

std::string utf8(std::string_view text) { return cp1252_to_utf8(std::string(text)); }

std::string menu_entry(const MenuText& menu) {
    return menu.item < 0 ? "Titel" : "Punkt " + std::to_string(menu.item + 1);
}

// What a form's columns hold for one record, by column name: in a table the stamp as the
// project writes it and in ISO 8601, in JSON in ISO 8601 where it can be.
std::vector<std::pair<std::string, std::string>> named_fields(const FormLayout& layout, const Split& split,
                                                              bool table) {
    std::vector<std::pair<std::string, std::string>> out;
    for (const Column& c : layout.columns) {
        if (c.line >= 0) {
            out.emplace_back(
                c.name, utf8(c.kind == sim::PieceKind::kFixedData ? std::string_view(c.fixed) : split.inputs[c.line]));
            continue;
        }
        const bool date = c.kind == sim::PieceKind::kYear;
        const std::string& text = date ? split.stamp.dateText : split.stamp.timeText;
        const std::string iso = date ? iso_date(split.stamp) : iso_time(split.stamp);
        if (table) {
            out.emplace_back(c.name, utf8(text));
            out.emplace_back(c.name + " ISO", iso);
        } else {
            out.emplace_back(c.name, iso.empty() ? utf8(text) : iso);
        }
    }
    return out;
}

std::string fitting(const RecordMatch& match) {
    std::string out;
    for (int form : match.forms) out += (out.empty() ? "" : ", ") + ("Maske " + std::to_string(form + 1));
    for (const MenuText* menu : match.menus)
        out += (out.empty() ? "" : ", ") + ("Menü " + std::to_string(menu->menu + 1) + " " + menu_entry(*menu));
    return out;
}

}  // namespace

std::vector<std::string_view> data_lines(std::string_view file) {
    const std::string_view end = file.find('\r') == std::string_view::npos ? "\n" : "\r\n";
    std::vector<std::string_view> lines;
    while (!file.empty()) {
        const std::size_t at = file.find(end);
        lines.push_back(file.substr(0, at));
        if (at == std::string_view::npos) break;
        file.remove_prefix(at + end.size());
    }
    return lines;
}

std::vector<ReadRecord> read_records(const ProjectLayouts& layouts, std::string_view file, int chosen) {
    std::vector<ReadRecord> out;
    int number = 0;
    for (std::string_view line : data_lines(file))
        out.push_back({++number, std::string(line), match_record(layouts, line, chosen)});
    return out;
}

std::string group_key(const ReadRecord& r) {
    switch (r.match.kind) {
    case MatchKind::kForm: return "Maske-" + std::to_string(r.match.split.form + 1);
    case MatchKind::kMenu: return "Menue-" + std::to_string(r.match.menu->menu + 1);
    case MatchKind::kAmbiguous: return "ambiguous";
    default: return "unmatched";
    }
}

std::string group_label(const ReadRecord& r) {
    switch (r.match.kind) {
    case MatchKind::kForm: return std::to_string(r.match.split.form + 1);
    case MatchKind::kMenu: return "Menü " + std::to_string(r.match.menu->menu + 1);
    case MatchKind::kAmbiguous: return "ambiguous";
    default: return "unmatched";
    }
}

std::string records_csv(const ProjectLayouts& layouts, const std::vector<const ReadRecord*>& records,
                        const std::vector<int>& forms, const CsvStyle& style) {
    std::vector<int> shown = forms;
    for (const ReadRecord* r : records)
        if (r->match.kind == MatchKind::kForm) shown.push_back(r->match.split.form);
    std::vector<std::string> header = {"Maske", "Zeile"};
    const std::size_t fieldsFrom = header.size();
    const Split none;
    for (const FormLayout& layout : layouts.forms) {
        if (std::find(shown.begin(), shown.end(), layout.form) == shown.end()) continue;
        for (const auto& field : named_fields(layout, none, true))
            if (std::find(header.begin() + fieldsFrom, header.end(), field.first) == header.end())
                header.push_back(field.first);
    }
    const std::size_t fieldsTo = header.size();
    header.push_back("Hinweis");
    header.push_back("Datensatz");

    std::string out = style.bom ? "\xEF\xBB\xBF" : "";
    out += csv_record(header, style.separator, style.end);
    for (const ReadRecord* r : records) {
        std::vector<std::string> cells(header.size());
        cells[0] = group_label(*r);
        cells[1] = std::to_string(r->line);
        const RecordMatch& m = r->match;
        if (m.kind == MatchKind::kForm) {
            for (const auto& [name, value] : named_fields(*m.layout, m.split, true)) {
                const auto at = std::find(header.begin() + fieldsFrom, header.begin() + fieldsTo, name);
                cells[at - header.begin()] = value;
            }
            if (m.split.cut) cells[fieldsTo] = "abgeschnitten";
        } else if (m.kind == MatchKind::kMenu) {
            cells[fieldsTo] = menu_entry(*m.menu);
        } else if (m.kind == MatchKind::kAmbiguous) {
            cells[fieldsTo] = fitting(m);
        }
        cells[fieldsTo + 1] = utf8(r->raw);
        out += csv_record(cells, style.separator, style.end);
    }
    return out;
}

std::string records_json_lines(const std::vector<const ReadRecord*>& records) {
    std::string out;
    for (const ReadRecord* r : records) {
        const RecordMatch& m = r->match;
        JsonWriter json(true);
        json.begin_object().field("line", r->line);
        switch (m.kind) {
        case MatchKind::kForm:
            json.field("kind", "form").field("form", m.split.form + 1).key("fields").begin_object();
            for (const auto& [name, value] : named_fields(*m.layout, m.split, false)) json.field(name, value);
            json.end_object().field("cut", m.split.cut);
            break;
        case MatchKind::kMenu:
            json.field("kind", "menu").field("menu", m.menu->menu + 1).key("item");
            if (m.menu->item < 0)
                json.null();
            else
                json.value(m.menu->item + 1);
            json.field("text", utf8(m.menu->text));
            break;
        case MatchKind::kAmbiguous: {
            std::vector<int> forms;
            for (int form : m.forms) forms.push_back(form + 1);
            std::vector<int> menus;
            for (const MenuText* menu : m.menus) menus.push_back(menu->menu + 1);
            json.field("kind", "ambiguous").key("forms").numbers(forms).key("menus").numbers(menus);
            break;
        }
        default: json.field("kind", "unmatched"); break;
        }
        json.field("raw", utf8(r->raw)).end_object();
        out += json.str();
    }
    return out;
}

RecordCounts count_records(const std::vector<ReadRecord>& records) {
    RecordCounts counts;
    for (const ReadRecord& r : records) {
        ++counts.total;
        if (r.match.kind == MatchKind::kAmbiguous)
            counts.ambiguous.push_back(r.line);
        else if (r.match.kind == MatchKind::kUnmatched)
            counts.unmatched.push_back(r.line);
        else
            ++counts.groups[group_key(r)];
    }
    return counts;
}

}  // namespace kest::records
