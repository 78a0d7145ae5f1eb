#include "simulator/display_state.h"

namespace kest::sim {
namespace {

Rect line_rect(int n) { return {38, kTextTop + 10 * n, 167, kTextTop + kFontHeight + 10 * n}; }

}  // namespace

int repaint_rects(const Repaint& repaint, Rect (&rects)[kMaxRepaintRects]) {
    int count = 0;
    if (repaint.whole) {
        rects[count++] = {38, 35, 167, 120};
    } else {
        if (repaint.upperArea) rects[count++] = {38, 35, 167, 86};
        for (int n = 0; n < kDisplayLines; ++n)
            if (repaint.lineMask & (1u << n)) rects[count++] = line_rect(n);
    }
    if (repaint.clock) rects[count++] = line_rect(kClockLine);
    if (repaint.indicator) rects[count++] = {154, 90, 161, 98};
    return count;
}

}  // namespace kest::sim
