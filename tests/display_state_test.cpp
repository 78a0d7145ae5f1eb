#include "simulator/display_state.h"

#include <gtest/gtest.h>

#include <vector>

namespace kest::sim {
namespace {

bool holds(const Rect& outer, const Rect& inner) {
    return outer.left <= inner.left && outer.top <= inner.top && outer.right >= inner.right &&
           outer.bottom >= inner.bottom;
}

// What the window draws: up to 20 characters of 6 x 15 pixels from x = 39, small-font line n
// at y = 35 + 10n; the clock line at (39, 105) over its blank background of 116 x 12 pixels.
// Whatever a repaint names must hold all of it, and the whole display must hold the rest.
TEST(RepaintRects, EachRectangleHoldsWhatIsDrawnThere) {
    const Rect display{38, 35, 167, 120};
    const auto text_at = [](int y) { return Rect{39, y, 39 + 20 * 6, y + 15}; };
    struct Case {
        Repaint repaint;
        std::vector<Rect> drawn;
    };
    std::vector<Case> cases;
    for (int n = 0; n < kDisplayLines; ++n) {
        Repaint line;
        line.lineMask = 1u << n;
        cases.push_back({line, {text_at(35 + 10 * n)}});
    }
    Repaint clock;
    clock.clock = true;
    cases.push_back({clock, {text_at(105), Rect{39, 105, 39 + 116, 105 + 12}}});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.repaint.lineMask);
        Rect rects[kMaxRepaintRects];
        ASSERT_EQ(repaint_rects(c.repaint, rects), 1);
        EXPECT_TRUE(holds(display, rects[0]));
        for (const Rect& drawn : c.drawn) EXPECT_TRUE(holds(rects[0], drawn));
    }
}

}  // namespace
}  // namespace kest::sim
