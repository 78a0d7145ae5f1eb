#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "project/defaults.h"
#include "project/project_file.h"

namespace kest {
namespace {

// An older project file built byte by byte.
struct OlderFile {
    std::vector<u8> bytes;

    explicit OlderFile(std::size_t size = kOlderFullSize, const char* tag = "Qvx-4.00") : bytes(size, 0) {
        std::memcpy(bytes.data(), tag, 8);
    }
    void text(std::size_t offset, const char* s) { std::memcpy(&bytes[offset], s, std::strlen(s)); }
    static std::size_t form(int k) { return 2535 + static_cast<std::size_t>(k) * 601; }
    // Offset of a line field of older form k: the current offset less 14.
    static std::size_t form_field(int k, std::size_t currentOffset) { return form(k) + currentOffset - 14; }
    void extension() {
        const u8 x[14] = {'@', 0, ',', ';', 9, 0, 1, 0, 1, 2, 3, 1, 0, 0};
        std::memcpy(&bytes[10496], x, sizeof x);
    }
};

std::unique_ptr<Project> defaults() {
    auto p = std::make_unique<Project>();
    std::memset(p.get(), 0, sizeof(Project));
    reset_to_defaults(*p);
    return p;
}

std::unique_ptr<Project> convert(const OlderFile& file, Project* start = nullptr) {
    auto p = start ? std::make_unique<Project>(*start) : defaults();
    const ProjectReadResult r = read_project_bytes(file.bytes, *p);
    EXPECT_TRUE(r.ok()) << r.error;
    EXPECT_TRUE(r.olderLayout);
    return p;
}

TEST(OlderLayout, StampCodesBecomeTheStampFields) {
    struct Case {
        u8 date, time;
        u8 position, split, year, digits, month, day, dateSep, order, hour, minute, second, timeSep;
    };
    const Case cases[] = {
        {0, 0, 0, 1, 1, 0, 1, 1, 1, 0, 1, 1, 1, 1},  {1, 0, 2, 0, 1, 0, 1, 1, 1, 0, 0, 0, 0, 0},
        {4, 0, 2, 0, 1, 0, 1, 1, 0, 0, 0, 0, 0, 0},  {7, 0, 1, 0, 1, 0, 1, 1, 1, 0, 0, 0, 0, 0},
        {8, 0, 1, 0, 1, 0, 1, 1, 1, 1, 0, 0, 0, 0},  {6, 3, 2, 1, 1, 0, 1, 1, 0, 2, 1, 1, 1, 0},
        {12, 2, 1, 1, 1, 0, 1, 1, 0, 2, 1, 1, 0, 1}, {0, 4, 2, 0, 0, 0, 0, 0, 0, 0, 1, 1, 0, 0},
        {0, 5, 1, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1},
    };
    OlderFile file;
    for (int k = 0; k < 9; ++k) {
        file.bytes[OlderFile::form(k) + 3] = cases[k].date;
        file.bytes[OlderFile::form(k) + 4] = cases[k].time;
    }
    const auto p = convert(file);
    for (int k = 0; k < 9; ++k) {
        const Case& c = cases[k];
        const FormRecord& f = p->forms[k];
        const u8 got[] = {f.stampPosition, f.stampSplit, f.yearOn, f.yearDigits, f.monthOn,  f.dayOn,
                          f.dateSepOn,     f.dateOrder,  f.hourOn, f.minuteOn,   f.secondOn, f.timeSepOn};
        const u8 want[] = {c.position, c.split, c.year, c.digits, c.month,  c.day,
                           c.dateSep,  c.order, c.hour, c.minute, c.second, c.timeSep};
        for (std::size_t i = 0; i < sizeof got; ++i)
            EXPECT_EQ(got[i], want[i]) << "date " << int(c.date) << " time " << int(c.time) << " field " << i;
        EXPECT_STREQ(f.dateSep, ".");
        EXPECT_STREQ(f.timeSep, ":");
    }
}

TEST(OlderLayout, FormFieldsMoveAndLineTypesAreRenumbered) {
    OlderFile file;
    const int k = 2;
    const std::size_t base = OlderFile::form(k);
    file.bytes[base + 0] = 1;
    file.bytes[base + 1] = 12;
    file.bytes[base + 2] = 5;
    file.bytes[base + 5] = 2;
    file.bytes[base + 6] = 3;
    const u8 oldTypes[8] = {1, 5, 6, 8, 9, 7, 10, 11};
    const u8 newTypes[8] = {1, 8, 9, 12, 6, 7, 10, 11};
    for (int line = 0; line < 8; ++line)
        file.bytes[OlderFile::form_field(k, offsetof(FormRecord, lineType)) + line] = oldTypes[line];
    file.bytes[OlderFile::form_field(k, offsetof(FormRecord, lineLookupKey))] = 4;
    file.text(OlderFile::form_field(k, offsetof(FormRecord, prompt)), "Artikel");
    // A prompt that fills its whole cell, without a terminator.
    file.text(OlderFile::form_field(k, offsetof(FormRecord, prompt)) + 21, "ABCDEFGHIJKLMNOPQRSTU");
    file.bytes[OlderFile::form_field(k, offsetof(FormRecord, lineSource))] = 1;
    file.bytes[OlderFile::form_field(k, offsetof(FormRecord, minLength))] = 3;
    file.bytes[OlderFile::form_field(k, offsetof(FormRecord, maxLength))] = 13;
    file.text(OlderFile::form_field(k, offsetof(FormRecord, defaultValue)), "0123456789");
    file.text(OlderFile::form_field(k, offsetof(FormRecord, prefix)), "\x01\x02\x03\x04\x05\x06\x07\x08\x09\xFF");
    file.text(OlderFile::form_field(k, offsetof(FormRecord, checkPrefix)), "PRE");
    file.bytes[OlderFile::form_field(k, offsetof(FormRecord, autoEnter))] = 0;
    file.bytes[OlderFile::form_field(k, offsetof(FormRecord, fillChar)) + 7] = '*';
    file.bytes[base + 599] = 6;
    file.bytes[base + 600] = 2;

    const auto p = convert(file);
    const FormRecord& f = p->forms[k];
    EXPECT_EQ(f.font, 1);
    EXPECT_EQ(f.escTarget, 12);
    EXPECT_EQ(f.nextTarget, 5);
    EXPECT_EQ(f.recordAction, 2);
    EXPECT_EQ(f.lookupFile, 3);
    for (int line = 0; line < 8; ++line) EXPECT_EQ(f.lineType[line], newTypes[line]) << line;
    EXPECT_EQ(f.lineLookupKey[0], 4);
    EXPECT_EQ(cell_text(f.prompt[0]), "Artikel");
    EXPECT_EQ(cell_text(f.prompt[1]), "ABCDEFGHIJKLMNOPQRST");
    EXPECT_EQ(f.prompt[1][20], 0);
    EXPECT_EQ(f.lineSource[0], 1);
    EXPECT_EQ(f.lineSource[1], 0);  // from the file, not the default
    EXPECT_EQ(f.minLength[0], 3);
    EXPECT_EQ(f.maxLength[0], 13);
    EXPECT_EQ(cell_text(f.defaultValue[0]), "012345678");  // at most 9 characters in a slot of 10
    EXPECT_EQ(f.prefix[0][9], 0xFF);                       // codes, copied as they are
    EXPECT_EQ(cell_text(f.checkPrefix[0]), "PRE");
    EXPECT_EQ(f.autoEnter[0], 0);
    EXPECT_EQ(f.fillChar[7], '*');
    EXPECT_EQ(f.lineData[0][0], 0);
    EXPECT_EQ(f.entryLineCount, 6);
    EXPECT_EQ(f.currentLine, 2);
}

TEST(OlderLayout, MenusLookupsAndSmallFields) {
    OlderFile file(kOlderFullSize, "Qvx-3.10");
    file.bytes[8] = 2;
    file.bytes[9] = 3;
    file.bytes[10] = 1;
    const std::size_t menu = 35 + 250;  // menu 2
    file.bytes[menu + 0] = 1;
    file.bytes[menu + 1] = 1;
    file.text(menu + 2, "Hauptmen\xFC");
    file.text(menu + 23 + 21, "ABCDEFGHIJKLMNOPQRSTUVWXYZ");  // item 2 runs on into item 3
    file.bytes[menu + 233] = 11;
    file.bytes[menu + 234] = 3;
    file.bytes[menu + 246] = 1;
    file.bytes[menu + 247] = 2;
    file.bytes[menu + 248] = 1;
    const std::size_t lookup = 8545 + 19;  // lookup 2
    const u8 l[19] = {30, 2, 1, 1, 11, 0, 0, 0, 0, 0, 0, 10, 20, 0, 0, 0, 0, 0, 0};
    std::memcpy(&file.bytes[lookup], l, sizeof l);
    file.bytes[8602] = ',';
    file.bytes[8603] = '|';

    const auto p = convert(file);
    EXPECT_EQ(p->com.portIndex, 2);
    EXPECT_EQ(p->com.rateIndex, 3);
    EXPECT_EQ(p->options.startObject, 1);
    const MenuRecord& m = p->menus[1];
    EXPECT_EQ(m.font, 1);
    EXPECT_EQ(m.titleEnabled, 1);
    EXPECT_EQ(cell_text(m.title), "Hauptmen\xFC");
    EXPECT_EQ(cell_text(m.items[1]), "ABCDEFGHIJKLMNOPQRST");
    EXPECT_EQ(cell_text(m.items[2]), "VWXYZ");
    EXPECT_EQ(m.escTarget, 11);
    EXPECT_EQ(m.itemTarget[0], 3);
    EXPECT_EQ(m.saveItemInEachRecord, 1);
    EXPECT_EQ(m.itemCount, 2);
    EXPECT_EQ(m.currentItem, 1);
    EXPECT_EQ(p->version.tag, std::string("KEST-1.00"));
    const LookupRecord& r = p->lookups[1];
    EXPECT_EQ(r.recordLength, 30);
    EXPECT_EQ(r.fieldCount, 2);
    EXPECT_EQ(r.keyField, 1);
    EXPECT_EQ(r.fieldStart[1], 11);
    EXPECT_EQ(r.fieldLength[1], 20);
    EXPECT_EQ(r.loadable, 1);  // no extension block: default
    EXPECT_EQ(p->options.delimiter1, ',');
    EXPECT_EQ(p->options.delimiter2, '|');
}

TEST(OlderLayout, SettingsBlockKeepsTheBitsTheBarcodeDefaultsKeep) {
    auto start = std::make_unique<Project>();
    std::memset(start.get(), 0, sizeof(Project));
    start->barcode.bytes[3] = 0x33;
    start->barcode.bytes[4] = 0x44;
    start->barcode.bytes[7] = 0x05;
    start->barcode.bytes[8] = 0x88;
    start->barcode.bytes[11] = 0x20;
    reset_to_defaults(*start);

    OlderFile file;
    u8 g[24];
    for (int n = 0; n < 24; ++n) g[n] = static_cast<u8>(0x40 + n);
    g[2] = 0xFF;
    g[7] = 0x0F;
    g[11] = 0x00;
    std::memcpy(&file.bytes[11], g, sizeof g);
    const auto p = convert(file, start.get());
    const u8* b = p->barcode.bytes;
    for (int n : {0, 1, 5, 6, 9, 10, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22}) EXPECT_EQ(b[n], g[n]) << n;
    EXPECT_EQ(b[2], 0xFE);
    EXPECT_EQ(b[3], 0x33);
    EXPECT_EQ(b[4], 0x44);
    EXPECT_EQ(b[7], 0x0D);
    EXPECT_EQ(b[8], 0x88);
    EXPECT_EQ(b[11], 0x20);
    EXPECT_EQ(p->wedge.keyboardType, g[3]);
    EXPECT_EQ(p->wedge.wedgeFlags, g[4]);
    EXPECT_EQ(p->wedge.charPause, g[8]);
    EXPECT_EQ(p->wedge.linkTimeout, g[23]);
}

TEST(OlderLayout, OptionBlockAndPassword) {
    struct Case {
        u8 o[20];
        u8 backlightOff;
        u8 ackDisplay;
    };
    const Case cases[] = {
        {{2, 0, 3, 1, '5', 1, 0, 9, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 1}, 5, 1},
        {{0, 2, 4, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}, 0, 0},
    };
    for (const Case& c : cases) {
        OlderFile file;
        std::memcpy(&file.bytes[10466], c.o, 20);
        file.text(10486, "0123456789");
        const auto p = convert(file);
        const ApplicationOptions& a = p->options;
        EXPECT_EQ(a.sendPort, c.o[0]);
        EXPECT_EQ(a.receivePort, c.o[1]);
        EXPECT_EQ(a.terminalBaud, c.o[2]);
        EXPECT_EQ(a.backlight, c.o[3]);
        EXPECT_EQ(a.backlightOff, c.backlightOff);
        EXPECT_EQ(a.deleteAfterSend, c.o[5]);
        EXPECT_EQ(a.ackDisplay, c.ackDisplay);
        EXPECT_EQ(a.ackTime, 6);
        EXPECT_EQ(std::memcmp(a.protectedArea, c.o + 8, 12), 0);
        EXPECT_EQ(cell_text(a.password), "0123456789");
        EXPECT_EQ(a.password[10], 0);
        EXPECT_EQ(a.password[11], 0);
    }
}

TEST(OlderLayout, TextRowsGoToTheirTablesAndOthersKeepTheDefaults) {
    OlderFile file;
    file.text(8604, "unused");
    file.text(8668, "Start 1");
    file.text(8668 + 3 * 16, "Hidden");  // the fourth row of the main menu is not taken
    file.text(8732 + 7 * 21, "Utility 8");
    file.text(8964 + 3 * 16, "not taken");
    file.text(9324 + 1 * 21, "not taken");
    file.text(9324 + 3 * 21, "Send 4");
    file.text(9324 + 6 * 21, "Continuous 7");
    file.text(9324 + 7 * 21, "Continuous 8");
    file.text(9492 + 4 * 21, "Receive 5");
    file.text(9933 + 2 * 21, "Ack 3");
    file.text(10017, "not taken");
    file.text(10017 + 1 * 21, "All 2");
    file.text(10017 + 7 * 21, "All 8");
    file.text(10185 + 3 * 16, "Connect 4");
    file.text(10249 + 4 * 21, "Error 5");
    file.text(10354 + 6 * 16, "Misc 7");

    const auto p = convert(file);  // without the extension block
    const TextTables& t = p->texts;
    EXPECT_EQ(cell_text(t.t0[0]), "Start 1");
    EXPECT_EQ(cell_text(t.t0[1]), "");  // supplied by the file, even when empty
    EXPECT_EQ(cell_text(t.t0[3]), "               ");
    EXPECT_EQ(cell_text(t.t1[7]), "Utility 8");
    EXPECT_EQ(cell_text(t.t3[3]), "               ");
    EXPECT_EQ(cell_text(t.t7[1]), "1. RS232-Kabel      ");
    EXPECT_EQ(cell_text(t.t7[3]), "Send 4");
    EXPECT_EQ(cell_text(t.t7[5]), "                    ");
    EXPECT_EQ(cell_text(t.t25[0]), "FN+<:Edit  FN+>:Del ");
    EXPECT_EQ(cell_text(t.t25[1]), "Continuous 7");
    EXPECT_EQ(cell_text(t.t25[2]), "Continuous 8");
    EXPECT_EQ(cell_text(t.t8[2]), "1. RS232-Kabel      ");
    EXPECT_EQ(cell_text(t.t8[4]), "Receive 5");
    EXPECT_EQ(cell_text(t.t12[4]), " Quittierung auf dem");  // only with the extension block
    EXPECT_EQ(cell_text(t.t13[0]), "All 2");
    EXPECT_EQ(cell_text(t.t13[6]), "All 8");
    EXPECT_EQ(cell_text(t.t13[7]), "Dauer:              ");
    EXPECT_EQ(cell_text(t.t14[0]), "Systemfehler !!");
    EXPECT_EQ(cell_text(t.t21[3]), "Connect 4");
    EXPECT_EQ(cell_text(t.t23[4]), "Daten nicht gefunden");
    EXPECT_EQ(cell_text(t.t23[5]), "Error 5");
    EXPECT_EQ(cell_text(t.t24[6]), "Misc 7");
    EXPECT_EQ(cell_text(t.t24[7]), "Time Out!!!    ");
    EXPECT_EQ(cell_text(p->signOn.rows[1]), "   Programm    ");

    file.extension();
    const auto q = convert(file);
    EXPECT_EQ(cell_text(q->texts.t12[4]), "Ack 3");
    EXPECT_EQ(cell_text(q->texts.t12[5]), "");
}

TEST(OlderLayout, ExtensionBlockPresentAbsentAndCutShort) {
    struct Case {
        const char* name;
        std::size_t size;
        bool marked;
        bool used;
    };
    const Case cases[] = {
        {"present", kOlderFullSize, true, true},
        {"longer file", kOlderFullSize + 100, true, true},
        {"not marked", kOlderFullSize, false, false},
        {"file ends after the password", kOlderMinimumSize, false, false},
        {"block cut short", kOlderFullSize - 1, true, false},
    };
    for (const Case& c : cases) {
        OlderFile file(c.size);
        if (c.marked) {
            file.bytes.resize(kOlderFullSize);
            file.extension();
            file.bytes.resize(c.size);
        }
        const auto p = convert(file);
        if (c.used) {
            EXPECT_EQ(p->wedge.appendCrLf, 0) << c.name;
            EXPECT_EQ(p->lookups[0].separator, ',') << c.name;
            EXPECT_EQ(p->lookups[2].separator, 9) << c.name;
            EXPECT_EQ(p->lookups[0].loadable, 0) << c.name;
            EXPECT_EQ(p->lookups[1].loadable, 1) << c.name;
            EXPECT_EQ(p->lookups[0].notFoundAction, 1) << c.name;
            EXPECT_EQ(p->lookups[2].notFoundAction, 3) << c.name;
            EXPECT_EQ(p->options.separateFilePerForm, 1) << c.name;
        } else {
            EXPECT_EQ(p->wedge.appendCrLf, 1) << c.name;
            EXPECT_EQ(p->lookups[0].separator, 0) << c.name;
            EXPECT_EQ(p->lookups[0].loadable, 1) << c.name;
            EXPECT_EQ(p->options.separateFilePerForm, 0) << c.name;
        }
    }
}

}  // namespace
}  // namespace kest
