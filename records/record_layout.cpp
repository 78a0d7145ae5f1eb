#include "records/record_layout.h"

#include <algorithm>
#include <cstdio>
#include <map>

#include "common/cp1252.h"
#include "project/rules.h"
#include "simulator/bounded_text.h"
#include "simulator/field_input.h"
#include "simulator/form_preparation.h"

namespace kest::records {
namespace {

using sim::PieceKind;
using sim::RecordAssembly;

bool is_stamp_digits(PieceKind kind) {
    switch (kind) {
    case PieceKind::kYear:
    case PieceKind::kMonth:
    case PieceKind::kDay:
    case PieceKind::kHour:
    case PieceKind::kMinute:
    case PieceKind::kSecond: return true;
    default: return false;
    }
}

bool is_date(PieceKind kind) {
    return kind == PieceKind::kYear || kind == PieceKind::kMonth || kind == PieceKind::kDay;
}

bool is_input(PieceKind kind) { return kind == PieceKind::kValue || kind == PieceKind::kLookupValue; }

// The probes' clock: the stamp's parts are read by their width only.
constexpr LocalTime kProbeTime{2000, 1, 1, 0, 0, 0};

// What one taken line writes, read off a record of that line alone with no input.
struct LinePieces {
    PieceKind kind = PieceKind::kValue;
    std::string prefix, suffix;
    std::string whole;  // kFixedData: everything the line writes
    std::string fixedText;
    bool fixed = false;
    int size = 0;
    char fill = ' ';
    bool left = false;
};

std::optional<LinePieces> line_pieces(const FormRecord& form, const ApplicationOptions& options, int line) {
    FormRecord alone = form;
    alone.stampPosition = 0;
    for (int other = 0; other < kFormLines; ++other)
        if (other != line && alone.lineType[other] != kFieldContinuation) alone.lineType[other] = kFieldEmpty;
    RecordAssembly record;
    const sim::LineInputs empty = {"", "", "", "", "", "", "", ""};
    record.assemble(alone, options, empty, kProbeTime);
    if (record.pieces().empty()) return std::nullopt;
    LinePieces out;
    for (const sim::RecordPiece& piece : record.pieces()) {
        const std::string text(record.text_of(piece));
        out.whole += text;
        switch (piece.kind) {
        case PieceKind::kPrefix: out.prefix = text; break;
        case PieceKind::kSuffix: out.suffix = text; break;
        case PieceKind::kPadding:
            out.fixed = true;
            out.size += piece.length;
            out.fill = piece.fill;
            out.left = piece.left;
            break;
        case PieceKind::kFixedData:
            out.kind = piece.kind;
            out.fixedText = text;
            break;
        default:
            out.kind = piece.kind;
            out.size += piece.length;
            break;
        }
    }
    return out;
}

// The stamp alone: the width of each part and the separators' texts.
struct StampPieces {
    std::map<PieceKind, std::string> texts;
};

StampPieces stamp_pieces(const FormRecord& form, const ApplicationOptions& options) {
    FormRecord alone = form;
    std::fill(std::begin(alone.lineType), std::end(alone.lineType), u8{kFieldEmpty});
    RecordAssembly record;
    const sim::LineInputs empty = {"", "", "", "", "", "", "", ""};
    record.assemble(alone, options, empty, kProbeTime);
    StampPieces out;
    for (const sim::RecordPiece& piece : record.pieces())
        if (!out.texts.contains(piece.kind)) out.texts[piece.kind] = std::string(record.text_of(piece));
    return out;
}

void add_text(std::vector<Element>& elements, const std::string& text) {
    if (text.empty()) return;
    if (!elements.empty() && elements.back().kind == ElementKind::kText)
        elements.back().text += text;
    else {
        Element element;
        element.text = text;
        elements.push_back(std::move(element));
    }
}

std::string trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// The names of the stamp's columns and of those every table has.
constexpr std::string_view kReserved[] = {"Datum", "Zeit",  "Datum ISO", "Zeit ISO",
                                          "Maske", "Zeile", "Hinweis",   "Datensatz"};

// Column names: the prompts; an empty or repeated one, or one of the names above, takes
// its line's number.
void name_columns(std::vector<Column>& columns, const FormRecord& form) {
    std::map<std::string, int> uses;
    for (Column& c : columns) {
        if (c.line < 0) continue;
        c.name = cp1252_to_utf8(
            trimmed(std::string(form.prompt[c.line], sim::bounded_length(form.prompt[c.line], kCell20))));
        ++uses[c.name];
    }
    for (Column& c : columns) {
        if (c.line < 0) continue;
        if (c.name.empty())
            c.name = "Zeile " + std::to_string(c.line + 1);
        else if (uses[c.name] > 1 ||
                 std::find(std::begin(kReserved), std::end(kReserved), c.name) != std::end(kReserved))
            c.name += " " + std::to_string(c.line + 1);
    }
}

}  // namespace

FormLayout form_layout(const Project& prepared, int form) {
    FormLayout layout;
    layout.form = form;
    layout.record = prepared.forms[form];
    layout.options = prepared.options;
    const FormRecord& f = layout.record;

    std::array<std::optional<LinePieces>, kFormLines> lines;
    std::vector<int> inputs;  // the lines that take input, in order
    for (int line = 0; line < kFormLines; ++line) {
        lines[line] = line_pieces(f, layout.options, line);
        if (!lines[line]) continue;
        layout.columns.push_back({"", line, lines[line]->kind, lines[line]->fixedText});
        if (is_input(lines[line]->kind)) inputs.push_back(line);
    }
    const StampPieces stamp = stamp_pieces(f, layout.options);
    for (const auto& [kind, text] : stamp.texts) {
        layout.hasDate = layout.hasDate || is_date(kind);
        layout.hasTime =
            layout.hasTime || kind == PieceKind::kHour || kind == PieceKind::kMinute || kind == PieceKind::kSecond;
    }
    if (layout.hasDate) layout.columns.push_back({"Datum", -1, PieceKind::kYear, ""});
    if (layout.hasTime) layout.columns.push_back({"Zeit", -1, PieceKind::kHour, ""});
    name_columns(layout.columns, f);

    // Probe records: the first `empty` inputs left empty, the others one character long.
    std::string delimiters;
    for (std::size_t empty = 0; empty <= inputs.size(); ++empty) {
        std::array<std::string, kFormLines> typed;
        for (std::size_t i = empty; i < inputs.size(); ++i) typed[inputs[i]] = "A";
        sim::LineInputs probeInputs;
        for (int line = 0; line < kFormLines; ++line) probeInputs[line] = typed[line].c_str();
        RecordAssembly probe;
        probe.assemble(f, layout.options, probeInputs, kProbeTime);

        std::vector<Element> elements;
        int lastLine = -1;
        int delimiterIndex = 0;
        for (const sim::RecordPiece& piece : probe.pieces()) {
            if (piece.kind == PieceKind::kDelimiter) {
                // A delimiter the record's capacity cut off has the text of the first ones.
                if (piece.length == 1 && delimiters.size() < 2 && delimiterIndex == static_cast<int>(delimiters.size()))
                    delimiters += probe.text_of(piece);
                if (piece.length == 1)
                    add_text(elements, std::string(probe.text_of(piece)));
                else if (delimiterIndex < static_cast<int>(delimiters.size()))
                    add_text(elements, delimiters.substr(delimiterIndex, 1));
                ++delimiterIndex;
                continue;
            }
            delimiterIndex = 0;
            if (piece.line >= 0) {
                if (piece.line == lastLine) continue;
                lastLine = piece.line;
                const LinePieces& l = *lines[piece.line];
                if (l.kind == PieceKind::kFixedData) {
                    add_text(elements, l.whole);
                    continue;
                }
                add_text(elements, l.prefix);
                Element input;
                input.kind = ElementKind::kInput;
                input.line = piece.line;
                const bool extended = piece.line + 1 < kFormLines && f.lineType[piece.line + 1] == kFieldContinuation;
                if (is_input_line(f.lineType[piece.line]) && !extended) input.takes = f.lineType[piece.line];
                if (is_input_line(f.lineType[piece.line]) && f.defaultOn[piece.line])
                    input.preset.assign(f.defaultValue[piece.line],
                                        sim::bounded_length(f.defaultValue[piece.line], sizeof f.defaultValue[0]));
                if (l.fixed) {
                    input.size = l.size;
                    input.fill = l.fill;
                    input.left = l.left;
                } else {
                    input.most = typed[piece.line].empty() ? 0 : static_cast<int>(sim::kInputSize) - 1;
                }
                elements.push_back(input);
                add_text(elements, l.suffix);
            } else if (is_stamp_digits(piece.kind)) {
                Element part;
                part.kind = ElementKind::kStamp;
                part.part = piece.kind;
                const auto text = stamp.texts.find(piece.kind);
                part.size = static_cast<int>(text != stamp.texts.end() ? text->second.size() : 2);
                elements.push_back(part);
            } else {
                const auto text = stamp.texts.find(piece.kind);
                if (text != stamp.texts.end()) add_text(elements, text->second);
            }
        }
        // A variant that differs from another only in inputs held empty reads nothing that
        // one does not read: the other takes them at their length.
        const auto alike = [&](const std::vector<Element>& other) {
            return std::equal(other.begin(), other.end(), elements.begin(), elements.end(),
                              [](Element a, Element b) { return (a.most = b.most, a == b); });
        };
        const auto same = std::find_if(layout.variants.begin(), layout.variants.end(), alike);
        if (same == layout.variants.end()) {
            layout.variants.push_back(std::move(elements));
            continue;
        }
        for (std::size_t i = 0; i < elements.size(); ++i) (*same)[i].most = std::max((*same)[i].most, elements[i].most);
    }
    return layout;
}

ProjectLayouts project_layouts(const Project& project, int also) {
    const Project prepared = sim::prepared_forms(normalised_forms(project));
    ProjectLayouts out;
    for (int form = 0; form < kFormCount; ++form) {
        const u8 action = prepared.forms[form].recordAction;
        if (action != kRecordStore && action != kRecordStoreAndUpdate && form != also) continue;
        FormLayout layout = form_layout(prepared, form);
        const bool empty = layout.variants.size() == 1 && layout.variants[0].empty();
        if (!empty) out.forms.push_back(std::move(layout));
    }
    const auto text = [](const char* cell) {
        std::string s(cell, sim::bounded_length(cell, kCell20));
        return s.substr(0, s.find_last_not_of(' ') + 1);
    };
    for (int menu = 0; menu < kMenuCount; ++menu) {
        const MenuRecord& m = prepared.menus[menu];
        if (m.saveTitle && m.titleEnabled && !text(m.title).empty()) out.menus.push_back({menu, -1, text(m.title)});
        if (!m.saveItemSeparately) continue;
        for (int item = 0; item < kMenuItems; ++item)
            if (!text(m.items[item]).empty()) out.menus.push_back({menu, item, text(m.items[item])});
    }
    return out;
}

std::string assemble_again(const FormLayout& layout, const std::array<std::string, kFormLines>& inputs,
                           const Stamp& stamp) {
    sim::LineInputs typed;
    for (int line = 0; line < kFormLines; ++line) typed[line] = inputs[line].c_str();
    const auto part = [](int value, int otherwise) { return value >= 0 ? value : otherwise; };
    const LocalTime now{part(stamp.year, 2000), part(stamp.month, 1),  part(stamp.day, 1),
                        part(stamp.hour, 0),    part(stamp.minute, 0), part(stamp.second, 0)};
    RecordAssembly record;
    record.assemble(layout.record, layout.options, typed, now);
    return {record.text(), record.length()};
}

std::string iso_date(const Stamp& s) {
    char text[48] = "";
    if (s.year >= 0 && s.month >= 0 && s.day >= 0)
        std::snprintf(text, sizeof text, "%04d-%02d-%02d", s.year, s.month, s.day);
    else if (s.year >= 0 && s.month >= 0)
        std::snprintf(text, sizeof text, "%04d-%02d", s.year, s.month);
    else if (s.month >= 0 && s.day >= 0)
        std::snprintf(text, sizeof text, "--%02d-%02d", s.month, s.day);
    return text;
}

std::string iso_time(const Stamp& s) {
    char text[48] = "";
    if (s.hour >= 0 && s.minute >= 0 && s.second >= 0)
        std::snprintf(text, sizeof text, "%02d:%02d:%02d", s.hour, s.minute, s.second);
    else if (s.hour >= 0 && s.minute >= 0)
        std::snprintf(text, sizeof text, "%02d:%02d", s.hour, s.minute);
    else if (s.hour >= 0)
        std::snprintf(text, sizeof text, "%02d", s.hour);
    return text;
}

}  // namespace kest::records
