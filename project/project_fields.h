// The project tables field by field, in file order, under the names of the project's JSON
// text, each with the values the generator's pages can give it. One description serves
// the JSON text both ways (every byte of the tables is named once) and the check for
// values no page produces.
#pragma once

#include <iterator>
#include <string>

#include "project/limits.h"
#include "project/names.h"
#include "project/project.h"

namespace kest::fields {

// The names of a coded byte; values from `count` on are out of range.
struct Names {
    unsigned count;
    std::string (*name)(unsigned);  // Windows-1252
};

template <const auto& List>
std::string list_name(unsigned value) {
    return names::of(List, value);
}
template <const auto& List>
constexpr Names list(unsigned count = static_cast<unsigned>(std::size(List))) {
    return {count, &list_name<List>};
}

inline constexpr Names kTargets{jump::kCount, &names::jump_target};
inline constexpr Names kLookupKeys{kLookupKeyCount, &names::lookup_key};
inline constexpr Names kRateNames{kRateCount, &names::rate};

// The calls a visitor V answers (B is u8 or const u8 and C char or const char, as the
// project is changed or only read):
//   object(key, f)                  a nested object, its fields visited by f()
//   objects(key, count, f)          an array of count objects, f(i) visiting the i-th
//   info(key, value)                a number or a Windows-1252 text that only describes
//   number(key, B&, max, shown = 0) a byte, out of range above max; written as byte + shown
//   flag(key, B&)                   a byte the pages set to 0 or 1 (false, true)
//   font(key, B&)                   0 small font, 1 large font
//   code(key, nameKey, B&, Names)   a coded byte and, under nameKey, its name
//   target(key, B&)                 a jump target: {"code", "name"}
//   cell(key, C*, size, maxChars)   a text cell; out of range without a zero byte after
//                                   at most maxChars characters. Bytes after the zero that
//                                   are not zero go under key + "After" (hexadecimal).
//   cells(key, C*, count, size, maxChars)  consecutive cells
//   bytes(key, B*, size, max)       a list of size bytes
//   coded_bytes(key, nameKey, B*, size, Names)  a list of coded bytes and their names
//   flags(key, B*, size)            a list of size flags
//   codes(key, B*, size)            up to size character codes, zero-padded
//   raw(key, B*, size)              bytes without a meaning of their own (reserved, line
//                                   data): hexadecimal, left out when all are zero

template <class V, class P>
void visit_com(V& v, P& p) {
    v.object("com", [&] {
        v.code("portIndex", "port", p.com.portIndex, list<names::kComPorts>());
        v.code("rateIndex", "rate", p.com.rateIndex, kRateNames);
    });
}

template <class V, class P>
void visit_settings(V& v, P& p) {
    auto& o = p.options;
    v.object("settings", [&] {
        v.number("optionByte", o.optionByte, 255);
        v.number("startObject", o.startObject, 1);
        v.number("delimiter1", o.delimiter1, 255);
        v.number("delimiter2", o.delimiter2, 255);
        v.flag("separateFilePerForm", o.separateFilePerForm);
        // 4 is the send port with a telephone number that the list does not offer.
        v.code("sendPort", "sendPortName", o.sendPort, list<names::kSendPorts>(5));
        v.cell("phoneNumber", o.phoneNumber, kCell20, 20);
        v.code("receivePort", "receivePortName", o.receivePort, list<names::kReceivePorts>());
        v.number("terminalBaud", o.terminalBaud, kRateCount - 1);
        v.flag("backlight", o.backlight);
        v.number("backlightOff", o.backlightOff, kBacklightOffLimit);
        v.number("deleteAfterSend", o.deleteAfterSend, 1);
        v.number("ackDisplay", o.ackDisplay, 2);
        v.number("ackTime", o.ackTime, kAckTimeLimit);
        v.flags("protectedArea", o.protectedArea, sizeof o.protectedArea);
        v.cell("password", o.password, sizeof o.password, kPasswordLength);
        v.coded_bytes("functionKeys", "functionKeyNames", o.functionKey, sizeof o.functionKey,
                      list<names::kTerminalFunctions>());
        v.flag("largeTitles", o.largeTitles);
        v.raw("reserved", o.reserved, sizeof o.reserved);
    });
}

template <class V, class P>
void visit_wedge(V& v, P& p) {
    auto& w = p.wedge;
    v.object("keyboardWedge", [&] {
        v.code("keyboardType", "keyboardTypeName", w.keyboardType, list<names::kKeyboardTypes>());
        v.number("flags", w.wedgeFlags, 255);
        v.number("charPause", w.charPause, 255);
        v.number("linkTimeout", w.linkTimeout, 255);
        v.flag("appendCrLf", w.appendCrLf);
        v.raw("reserved", w.reserved, sizeof w.reserved);
    });
}

template <class V, class F>
void visit_stamp(V& v, F& f) {
    v.object("stamp", [&] {
        v.code("position", "positionName", f.stampPosition, list<names::kStampPositions>());
        v.flag("split", f.stampSplit);
        v.flag("year", f.yearOn);
        v.flag("twoDigitYear", f.yearDigits);
        v.flag("month", f.monthOn);
        v.flag("day", f.dayOn);
        v.flag("dateSeparatorOn", f.dateSepOn);
        v.cell("dateSeparator", f.dateSep, sizeof f.dateSep, 1);
        v.code("dateOrder", "dateOrderName", f.dateOrder, list<names::kDateOrders>());
        v.flag("hour", f.hourOn);
        v.flag("minute", f.minuteOn);
        v.flag("second", f.secondOn);
        v.flag("timeSeparatorOn", f.timeSepOn);
        v.cell("timeSeparator", f.timeSep, sizeof f.timeSep, 1);
    });
}

template <class V, class F>
void visit_line(V& v, F& f, int n) {
    v.info("line", n + 1);
    v.code("type", "typeName", f.lineType[n], list<names::kFieldTypes>());
    v.cell("prompt", f.prompt[n], kCell20, kSmallFontWidth);
    v.code("lookupKey", "lookupKeyName", f.lineLookupKey[n], kLookupKeys);
    v.code("source", "sourceName", f.lineSource[n], list<names::kLineSources>());
    v.number("minLength", f.minLength[n], kMaxFieldLength);
    v.number("maxLength", f.maxLength[n], kMaxFieldLength);
    v.flag("fixedLengthOn", f.fixedLengthOn[n]);
    v.number("fixedLength", f.fixedLength[n], 255);
    v.code("justify", "justifyName", f.justify[n], list<names::kJustify>());
    v.flag("defaultOn", f.defaultOn[n]);
    v.cell("default", f.defaultValue[n], sizeof f.defaultValue[n], 9);
    v.flag("prefixOn", f.prefixOn[n]);
    v.codes("prefix", f.prefix[n], sizeof f.prefix[n]);
    v.flag("suffixOn", f.suffixOn[n]);
    v.codes("suffix", f.suffix[n], sizeof f.suffix[n]);
    v.flag("substringOn", f.substringOn[n]);
    v.number("substringStart", f.substringStart[n], 255);
    v.number("substringCount", f.substringCount[n], 255);
    v.flag("checkPrefixOn", f.checkPrefixOn[n]);
    v.cell("checkPrefix", f.checkPrefix[n], sizeof f.checkPrefix[n], 5);
    v.flag("autoEnter", f.autoEnter[n]);
    v.number("fillChar", f.fillChar[n], 255);
    v.raw("lineData", f.lineData[n], sizeof f.lineData[n]);
}

template <class V, class F>
void visit_form(V& v, F& f, int k) {
    v.info("number", k + 1);
    v.font("font", f.font);
    v.target("escTarget", f.escTarget);
    v.target("nextTarget", f.nextTarget);
    v.code("recordAction", "recordActionName", f.recordAction, list<names::kRecordActions>());
    v.code("lookupFile", "lookupFileName", f.lookupFile, list<names::kLookupFiles>());
    visit_stamp(v, f);
    v.number("entryLineCount", f.entryLineCount, kFormLines);
    v.number("currentLine", f.currentLine, kFormLines - 1);
    v.objects("lines", kFormLines, [&](int n) { visit_line(v, f, n); });
    v.raw("reserved", f.reserved, sizeof f.reserved);
}

template <class V, class M>
void visit_menu(V& v, M& m, int k) {
    v.info("number", k + 1);
    v.font("font", m.font);
    v.flag("titleEnabled", m.titleEnabled);
    v.cell("title", m.title, kCell20, kSmallFontWidth);
    v.target("escTarget", m.escTarget);
    v.flag("saveTitle", m.saveTitle);
    v.flag("saveItemSeparately", m.saveItemSeparately);
    v.flag("saveItemInEachRecord", m.saveItemInEachRecord);
    v.number("itemCount", m.itemCount, kMenuItems);
    v.number("currentItem", m.currentItem, kMenuItems - 1);
    v.number("runtime", m.runtime, 255);
    v.objects("items", kMenuItems, [&](int i) {
        v.info("item", i + 1);
        v.cell("text", m.items[i], kCell20, kSmallFontWidth);
        v.target("target", m.itemTarget[i]);
    });
    v.raw("reserved", m.reserved, sizeof m.reserved);
}

template <class V, class L>
void visit_lookup(V& v, L& l, int k) {
    v.info("number", k + 1);
    v.number("recordLength", l.recordLength, 255);
    v.number("fieldCount", l.fieldCount, kLookupFields);
    v.number("keyField", l.keyField, kLookupFields - 1, 1);
    v.number("separator", l.separator, 255);
    v.flag("loadable", l.loadable);
    v.code("notFoundAction", "notFoundActionName", l.notFoundAction, list<names::kNotFoundActions>());
    v.objects("fields", kLookupFields, [&](int i) {
        v.number("start", l.fieldStart[i], 255);
        v.number("length", l.fieldLength[i], 255);
    });
    v.raw("reserved", l.reserved, sizeof l.reserved);
}

template <class V, class P>
void visit_texts(V& v, P& p) {
    v.object("texts", [&] {
        v.cells("signOn", p.signOn.rows[0], 4, kCell15, kLargeFontWidth);
        v.objects("tables", kTextTableCount, [&](int t) {
            const TextTableInfo& info = text_table_info(t);
            v.info("index", t);
            v.info("label", std::string(info.label));
            v.info("width", static_cast<int>(info.cellSize) - 1);
            v.cells("rows", text_cell(p, t, 0), info.rows, info.cellSize, info.cellSize - 1);
        });
    });
}

// Every table after the version tag, in the order of the JSON text.
template <class V, class P>
void visit_project(V& v, P& p) {
    visit_com(v, p);
    visit_settings(v, p);
    visit_wedge(v, p);
    v.bytes("barcode", p.barcode.bytes, sizeof p.barcode.bytes, 255);
    v.objects("forms", kFormCount, [&](int k) { visit_form(v, p.forms[k], k); });
    v.objects("menus", kMenuCount, [&](int k) { visit_menu(v, p.menus[k], k); });
    v.objects("lookups", kLookupCount, [&](int k) { visit_lookup(v, p.lookups[k], k); });
    visit_texts(v, p);
}

}  // namespace kest::fields
