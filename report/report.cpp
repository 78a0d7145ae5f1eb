#include "report/report.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <map>
#include <string>

#include "common/cp1252.h"
#include "editor/barcode_settings_page.h"
#include "editor/code_grid.h"
#include "editor/date_time_stamp_dialog.h"
#include "editor/symbology_dialog.h"
#include "project/defaults.h"
#include "project/names.h"
#include "project/rules.h"
#include "report/app_map.h"
#include "report/html.h"
#include "report/pictures.h"
#include "report/routes.h"
#include "report/screens.h"

namespace kest::report {
namespace {

constexpr char kStyle[] = R"(
body{font:14px/1.35 "DejaVu Sans",Arial,sans-serif;color:#000;background:#fff;margin:0 auto;max-width:1120px;padding:16px}
h1{font-size:22px;margin:0 0 8px}h2{font-size:18px;border-bottom:2px solid #000;margin:0 0 8px;padding-bottom:2px}
h3{font-size:15px;margin:14px 0 4px}section.page{margin-top:32px}p{margin:4px 0}
table{border-collapse:collapse;margin:2px 0 6px}th,td{border:1px solid #555;padding:2px 5px;text-align:left;vertical-align:top;font-size:12px}
th{background:#e6e6e6}td.n{text-align:right}.dim{color:#555}
.sys{font-family:"DejaVu Sans Mono",monospace;white-space:pre;text-decoration:underline dotted #777}
.mono{font-family:"DejaVu Sans Mono",monospace;font-size:11px;word-break:break-all}
.object .grid2{display:grid;grid-template-columns:330px 1fr;gap:14px;align-items:start}
.route-line{font-size:12px;margin-bottom:6px}.findings li{font-size:12px}.findings{border-left:4px solid #000;padding:2px 8px 2px 24px;margin:6px 0}
nav ul{columns:3;font-size:13px}svg text{font-family:"DejaVu Sans",Arial,sans-serif}
svg.display{display:block;max-width:100%;height:auto}.lcd{fill:#e3e9d4;stroke:#000;stroke-width:2}
.grid{fill:none;stroke:#b9c2a8;stroke-width:.6}.outside{fill:url(#hatch);opacity:.6}.bar{fill:#000}.cursor{fill:#000}
.line{font-family:"DejaVu Sans Mono",monospace;font-size:17px;fill:#000;white-space:pre}.line.lit{fill:#fff}
.indicator{fill:#fff;stroke:#000}.ind{font-size:13px;font-weight:bold}
svg.map{display:block;width:100%;height:auto;max-height:640px}.node rect{fill:#fff;stroke:#000;stroke-width:1.5}
.node.start rect{fill:#ddd}.node.orphan rect{stroke-dasharray:5 3}.name{font-size:13px;font-weight:bold;white-space:pre}
.sub{font-size:10px;white-space:pre}.route path{fill:none;stroke:#000;stroke-width:1.2;marker-end:url(#arrow)}
.route.esc path{stroke-dasharray:6 4}.route.next path,.route.start path{stroke-width:2.4}
.rlabel{font-size:10px;paint-order:stroke;stroke:#fff;stroke-width:3px}.mark rect{fill:#fff;stroke:#000}.mark text{font-size:9px}
.legend{font-size:12px}svg.ruler{display:block;max-width:100%;height:auto}.record{fill:#fff;stroke:#000}
.box{fill:#f2f2f2;stroke:#000}.hatch{fill:url(#hatch)}.sep{fill:#bbb;stroke:#000}.tick{stroke:#000}
.num,.span,.keyname{font-size:9px}.fname,.sepchar{font-size:11px;font-weight:bold}
.rec{font-family:"DejaVu Sans Mono",monospace;font-size:13px;line-height:2.6;word-break:break-all;white-space:pre-wrap}
table.lines{table-layout:fixed;width:100%}.lines th:nth-child(1){width:16px}.lines th:nth-child(2){width:10%}
.lines th:nth-child(3){width:15%}.lines th:nth-child(8){width:13%}.lines th:nth-child(5),.lines th:nth-child(6){width:26px}
.lines th:nth-child(4){width:11%}.lines th:nth-child(7){width:8%}.lines .sys{white-space:pre-wrap;word-break:break-all}
table.head{margin-top:6px}
.rec .field{border:1.5px solid #000;padding:2px 1px;position:relative}.rec .field sup{position:absolute;top:-15px;left:0;white-space:nowrap;font-size:9px;font-family:"DejaVu Sans",sans-serif}
.rec .codes{text-decoration:underline}.rec .delim{background:#ccc}.rec .stamp{border:1.5px dashed #000;padding:2px 1px}
.rec .code{font-size:9px;border:1px solid #000;padding:0 1px;margin:0 1px;font-family:"DejaVu Sans",sans-serif}
.lookup table{display:inline-table;margin-right:18px}.lookup{break-inside:avoid}
.cols{columns:2;column-gap:28px}.cols h3{break-after:avoid;margin-top:0;padding-top:10px}.cols table{break-inside:avoid}
@page{size:A4 landscape;margin:10mm}
@media print{body{max-width:none;padding:0;font-size:12px;print-color-adjust:exact;-webkit-print-color-adjust:exact}
.object th,.object td{font-size:9.5px;line-height:1.2;padding:1px 3px}.rec{font-size:10px;line-height:2.3}section.page{break-before:page;margin-top:0}
a{color:#000;text-decoration:none}.object{break-inside:avoid}.mapblock{break-before:page;break-inside:avoid}svg.map{max-height:150mm}}
)";

// Patterns and markers every picture of the document uses.
constexpr char kDefs[] =
    "<svg width=\"0\" height=\"0\" style=\"position:absolute\" aria-hidden=\"true\"><defs>"
    "<pattern id=\"hatch\" width=\"6\" height=\"6\" patternUnits=\"userSpaceOnUse\" patternTransform=\"rotate(45)\">"
    "<path d=\"M0 0V6\" stroke=\"#666\" stroke-width=\"2\"/></pattern>"
    "<marker id=\"arrow\" viewBox=\"0 0 10 10\" refX=\"9\" refY=\"5\" markerWidth=\"9\" markerHeight=\"9\" "
    "orient=\"auto-start-reverse\" markerUnits=\"userSpaceOnUse\"><path d=\"M0 0L10 5L0 10z\"/></marker></defs></svg>";

template <std::size_t N>
std::string name(const char* const (&list)[N], unsigned value) {
    return text(names::of(list, value));
}
std::string target_name(unsigned t) { return text(names::jump_target(t)); }
template <std::size_t N>
std::string cell(const char (&c)[N]) {
    return "<span class=\"sys\">" + text(cell_text(c)) + "</span>";
}
std::string sys(const std::string& cp1252) { return "<span class=\"sys\">" + text(cp1252) + "</span>"; }

// A character code as the grid names it ("CR", "A"), with its number.
std::string code_name(u8 c) { return text(std::string(editor::code_label(c))) + " (" + num(c) + ")"; }

std::string codes_text(const u8 (&slot)[10]) { return text(editor::code_text(editor::read_codes(slot))); }

std::string anchor(int object) { return "obj-" + num(object); }

std::string font_name(u8 font) { return font > 1 ? "(" + num(font) + ")" : font ? "groß" : "klein"; }

// Which page a value out of range belongs to: the form or menu, the lookups, the settings or
// the texts; the overview lists all of them.
std::string finding_home(const Finding& f) {
    auto indexed = [&](const char* prefix) -> int {
        if (f.path.rfind(prefix, 0) != 0) return -1;
        return std::atoi(f.path.c_str() + std::char_traits<char>::length(prefix));
    };
    if (const int i = indexed("forms["); i >= 0) return anchor(jump::form(i));
    if (const int i = indexed("menus["); i >= 0) return anchor(jump::menu(i));
    if (f.path.rfind("lookups", 0) == 0) return "lookups";
    if (f.path.rfind("texts", 0) == 0) return "texts";
    if (f.path.rfind("trailer", 0) == 0) return "overview";
    return "settings";
}

class Writer {
public:
    Writer(const Project& project, const ReportInput& input)
        : p_(project), in_(input), objects_(objects_in_use(project)), routes_(routes(project)) {}

    std::string run();

private:
    const char* t(const char* de, const char* en) const { return in_.english ? en : de; }
    void row(const std::string& head, const std::string& value) {
        out_ += "<tr><th>" + head + "</th><td>" + value + "</td></tr>";
    }
    std::string yes_no(bool on) const { return on ? t("ja", "yes") : t("nein", "no"); }

    void overview();
    void findings_for(const std::string& home);
    void map();
    void lookups();
    void settings();
    void barcode();
    void texts();
    void form_page(std::size_t i);
    void menu_page(std::size_t i);
    void open_object(std::size_t i, const char* kind, u8 font);
    void record(std::size_t i);
    std::string line_details(const FormRecord& f, int line) const;
    std::string subtitle(int object) const;

    const Project& p_;
    const ReportInput& in_;
    std::vector<int> objects_;
    std::vector<Route> routes_;
    Screens screens_;
    std::string out_;
};

std::string Writer::run() {
    screens_ = take_screens(p_, objects_, in_.time);
    out_ = std::string("<!DOCTYPE html>\n<html lang=\"") + t("de", "en") +
           "\">\n<head>\n<meta charset=\"utf-8\">\n<meta name=\"generator\" content=\"kest " + escape(in_.version) +
           "\">\n<title>" + t("Projektbericht", "Project report") + " " + escape(in_.fileName) + "</title>\n<style>" +
           kStyle + "</style>\n</head>\n<body>\n" + kDefs + "\n";
    overview();
    lookups();
    settings();
    texts();
    for (std::size_t i = 0; i < objects_.size(); ++i) {
        if (objects_[i] >= jump::kFirstMenu)
            menu_page(i);
        else
            form_page(i);
    }
    return out_ + "</body>\n</html>\n";
}

void Writer::findings_for(const std::string& home) {
    std::string items;
    for (const Finding& f : in_.findings) {
        if (home != "overview" && finding_home(f) != home) continue;
        items += "<li><span class=\"mono\">" + escape(f.path) + "</span> " + escape(f.what) + " <span class=\"dim\">(" +
                 t("Offset ", "offset ") + num(static_cast<long>(f.offset)) + ")</span>";
        // A form or menu not in use has no page of its own.
        const std::string page = finding_home(f);
        const bool shown =
            page.rfind("obj-", 0) != 0 || std::count(objects_.begin(), objects_.end(), std::atoi(page.c_str() + 4)) > 0;
        if (home == "overview" && page != "overview" && shown)
            items += " &rarr; <a href=\"#" + page + "\">" + t("Seite", "page") + "</a>";
        items += "</li>";
    }
    if (items.empty()) return;
    out_ += std::string("<div class=\"findings\" data-findings=\"") + escape(home) + "\"><b>" +
            t("Werte, die keine Seite von agkest erzeugt (kest check):",
              "Values no page of agkest produces (kest check):") +
            "</b><ul>" + items + "</ul></div>";
}

void Writer::overview() {
    out_ += std::string("<section class=\"page\" id=\"overview\">\n<h1>") + t("Projektbericht", "Project report") +
            ": " + escape(in_.fileName) + "</h1>\n<table>";
    row(t("Projektdatei", "Project file"),
        escape(in_.fileName) +
            (in_.olderLayout ? t(" (aus dem älteren Format umgewandelt)", " (converted from the older layout)") : ""));
    row(t("Kennung", "Tag"), text(cell_text(p_.version.tag)));
    row(t("Programm startet von", "Program starts with"), target_name(start_object(p_)));
    int forms = 0;
    for (int o : objects_) forms += o < jump::kFirstMenu;
    row(t("Masken und Menüs in Gebrauch", "Forms and menus in use"),
        num(forms) + t(" Masken, ", " forms, ") + num(static_cast<long>(objects_.size()) - forms) +
            t(" Menüs", " menus"));
    char time[64];
    std::snprintf(time, sizeof time, "%04d-%02d-%02d %02d:%02d:%02d", in_.time.year, in_.time.month, in_.time.day,
                  in_.time.hour, in_.time.minute, in_.time.second);
    row(t("Uhrzeit der Simulation (Stempel)", "Time of the simulation (stamps)"), time);
    row(t("Erstellt mit", "Written by"), "kest " + escape(in_.version));
    out_ += std::string("</table>\n<nav><h3>") + t("Inhalt", "Contents") + "</h3><ul>" + "<li><a href=\"#map\">" +
            t("Ablauf der Anwendung", "Application map") + "</a></li><li><a href=\"#lookups\">" +
            t("Lookupdateien", "Lookup files") + "</a></li><li><a href=\"#settings\">" +
            t("Einstellungen", "Settings") + "</a></li><li><a href=\"#texts\">" + t("Systemtexte", "System texts") +
            "</a></li>";
    for (int o : objects_) out_ += "<li><a href=\"#" + anchor(o) + "\">" + target_name(o) + "</a></li>";
    out_ += "</ul></nav>\n";
    findings_for("overview");
    map();
    out_ += "</section>\n";
}

std::string Writer::subtitle(int object) const {
    std::string s;
    if (object >= jump::kFirstMenu) {
        const MenuRecord& m = p_.menus[object - jump::kFirstMenu];
        s = m.titleEnabled ? cell_text(m.title) : cell_text(m.items[0]);
    } else {
        const FormRecord& f = p_.forms[object - jump::kFirstForm];
        for (int line = 0; line < line_count(f.font) && s.find_first_not_of(' ') == std::string::npos; ++line)
            s = cell_text(f.prompt[line]);
    }
    const auto first = s.find_first_not_of(' ');
    s = first == std::string::npos ? "" : s.substr(first);
    return cp1252_to_utf8(s.substr(0, kSmallFontWidth));
}

void Writer::map() {
    out_ += std::string("<div class=\"mapblock\"><h2 id=\"map\">") + t("Ablauf der Anwendung", "Application map") +
            "</h2>\n";
    std::vector<std::string> subtitles;
    for (int o : objects_) subtitles.push_back(subtitle(o));
    const MapTexts texts{"Startmaske", t("weiter", "next"), t("nichts führt hierher", "nothing leads here"),
                         t("Ablauf der Anwendung", "Application map")};
    out_ += map_svg(layout_map(objects_, routes_), routes_, subtitles, texts);
    out_ += std::string("<p class=\"legend\">") +
            t("Pfeile: Menüpunkt (Nummer), <b>dick</b> = nächste Aktion nach der letzten Zeile bzw. Programmstart, "
              "gestrichelt = Esc. Ein Sprungzeichen (&#8594;) unter einem Kasten nennt ein Ziel, das nicht in der "
              "Nachbarspalte steht, mit den Wegen dorthin. Gestrichelte Kästen: nichts führt dorthin.",
              "Arrows: menu item (number), <b>thick</b> = next action after the last line or the program start, "
              "dashed = Esc. A jump mark (&#8594;) under a box names a target outside the neighbouring column, with "
              "the routes that lead there. Dashed boxes: nothing leads there.") +
            "</p></div>\n";
}

void Writer::lookups() {
    out_ +=
        std::string("<section class=\"page\" id=\"lookups\">\n<h2>") + t("Lookupdateien", "Lookup files") + "</h2>\n";
    for (int k = 0; k < kLookupCount; ++k) {
        const LookupRecord& l = p_.lookups[k];
        out_ += "<div class=\"lookup\"><h3>" + name(names::kLookupFiles, k + 1) + "</h3>";
        std::string usedBy;
        for (int o : objects_)
            if (o < jump::kFirstMenu && p_.forms[o - jump::kFirstForm].lookupFile == k + 1)
                usedBy += (usedBy.empty() ? "" : ", ") + target_name(o);
        if (l.fieldCount == 0 && l.recordLength == 0) {
            out_ += std::string("<p class=\"dim\">") + t("Nicht festgelegt.", "Not defined.") +
                    (usedBy.empty() ? "" : std::string(" ") + t("Benutzt von ", "Used by ") + usedBy) + "</p></div>";
            continue;
        }
        out_ += "<table>";
        row("Feldlänge", num(l.recordLength));
        row("Anzahl Felder", num(l.fieldCount));
        row(t("Felder", "Fields"), l.separator ? "Trennzeichen " + code_name(l.separator) : std::string("feste Länge"));
        row("Schlüsselfeld", "Feld " + num(l.keyField + 1));
        row("Lookupdatei kann geladen werden", yes_no(l.loadable));
        row("Aktion, falls Datensatz nicht gefunden wurde", name(names::kNotFoundActions, l.notFoundAction));
        if (!usedBy.empty()) row(t("Benutzt von", "Used by"), usedBy);
        out_ += std::string("</table><table><tr><th>#</th><th>ab Position</th><th>") +
                (l.separator ? "Max Länge" : "Länge") + "</th></tr>";
        for (int i = 0; i < std::min<int>(l.fieldCount, kLookupFields); ++i)
            out_ += "<tr><td>Feld " + num(i + 1) + (i == l.keyField ? " (Schlüsselfeld)" : "") +
                    "</td><td class=\"n\">" + num(l.fieldStart[i]) + "</td><td class=\"n\">" + num(l.fieldLength[i]) +
                    "</td></tr>";
        out_ += "</table>" + lookup_ruler_svg(l, "Schlüsselfeld") + "</div>";
    }
    findings_for("lookups");
    out_ += "</section>\n";
}

void Writer::barcode() {
    const u8* b = p_.barcode.bytes;
    out_ += std::string("<h3>") + t("Barcode", "Barcode") + "</h3><table>";
    row("Scanmodus", name(names::kScanModes, b[20] >> 4));
    row("Dekodiersicherheit", name(names::kDecodeSecurity, (b[11] >> 2) & 3));
    row("Time out", num(b[21]) + " sec");
    std::string on;
    for (const auto& box : editor::barcode_enable_boxes()) {
        if (!((b[box.byte] >> box.bit) & 1)) continue;
        if (box.id == IDC_BARCODE_INVERTED) {
            row(text(box.name), t("ja", "yes"));
            continue;
        }
        std::string params;
        if (const auto* dialog = editor::symbology_dialog_for_button(box.id + 100)) {
            for (const auto& check : dialog->checks)
                params +=
                    (params.empty() ? "" : "; ") + text(check.label) + ": " + yes_no((b[check.byte] >> check.bit) & 1);
            for (const auto& group : dialog->radios) {
                const unsigned value = (b[group.byte] >> group.shift) & ((1u << group.width) - 1u);
                std::string chosen = "(" + num(value) + ")";
                for (int i = 0; i < group.count; ++i)
                    if (group.values[static_cast<std::size_t>(i)] == value) chosen = text(group.labels[i]);
                params += (params.empty() ? "" : "; ") + text(group.title) + ": " + chosen;
            }
            if (const auto* lengths = dialog->lengths) {
                const u8 first = b[lengths->byte], second = b[lengths->byte + 1];
                params += (params.empty() ? "" : "; ") +
                          ((first & 0x80) ? "Max / Min Länge " + num(first & 0x7F) + " / " + num(second)
                                          : "feste Länge " + num(first & 0x7F) + ", " + num(second));
            }
        }
        on += "<tr><td>" + text(box.name) + "</td><td>" + params + "</td></tr>";
    }
    out_ += "</table>";
    out_ += std::string("<table class=\"symbologies\"><tr><th>") + t("Eingeschaltete Codes", "Symbologies on") +
            "</th><th>Parameter</th></tr>" +
            (on.empty() ? "<tr><td colspan=\"2\">" + std::string(t("keine", "none")) + "</td></tr>" : on) + "</table>";
}

void Writer::settings() {
    const ApplicationOptions& o = p_.options;
    const KeyboardWedgeSettings& w = p_.wedge;
    out_ += std::string("<section class=\"page\" id=\"settings\">\n<h2>") + t("Einstellungen", "Settings") +
            "</h2><div class=\"cols\">";
    out_ += std::string("<h3>Startup</h3><table>");
    row("Programm startet von", o.startObject ? "Menü 1" : "Maske 1");
    auto delimiter = [&](u8 d) { return d ? code_name(d) : std::string("&lt;leer&gt;"); };
    row("Datenfeldbegrenzer", delimiter(o.delimiter1) + ", " + delimiter(o.delimiter2));
    row(std::string("Für alle Überschriften große Schriftarten verwenden"), yes_no(o.largeTitles));
    out_ += "</table>";
    barcode();

    out_ += std::string("<h3>") + t("Terminal (Systemeinstellungen)", "Terminal (system settings)") + "</h3><table>";
    row("Sendeport", name(names::kSendPorts, o.sendPort));
    row("Empfangsport", name(names::kReceivePorts, o.receivePort));
    row("Baudrate", text(names::terminal_rate(o.terminalBaud)));
    row("Hintergrundbeleuchtung", name(names::kBacklight, o.backlight) + ", " + text("Beleuchtung aus nach : ") +
                                      num(o.backlightOff * 10L) + " sec");
    row(std::string("Daten löschen nach Senden"), name(names::kDeleteAfterSend, o.deleteAfterSend));
    row("Quittierungsoptionen", name(names::kAckDisplays, o.ackDisplay) + ", " +
                                    (o.ackTime ? std::string("Anzeige für : ") + num(o.ackTime * 100L) + " ms"
                                               : std::string("Taste drücken nach Quittung")));
    out_ += "</table>";

    out_ += std::string("<h3>") + t("Tastatur (Keyboard-Wedge)", "Keyboard wedge") + "</h3><table>";
    static const char* const kShift[] = {"Normal", "Capital-lock keyboard", "Shift-lock keyboard"};
    static const char* const kCase[] = {"Normal", "klein", "gro\xDF"};
    row("Tastatur / Terminal Typ", name(names::kKeyboardTypes, w.keyboardType));
    row(std::string("Ziffernblock zur Übertragung von Zahlen benutzen"), yes_no(w.wedgeFlags & 1));
    row("Shift / Capital lock type", name(kShift, (w.wedgeFlags >> 1) & 3));
    row("Zeichenformat", name(kCase, (w.wedgeFlags >> 3) & 3));
    row("Capital lock", w.wedgeFlags & 0x40   ? std::string("Immer EIN")
                        : w.wedgeFlags & 0x20 ? std::string("ignorieren")
                                              : std::string("autom. Ekennung"));
    row("Pause zwischen zwei Zeichen", num(w.charPause) + " ms");
    row("Verbindungs-Time-out", num(w.linkTimeout) + " sec");
    row(std::string("An jeden Datensatz CR/LF anhängen"), yes_no(w.appendCrLf));
    out_ += "</table>";

    out_ += std::string("<h3>") + t("Passwortschutz", "Password protection") + "</h3><table>";
    row(t("Passwort", "Password"),
        o.password[0] ? t("gesetzt (hier nicht gezeigt)", "set (not shown here)") : t("keines", "none"));
    std::string areas;
    for (int i = 0; i < 12; ++i)
        if (o.protectedArea[i]) areas += (areas.empty() ? "" : ", ") + name(names::kProtectedAreas, i);
    row(std::string("Passwortgeschützte Bereiche"), areas.empty() ? std::string(t("keine", "none")) : areas);
    out_ += "</table>";

    out_ += std::string("<h3>") + t("Funktionstasten", "Function keys") + "</h3><table>";
    bool anyKey = false;
    for (int k = 0; k < static_cast<int>(std::size(o.functionKey)); ++k) {
        if (!o.functionKey[k]) continue;
        anyKey = true;
        row("FN+" + num(k), name(names::kTerminalFunctions, o.functionKey[k]));
    }
    if (!anyKey) row("FN+0 &hellip; FN+9", "&lt;leer&gt;");
    out_ += "</table>";

    out_ += std::string("<h3>") + t("PC-Schnittstelle", "PC port") + "</h3><table>";
    row("COM", name(names::kComPorts, p_.com.portIndex) + ", " + text(names::rate(p_.com.rateIndex)) + " bps");
    out_ += "</table></div>";
    findings_for("settings");
    out_ += "</section>\n";
}

void Writer::texts() {
    out_ += std::string("<section class=\"page\" id=\"texts\">\n<h2>") + t("Systemtexte", "System texts") + "</h2><p>" +
            t("Texte, die von den Standardtexten abweichen (Leerzeichen am Zeilenende zählen nicht).",
              "Texts that differ from the defaults (blanks at the end of a line do not count).") +
            "</p>";
    auto trimmed = [](std::string s) {
        while (!s.empty() && s.back() == ' ') s.pop_back();
        return s;
    };
    std::string rows;
    auto compare = [&](const std::string& table, int r, const std::string& mine, const std::string& standard) {
        if (trimmed(mine) == trimmed(standard)) return;
        rows += "<tr><td>" + table + "</td><td class=\"n\">" + num(r + 1) + "</td><td>" + sys(mine) + "</td><td>" +
                sys(standard) + "</td></tr>";
    };
    for (int r = 0; r < 4; ++r)
        compare(t("Begrüßungsbild", "Sign-on screen"), r, cell_text(p_.signOn.rows[r]), sign_on_default_row(r));
    for (int table = 0; table < kTextTableCount; ++table) {
        const TextTableInfo& info = text_table_info(table);
        for (int r = 0; r < info.rows; ++r)
            compare(text(info.label), r, cell_text(text_cell(p_, table, r), info.cellSize),
                    title_default_row(table, r, p_.options.largeTitles != 0));
    }
    if (rows.empty())
        out_ += std::string("<p>") +
                t("Alle Systemtexte sind die Standardtexte.", "Every system text is the default.") + "</p>";
    else
        out_ += std::string("<table><tr><th>") + t("Tabelle", "Table") + "</th><th>" + t("Zeile", "Row") + "</th><th>" +
                t("Text im Projekt", "Text of the project") + "</th><th>" + t("Standard", "Default") + "</th></tr>" +
                rows + "</table>";
    findings_for("texts");
    out_ += "</section>\n";
}

// The page of a form or menu up to its picture and the way there.
void Writer::open_object(std::size_t i, const char* kind, u8 font) {
    const Screen& s = screens_.screens[i];
    const int object = s.object;
    out_ += "<section class=\"page object " + std::string(kind) + "\" id=\"" + anchor(object) + "\" data-object=\"" +
            num(object) + "\"" + (s.launched ? " data-launched=\"1\"" : "") + ">\n<h2>" + target_name(object) +
            "</h2><div class=\"grid2\"><div>";
    out_ += display_svg(s.display, is_large_font(font), keys_text(s.keys),
                        std::string(t("Display beim Start von ", "Display when starting ")) +
                            cp1252_to_utf8(names::jump_target(object)));
    out_ += std::string("<p class=\"route-line\">");
    if (s.launched) {
        out_ += t("Keine Tastenfolge führt vom Startbildschirm hierher; gezeigt auf einer Kopie des Projekts, "
                  "die über ",
                  "No keys lead here from the start screen; shown on a copy of the project that starts through ") +
                std::string(object >= jump::kFirstMenu ? "Maske 1" : "Menü 1") + t(" hierher führt.", ".");
    } else {
        out_ += std::string(t("Weg: ", "Route: ")) + "Startmaske";
        for (const Route& r : s.route) {
            const std::string how = r.kind == RouteKind::Start  ? t("Programm", "program")
                                    : r.kind == RouteKind::Item ? std::string(t("Punkt ", "item ")) + num(r.item)
                                    : r.kind == RouteKind::Next ? t("ausgefüllt", "filled in")
                                                                : "Esc";
            out_ += " &rarr; [" + how + "] " + target_name(r.to);
        }
    }
    out_ += std::string("<br><span class=\"dim\">") + t("Tasten: ", "Keys: ") + "</span><span class=\"mono\">" +
            escape(keys_text(s.keys)) + "</span></p>";
}

std::string Writer::line_details(const FormRecord& f, int n) const {
    std::vector<std::string> parts;
    if (f.lineType[n] == kFieldLookup) {
        if (f.defaultOn[n]) parts.push_back("Felddaten speichern");
    } else if (f.defaultOn[n]) {
        parts.push_back("Voreinstellung " + sys(cell_text(f.defaultValue[n])));
    }
    if (f.fixedLengthOn[n])
        parts.push_back(std::string("feste Datenlänge ") + num(f.fixedLength[n]) + ", " +
                        name(names::kJustify, f.justify[n]));
    if (f.prefixOn[n]) parts.push_back(std::string("Präfix ") + codes_text(f.prefix[n]));
    if (f.suffixOn[n]) parts.push_back("Suffix " + codes_text(f.suffix[n]));
    if (f.fillChar[n]) parts.push_back(std::string("Füllzeichen ") + code_name(f.fillChar[n]));
    if (f.substringOn[n])
        parts.push_back("Teilstring aus Barcode: Startposition " + num(f.substringStart[n]) + ", Anzahl Zeichen " +
                        num(f.substringCount[n]));
    if (f.checkPrefixOn[n]) parts.push_back(std::string("Präfix prüfen ") + sys(cell_text(f.checkPrefix[n])));
    if (is_input_line(f.lineType[n]) && f.autoEnter[n] == 0) parts.push_back("Auto ENTER : Nein");
    std::string out;
    for (const auto& part : parts) out += (out.empty() ? "" : "; ") + part;
    return out;
}

void Writer::record(std::size_t i) {
    const SampleRecord& r = screens_.records[i];
    const Screen& s = screens_.screens[i];
    out_ += std::string("<h3>") + t("Datensatz aus Beispieleingaben", "Record from sample input") + "</h3>";
    if (!r.built) {
        out_ += std::string("<p>") +
                t("Die Maske lässt sich mit den Beispieleingaben nicht abschließen.",
                  "The form cannot be completed with the sample input.") +
                "</p>";
        return;
    }
    std::vector<Step> keys = s.keys;
    keys.insert(keys.end(), r.keys.begin(), r.keys.end());
    out_ += "<div class=\"rec\" data-keys=\"" + escape(keys_text(keys)) + "\" data-record=\"" + text(r.text) + "\">";
    auto chars = [&](std::size_t from, std::size_t to) {
        std::string o;
        for (std::size_t k = from; k < to; ++k) {
            const auto c = static_cast<u8>(r.text[k]);
            o += c < 0x20 || c == 0x7F ? "<span class=\"code\">" + text(std::string(editor::code_label(c))) + "</span>"
                                       : text(std::string(1, static_cast<char>(c)));
        }
        return o;
    };
    if (r.text.empty()) {
        out_ += std::string("<span class=\"dim\">") + t("(leer)", "(empty)") + "</span>";
    } else if (r.segments.empty()) {
        out_ += chars(0, r.text.size());
    } else {
        int open = -2;  // the line of the field span that is open
        for (const Segment& seg : r.segments) {
            const bool inField =
                seg.kind == Segment::Prefix || seg.kind == Segment::Value || seg.kind == Segment::Suffix;
            if (open != -2 && (!inField || seg.line != open)) {
                out_ += "</span>";
                open = -2;
            }
            if (inField && open == -2) {
                out_ +=
                    "<span class=\"field\" data-line=\"" + num(seg.line) + "\"><sup>#" + num(seg.line + 1) + "</sup>";
                open = seg.line;
            }
            const std::string body = chars(seg.begin, seg.end);
            switch (seg.kind) {
            case Segment::Stamp: out_ += "<span class=\"stamp\">" + body + "</span>"; break;
            case Segment::Delimiter: out_ += "<span class=\"delim\">" + body + "</span>"; break;
            case Segment::Prefix:
            case Segment::Suffix: out_ += "<span class=\"codes\">" + body + "</span>"; break;
            case Segment::Value: out_ += body; break;
            }
        }
        if (open != -2) out_ += "</span>";
    }
    out_ += std::string("</div><p class=\"dim\">") + num(static_cast<long>(r.text.size())) +
            t(" Zeichen", " characters") +
            (r.segments.empty() || r.text.empty() ? ""
                                                  : t("; Kästen: Felder mit Zeilennummer, grau: Datenfeldbegrenzer, "
                                                      "unterstrichen: Präfix und Suffix, gestrichelt: Datum und Zeit",
                                                      "; boxes: fields with their line number, grey: delimiters, "
                                                      "underlined: prefix and suffix, dashed: date and time")) +
            "</p>";
}

void Writer::form_page(std::size_t i) {
    const int object = objects_[i];
    const FormRecord& f = p_.forms[object - jump::kFirstForm];
    open_object(i, "form", f.font);
    out_ += "<table class=\"head\">";
    row("Schriftart", font_name(f.font));
    row("Esc", target_name(f.escTarget));
    row(std::string("Nächste Aktion"), target_name(f.nextTarget));
    row("Lookupdatei", name(names::kLookupFiles, f.lookupFile));
    row("Datensatz", name(names::kRecordActions, f.recordAction));
    std::string stamp = name(names::kStampPositions, f.stampPosition);
    if (f.stampPosition != 0)
        stamp += "; " + text(editor::date_preview(f)) + "; " + text(editor::time_preview(f)) +
                 (f.stampSplit ? "; " + text("DATUM und ZEIT Zusatz in zwei Felder aufteilen") : "");
    row(std::string("Datum &amp; Zeit Zusatz"), stamp);
    out_ += "</table>";
    record(i);
    out_ += std::string(
                "</div><div><table class=\"lines\"><tr><th>#</th><th>Datentyp</th><th>Displayanzeige</th>"
                "<th>Datenquelle</th><th>Min</th><th>Max</th><th>Lookup</th><th>") +
            t("Beispiel", "Sample") + "</th><th>" + t("Weitere Einstellungen", "Further settings") + "</th></tr>";
    const SampleRecord& r = screens_.records[i];
    bool any = false;
    for (int n = 0; n < kFormLines; ++n) {
        if (f.lineType[n] == kFieldEmpty) continue;
        any = true;
        const bool outside = n >= line_count(f.font);
        out_ += std::string("<tr") + (outside ? " class=\"dim\"" : "") + "><td>" + num(n + 1) + "</td><td>" +
                name(names::kFieldTypes, f.lineType[n]) + "</td><td>" + cell(f.prompt[n]) + "</td><td>" +
                name(names::kLineSources, f.lineSource[n]) + "</td><td class=\"n\">" + num(f.minLength[n]) +
                "</td><td class=\"n\">" + num(f.maxLength[n]) + "</td><td>" +
                (f.lineLookupKey[n] ? text(names::lookup_key(f.lineLookupKey[n])) : std::string()) + "</td><td>" +
                (r.built && static_cast<std::size_t>(n) < r.inputs.size() && !r.inputs[n].empty() ? sys(r.inputs[n])
                                                                                                  : std::string()) +
                "</td><td>" + line_details(f, n) +
                (outside ? std::string(t(" (nicht in großer Schrift)", " (not in the large font)")) : "") +
                "</td></tr>";
    }
    if (!any) out_ += std::string("<tr><td colspan=\"9\">") + t("keine Zeilen", "no lines") + "</td></tr>";
    out_ += "</table>";
    findings_for(anchor(object));
    out_ += "</div></div></section>\n";
}

void Writer::menu_page(std::size_t i) {
    const int object = objects_[i];
    const MenuRecord& m = p_.menus[object - jump::kFirstMenu];
    open_object(i, "menu", m.font);
    out_ += "</div><div><table>";
    row("Schriftart", font_name(m.font));
    row("Esc", target_name(m.escTarget));
    row(std::string("Menü-Überschrift"),
        (m.titleEnabled ? std::string(t("gezeigt: ", "shown: ")) : std::string(t("nicht gezeigt: ", "not shown: "))) +
            cell(m.title));
    row(std::string("Überschrift speichern (als einzelnen Datensatz)"), yes_no(m.saveTitle));
    row(std::string("Menüpunkt speichern (als einzelnen Datensatz)"), yes_no(m.saveItemSeparately));
    row(std::string("Menüpunkt speichern (in jedem Datensatz)"), yes_no(m.saveItemInEachRecord));
    out_ += "</table><table class=\"items\"><tr><th>#</th><th>Anzeigetext</th><th>Sprung zu</th></tr>";
    bool any = false;
    for (int k = 0; k < kMenuItems; ++k) {
        if (!item_in_use(m, k)) continue;
        any = true;
        out_ += "<tr><td>" + num(k + 1) + "</td><td>" + cell(m.items[k]) + "</td><td>" + target_name(m.itemTarget[k]) +
                "</td></tr>";
    }
    if (!any) out_ += std::string("<tr><td colspan=\"3\">") + t("keine Menüpunkte", "no items") + "</td></tr>";
    out_ += "</table>";
    findings_for(anchor(object));
    out_ += "</div></div></section>\n";
}

}  // namespace

std::string report_html(const Project& project, const ReportInput& input) { return Writer(project, input).run(); }

}  // namespace kest::report
