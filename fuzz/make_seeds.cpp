// Writes the seed corpora of the fuzz targets into a folder (one subfolder per target):
// projects, older project files, object programs, lookup files, upload scripts and key
// sequences of the shapes the tests use. scripts/fuzz-seeds.sh runs it and adds the
// object programs srec_cat writes.
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "session/download_session.h"
#include "project/defaults.h"
#include "project/older_layout.h"
#include "project/project_file.h"
#include "project/project_json.h"
#include "simulator/display_state.h"
#include "tests/support/srec_text.h"

namespace {

using namespace kest;
using Bytes = std::vector<std::uint8_t>;
namespace fs = std::filesystem;

fs::path out;

void seed(const char* target, const std::string& name, const Bytes& bytes) {
    fs::create_directories(out / target);
    std::ofstream file(out / target / name, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}
void seed(const char* target, const std::string& name, const std::string& text) {
    seed(target, name, Bytes(text.begin(), text.end()));
}

void set_line(FormRecord& f, int line, u8 type, const char* prompt, int maxLength) {
    f.lineType[line] = type;
    set_cell(f.prompt[line], prompt);
    f.maxLength[line] = static_cast<u8>(maxLength);
}

// Forms with every field type, a large-font form, stamps and record actions, and menus
// that lead to them: what the simulator and the readers meet in real projects.
std::unique_ptr<Project> rich_project() {
    auto p = std::make_unique<Project>();
    reset_to_defaults(*p);
    FormRecord& f1 = p->forms[0];
    set_line(f1, 0, kFieldHeading, "Inventur", 20);
    set_line(f1, 1, kFieldText, "Artikel:", 13);
    set_line(f1, 2, kFieldInteger, "Menge:", 5);
    set_line(f1, 3, kFieldReal, "Preis:", 8);
    set_line(f1, 4, kFieldAutoSign, "Diff:", 6);
    set_line(f1, 5, kFieldBoolean, "OK?", 1);
    set_line(f1, 6, kFieldLetter, "Code:", 1);
    set_line(f1, 7, kFieldCounter, "Nr:", 4);
    f1.minLength[1] = 2;
    f1.defaultOn[2] = 1;
    std::memcpy(f1.defaultValue[2], "1", 2);
    f1.prefixOn[1] = 1;
    f1.prefix[1][0] = 'A';
    f1.suffixOn[1] = 1;
    f1.suffix[1][0] = 0x09;
    f1.stampPosition = 2;
    f1.yearOn = f1.monthOn = f1.dayOn = f1.hourOn = f1.minuteOn = 1;
    f1.nextTarget = jump::form(0);
    f1.escTarget = jump::menu(0);

    FormRecord& f2 = p->forms[1];
    f2.font = 1;
    set_line(f2, 0, kFieldLookup, "Lager:", 6);
    set_line(f2, 1, kFieldFixedData, "Fix", 4);
    set_line(f2, 2, kFieldText, "Text:", 60);
    set_line(f2, 3, kFieldContinuation, "", 60);
    f2.lookupFile = 1;
    f2.recordAction = kRecordPassDown;
    f2.fixedLengthOn[2] = 1;
    f2.fixedLength[2] = 12;
    f2.justify[2] = 3;
    f2.fillChar[2] = '0';
    f2.nextTarget = jump::form(2);
    f2.escTarget = jump::menu(0);

    FormRecord& f3 = p->forms[2];
    set_line(f3, 0, kFieldPassDown, "Vorher:", 20);
    set_line(f3, 1, kFieldText, "Ort:", 10);
    f3.substringOn[1] = 1;
    f3.substringStart[1] = 2;
    f3.substringCount[1] = 3;
    f3.checkPrefixOn[1] = 1;
    std::memcpy(f3.checkPrefix[1], "X", 2);
    f3.autoEnter[1] = 1;
    f3.recordAction = kRecordStoreAndUpdate;
    f3.stampPosition = 1;
    f3.stampSplit = 1;
    f3.secondOn = 1;
    f3.escTarget = jump::form(1);

    MenuRecord& m1 = p->menus[0];
    m1.titleEnabled = 1;
    set_cell(m1.title, "Hauptmenue");
    const char* items[] = {"Inventur", "Lager", "Ort", "Untermenue"};
    const u8 targets[] = {jump::form(0), jump::form(1), jump::form(2), jump::menu(1)};
    for (int i = 0; i < 4; ++i) {
        set_cell(m1.items[i], items[i]);
        m1.itemTarget[i] = targets[i];
    }
    MenuRecord& m2 = p->menus[1];
    m2.font = 1;
    set_cell(m2.items[0], "Zurueck");
    m2.itemTarget[0] = jump::menu(0);
    m2.escTarget = jump::menu(0);
    p->options.startObject = 1;
    p->lookups[0].recordLength = 20;
    p->lookups[0].fieldCount = 2;
    p->lookups[0].fieldLength[0] = 6;
    p->lookups[0].fieldLength[1] = 14;
    return p;
}

Bytes tables_of(const Project& p) {
    const Bytes file = project_file_bytes(p);
    return Bytes(file.begin(), file.begin() + sizeof(Project));
}

void project_seeds() {
    auto defaults = std::make_unique<Project>();
    reset_to_defaults(*defaults);
    seed("project_file", "new.agx", project_file_bytes(*defaults));
    seed("project_file", "forms-and-menus.agx", project_file_bytes(*rich_project()));
    Bytes cut = project_file_bytes(*defaults);
    cut.resize(kProjectTablesSize - 1);
    seed("project_file", "cut-short.agx", cut);
    seed("project_file", "no-tag.agx", std::string("PK\x03\x04"));
    // The JSON texts kest show --json writes, and texts the reader must refuse.
    seed("project_json", "new.json", project_to_json(*defaults, "new.agx", false, {}));
    seed("project_json", "forms-and-menus.json", project_to_json(*rich_project(), "forms-and-menus.agx", false, {}));
    seed("project_json", "not-a-project.json", std::string("{\"tag\": \"KEST-1.00\", \"forms\": [1, 2.5e3]}"));
    seed("project_json", "escapes.json", std::string("[\"\\u00dc\\ud83d\\ude00\\n\", null, true, -0, {\"a\": {}}]"));

    // Older files: after the tag, menus and forms in their layout, texts, the password and
    // the extension block.
    Bytes older(kOlderFullSize - older::kTagSize + 1, 0);
    const auto at = [&](std::size_t offset) {
        return older.begin() + static_cast<std::ptrdiff_t>(offset - older::kTagSize + 1);
    };
    const auto text = [&](std::size_t offset, const char* s) { std::copy(s, s + std::strlen(s), at(offset)); };
    older[0] = 0;
    *at(older::kCom) = 2;
    text(older::kMenus + 2, "Hauptmenue");
    text(older::kMenus + 23, "Erfassung");
    *at(older::kMenus + offsetof(MenuRecord, itemTarget)) = jump::form(0);
    constexpr std::size_t kOlderLineShift = 14;  // the older form's line fields sit 14 bytes earlier
    for (int line = 0; line < 3; ++line) {
        *at(older::kForms + offsetof(FormRecord, lineType) - kOlderLineShift + line) = static_cast<u8>(line + 1);
        text(older::kForms + offsetof(FormRecord, prompt) - kOlderLineShift + line * kCell20, "Eingabe:");
    }
    text(8668, "Willkommen");
    text(older::kPassword, "1234");
    *at(older::kExtension) = older::kExtensionMark;
    seed("older_project_file", "qvx-4.00-extended", older);
    older[0] = 1;
    older.resize(kOlderMinimumSize - older::kTagSize + 1);
    seed("older_project_file", "qvx-3.10-minimum", older);

    // The simulator: the rich project, prepared, with key sequences through its forms and
    // menus; a new project through the terminal's own screens.
    using namespace kest::sim;
    const std::vector<std::pair<std::string, Bytes>> walks = {
        {"form-input",
         {1,
          1,
          2,
          3,
          kKeyEnterLeft,
          4,
          kKeyDot,
          5,
          kKeyEnterLeft,
          9,
          kKeyZero,
          kKeyEnterRight,
          kKeyDash,
          7,
          kKeyEnterLeft,
          kKeyEnterLeft,
          kKeyAlpha,
          2,
          2,
          31,
          kKeyEnterLeft,
          kKeyEsc}},
        {"menus", {1, kKeyDown, kKeyDown, kKeyEnterLeft, kKeyEsc, 4, 1, kKeyEsc, kKeyUp, kKeyEnterRight, 24}},
        {"lookup-and-pass-down",
         {1, 2, kKeyAlpha, 7, 7, 7, 30, 8, kKeyBackspace, kKeyEnterLeft, kKeyLeft, kKeyRight, kKeyEnterLeft, 5,
          kKeyEnterLeft, 3, kKeyEnterLeft, kKeyFn, kKeyPower}},
    };
    const Bytes rich = tables_of(*rich_project());
    for (const auto& [name, keys] : walks) {
        Bytes input = rich;
        input.push_back(1);
        input.insert(input.end(), keys.begin(), keys.end());
        seed("simulator", name, input);
    }
    seed("simulator", "terminal-screens",
         Bytes{2, kKeyDown, kKeyEnterRight, kKeyEsc, 3, kKeyUp, kKeyEnterLeft, 2, kKeyEsc, kKeyEsc, 1, 31, 31, 24});
}

void srec_seeds() {
    using kest::testing::srec_line;
    using kest::testing::srec_lines;
    Bytes data(100);
    for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(i * 37 + 11);
    const std::vector<std::pair<std::string, std::string>> files = {
        {"s1-count-s9", srec_line('0', 0, {'h', 'd', 'r'}) + srec_lines('1', 0x1000, data, 16) + srec_line('5', 7, {}) +
                            srec_line('9', 0x1000, {})},
        {"s2-gap-s8", srec_lines('2', 0x12340, data, 32) + srec_lines('2', 0x12400, data, 32) + srec_line('8', 0, {})},
        {"s3-lf-s7", srec_lines('3', 0x20000, data, 16) + srec_line('7', 0x20000, {})},
        {"lower-case-cr", "s00600004844521b\rs1130000000102030405060708090a0b0c0d0e0f64\rs9030000fc\r"},
        {"bad-checksum", "S1130000000102030405060708090A0B0C0D0E0F65\r\nS9030000FC\r\n"},
        {"s4-and-blanks", "\r\n  \r\nS1050000AABB94\r\nS4030000FC\r\n"},
    };
    for (const auto& [name, text] : files) {
        seed("srec_reader", name + ".shx", text);
        seed("send_records", name + ".shx", text);
    }
}

void lookup_seeds() {
    std::string atBoundary(127, 'x');
    atBoundary += "\r\n" + std::string(126, 'y') + "\r\r\n";
    const std::vector<std::pair<std::string, std::string>> files = {
        {"crlf.txt", "4711;Schraube M4;120\r\n4712;Mutter M4;80\r\n"},
        {"lf-cr-mixed.txt", "A\nB\rC\r\n\r\nD"},
        {"cr-lf-at-chunk-edge.txt", atBoundary},
        {"longest-line.txt", std::string(kMaxLookupLine, 'L') + "\r\n"},
        {"line-too-long.txt", "ok\r\n" + std::string(kMaxLookupLine + 1, 'L') + "\r\n"},
        {"empty.txt", ""},
        {"utf8-bom.txt",
         "\xEF\xBB\xBF"
         "4711;M\xC3\xBCller\r\n4712;Stra\xC3\x9F"
         "e\r\n"},
        {"utf8-unmappable.txt", "4711;\xE2\x84\xA6hm\r\n"},
        {"windows-1252.txt", "4711;M\xFCller\x80\r\n"},
        {"utf16le.txt", std::string("\xFF\xFE"
                                    "4\0"
                                    "7\0\r\0\n\0",
                                    10)},
        {"nul-bytes.txt", std::string("47\0"
                                      "11\r\n",
                                      7)},
        {"object-program.shx", "S00F000068656C6C6F202020202000003C\r\nS9030000FC\r\n"},
        {"project-tag.agx", std::string(kProjectTag, sizeof kProjectTag) + std::string(20, '\0')},
    };
    for (const auto& [name, text] : files) seed("lookup_file", name, text);
}

// Tables for the lookup builder (see fuzz/lookup_csv_fuzz.cpp): 12 bytes of definition,
// options and writing, then records ending in LF with cells ending in 0x1F.
void lookup_csv_seeds() {
    // Fields of 16 characters (four bytes of lengths 0xFF), gaps after every field.
    auto head = [](std::uint8_t fields, std::uint8_t mode, std::uint8_t flags, std::uint8_t style) {
        return std::string{
            static_cast<char>(fields - 1), static_cast<char>(mode), 0, 0, '\xFF', '\xFF', '\xFF', '\xFF', '\xFE', 1,
            static_cast<char>(flags),      static_cast<char>(style)};
    };
    const std::string rows = "4711\x1FSchraube M4\n4712\x1FM\xFCtter \"blank\"\n0815\x1F\n";
    const std::string wide = "4711\x1FSchraube M4 verzinkt, lang\n0042\x1F\xC4rger\n";
    const std::string header =
        "Artikelnummer lang\x1F"
        "Bezeichnung lang!\n";
    const std::vector<std::pair<std::string, std::string>> tables = {
        {"fixed-utf8.bin", head(2, 0, 0, 0) + rows},
        {"divided-bom-quoted.bin", head(2, 1, 0, 1 | 4) + rows},
        {"utf16-cut-sorted.bin", head(2, 1, 1 | 4, 2) + rows + wide},
        {"fixed-cut-sorted-lf.bin", head(2, 0, 1 | 4, 8) + wide + rows},
        {"cp1252-header.bin", head(2, 0, 8, 3 | 16) + header + rows},
        {"header-duplicate-unique.bin", head(2, 0, 2 | 8, 32) + header + rows +
                                            "4711\x1F"
                                            "doppelt\n"},
        {"eight-fields.bin", head(8, 1, 0, 4) + "1\x1F"
                                                "2\x1F"
                                                "3\x1F"
                                                "4\x1F"
                                                "5\x1F"
                                                "6\x1F"
                                                "7\x1F"
                                                "8\n"},
        {"separator-in-value.bin", head(2, 1, 0, 0) + "4713\x1F;,\t\n"},
        {"line-break-in-cell.bin", head(3, 1, 0, 8 | 32) + "1\x1F"
                                                           "a\r\nb\x1F"
                                                           "c\n2\x1F\x1F\n"},
        {"empty-key.bin", head(1, 0, 0, 0) + "\n\n"},
    };
    for (const auto& [name, bytes] : tables) seed("lookup_csv", name, bytes);
}

}  // namespace

namespace {

// Upload scripts (see fuzz/upload_records_fuzz.cpp): head byte (delay << 3 | kind), then
// its bytes.
Bytes frame(std::uint8_t sequence, const std::string& data, std::uint8_t head = 4) {
    Bytes b(data.size() + 3);
    b[0] = head;
    b[1] = sequence;
    b[2] = static_cast<std::uint8_t>(data.size());
    std::copy(data.begin(), data.end(), b.begin() + 3);
    return b;
}
Bytes join(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

void upload_seeds() {
    const Bytes ack = {2}, over = {1}, silent = {3};
    seed("upload_records", "three-records",
         join({ack, frame(0, "4711;12"), frame(1, "4712;3"), frame(2, "4713;1"), over}));
    // A NAK for a lost frame, then the record sent again; a repeated record after a lost ACK.
    seed("upload_records", "nak-and-repeat",
         join({ack, frame(0, "A"), silent, frame(1, "B"), frame(1, "B"), frame(2, "C"), over}));
    seed("upload_records", "ten-records-wrap", [&] {
        Bytes b = ack;
        for (int i = 0; i < 12; ++i)
            b = join({b, frame(static_cast<std::uint8_t>(i % 10), "Satz " + std::to_string(i))});
        return join({b, over});
    }());
    // Slow answers (past the frame window), raw bytes without CR, a wrong sequence byte.
    seed("upload_records", "slow-and-raw",
         join({ack, frame(0, "slow", 4 | 25 << 3), Bytes{0, 5, 'x', 'y', 0x0D, 'z', 0x0A}, frame(7, "wrong"),
               frame(1, "late"), over}));
}

// Data files (see fuzz/records_fuzz.cpp): records of its storing project, a menu title,
// lines no form fits; one against the rich project.
void records_seeds() {
    seed("records", "both-forms",
         "2026.12.08;14:03:11;4006381333931;12;LAGER\r\n#ABC;000012;LAGER;2026.12.08;14:03:11\r\n"
         "Inventur\r\n2026.13.08;14:03:11;X;1;LAGER\r\n\r\n#A;B;000001;LAGER;2026.12.08;14:03:11\r\n");
    seed("records", "lf-and-quotes", "2026.12.08;14:03:11;\"a,b\";7;LAGER\n\xE4\xF6\xFC;;LAGER\nno end");
    Bytes rich = tables_of(*rich_project());
    const std::string data = "4711;12\r\nABC\r\n";
    rich.insert(rich.end(), data.begin(), data.end());
    seed("records", "rich-project", rich);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: make_seeds FOLDER\n";
        return 2;
    }
    out = argv[1];
    project_seeds();
    srec_seeds();
    lookup_seeds();
    lookup_csv_seeds();
    upload_seeds();
    records_seeds();
    return 0;
}
