// kest show: a project file, readably or as JSON.
#include <cstdio>
#include <iostream>
#include <sstream>

#include "common/cp1252.h"
#include "kest/command.h"
#include "kest/json.h"
#include "common/options.h"
#include "kest/project_io.h"
#include "project/names.h"
#include "project/rules.h"

namespace kest::cli {
namespace {

constexpr char kUsage[] =
    "usage: kest show [--json] FILE\n"
    "\n"
    "Shows a project file (current or older layout): the forms with their lines\n"
    "(types, prompts, lengths and options), the menus with their items and targets,\n"
    "the lookup files, the settings and the screen texts. Texts are shown in UTF-8.\n"
    "\n"
    "  --json  one JSON document for scripts instead of the readable view\n"
    "\n"
    "Exit status 2 when FILE is not a project file or is cut short.\n";

std::string utf8(const std::string& cp1252) { return cp1252_to_utf8(cp1252); }
template <std::size_t N>
std::string text(const char (&cell)[N]) { return utf8(cell_text(cell)); }
std::string text(const char* cell, std::size_t size) { return utf8(cell_text(cell, size)); }
template <std::size_t N>
std::string name(const char* const (&list)[N], unsigned value) { return utf8(names::of(list, value)); }
std::string target(unsigned t) { return utf8(names::jump_target(t)); }

// Prefix and suffix slots hold up to ten character codes, zero-padded.
std::vector<int> codes(const u8 (&slot)[10]) {
    std::vector<int> out;
    for (u8 c : slot) {
        if (c == 0) break;
        out.push_back(c);
    }
    return out;
}

std::string character(u8 c) {
    if (c == 0) return "none";
    std::string out;
    if (c >= 0x20 && c != 0x7F) out = "'" + utf8(std::string(1, static_cast<char>(c))) + "' ";
    return out + "(" + std::to_string(c) + ")";
}

std::string hex_codes(const std::vector<int>& list) {
    std::string out;
    char buf[4];
    for (int c : list) {
        std::snprintf(buf, sizeof buf, "%02X", c);
        out += (out.empty() ? "" : " ") + std::string(buf);
    }
    return out;
}

std::string quoted(const std::string& s) { return "\"" + s + "\""; }
const char* yes_no(bool b) { return b ? "yes" : "no"; }
const char* font_name(u8 font) { return is_large_font(font) ? "large" : "small"; }

bool menu_is_empty(const MenuRecord& m) {
    if (m.title[0] != '\0' || m.titleEnabled) return false;
    for (int i = 0; i < 10; ++i)
        if (m.items[i][0] != '\0' || m.itemTarget[i] != 0) return false;
    return true;
}

bool form_has_lines(const FormRecord& f) {
    for (u8 t : f.lineType)
        if (t != kFieldEmpty) return true;
    return false;
}

// The stamp as a picture: "MM.TT.JJJJ", "hh:mm:ss".
std::string stamp_text(const FormRecord& f) {
    if (f.stampPosition == 0) return name(names::kStampPositions, 0);
    auto join = [](const std::vector<std::string>& parts, bool on, char sep) {
        std::string out;
        for (const auto& part : parts) {
            if (part.empty()) continue;
            if (!out.empty() && on && sep) out += sep;
            out += part;
        }
        return out;
    };
    const std::string year = f.yearOn ? (f.yearDigits ? "JJ" : "JJJJ") : "";
    const std::string month = f.monthOn ? "MM" : "";
    const std::string day = f.dayOn ? "TT" : "";
    std::vector<std::string> order = {year, month, day};
    if (f.dateOrder == 1) order = {month, day, year};
    if (f.dateOrder == 2) order = {day, month, year};
    const std::string date = join(order, f.dateSepOn, f.dateSep[0]);
    const std::string time = join({f.hourOn ? "hh" : "", f.minuteOn ? "mm" : "", f.secondOn ? "ss" : ""},
                                  f.timeSepOn, f.timeSep[0]);
    std::string out = name(names::kStampPositions, f.stampPosition) + ":";
    if (!date.empty()) out += " date " + utf8(date);
    if (!time.empty()) out += " time " + utf8(time);
    if (f.stampSplit) out += ", date and time as two fields";
    return out;
}

std::string line_options(const FormRecord& f, int n) {
    std::string out;
    auto add = [&](const std::string& s) { out += ", " + s; };
    if (f.lineLookupKey[n]) add("lookup " + utf8(names::lookup_key(f.lineLookupKey[n])));
    if (f.fixedLengthOn[n])
        add("fixed length " + std::to_string(f.fixedLength[n]) + " " + name(names::kJustify, f.justify[n]));
    if (f.defaultOn[n]) add("default " + quoted(text(f.defaultValue[n])));
    if (f.prefixOn[n]) add("prefix " + hex_codes(codes(f.prefix[n])));
    if (f.suffixOn[n]) add("suffix " + hex_codes(codes(f.suffix[n])));
    if (f.substringOn[n])
        add("substring from " + std::to_string(f.substringStart[n]) + ", " + std::to_string(f.substringCount[n]) +
            " characters");
    if (f.checkPrefixOn[n]) add("check prefix " + quoted(text(f.checkPrefix[n])));
    if (f.fillChar[n]) add("fill " + character(f.fillChar[n]));
    return out;
}

void print_forms(std::ostream& out, const Project& p) {
    for (int k = 0; k < kFormCount; ++k) {
        const FormRecord& f = p.forms[k];
        out << target(jump::form(k)) << ": ";
        if (!form_has_lines(f)) {
            out << "no lines\n";
            continue;
        }
        out << font_name(f.font) << " font, Esc -> " << target(f.escTarget) << ", next -> "
            << target(f.nextTarget) << ", record: " << name(names::kRecordActions, f.recordAction)
            << ", lookup file: " << name(names::kLookupFiles, f.lookupFile) << "\n";
        out << "  stamp: " << stamp_text(f) << "\n";
        for (int n = 0; n < kFormLines; ++n) {
            if (f.lineType[n] == kFieldEmpty) continue;
            char head[64];
            std::snprintf(head, sizeof head, "  #%d %-12s", n + 1, name(names::kFieldTypes, f.lineType[n]).c_str());
            out << head << quoted(text(f.prompt[n])) << "  length " << int(f.minLength[n]) << "-"
                << int(f.maxLength[n]) << ", " << name(names::kLineSources, f.lineSource[n])
                << (f.autoEnter[n] ? ", auto ENTER" : "") << line_options(f, n) << "\n";
        }
    }
}

void print_menus(std::ostream& out, const Project& p) {
    for (int k = 0; k < kMenuCount; ++k) {
        const MenuRecord& m = p.menus[k];
        out << target(jump::menu(k)) << ": ";
        if (menu_is_empty(m)) {
            out << "empty\n";
            continue;
        }
        out << font_name(m.font) << " font, Esc -> " << target(m.escTarget) << ", title " << quoted(text(m.title))
            << (m.titleEnabled ? " shown" : " not shown");
        if (m.saveTitle) out << ", title saved as a record";
        if (m.saveItemSeparately) out << ", item saved as a record";
        if (m.saveItemInEachRecord) out << ", item saved in each record";
        out << "\n";
        for (int i = 0; i < 10; ++i) {
            if (m.items[i][0] == '\0' && m.itemTarget[i] == 0) continue;
            out << "  " << i + 1 << " " << quoted(text(m.items[i])) << " -> " << target(m.itemTarget[i]) << "\n";
        }
    }
}

void print_lookups(std::ostream& out, const Project& p) {
    for (int k = 0; k < kLookupCount; ++k) {
        const LookupRecord& l = p.lookups[k];
        out << name(names::kLookupFiles, k + 1) << ": record length " << int(l.recordLength) << ", "
            << int(l.fieldCount) << " fields, key field " << l.keyField + 1 << ", "
            << (l.separator ? "separator " + character(l.separator) : std::string("fixed length"))
            << ", loadable " << yes_no(l.loadable) << ", not found: " << name(names::kNotFoundActions, l.notFoundAction)
            << "\n";
        for (int f = 0; f < l.fieldCount && f < 8; ++f)
            out << "  Feld " << f + 1 << ": from " << int(l.fieldStart[f]) << ", length " << int(l.fieldLength[f])
                << "\n";
    }
}

void print_settings(std::ostream& out, const Project& p) {
    const ApplicationOptions& o = p.options;
    const KeyboardWedgeSettings& w = p.wedge;
    std::string protectedAreas;
    for (int i = 0; i < 12; ++i)
        if (o.protectedArea[i]) protectedAreas += (protectedAreas.empty() ? "" : ", ") + name(names::kProtectedAreas, i);
    std::string keys;
    for (int i = 0; i < 10; ++i)
        if (o.functionKey[i]) keys += (keys.empty() ? "" : ", ") + ("FN+" + std::to_string(i)) + " " + name(names::kTerminalFunctions, o.functionKey[i]);
    char barcode[23 * 3 + 1] = {};
    for (int i = 0; i < 23; ++i) std::snprintf(barcode + i * 3, 4, "%02X ", p.barcode.bytes[i]);
    const char* ack[] = {"no display", "record counter", "record"};

    out << "  COM port          " << names::of(names::kComPorts, p.com.portIndex) << ", "
        << names::of(names::kBaudRates, p.com.rateIndex) << " bit/s\n"
        << "  starts with       " << (o.startObject ? target(jump::menu(0)) : target(jump::form(0))) << "\n"
        << "  delimiters        " << character(o.delimiter1) << ", " << character(o.delimiter2) << "\n"
        << "  file per form     " << yes_no(o.separateFilePerForm) << "\n"
        << "  send port         " << name(names::kSendPorts, o.sendPort) << "\n"
        << "  receive port      " << name(names::kReceivePorts, o.receivePort) << "\n"
        << "  terminal rate     " << names::of(names::kBaudRates, o.terminalBaud) << " bit/s\n"
        << "  backlight         " << (o.backlight ? "on" : "off") << ", off after " << o.backlightOff * 10 << " s\n"
        << "  delete after send " << (o.deleteAfterSend ? "automatic" : "manual") << "\n"
        << "  acknowledgement   " << (o.ackDisplay < 3 ? ack[o.ackDisplay] : "(" + std::to_string(o.ackDisplay) + ")")
        << ", " << (o.ackTime ? std::to_string(o.ackTime * 100) + " ms" : std::string("until a key is pressed")) << "\n"
        << "  protected         " << (protectedAreas.empty() ? "none" : protectedAreas) << "\n"
        << "  password          " << (o.password[0] ? quoted(text(o.password)) : std::string("none")) << "\n"
        << "  function keys     " << (keys.empty() ? "none" : keys) << "\n"
        << "  large titles      " << yes_no(o.largeTitles) << "\n"
        << "  keyboard wedge    " << name(names::kKeyboardTypes, w.keyboardType) << ", flags " << int(w.wedgeFlags) << ", pause "
        << int(w.charPause) << " ms, time-out " << int(w.linkTimeout) << " s, CR/LF " << yes_no(w.appendCrLf) << "\n"
        << "  barcode           " << std::string(barcode, 23 * 3 - 1) << "\n";
}

void print_texts(std::ostream& out, const Project& p) {
    out << "  sign-on\n";
    for (const auto& row : p.signOn.rows) out << "    " << quoted(text(row)) << "\n";
    for (int t = 0; t < kTextTableCount; ++t) {
        const TextTableInfo& info = text_table_info(t);
        out << "  " << utf8(info.label) << "\n";
        for (int r = 0; r < info.rows; ++r) out << "    " << quoted(text(text_cell(p, t, r), info.cellSize)) << "\n";
    }
}

void print_readable(std::ostream& out, const std::string& path, const LoadedProject& loaded) {
    const Project& p = *loaded.project;
    out << path << ": project " << cell_text(p.version.tag)
        << (loaded.olderLayout ? " (converted from the older layout)" : "") << "\n\nforms:\n";
    print_forms(out, p);
    out << "\nmenus:\n";
    print_menus(out, p);
    out << "\nlookups:\n";
    print_lookups(out, p);
    out << "\nsettings:\n";
    print_settings(out, p);
    out << "\ntexts:\n";
    print_texts(out, p);
}

void json_target(JsonWriter& j, const std::string& key, u8 t) {
    j.key(key).begin_object().field("code", t).field("name", target(t)).end_object();
}

void json_form(JsonWriter& j, const FormRecord& f, int k) {
    j.begin_object().field("number", k + 1).field("font", font_name(f.font));
    json_target(j, "escTarget", f.escTarget);
    json_target(j, "nextTarget", f.nextTarget);
    j.field("recordAction", f.recordAction).field("recordActionName", name(names::kRecordActions, f.recordAction));
    j.field("lookupFile", f.lookupFile);
    j.key("stamp").begin_object()
        .field("position", f.stampPosition).field("split", f.stampSplit == 1)
        .field("year", f.yearOn == 1).field("twoDigitYear", f.yearDigits == 1)
        .field("month", f.monthOn == 1).field("day", f.dayOn == 1)
        .field("dateSeparator", f.dateSepOn ? text(f.dateSep) : std::string())
        .field("dateOrder", f.dateOrder).field("hour", f.hourOn == 1).field("minute", f.minuteOn == 1)
        .field("second", f.secondOn == 1).field("timeSeparator", f.timeSepOn ? text(f.timeSep) : std::string())
        .end_object();
    j.field("entryLineCount", f.entryLineCount);
    j.key("lines").begin_array();
    for (int n = 0; n < kFormLines; ++n) {
        if (f.lineType[n] == kFieldEmpty) continue;
        j.begin_object().field("line", n + 1).field("type", f.lineType[n])
            .field("typeName", name(names::kFieldTypes, f.lineType[n])).field("prompt", text(f.prompt[n]))
            .field("lookupKey", f.lineLookupKey[n]).field("source", name(names::kLineSources, f.lineSource[n]))
            .field("minLength", f.minLength[n]).field("maxLength", f.maxLength[n]);
        j.key("fixedLength");
        f.fixedLengthOn[n] ? j.value(f.fixedLength[n]) : j.null();
        j.field("justify", f.justify[n]);
        j.key("default");
        f.defaultOn[n] ? j.value(text(f.defaultValue[n])) : j.null();
        j.key("prefix");
        f.prefixOn[n] ? j.numbers(codes(f.prefix[n])) : j.null();
        j.key("suffix");
        f.suffixOn[n] ? j.numbers(codes(f.suffix[n])) : j.null();
        j.key("substring");
        if (f.substringOn[n])
            j.begin_object().field("start", f.substringStart[n]).field("count", f.substringCount[n]).end_object();
        else
            j.null();
        j.key("checkPrefix");
        f.checkPrefixOn[n] ? j.value(text(f.checkPrefix[n])) : j.null();
        j.field("autoEnter", f.autoEnter[n] == 1).field("fillChar", f.fillChar[n]).end_object();
    }
    j.end_array().end_object();
}

void json_menu(JsonWriter& j, const MenuRecord& m, int k) {
    j.begin_object().field("number", k + 1).field("font", font_name(m.font))
        .field("titleEnabled", m.titleEnabled == 1).field("title", text(m.title));
    json_target(j, "escTarget", m.escTarget);
    j.field("saveTitle", m.saveTitle == 1).field("saveItemSeparately", m.saveItemSeparately == 1)
        .field("saveItemInEachRecord", m.saveItemInEachRecord == 1);
    j.key("items").begin_array();
    for (int i = 0; i < 10; ++i) {
        if (m.items[i][0] == '\0' && m.itemTarget[i] == 0) continue;
        j.begin_object().field("item", i + 1).field("text", text(m.items[i]));
        json_target(j, "target", m.itemTarget[i]);
        j.end_object();
    }
    j.end_array().end_object();
}

void json_lookup(JsonWriter& j, const LookupRecord& l, int k) {
    j.begin_object().field("number", k + 1).field("recordLength", l.recordLength)
        .field("fieldCount", l.fieldCount).field("keyField", l.keyField + 1).field("separator", l.separator)
        .field("loadable", l.loadable == 1).field("notFoundAction", l.notFoundAction)
        .field("notFoundActionName", name(names::kNotFoundActions, l.notFoundAction));
    j.key("fields").begin_array();
    for (int f = 0; f < 8; ++f)
        j.begin_object().field("start", l.fieldStart[f]).field("length", l.fieldLength[f]).end_object();
    j.end_array().end_object();
}

void json_settings(JsonWriter& j, const Project& p) {
    const ApplicationOptions& o = p.options;
    const KeyboardWedgeSettings& w = p.wedge;
    j.key("com").begin_object().field("portIndex", p.com.portIndex)
        .field("port", names::of(names::kComPorts, p.com.portIndex)).field("rateIndex", p.com.rateIndex)
        .field("rate", names::of(names::kBaudRates, p.com.rateIndex)).end_object();
    j.key("settings").begin_object().field("optionByte", o.optionByte).field("startObject", o.startObject)
        .field("delimiter1", o.delimiter1).field("delimiter2", o.delimiter2)
        .field("separateFilePerForm", o.separateFilePerForm == 1).field("sendPort", o.sendPort)
        .field("sendPortName", name(names::kSendPorts, o.sendPort)).field("phoneNumber", text(o.phoneNumber))
        .field("receivePort", o.receivePort).field("receivePortName", name(names::kReceivePorts, o.receivePort))
        .field("terminalBaud", o.terminalBaud).field("backlight", o.backlight == 1)
        .field("backlightOff", o.backlightOff).field("deleteAfterSend", o.deleteAfterSend)
        .field("ackDisplay", o.ackDisplay).field("ackTime", o.ackTime);
    j.key("protectedArea").flags(std::vector<bool>(std::begin(o.protectedArea), std::end(o.protectedArea)));
    j.field("password", text(o.password));
    j.key("functionKeys").numbers(std::vector<int>(std::begin(o.functionKey), std::end(o.functionKey)));
    j.key("functionKeyNames").begin_array();
    for (u8 key : o.functionKey) j.value(name(names::kTerminalFunctions, key));
    j.end_array();
    j.field("largeTitles", o.largeTitles == 1).end_object();
    j.key("keyboardWedge").begin_object().field("keyboardType", w.keyboardType)
        .field("keyboardTypeName", name(names::kKeyboardTypes, w.keyboardType)).field("flags", w.wedgeFlags)
        .field("charPause", w.charPause).field("linkTimeout", w.linkTimeout)
        .field("appendCrLf", w.appendCrLf == 1).end_object();
    j.key("barcode").numbers(std::vector<int>(std::begin(p.barcode.bytes), std::end(p.barcode.bytes)));
}

std::string to_json(const std::string& path, const LoadedProject& loaded) {
    const Project& p = *loaded.project;
    JsonWriter j;
    j.begin_object().field("file", path).field("tag", cell_text(p.version.tag)).field("olderLayout", loaded.olderLayout);
    json_settings(j, p);
    j.key("forms").begin_array();
    for (int k = 0; k < kFormCount; ++k) json_form(j, p.forms[k], k);
    j.end_array().key("menus").begin_array();
    for (int k = 0; k < kMenuCount; ++k) json_menu(j, p.menus[k], k);
    j.end_array().key("lookups").begin_array();
    for (int k = 0; k < kLookupCount; ++k) json_lookup(j, p.lookups[k], k);
    j.end_array().key("texts").begin_object().key("signOn").begin_array();
    for (const auto& row : p.signOn.rows) j.value(text(row));
    j.end_array().key("tables").begin_array();
    for (int t = 0; t < kTextTableCount; ++t) {
        const TextTableInfo& info = text_table_info(t);
        j.begin_object().field("index", t).field("label", utf8(info.label))
            .field("width", static_cast<int>(info.cellSize) - 1).key("rows").begin_array();
        for (int r = 0; r < info.rows; ++r) j.value(text(text_cell(p, t, r), info.cellSize));
        j.end_array().end_object();
    }
    j.end_array().end_object().end_object();
    return j.str();
}

int run(const std::vector<std::string>& argv) {
    const ParsedArgs args = parse_args(argv, {}, {"json"});
    if (!args.error.empty()) return usage_error("show", args.error);
    if (args.positional.size() != 1) return usage_error("show", "expects one FILE (kest show --help)");
    const std::string& path = args.positional[0];
    const auto loaded = load_project("show", path);
    if (!loaded) return kExitBadInput;
    if (args.flag("json")) {
        std::cout << to_json(path, *loaded);
    } else {
        std::ostringstream out;
        print_readable(out, path, *loaded);
        std::cout << out.str();
    }
    return kExitOk;
}

const Registration registration({"show", "show a project file readably or as JSON", kUsage, run});

}  // namespace
}  // namespace kest::cli
