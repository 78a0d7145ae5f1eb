#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "project/download_image.h"
#include "project/rules.h"

namespace kest {
namespace {

std::string image_text(const DownloadImage& image, std::size_t at, std::size_t size) {
    return std::string(reinterpret_cast<const char*>(image.data()) + at, size);
}

std::string padded(const std::string& text, std::size_t width) {
    return text + std::string(width - text.size(), ' ') + std::string(1, '\0');
}

DownloadImage built(const Project& p) {
    DownloadImage image{};
    build_image(p, image);
    return image;
}

TEST(DownloadImage, EmptyProjectGivesPaddedCellsAndZeroTail) {
    Project p{};
    const DownloadImage image = prepare_image(p);
    p = normalised_menus_and_forms(p);  // what agkest's project keeps after the download
    ASSERT_EQ(image.size(), 20000u);
    // SignOnText and every text table, cell by cell.
    std::size_t at = 16039;
    for (int row = 0; row < 4; ++row, at += 16) EXPECT_EQ(image_text(image, at, 16), padded("", 15)) << at;
    for (int t = 0; t < kTextTableCount; ++t) {
        const auto& info = text_table_info(t);
        EXPECT_EQ(at, info.fileOffset - 12) << "table " << t;
        for (int row = 0; row < info.rows; ++row, at += info.cellSize)
            EXPECT_EQ(image_text(image, at, info.cellSize), padded("", info.cellSize - 1)) << t << "/" << row;
    }
    EXPECT_EQ(at, 18507u);
    for (std::size_t i = 18830; i < 20000; ++i) ASSERT_EQ(image[i], 0) << i;
    // Empty menus are padded to 20 characters in the image and in the project.
    EXPECT_EQ(image_text(image, 23 + 23, 21), padded("", 20));
    EXPECT_EQ(cell_text(p.menus[9].items[9]), std::string(20, ' '));
    EXPECT_EQ(p.menus[0].itemCount, 0);
}

TEST(DownloadImage, TablesLandAtTheirOffsets) {
    Project p{};
    for (std::size_t i = 0; i < sizeof p.barcode.bytes; ++i) p.barcode.bytes[i] = static_cast<u8>(0xA0 + i);
    p.menus[3].escTarget = 0x42;
    p.menus[3].reserved[99] = 0x43;
    p.forms[6].nextTarget = 0x44;
    p.forms[6].reserved[199] = 0x45;
    p.lookups[2].recordLength = 0x46;
    p.lookups[2].reserved[99] = 0x47;
    set_cell(p.signOn.rows[1], "Willkommen");
    set_cell(text_cell(p, 13, 7), kCell20, "Letzte Zeile");
    p.wedge.reserved[49] = 0x48;
    p.options.reserved[198] = 0x49;
    p.version.tag[0] = 'X';
    p.com.portIndex = 5;
    const DownloadImage image = built(p);
    for (std::size_t i = 0; i < 23; ++i) EXPECT_EQ(image[i], 0xA0 + i);
    EXPECT_EQ(image[23 + 3 * 350 + 233], 0x42);
    EXPECT_EQ(image[23 + 3 * 350 + 349], 0x43);
    EXPECT_EQ(image[3523 + 6 * 1215 + 2], 0x44);
    EXPECT_EQ(image[3523 + 6 * 1215 + 1214], 0x45);
    EXPECT_EQ(image[15673 + 2 * 122], 0x46);
    EXPECT_EQ(image[15673 + 2 * 122 + 121], 0x47);
    EXPECT_EQ(image_text(image, 16039 + 16, 16), padded("Willkommen", 15));
    EXPECT_EQ(image_text(image, 17458 + 7 * 21, 21), padded("Letzte Zeile", 20));
    EXPECT_EQ(image[18507 + 54], 0x48);
    EXPECT_EQ(image[18562 + 267], 0x49);
    // Neither the version tag nor the port choice is part of the image.
    EXPECT_EQ(image[0], 0xA0);
}

TEST(DownloadImage, CellWithoutTerminatorIsCutBeforeItsLastByte) {
    Project p{};
    std::memset(p.signOn.rows[0], 'Z', 16);
    std::memset(text_cell(p, 1, 0), 'Y', 21);
    const DownloadImage image = built(p);
    EXPECT_EQ(image_text(image, 16039, 16), std::string(15, 'Z') + '\0');
    EXPECT_EQ(image_text(image, 16039 + 16, 16), padded("", 15));  // the next cell is untouched
    EXPECT_EQ(image_text(image, 16167, 21), std::string(20, 'Y') + '\0');
}

TEST(DownloadImage, BuildingTwiceGivesTheSameBytes) {
    Project p{};
    set_cell(p.menus[0].items[0], "Erfassen");
    p.menus[0].titleEnabled = 1;
    p.forms[0].lineType[0] = kFieldText;
    p.forms[0].maxLength[0] = 70;
    p.options.password[0] = 'q';
    const Project before = p;
    const DownloadImage first = prepare_image(p);
    const DownloadImage second = prepare_image(p);
    EXPECT_EQ(first, second);
    EXPECT_EQ(std::memcmp(&before, &p, sizeof p), 0) << "the project itself is not normalised";
}

struct MenuCase {
    const char* name;
    u8 font;
    u8 titleEnabled;
    std::string title;
    std::vector<std::string> items;  // items 1.. (the rest stay empty)
    std::string expectedTitle;       // the title cell's text after normalisation
    std::vector<std::string> expectedItems;
    int itemCount;
};

class MenuNormalisation : public ::testing::TestWithParam<MenuCase> {};

TEST_P(MenuNormalisation, PadsCutsAndCounts) {
    const MenuCase& c = GetParam();
    Project p{};
    MenuRecord& m = p.menus[4];
    m.font = c.font;
    m.titleEnabled = c.titleEnabled;
    std::memcpy(m.title, c.title.data(), c.title.size());
    for (std::size_t i = 0; i < c.items.size(); ++i) std::memcpy(m.items[i], c.items[i].data(), c.items[i].size());
    p = normalised_menus_and_forms(p);
    EXPECT_EQ(cell_text(m.title), c.expectedTitle);
    const std::size_t width = c.font ? 15 : 20;
    for (std::size_t i = 0; i < 10; ++i) {
        const std::string expected = i < c.expectedItems.size() ? c.expectedItems[i] : std::string(width, ' ');
        EXPECT_EQ(cell_text(m.items[i]), expected) << "item " << i + 1;
        EXPECT_EQ(m.items[i][width], '\0');
    }
    EXPECT_EQ(m.itemCount, c.itemCount);
    // The image carries the normalised record.
    const DownloadImage image = built(p);
    EXPECT_EQ(std::memcmp(image.data() + 23 + 4 * 350, &m, sizeof m), 0);
}

const std::string s15(15, ' ');
const std::string s20(20, ' ');

INSTANTIATE_TEST_SUITE_P(
    Cases, MenuNormalisation,
    ::testing::Values(
        MenuCase{"GapStaysInPlace",
                 0,
                 0,
                 "",
                 {"Eins", "", "Drei"},
                 "",
                 {"Eins" + std::string(16, ' '), s20, "Drei" + std::string(16, ' ')},
                 2},
        MenuCase{"SpacesOnlyNotCounted", 0, 0, "", {"     ", "x"}, "", {s20, "x" + std::string(19, ' ')}, 1},
        MenuCase{"HighCharacterCounted", 1, 0, "", {"\xE4"}, "", {"\xE4" + std::string(14, ' ')}, 1},
        MenuCase{"ControlCharacterNotCounted", 1, 0, "", {"\x01\x1F"}, "", {"\x01\x1F" + std::string(13, ' ')}, 0},
        MenuCase{"LargeFontCutsAt15",
                 1,
                 1,
                 "Ueberschrift-Lang",
                 {"ABCDEFGHIJKLMNOPQRST"},
                 "Ueberschrift-La",
                 {"ABCDEFGHIJKLMNO"},
                 1},
        MenuCase{"TextBeyondTheWidthDoesNotCount", 1, 0, "", {s15 + "XYZ"}, "", {s15}, 0},
        MenuCase{"TitlePaddedWhenEnabled", 0, 1, "Haupt", {}, "Haupt" + std::string(15, ' '), {}, 0},
        MenuCase{"TitleUntouchedWhenDisabled", 0, 0, "Haupt", {}, "Haupt", {}, 0},
        MenuCase{"AllTenItems",
                 0,
                 0,
                 "",
                 {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"},
                 "",
                 {"1" + std::string(19, ' '), "2" + std::string(19, ' '), "3" + std::string(19, ' '),
                  "4" + std::string(19, ' '), "5" + std::string(19, ' '), "6" + std::string(19, ' '),
                  "7" + std::string(19, ' '), "8" + std::string(19, ' '), "9" + std::string(19, ' '),
                  "10" + std::string(18, ' ')},
                 10}),
    [](const auto& info) { return std::string(info.param.name); });

struct FormLineCase {
    const char* name;
    std::vector<u8> types;  // lines 0.. (the rest empty)
    u8 font;
    int entryLineCount;
};

class FormPreparation : public ::testing::TestWithParam<FormLineCase> {};

TEST_P(FormPreparation, CountsEntryLinesAndClearsByType) {
    const FormLineCase& c = GetParam();
    Project p{};
    FormRecord& f = p.forms[2];
    f.font = c.font;
    for (int line = 0; line < kFormLines; ++line) {
        set_cell(f.prompt[line], "Prompt");
        f.lineLookupKey[line] = 5;
        f.lineType[line] = line < static_cast<int>(c.types.size()) ? c.types[line] : u8{kFieldEmpty};
    }
    const DownloadImage image = prepare_image(p);
    p = normalised_menus_and_forms(p);  // what agkest's project keeps after the download
    EXPECT_EQ(f.entryLineCount, c.entryLineCount);
    for (int line = 0; line < kFormLines; ++line) {
        const u8 type = f.lineType[line];
        const bool noPrompt = type == kFieldEmpty || type == kFieldContinuation;
        const bool noKey = type == kFieldEmpty || type >= kFieldFixedData;
        EXPECT_EQ(cell_text(f.prompt[line]), noPrompt ? "" : "Prompt") << "line " << line;
        EXPECT_EQ(f.lineLookupKey[line], noKey ? 0 : 5) << "line " << line;
        if (c.font) {
            EXPECT_TRUE(line < 4 || type == kFieldEmpty);
        }
    }
    EXPECT_EQ(image[3523 + 2 * 1215 + 1013], c.entryLineCount);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FormPreparation,
    ::testing::Values(
        FormLineCase{"NoLines", {}, 0, 0}, FormLineCase{"LookupDoesNotCount", {kFieldText, kFieldLookup}, 0, 1},
        FormLineCase{"LastInputLineCounts", {kFieldHeading, kFieldEmpty, kFieldBoolean, kFieldCounter}, 0, 3},
        FormLineCase{"EveryInputType",
                     {kFieldText, kFieldInteger, kFieldReal, kFieldLetter, kFieldAutoSign, kFieldBoolean,
                      kFieldFixedData, kFieldContinuation},
                     0,
                     6},
        FormLineCase{
            "LargeFontDropsLinesFiveToEight",
            {kFieldText, kFieldEmpty, kFieldEmpty, kFieldPassDown, kFieldText, kFieldText, kFieldText, kFieldText},
            1,
            1},
        FormLineCase{"LargeFontAnyNonzeroCode", {kFieldEmpty, kFieldEmpty, kFieldEmpty, kFieldEmpty, kFieldText}, 2, 0},
        FormLineCase{"ContinuationAndPassDown", {kFieldInteger, kFieldContinuation, kFieldPassDown}, 0, 1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FormPreparation, LengthsAreClampedBeforeSending) {
    struct Case {
        u8 min, max, sentMin, sentMax;
    };
    for (const Case c : {Case{0, 60, 0, 50}, Case{55, 60, 50, 50}, Case{30, 20, 20, 20}, Case{10, 50, 10, 50},
                         Case{255, 255, 50, 50}}) {
        Project p{};
        p.forms[9].lineType[7] = kFieldText;
        p.forms[9].minLength[7] = c.min;
        p.forms[9].maxLength[7] = c.max;
        const DownloadImage image = prepare_image(p);
        EXPECT_EQ(image[3523 + 9 * 1215 + 213 + 7], c.sentMin) << int(c.min) << "/" << int(c.max);
        EXPECT_EQ(image[3523 + 9 * 1215 + 221 + 7], c.sentMax) << int(c.min) << "/" << int(c.max);
    }
}

TEST(WedgeCoding, KeyboardTypeCountsFromOneAndFlagFieldsShift) {
    struct Case {
        u8 flags, sent;
    };
    const Case cases[] = {
        {0x00, 0x00},
        {0x01, 0x01},  // bit 0 alone
        {1 << 1, 2 << 1},
        {2 << 1, 3 << 1},  // lock type 1, 2 -> 2, 3
        {1 << 3, 2 << 3},
        {2 << 3, 3 << 3},  // format 1, 2 -> 2, 3
        {(2 << 1) | (1 << 3), (3 << 1) | (2 << 3)},
        {0xE1 | (1 << 1), 0xE1 | (2 << 1)},  // bits 0 and 5-7 stay
        {0xE0 | (2 << 3), 0xE0 | (3 << 3)},
        {3 << 1, 3 << 1},  // never spills into the next field
        {(3 << 3) | 0x80, (3 << 3) | 0x80},
    };
    for (const Case& c : cases) {
        Project p{};
        p.wedge.keyboardType = 2;
        p.wedge.wedgeFlags = c.flags;
        p.wedge.charPause = 7;
        p.wedge.appendCrLf = 1;
        const DownloadImage image = built(p);
        EXPECT_EQ(image[18507], 3);
        EXPECT_EQ(image[18508], c.sent) << "flags " << int(c.flags);
        EXPECT_EQ(image[18509], 7);
        EXPECT_EQ(image[18511], 1);
        EXPECT_EQ(p.wedge.wedgeFlags, c.flags);  // the project keeps its own coding
    }
}

TEST(OptionsCoding, RecodedBytes) {
    struct Case {
        const char* name;
        std::size_t byte;
        u8 project, sent;
    };
    const Case cases[] = {
        {"start form 1", 1, 0, 1},
        {"start menu 1", 1, 1, 11},
        {"start menu (any nonzero)", 1, 7, 11},
        {"send port", 5, 0, 1},
        {"send port", 5, 3, 4},
        {"receive port", 27, 2, 3},
        {"baud", 28, 4, 5},
        {"backlight off", 29, 0, 1},
        {"backlight on", 29, 1, 2},
        {"backlight time", 30, 1, '1'},
        {"backlight time", 30, 9, '9'},
        {"delete after send", 31, 1, 2},
        {"ack display", 32, 2, 3},
        {"option byte", 0, 1, 1},
        {"delimiter", 2, ';', ';'},
        {"ack time", 33, 99, 99},
        {"protected area", 34, 1, 1},
        {"function key", 58, 4, 4},
        {"large titles", 68, 1, 1},
    };
    for (const Case& c : cases) {
        Project p{};
        reinterpret_cast<u8*>(&p.options)[c.byte] = c.project;
        const DownloadImage image = built(p);
        EXPECT_EQ(image[18562 + c.byte], c.sent) << c.name;
    }
}

TEST(OptionsCoding, PasswordLettersGoInUpperCase) {
    Project p{};
    std::memcpy(p.options.password, "ab1z\xE4m9Qxy", 10);
    p.options.password[10] = 'q';  // past the ten password characters
    const DownloadImage image = built(p);
    EXPECT_EQ(image_text(image, 18562 + 46, 11), "AB1Z\xE4M9QXYq");
    EXPECT_EQ(std::string(p.options.password, 10), "ab1z\xE4m9Qxy");
}

TEST(OptionsCoding, PhoneNumberIsCopiedNotPadded) {
    Project p{};
    set_cell(p.options.phoneNumber, "0815");
    const DownloadImage image = built(p);
    EXPECT_EQ(image_text(image, 18562 + 6, 5), std::string("0815\0", 5));
    EXPECT_EQ(image[18562 + 10], 0);
}

}  // namespace
}  // namespace kest
