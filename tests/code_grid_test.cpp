#include "editor/code_grid.h"

#include <gtest/gtest.h>

namespace kest::editor {
namespace {

TEST(CodeGrid, LabelsOfTheCodeRanges) {
    const std::pair<int, const char*> cases[] = {
        {0x00, ""},  {0x01, "SOH"}, {0x0D, "CR"}, {0x1F, "US"},  {0x20, "Space"}, {0x21, "!"},
        {0x41, "A"}, {0x5D, "]"},   {0x7E, "~"},  {0x7F, "DEL"}, {0x80, "128"},   {0xFF, "255"},
    };
    for (const auto& [code, label] : cases) EXPECT_EQ(code_label(code), label) << code;
}

TEST(CodeGrid, CodeTextAndBackForEveryCode) {
    for (int c = 1; c < 256; ++c) {
        // Each code between neighbours whose labels could run into its own.
        const CodeSequence codes{static_cast<u8>(c), ']', '[', static_cast<u8>(c), '1', 128};
        const auto back = codes_from_text(code_text(codes));
        ASSERT_TRUE(back) << c;
        EXPECT_EQ(*back, codes) << c;
    }
    EXPECT_EQ(code_text(CodeSequence{2, 'A', 13}), "[STX][A][CR]");
    for (const char* bad : {"A", "[A", "[A]x", "[XYZ]", "[]", "[A][A][A][A][A][A][A][A][A][A][A]"})
        EXPECT_FALSE(codes_from_text(bad)) << bad;
    EXPECT_EQ(codes_from_text(""), CodeSequence{});
}

TEST(CodeGrid, TenCodesUseTheWholeSlotAndTheRestIsCleared) {
    u8 slot[kCodeCapacity] = {1, 2, 0, 9, 9, 9, 9, 9, 9, 9};
    EXPECT_EQ(read_codes(slot), (CodeSequence{1, 2}));
    write_codes(slot, CodeSequence{7, 0, 5});
    EXPECT_EQ(read_codes(slot), (CodeSequence{7}));
    for (int i = 1; i < kCodeCapacity; ++i) EXPECT_EQ(slot[i], 0) << i;
    const CodeSequence full{1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    write_codes(slot, full);
    EXPECT_EQ(code_count(slot), 10);
    EXPECT_EQ(read_codes(slot), full);
}

TEST(CodeGrid, HitTestingFindsCodeCellsOnly) {
    const GridGeometry g(340, 170);  // cells of 20 x 10
    struct Case {
        int x, y;
        std::optional<GridCell> cell;
    };
    const Case cases[] = {
        {5, 5, std::nullopt},                      // corner header
        {100, 5, std::nullopt},                    // column header
        {5, 100, std::nullopt},                    // row header
        {20, 10, GridCell{0, 0}},                  // code 0x00
        {5 * 20 + 3, 2 * 10 + 9, GridCell{4, 1}},  // "40" / "01": 'A'
        {20 + 19, 14 * 10, GridCell{0, 13}},       // "00" / "0D": CR
        {339, 169, GridCell{15, 15}},
        {-1, 50, std::nullopt},
        {340, 50, std::nullopt},  // one past the area: column 17
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.x) + "," + std::to_string(c.y));
        EXPECT_EQ(g.cell_at(c.x, c.y), c.cell);
    }
    EXPECT_EQ((GridCell{4, 1}).code(), 0x41);
}

TEST(CodeGrid, TinyAreasHitNothingAndPaintInsideTheirBounds) {
    const std::pair<int, int> sizes[] = {{0, 0}, {1, 1}, {16, 200}, {200, 16}, {17, 17}, {35, 40}, {341, 172}};
    for (const auto& [w, h] : sizes) {
        SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
        const GridGeometry g(w, h);
        if (w < 17 || h < 17) {
            for (int x = 0; x < w; ++x) EXPECT_FALSE(g.cell_at(x, h / 2));
        }
        for (const auto& plan : {paint_grid(g, GridCell{15, 15}), paint_result_field(w, h, "[A]")}) {
            for (const auto& step : plan) {
                EXPECT_GE(step.rect.left, 0);
                EXPECT_GE(step.rect.top, 0);
                EXPECT_LE(step.rect.right, w);
                EXPECT_LE(step.rect.bottom, h);
                EXPECT_LT(step.rect.left, step.rect.right);
                EXPECT_LT(step.rect.top, step.rect.bottom);
            }
        }
    }
}

TEST(CodeGrid, PaintingLabelsHeadersAndTheSelectedCell) {
    const GridGeometry g(340, 170);
    const PaintPlan plan = paint_grid(g, GridCell{4, 1});
    auto text_at = [&](PaintRect r) -> const PaintStep* {
        for (const auto& s : plan)
            if (s.kind == PaintStep::Kind::CentredText && s.rect == r) return &s;
        return nullptr;
    };
    const struct {
        PaintRect rect;
        const char* text;
        PaintColour colour;
    } cases[] = {
        {{20, 0, 40, 10}, "00", PaintColour::Black},  // first column header
        {{320, 0, 340, 10}, "F0", PaintColour::Black},
        {{0, 160, 20, 170}, "0F", PaintColour::Black},         // last row header
        {{20, 140, 40, 150}, "CR", PaintColour::Black},        // column 00, row 0D
        {{340 - 20, 20, 340, 30}, "241", PaintColour::Black},  // column F0, row 01
        {{101, 21, 121, 31}, "A", PaintColour::White},         // selected: one pixel in, blue
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const PaintStep* s = text_at(c.rect);
        ASSERT_NE(s, nullptr);
        EXPECT_EQ(s->text, c.text);
        EXPECT_EQ(s->colour, c.colour);
    }
    // The selected cell's blue is drawn after everything it covers.
    int blue = -1, lastFill = -1;
    for (int i = 0; i < static_cast<int>(plan.size()); ++i) {
        if (plan[i].kind != PaintStep::Kind::Fill) continue;
        lastFill = i;
        if (plan[i].colour == PaintColour::Blue) blue = i;
    }
    EXPECT_EQ(blue, lastFill);
    EXPECT_EQ(plan[static_cast<std::size_t>(blue)].rect, (PaintRect{101, 21, 121, 31}));
}

}  // namespace
}  // namespace kest::editor
