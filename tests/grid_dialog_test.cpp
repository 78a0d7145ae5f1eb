#include "editor/grid_dialog.h"

#include <gtest/gtest.h>

#include "tests/support/map_dialog.h"
#include "tests/support/scripted_ui.h"

namespace kest::editor {
namespace {

using testing::MapDialog;
using testing::ScriptedUi;

constexpr int kWidth = 340, kHeight = 170;  // cells of 20 x 10

struct GridRun {
    CodeSequence target{};
    ScriptedUi ui;
    GridDlg grid{target, ui};
    MapDialog face;

    explicit GridRun(CodeSequence stored = {}) : target(stored) {
        face.attach(grid);
        grid.init(face);
    }
    // A click in the middle of the cell of the given code.
    bool pick(int code) {
        return grid.click(face, (code / 16 + 1) * 20 + 10, (code % 16 + 1) * 10 + 5, kWidth, kHeight);
    }
};

TEST(GridDlg, OpensOnStoredCodesAndAppendsAfterThem) {
    GridRun run(CodeSequence{2, 'A', 13});
    EXPECT_EQ(run.face.text(IDC_GRID_RESULT), "[STX][A][CR]");
    EXPECT_EQ(run.grid.length(), 3);
    EXPECT_EQ(run.grid.selected(), (GridCell{0, 0}));
    EXPECT_TRUE(run.pick(0x03));
    EXPECT_EQ(run.face.text(IDC_GRID_RESULT), "[STX][A][CR][ETX]");
    EXPECT_EQ(run.target, (CodeSequence{2, 'A', 13}));  // nothing reaches the buffer before OK
    EXPECT_EQ(run.face.click(kIdOk), DialogResult::CloseOk);
    EXPECT_EQ(run.target, (CodeSequence{2, 'A', 13, 3}));
}

TEST(GridDlg, CellsAddTheirCodeAndLabel) {
    const struct {
        int x, y;
        u8 code;
        const char* text;
    } cases[] = {
        {5 * 20 + 1, 2 * 10 + 1, 0x41, "[A]"},     // column "40", row "01"
        {1 * 20 + 19, 14 * 10 + 9, 0x0D, "[CR]"},  // column "00", row "0D"
        {16 * 20 + 5, 16 * 10 + 5, 0xFF, "[255]"},
        {3 * 20 + 5, 1 * 10 + 5, 0x20, "[Space]"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        GridRun run;
        EXPECT_TRUE(run.grid.click(run.face, c.x, c.y, kWidth, kHeight));
        EXPECT_EQ(run.face.text(IDC_GRID_RESULT), c.text);
        EXPECT_EQ(run.grid.selected().code(), c.code);
        run.face.click(kIdOk);
        EXPECT_EQ(run.target, (CodeSequence{c.code}));
    }
}

TEST(GridDlg, HeadersAndTheZeroCellTakeNoClick) {
    GridRun run(CodeSequence{'A'});
    run.pick(0x42);
    const struct { int x, y; } points[] = {{5, 5}, {100, 5}, {5, 100}, {25, 15} /* code 0x00 */, {kWidth + 3, 50}};
    for (const auto& p : points) {
        EXPECT_FALSE(run.grid.click(run.face, p.x, p.y, kWidth, kHeight)) << p.x << "," << p.y;
        EXPECT_FALSE(run.grid.click(run.face, p.x % 16, p.y % 16, 16, 16));  // a tiny grid
    }
    EXPECT_EQ(run.grid.selected().code(), 0x42);
    EXPECT_EQ(run.face.text(IDC_GRID_RESULT), "[A][B]");
    run.face.click(kIdOk);
    EXPECT_EQ(run.target, (CodeSequence{'A', 'B'}));
}

TEST(GridDlg, TheEleventhCodeIsRefusedWithItsMessage) {
    GridRun run(CodeSequence{1, 2, 3, 4, 5, 6, 7, 8, 9});
    run.pick('Z');
    EXPECT_TRUE(run.ui.messages.empty());
    const std::string full = run.face.text(IDC_GRID_RESULT);
    EXPECT_TRUE(run.pick('Y'));
    ASSERT_EQ(run.ui.messages.size(), 1u);
    EXPECT_EQ(run.ui.messages[0].text, "Zu viele Zeichen !!!");
    EXPECT_EQ(run.ui.messages[0].caption, "Fehler");
    EXPECT_EQ(run.ui.messages[0].icon, Icon::Warning);
    EXPECT_EQ(run.face.text(IDC_GRID_RESULT), full);
    EXPECT_EQ(run.grid.length(), 10);
    run.face.click(kIdOk);
    EXPECT_EQ(run.target, (CodeSequence{1, 2, 3, 4, 5, 6, 7, 8, 9, 'Z'}));
}

TEST(GridDlg, ClearThenOkStoresNothingCancelKeepsTheBuffer) {
    GridRun cleared(CodeSequence{'A', 'B'});
    cleared.pick('C');
    EXPECT_EQ(cleared.face.click(IDC_GRID_CLEAR), DialogResult::Stay);
    EXPECT_EQ(cleared.face.text(IDC_GRID_RESULT), "");
    EXPECT_EQ(cleared.grid.selected().code(), 'C');
    cleared.pick('D');
    cleared.face.click(IDC_GRID_CLEAR);
    cleared.face.click(kIdOk);
    EXPECT_EQ(cleared.target, CodeSequence{});

    GridRun cancelled(CodeSequence{'A', 'B'});
    cancelled.pick('C');
    cancelled.face.click(IDC_GRID_CLEAR);
    EXPECT_EQ(cancelled.face.click(kIdCancel), DialogResult::CloseCancel);
    EXPECT_EQ(cancelled.target, (CodeSequence{'A', 'B'}));
}

}  // namespace
}  // namespace kest::editor
