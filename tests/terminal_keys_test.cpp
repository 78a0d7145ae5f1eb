#include "simulator/terminal_keys.h"

#include <gtest/gtest.h>

namespace kest::terminal {
namespace {

struct Hit {
    int x, y, key;
};

TEST(TerminalKeys, HitTestFollowsTheBandsInOrder) {
    const Hit cases[] = {
        // Enter band: only its two keys, even where a later band would match.
        {43, 197, 16},
        {71, 234, 16},
        {72, 210, 0},
        {130, 220, 17},
        {129, 220, 0},
        {156, 234, 17},
        // The up/down block: up to y 265 is cursor up.
        {84, 242, 19},
        {115, 265, 19},
        {100, 266, 22},
        {100, 288, 22},
        // Left/right band, outside the block; y 268-270 still belongs to it.
        {49, 240, 18},
        {80, 270, 18},
        {119, 255, 20},
        {152, 240, 20},
        {83, 250, 0},
        {153, 250, 0},
        {60, 269, 18},
        // ESC/BS band; BS starts at x 112, but up to y 288 the cursor-down block comes first.
        {48, 271, 21},
        {77, 291, 21},
        {112, 275, 22},
        {112, 290, 23},
        {116, 275, 23},
        {151, 291, 23},
        {100, 289, 0},
        {80, 280, 0},
        // Keypad rows and columns, with their gaps.
        {45, 296, 1},
        {80, 296, 2},
        {154, 317, 3},
        {60, 324, 4},
        {100, 344, 5},
        {130, 351, 9},
        {60, 398, 10},
        {100, 378, 11},
        {121, 390, 12},
        {100, 320, 0},
        {100, 318, 0},
        {100, 323, 0},
        {100, 348, 0},
        {100, 375, 0},
        {79, 300, 0},
        {120, 300, 0},
        {44, 300, 0},
        {155, 300, 0},
        // Bottom row.
        {49, 404, 13},
        {78, 425, 13},
        {89, 410, 14},
        {110, 425, 14},
        {121, 404, 15},
        {150, 425, 15},
        {85, 410, 0},
        {115, 410, 0},
        {100, 403, 0},
        {100, 426, 0},
        // Display and case.
        {100, 80, 0},
        {0, 0, 0},
        {199, 458, 0},
        {-5, 300, 0},
    };
    for (const Hit& c : cases) {
        EXPECT_EQ(hit_test(c.x, c.y), c.key) << "at " << c.x << "," << c.y;
    }
}

TEST(TerminalKeys, EveryKeyIsHitInsideItsOwnImage) {
    for (int code = 1; code <= kKeyCount; ++code) {
        KeyImage image = key_image(code);
        int hits = 0;
        for (int y = image.y; y < image.y + image.height; ++y) {
            for (int x = image.x; x < image.x + image.width; ++x) hits += hit_test(x, y) == code;
        }
        EXPECT_GT(hits, 0) << "key " << code;
    }
}

TEST(TerminalKeys, KeypadImagesFormAGrid) {
    const int xs[] = {38, 79, 120};
    const int ys[] = {295, 322, 349, 376, 403};
    for (int code = 1; code <= 15; ++code) {
        KeyImage image = key_image(code);
        EXPECT_EQ(image.x, xs[(code - 1) % 3]) << code;
        EXPECT_EQ(image.y, ys[(code - 1) / 3]) << code;
        EXPECT_EQ(image.width, 41);
        EXPECT_EQ(image.height, 23);
    }
    EXPECT_EQ(key_image(0).width, 0);
    EXPECT_EQ(key_image(24).width, 0);
    EXPECT_EQ(pressed_bitmap(23), 546);
    EXPECT_EQ(released_bitmap(1), 501);
}

}  // namespace
}  // namespace kest::terminal
