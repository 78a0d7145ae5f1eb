#include <gtest/gtest.h>

#include <cstring>

#include "project/project.h"
#include "project/rules.h"

namespace kest {
namespace {

TEST(TextCatalogue, TablesFollowEachOtherInFileOrder) {
    std::size_t offset = offsetof(Project, texts);
    for (int i = 0; i < kTextTableCount; ++i) {
        const auto& info = text_table_info(i);
        EXPECT_EQ(info.fileOffset, offset) << "table " << i;
        offset += static_cast<std::size_t>(info.rows) * info.cellSize;
    }
    EXPECT_EQ(offset, offsetof(Project, wedge));
}

TEST(TextCatalogue, CellAddressesMatchTheFileOffsets) {
    Project p{};
    auto* base = reinterpret_cast<char*>(&p);
    EXPECT_EQ(text_cell(p, 0, 0) - base, 16115);
    EXPECT_EQ(text_cell(p, 1, 1) - base, 16179 + 21);
    EXPECT_EQ(text_cell(p, 25, 2) - base, 18456 + 42);
}

TEST(Cells, TextStopsAtTheCellEndWithoutTerminator) {
    char cell[4] = {'A', 'B', 'C', 'D'};
    EXPECT_EQ(cell_text(cell), "ABCD");
    set_cell(cell, "123456");
    EXPECT_EQ(cell_text(cell), "123");
    EXPECT_EQ(cell[3], '\0');
}

TEST(FormNormalisation, AppliesTheThreeInvariants) {
    Project p{};
    FormRecord& f = p.forms[0];
    f.font = 1;
    f.lineType[5] = kFieldText;
    f.maxLength[0] = 60;
    f.minLength[1] = 30;
    f.maxLength[1] = 20;
    f.lineType[2] = kFieldFixedData;
    f.lineLookupKey[2] = 3;
    set_cell(f.prompt[2], "Fix");
    f.lineType[3] = kFieldContinuation;
    f.lineLookupKey[3] = 4;
    set_cell(f.prompt[3], "Weiter");
    p = normalised_forms(p);
    EXPECT_EQ(f.lineType[5], kFieldEmpty);
    EXPECT_EQ(f.maxLength[0], 50);
    EXPECT_EQ(f.minLength[1], 20);
    EXPECT_EQ(f.lineLookupKey[2], 0);
    EXPECT_EQ(cell_text(f.prompt[2]), "Fix");
    EXPECT_EQ(f.lineLookupKey[3], 0);
    EXPECT_EQ(cell_text(f.prompt[3]), "");
}

}  // namespace
}  // namespace kest
