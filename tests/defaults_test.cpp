#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "project/defaults.h"

namespace kest {
namespace {

std::unique_ptr<Project> filled_project(u8 fill) {
    auto p = std::make_unique<Project>();
    std::memset(p.get(), fill, sizeof(Project));
    return p;
}

const u8* raw(const Project& p) { return reinterpret_cast<const u8*>(&p); }

TEST(BarcodeDefaults, SetsEveryByteAndKeepsTheUneditedBits) {
    struct Case {
        int byte;
        u8 fromZero;
        u8 fromOnes;
    };
    const Case cases[] = {
        {0, 0x9B, 0x9B},  {1, 0xC9, 0xC9},  {2, 0x00, 0x01},  {3, 0x00, 0xFF},  {4, 0x00, 0xFF},  {5, 0x2D, 0x2D},
        {6, 0x54, 0x54},  {7, 0x80, 0x87},  {8, 0x00, 0xFF},  {9, 0x19, 0x19},  {10, 0x3D, 0x3D}, {11, 0x00, 0x20},
        {12, 0xFF, 0xFF}, {13, 0x01, 0x01}, {14, 0xFE, 0xFE}, {15, 0x01, 0x01}, {16, 0xFF, 0xFF}, {17, 0x01, 0x01},
        {18, 0xFF, 0xFF}, {19, 0x01, 0x01}, {20, 0x66, 0x66}, {21, 0x03, 0x03}, {22, 0x03, 0x03},
    };
    auto zero = filled_project(0x00);
    auto ones = filled_project(0xFF);
    barcode_defaults(*zero);
    barcode_defaults(*ones);
    for (const Case& c : cases) {
        EXPECT_EQ(zero->barcode.bytes[c.byte], c.fromZero) << "byte " << c.byte;
        EXPECT_EQ(ones->barcode.bytes[c.byte], c.fromOnes) << "byte " << c.byte;
    }
}

TEST(BarcodeDefaults, TouchOnlyTheBarcodeTableAndAreIdempotent) {
    auto p = filled_project(0xA5);
    barcode_defaults(*p);
    const auto once = std::make_unique<Project>(*p);
    barcode_defaults(*p);
    EXPECT_EQ(std::memcmp(p.get(), once.get(), sizeof(Project)), 0);
    for (std::size_t i = 0; i < sizeof(Project); ++i) {
        if (i >= offsetof(Project, barcode) && i < offsetof(Project, menus)) continue;
        ASSERT_EQ(raw(*p)[i], 0xA5) << "offset " << i;
    }
}

TEST(ProjectDefaults, FormsContinueWithThemselvesAndLinesTakeBothSources) {
    auto p = filled_project(0xEE);
    project_defaults(*p);
    for (int k = 0; k < kFormCount; ++k) {
        const FormRecord& f = p->forms[k];
        EXPECT_EQ(f.nextTarget, k + 1);
        EXPECT_EQ(f.escTarget, 0);
        EXPECT_EQ(f.font, 0);
        const u8 stamp[16] = {0, 1, 1, 0, 1, 1, 1, '.', 0, 0, 1, 1, 1, 1, ':', 0};
        EXPECT_EQ(std::memcmp(reinterpret_cast<const u8*>(&f) + 3, stamp, 16), 0) << "form " << k;
        EXPECT_EQ(f.recordAction, 0);
        EXPECT_EQ(f.lookupFile, 0);
        for (int line = 0; line < kFormLines; ++line) {
            EXPECT_EQ(f.lineType[line], 0);
            EXPECT_EQ(f.lineSource[line], 2);
            EXPECT_EQ(f.maxLength[line], 50);
            EXPECT_EQ(f.minLength[line], 0);
            EXPECT_EQ(f.substringCount[line], 20);
            EXPECT_EQ(f.autoEnter[line], 1);
            EXPECT_EQ(f.fillChar[line], 0);
            EXPECT_EQ(f.prompt[line][0], 0);
            EXPECT_EQ(f.prefix[line][0], 0);
            EXPECT_EQ(f.checkPrefix[line][0], 0);
            EXPECT_EQ(f.lineData[line][0], 0);
        }
        EXPECT_EQ(f.entryLineCount, 0);
        EXPECT_EQ(f.currentLine, 0);
        EXPECT_EQ(f.reserved[0], 0xEE);  // reserved bytes keep their value
    }
}

TEST(ProjectDefaults, MenusLookupsWedgeAndOptions) {
    auto p = filled_project(0xEE);
    project_defaults(*p);
    EXPECT_STREQ(p->version.tag, "KEST-1.00");
    for (const MenuRecord& m : p->menus) {
        EXPECT_EQ(m.font, 0);
        EXPECT_EQ(m.titleEnabled, 0);
        EXPECT_EQ(m.title[0], 0);
        EXPECT_EQ(m.items[9][0], 0);
        EXPECT_EQ(m.itemTarget[9], 0);
        EXPECT_EQ(m.itemCount, 0);
        EXPECT_EQ(m.currentItem, 0);
        EXPECT_EQ(m.runtime, 0);
        EXPECT_EQ(m.reserved[99], 0xEE);
    }
    for (const LookupRecord& l : p->lookups) {
        EXPECT_EQ(l.fieldStart[0], 1);
        EXPECT_EQ(l.fieldStart[7], 1);
        EXPECT_EQ(l.fieldLength[7], 0);
        EXPECT_EQ(l.loadable, 1);
        EXPECT_EQ(l.separator, 0);
        EXPECT_EQ(l.notFoundAction, 0);
    }
    const u8 wedge[5] = {2, 0, 0, 0, 1};
    EXPECT_EQ(std::memcmp(&p->wedge, wedge, 5), 0);
    EXPECT_EQ(p->wedge.reserved[0], 0xEE);

    const ApplicationOptions& o = p->options;
    struct Field {
        const char* name;
        u8 value;
        u8 expected;
    };
    const Field fields[] = {
        {"option byte", o.optionByte, 1},
        {"startObject", o.startObject, 0},
        {"delimiter1", o.delimiter1, ';'},
        {"delimiter2", o.delimiter2, 0},
        {"separateFilePerForm", o.separateFilePerForm, 0},
        {"sendPort", o.sendPort, 1},
        {"phoneNumber[0]", static_cast<u8>(o.phoneNumber[0]), 0},
        {"phoneNumber[1] kept", static_cast<u8>(o.phoneNumber[1]), 0xEE},
        {"receivePort", o.receivePort, 1},
        {"terminalBaud", o.terminalBaud, 0},
        {"backlight", o.backlight, 0},
        {"backlightOff", o.backlightOff, 2},
        {"deleteAfterSend", o.deleteAfterSend, 0},
        {"ackDisplay", o.ackDisplay, 1},
        {"ackTime", o.ackTime, 6},
        {"protectedArea[11]", o.protectedArea[11], 0},
        {"password[11]", static_cast<u8>(o.password[11]), 0},
        {"functionKey[9]", o.functionKey[9], 0},
        {"largeTitles kept", o.largeTitles, 0xEE},
        {"reserved kept", o.reserved[0], 0xEE},
    };
    for (const Field& f : fields) EXPECT_EQ(f.value, f.expected) << f.name;
}

TEST(ProjectDefaults, NewKeepsComSelectionAndBarcodeKeptBits) {
    auto p = filled_project(0);
    p->com = {3, 4};
    p->barcode.bytes[2] = 0xFF;
    p->barcode.bytes[8] = 0x42;
    reset_to_defaults(*p);
    EXPECT_EQ(p->com.portIndex, 3);
    EXPECT_EQ(p->com.rateIndex, 4);
    EXPECT_EQ(p->barcode.bytes[2], 0x01);
    EXPECT_EQ(p->barcode.bytes[8], 0x42);
}

TEST(DefaultTexts, EveryRowFillsItsCellWidth) {
    for (int row = 0; row < 4; ++row) EXPECT_EQ(std::strlen(sign_on_default_row(row)), 15u);
    for (int t = 0; t < kTextTableCount; ++t) {
        const TextTableInfo& info = text_table_info(t);
        for (int row = 0; row < info.rows; ++row)
            EXPECT_EQ(std::strlen(default_text_row(t, row)), info.cellSize - 1) << t << "/" << row;
    }
}

TEST(DefaultTexts, ProjectDefaultsWriteTheTwentyCharacterRows) {
    auto p = filled_project(0xEE);
    p->options.largeTitles = 1;  // kept, but the texts return to the 20-character rows
    project_defaults(*p);
    EXPECT_EQ(p->options.largeTitles, 1);
    EXPECT_EQ(cell_text(p->signOn.rows[3]), "  Version 1.13 ");
    EXPECT_EQ(cell_text(p->texts.t0[0]), "1.Programm     ");
    EXPECT_EQ(cell_text(p->texts.t1[7]), "8. Lookupdatei laden");
    EXPECT_EQ(cell_text(p->texts.t23[3]), "Praefix falch!      ");
    EXPECT_EQ(cell_text(p->texts.t25[2]), "[ ESC ]   = Abbruch ");
    EXPECT_EQ(p->texts.t24[7][15], 0);
}

// Rows per table for large titles and whether they replace the whole table.
TEST(LargeTitles, RowCountsOfTheTwelveWideTables) {
    struct Case {
        int table;
        int rows;
    };
    const Case cases[] = {{1, 8},  {6, 8},  {7, 6},  {8, 5},  {9, 5},  {10, 4},
                          {11, 4}, {12, 4}, {13, 6}, {16, 2}, {23, 5}, {25, 3}};
    int withRows = 0;
    for (int t = 0; t < kTextTableCount; ++t)
        if (large_title_row_count(t) > 0) ++withRows;
    EXPECT_EQ(withRows, 12);
    for (const Case& c : cases) {
        EXPECT_EQ(large_title_row_count(c.table), c.rows) << c.table;
        EXPECT_EQ(text_table_info(c.table).cellSize, kCell20);
        EXPECT_EQ(c.rows, text_table_info(c.table).shownLarge) << c.table;
        for (int row = 0; row < c.rows; ++row) {
            const std::size_t n = std::strlen(large_title_row(c.table, row));
            EXPECT_GE(n, 15u);
            EXPECT_LE(n, 16u);
        }
    }
    EXPECT_STREQ(large_title_row(6, 2), "2.Empfang   ''  ");
    EXPECT_STREQ(large_title_row(11, 2), "1.Manuaell     ");
}

TEST(LargeTitles, SwitchingOnReplacesTheirRowsAndOffRestoresAll) {
    auto p = filled_project(0);
    reset_to_defaults(*p);
    for (int t = 0; t < kTextTableCount; ++t)
        for (int row = 0; row < text_table_info(t).rows; ++row)
            set_cell(text_cell(*p, t, row), text_table_info(t).cellSize, "user");

    apply_large_titles(*p, true);
    EXPECT_EQ(cell_text(p->texts.t1[0]), "1.Einstellungen ");  // a full 16-character row
    EXPECT_EQ(cell_text(p->texts.t1[1]), "2.Daten ansehen ");  // does not run into the next
    EXPECT_EQ(cell_text(p->texts.t8[4]), "               ");
    EXPECT_EQ(cell_text(p->texts.t8[5]), "user");  // beyond the large-title rows
    EXPECT_EQ(cell_text(p->texts.t13[6]), "user");
    EXPECT_EQ(cell_text(p->texts.t16[1]), "Telefonnummer: ");
    EXPECT_EQ(cell_text(p->texts.t16[2]), "user");
    EXPECT_EQ(cell_text(p->texts.t0[0]), "user");  // 16-byte tables never change
    EXPECT_EQ(cell_text(p->texts.t24[0]), "user");

    apply_large_titles(*p, false);
    for (int t : {1, 6, 7, 8, 9, 10, 11, 12, 13, 16, 23, 25})
        for (int row = 0; row < text_table_info(t).rows; ++row)
            EXPECT_EQ(cell_text(text_cell(*p, t, row), kCell20), default_text_row(t, row)) << t << "/" << row;
    EXPECT_EQ(cell_text(p->texts.t0[0]), "user");
}

TEST(LargeTitles, GuideRowsFollowTheSetting) {
    EXPECT_STREQ(title_default_row(9, 0, true), "1.115200 bps   ");
    EXPECT_STREQ(title_default_row(9, 0, false), "Baudrate: 115200 bps");
    EXPECT_STREQ(title_default_row(8, 5, true), "                    ");
    EXPECT_STREQ(title_default_row(0, 1, true), "2.Daten senden ");
    EXPECT_FALSE(title_switch_replaces(0, 0, true));
    EXPECT_FALSE(title_switch_replaces(13, 6, true));
    EXPECT_TRUE(title_switch_replaces(13, 6, false));
}

TEST(LargeTitles, TextDefaultsWithLargeTitlesKeepTheOtherRowsAtTheirDefaults) {
    auto p = filled_project(0x55);
    text_defaults(*p, true);
    EXPECT_EQ(cell_text(p->texts.t12[3]), "  fuer __00ms  ");
    EXPECT_EQ(cell_text(p->texts.t12[4]), " Quittierung auf dem");
    EXPECT_EQ(cell_text(p->texts.t2[0]), "Daten loeschen:");
    EXPECT_EQ(p->texts.t2[0][15], 0);
}

}  // namespace
}  // namespace kest
