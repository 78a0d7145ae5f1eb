// Values no page produces: each planted one is found at its offset under its path, and a
// new project has none.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <functional>
#include <memory>

#include "project/defaults.h"
#include "project/project_check.h"
#include "project/project_file.h"
#include "tests/support/projects.h"

namespace kest {
namespace {

TEST(ProjectCheck, ANewProjectHoldsNothingOutOfRange) {
    auto p = testing::new_project();
    EXPECT_TRUE(check_project(*p).empty());
    apply_large_titles(*p, true);
    p->options.largeTitles = 1;
    EXPECT_TRUE(check_project(*p).empty());
}

TEST(ProjectCheck, FindsEveryPlantedValue) {
    constexpr std::size_t kForm2 = 3535 + 2 * 1215;
    struct Case {
        std::function<void(Project&)> plant;
        std::size_t offset;
        const char* path;
        const char* what;
    };
    const Case cases[] = {
        {[](Project& p) { p.com.portIndex = 6; }, 10, "com.portIndex", "is 6, expected 0-5"},
        {[](Project& p) { p.menus[1].font = 2; }, 35 + 350, "menus[1].font", "is 2, expected 0 or 1"},
        {[](Project& p) { p.menus[0].itemTarget[3] = 178; }, 35 + 234 + 3, "menus[0].items[3].target",
         "is 178, expected 0-20"},
        {[](Project& p) { p.menus[9].itemCount = 11; }, 35 + 9 * 350 + 247, "menus[9].itemCount",
         "is 11, expected 0-10"},
        {[](Project& p) { std::memset(p.menus[0].title, 'x', kCell20); }, 35 + 2, "menus[0].title",
         "no zero byte in its first 21"},
        {[](Project& p) { p.forms[2].lineType[4] = 40; }, kForm2 + 29 + 4, "forms[2].lines[4].type",
         "is 40, expected 0-12"},
        {[](Project& p) { p.forms[2].escTarget = 21; }, kForm2 + 1, "forms[2].escTarget", "expected 0-20"},
        {[](Project& p) { p.forms[2].dateOrder = 3; }, kForm2 + 12, "forms[2].stamp.dateOrder", "expected 0-2"},
        {[](Project& p) { p.forms[2].maxLength[7] = 51; }, kForm2 + 221 + 7, "forms[2].lines[7].maxLength",
         "expected 0-50"},
        {[](Project& p) { p.forms[2].lineLookupKey[0] = 25; }, kForm2 + 21, "forms[2].lines[0].lookupKey",
         "expected 0-24"},
        {[](Project& p) { p.forms[2].autoEnter[1] = 2; }, kForm2 + 597 + 1, "forms[2].lines[1].autoEnter",
         "expected 0 or 1"},
        {[](Project& p) { std::memset(p.forms[2].defaultValue[3], 'x', 10); }, kForm2 + 261 + 30,
         "forms[2].lines[3].default", "more than 9 characters"},
        {[](Project& p) { p.forms[2].entryLineCount = 9; }, kForm2 + 1013, "forms[2].entryLineCount", "expected 0-8"},
        {[](Project& p) { p.lookups[1].fieldCount = 9; }, 15685 + 122 + 1, "lookups[1].fieldCount",
         "is 9, expected 0-8"},
        {[](Project& p) { p.lookups[2].keyField = 8; }, 15685 + 244 + 2, "lookups[2].keyField", "expected 0-7"},
        {[](Project& p) { std::memset(p.signOn.rows[3], 'x', kCell15); }, 16051 + 48, "texts.signOn[3]",
         "more than 15"},
        {[](Project& p) { std::memset(text_cell(p, 24, 7), 'x', kCell15); }, 18328 + 7 * 16, "texts.tables[24].rows[7]",
         "more than 15"},
        {[](Project& p) { p.wedge.keyboardType = 32; }, 18519, "keyboardWedge.keyboardType", "expected 0-31"},
        {[](Project& p) { p.options.sendPort = 5; }, 18574 + 5, "settings.sendPort", "expected 0-4"},
        {[](Project& p) { p.options.ackTime = 100; }, 18574 + 33, "settings.ackTime", "expected 0-99"},
        {[](Project& p) { p.options.functionKey[9] = 19; }, 18574 + 67, "settings.functionKeys[9]", "expected 0-18"},
        {[](Project& p) { p.options.protectedArea[0] = 2; }, 18574 + 34, "settings.protectedArea[0]",
         "expected 0 or 1"},
        {[](Project& p) { std::memset(p.options.password, 'x', 11); }, 18574 + 46, "settings.password", "more than 10"},
    };
    for (const Case& c : cases) {
        auto p = testing::new_project();
        c.plant(*p);
        const std::vector<Finding> found = check_project(*p);
        ASSERT_EQ(found.size(), 1u) << c.path;
        EXPECT_EQ(found[0].offset, c.offset) << c.path;
        EXPECT_EQ(found[0].path, c.path);
        EXPECT_NE(found[0].what.find(c.what), std::string::npos) << c.path << ": " << found[0].what;
    }
}

TEST(ProjectCheck, TrailerBytesAndBytesAfterTheEnd) {
    EXPECT_TRUE(check_file_end(std::vector<u8>(kTrailerSize, 0), 0).empty());
    std::vector<u8> trailer(kTrailerSize, 0);
    trailer[40] = 7;
    trailer[90] = 1;
    const auto found = check_file_end(trailer, 3);
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0].offset, kProjectTablesSize + 40);
    EXPECT_EQ(found[0].what, "holds 2 bytes other than zero (the trailer is zero bytes)");
    EXPECT_EQ(found[1].offset, kProjectFileSize);
    EXPECT_NE(found[1].what.find("is followed by 3 bytes"), std::string::npos);
}

}  // namespace
}  // namespace kest
