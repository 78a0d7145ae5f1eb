// The keys of the terminal picture: where each key's images are drawn and which key a
// mouse press hits. Key codes are 1-23 (sim::Key); 0 means no key.
#pragma once

#include "simulator/display_state.h"

namespace kest::terminal {

inline constexpr int kKeyCount = 23;
inline constexpr int kNoKey = 0;

struct KeyImage {
    int x, y;           // top-left corner of the key's bitmaps in the terminal window
    int width, height;  // size of its released and pressed bitmaps
};

// Drawing origin and bitmap size of a key (code 1-23).
KeyImage key_image(int code);

// Bitmap resource numbers of the terminal picture.
inline constexpr int kPictureBitmap = 500;
inline constexpr int released_bitmap(int code) { return 500 + code; }
inline constexpr int pressed_bitmap(int code) { return 523 + code; }
inline constexpr int kCursorBitmap = 547;
inline constexpr int kHighlightBitmap = 548;
inline constexpr int kClockBackgroundBitmap = 549;
inline constexpr int kAlphaOnBitmap = 550;
inline constexpr int kAlphaOffBitmap = 551;
inline constexpr int kFirstBitmap = 500;
inline constexpr int kBitmapCount = 52;

// The key under a point of the terminal window (client coordinates), 0 for none.
// Bands are tested top-down; the first band containing y decides alone, so a point in a
// band but outside its keys (or between two keypad rows) is no key.
int hit_test(int x, int y);

inline constexpr int kAlphaX = 154;  // the alpha indicator
inline constexpr int kAlphaY = 90;

}  // namespace kest::terminal
