// kest show: a project file, readably or as JSON.
#include <cstdio>
#include <iostream>
#include <set>
#include <sstream>

#include "common/cp1252.h"
#include "common/options.h"
#include "kest/command.h"
#include "kest/project_io.h"
#include "project/names.h"
#include "project/project_check.h"
#include "project/project_json.h"
#include "project/rules.h"

namespace kest::cli {
namespace {

constexpr char kUsage[] =
    "usage: kest show [--json] FILE\n"
    "\n"
    "Shows a project file (current or older layout): the forms with their lines\n"
    "(types, prompts, lengths and options), the menus with their items and targets,\n"
    "the lookup files, the settings and the screen texts. Texts are shown in UTF-8.\n"
    "Values no page of agkest produces are listed first and marked [out of range].\n"
    "\n"
    "  --json  the project as one JSON document instead: every byte of the file named,\n"
    "          so that `kest build` makes the same file from it\n"
    "\n"
    "Exit status 2 when FILE is not a project file or is cut short.\n";

std::string utf8(const std::string& cp1252) { return cp1252_to_utf8(cp1252); }
template <std::size_t N>
std::string text(const char (&cell)[N]) {
    return utf8(cell_text(cell));
}
std::string text(const char* cell, std::size_t size) { return utf8(cell_text(cell, size)); }
template <std::size_t N>
std::string name(const char* const (&list)[N], unsigned value) {
    return utf8(names::of(list, value));
}
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

// Values out of range, marked where the readable view shows them.
class Marks {
public:
    Marks(const Project& p, const std::vector<Finding>& findings) : base_(reinterpret_cast<const char*>(&p)) {
        for (const Finding& f : findings) offsets_.insert(f.offset);
    }
    std::string operator()(const void* field) const {
        const auto offset = static_cast<std::size_t>(static_cast<const char*>(field) - base_);
        return offsets_.count(offset) ? " [out of range]" : "";
    }

private:
    const char* base_;
    std::set<std::size_t> offsets_;
};

std::string font_name(const u8& font, const Marks& mk) {
    if (font > 1) return "font " + std::to_string(font) + mk(&font);
    return std::string(font ? "large" : "small") + " font";
}

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
    const std::string time =
        join({f.hourOn ? "hh" : "", f.minuteOn ? "mm" : "", f.secondOn ? "ss" : ""}, f.timeSepOn, f.timeSep[0]);
    std::string out = name(names::kStampPositions, f.stampPosition) + ":";
    if (!date.empty()) out += " date " + utf8(date);
    if (!time.empty()) out += " time " + utf8(time);
    if (f.stampSplit) out += ", date and time as two fields";
    return out;
}

std::string line_options(const FormRecord& f, int n, const Marks& mk) {
    std::string out;
    auto add = [&](const std::string& s) { out += ", " + s; };
    if (f.lineLookupKey[n]) add("lookup " + utf8(names::lookup_key(f.lineLookupKey[n])) + mk(&f.lineLookupKey[n]));
    if (f.fixedLengthOn[n])
        add("fixed length " + std::to_string(f.fixedLength[n]) + " " + name(names::kJustify, f.justify[n]) +
            mk(&f.justify[n]));
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

void print_forms(std::ostream& out, const Project& p, const Marks& mk) {
    for (int k = 0; k < kFormCount; ++k) {
        const FormRecord& f = p.forms[k];
        out << target(jump::form(k)) << ": ";
        if (!form_has_lines(f)) {
            out << "no lines\n";
            continue;
        }
        out << font_name(f.font, mk) << ", Esc -> " << target(f.escTarget) << mk(&f.escTarget) << ", next -> "
            << target(f.nextTarget) << mk(&f.nextTarget) << ", record: " << name(names::kRecordActions, f.recordAction)
            << mk(&f.recordAction) << ", lookup file: " << name(names::kLookupFiles, f.lookupFile) << mk(&f.lookupFile)
            << "\n";
        out << "  stamp: " << stamp_text(f) << "\n";
        for (int n = 0; n < kFormLines; ++n) {
            if (f.lineType[n] == kFieldEmpty) continue;
            char head[64];
            std::snprintf(head, sizeof head, "  #%d %-12s", n + 1,
                          (name(names::kFieldTypes, f.lineType[n]) + mk(&f.lineType[n])).c_str());
            out << head << quoted(text(f.prompt[n])) << mk(f.prompt[n]) << "  length " << int(f.minLength[n])
                << mk(&f.minLength[n]) << "-" << int(f.maxLength[n]) << mk(&f.maxLength[n]) << ", "
                << name(names::kLineSources, f.lineSource[n]) << mk(&f.lineSource[n])
                << (f.autoEnter[n] ? ", auto ENTER" : "") << line_options(f, n, mk) << "\n";
        }
    }
}

void print_menus(std::ostream& out, const Project& p, const Marks& mk) {
    for (int k = 0; k < kMenuCount; ++k) {
        const MenuRecord& m = p.menus[k];
        out << target(jump::menu(k)) << ": ";
        if (menu_is_empty(m)) {
            out << "empty\n";
            continue;
        }
        out << font_name(m.font, mk) << ", Esc -> " << target(m.escTarget) << mk(&m.escTarget) << ", title "
            << quoted(text(m.title)) << mk(m.title) << (m.titleEnabled ? " shown" : " not shown");
        if (m.saveTitle) out << ", title saved as a record";
        if (m.saveItemSeparately) out << ", item saved as a record";
        if (m.saveItemInEachRecord) out << ", item saved in each record";
        out << "\n";
        for (int i = 0; i < 10; ++i) {
            if (m.items[i][0] == '\0' && m.itemTarget[i] == 0) continue;
            out << "  " << i + 1 << " " << quoted(text(m.items[i])) << mk(m.items[i]) << " -> "
                << target(m.itemTarget[i]) << mk(&m.itemTarget[i]) << "\n";
        }
    }
}

void print_lookups(std::ostream& out, const Project& p, const Marks& mk) {
    for (int k = 0; k < kLookupCount; ++k) {
        const LookupRecord& l = p.lookups[k];
        out << name(names::kLookupFiles, k + 1) << ": record length " << int(l.recordLength) << ", "
            << int(l.fieldCount) << mk(&l.fieldCount) << " fields, key field " << l.keyField + 1 << mk(&l.keyField)
            << ", " << (l.separator ? "separator " + character(l.separator) : std::string("fixed length"))
            << ", loadable " << yes_no(l.loadable) << ", not found: " << name(names::kNotFoundActions, l.notFoundAction)
            << mk(&l.notFoundAction) << "\n";
        for (int f = 0; f < l.fieldCount && f < 8; ++f)
            out << "  Feld " << f + 1 << ": from " << int(l.fieldStart[f]) << ", length " << int(l.fieldLength[f])
                << "\n";
    }
}

void print_settings(std::ostream& out, const Project& p, const Marks& mk) {
    const ApplicationOptions& o = p.options;
    const KeyboardWedgeSettings& w = p.wedge;
    std::string protectedAreas;
    for (int i = 0; i < 12; ++i)
        if (o.protectedArea[i])
            protectedAreas += (protectedAreas.empty() ? "" : ", ") + name(names::kProtectedAreas, i);
    std::string keys;
    for (int i = 0; i < 10; ++i)
        if (o.functionKey[i])
            keys += (keys.empty() ? "" : ", ") + ("FN+" + std::to_string(i)) + " " +
                    name(names::kTerminalFunctions, o.functionKey[i]) + mk(&o.functionKey[i]);
    char barcode[23 * 3 + 1] = {};
    for (int i = 0; i < 23; ++i) std::snprintf(barcode + i * 3, 4, "%02X ", p.barcode.bytes[i]);
    const char* ack[] = {"no display", "record counter", "record"};

    out << "  COM port          " << names::of(names::kComPorts, p.com.portIndex) << mk(&p.com.portIndex) << ", "
        << names::rate(p.com.rateIndex) << " bit/s" << mk(&p.com.rateIndex) << "\n"
        << "  starts with       " << (o.startObject ? target(jump::menu(0)) : target(jump::form(0)))
        << mk(&o.startObject) << "\n"
        << "  delimiters        " << character(o.delimiter1) << ", " << character(o.delimiter2) << "\n"
        << "  file per form     " << yes_no(o.separateFilePerForm) << "\n"
        << "  send port         " << name(names::kSendPorts, o.sendPort) << mk(&o.sendPort) << "\n"
        << "  receive port      " << name(names::kReceivePorts, o.receivePort) << mk(&o.receivePort) << "\n"
        << "  terminal rate     " << names::rate(o.terminalBaud) << " bit/s" << mk(&o.terminalBaud) << "\n"
        << "  backlight         " << (o.backlight ? "on" : "off") << mk(&o.backlight) << ", off after "
        << o.backlightOff * 10 << " s" << mk(&o.backlightOff) << "\n"
        << "  delete after send " << (o.deleteAfterSend ? "automatic" : "manual") << "\n"
        << "  acknowledgement   " << (o.ackDisplay < 3 ? ack[o.ackDisplay] : "(" + std::to_string(o.ackDisplay) + ")")
        << mk(&o.ackDisplay) << ", "
        << (o.ackTime ? std::to_string(o.ackTime * 100) + " ms" : std::string("until a key is pressed"))
        << mk(&o.ackTime) << "\n"
        << "  protected         " << (protectedAreas.empty() ? "none" : protectedAreas) << "\n"
        << "  password          " << (o.password[0] ? quoted(text(o.password)) : std::string("none")) << mk(o.password)
        << "\n"
        << "  function keys     " << (keys.empty() ? "none" : keys) << "\n"
        << "  large titles      " << yes_no(o.largeTitles) << "\n"
        << "  keyboard wedge    " << name(names::kKeyboardTypes, w.keyboardType) << mk(&w.keyboardType) << ", flags "
        << int(w.wedgeFlags) << ", pause " << int(w.charPause) << " ms, time-out " << int(w.linkTimeout) << " s, CR/LF "
        << yes_no(w.appendCrLf) << "\n"
        << "  barcode           " << std::string(barcode, 23 * 3 - 1) << "\n";
}

void print_texts(std::ostream& out, const Project& p, const Marks& mk) {
    out << "  sign-on\n";
    for (const auto& row : p.signOn.rows) out << "    " << quoted(text(row)) << mk(row) << "\n";
    for (int t = 0; t < kTextTableCount; ++t) {
        const TextTableInfo& info = text_table_info(t);
        out << "  " << utf8(info.label) << "\n";
        for (int r = 0; r < info.rows; ++r)
            out << "    " << quoted(text(text_cell(p, t, r), info.cellSize)) << mk(text_cell(p, t, r)) << "\n";
    }
}

void print_readable(std::ostream& out, const std::string& path, const LoadedProject& loaded,
                    const std::vector<Finding>& findings) {
    const Project& p = *loaded.project;
    const Marks mk(p, findings);
    out << path << ": project " << cell_text(p.version.tag)
        << (loaded.olderLayout ? " (converted from the older layout)" : "") << "\n";
    if (!findings.empty()) {
        out << "\nout of range (no page of agkest produces these values; marked below):\n";
        for (const Finding& f : findings) out << "  offset " << f.offset << ": " << f.path << " " << f.what << "\n";
    }
    out << "\nforms:\n";
    print_forms(out, p, mk);
    out << "\nmenus:\n";
    print_menus(out, p, mk);
    out << "\nlookups:\n";
    print_lookups(out, p, mk);
    out << "\nsettings:\n";
    print_settings(out, p, mk);
    out << "\ntexts:\n";
    print_texts(out, p, mk);
}

int run(const std::vector<std::string>& argv) {
    const ParsedArgs args = parse_command(argv, {}, {"json"});
    if (!args.error.empty()) return usage_error("show", args.error);
    if (args.positional.size() != 1) return usage_error("show", "expects one FILE (kest show --help)");
    const std::string& path = args.positional[0];
    const auto loaded = load_project("show", path);
    if (!loaded) return kExitBadInput;
    const std::vector<Finding> findings = out_of_range(path, *loaded);
    if (args.flag("json")) {
        std::cout << project_to_json(*loaded->project, path, loaded->olderLayout, findings);
    } else {
        std::ostringstream out;
        print_readable(out, path, *loaded, findings);
        std::cout << out.str();
    }
    return kExitOk;
}

const Registration registration({"show", "show a project file readably or as JSON", kUsage, run});

}  // namespace
}  // namespace kest::cli
