// The keys of the terminal picture: where each key's images are drawn and which key a
// mouse press hits. Key codes are 1-23; 0 means no key.
#pragma once

namespace kest::terminal {

inline constexpr int kKeyCount = 23;

namespace key {
inline constexpr int kNone = 0;
inline constexpr int kDash = 10;
inline constexpr int kZero = 11;
inline constexpr int kDot = 12;
inline constexpr int kAlpha = 13;
inline constexpr int kPower = 14;
inline constexpr int kFunction = 15;
inline constexpr int kEnterLeft = 16;
inline constexpr int kEnterRight = 17;
inline constexpr int kLeft = 18;
inline constexpr int kUp = 19;
inline constexpr int kRight = 20;
inline constexpr int kEscape = 21;
inline constexpr int kDown = 22;
inline constexpr int kBackspace = 23;
inline constexpr int kRestart = 51;  // not a key: restarts the simulation
}  // namespace key

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

// Display geometry.
inline constexpr int kTextLeft = 39;
inline constexpr int kTextTop = 35;
inline constexpr int kCharWidth = 6;
inline constexpr int kSmallPitch = 10;
inline constexpr int kLargePitch = 15;
inline constexpr int kClockX = 39;
inline constexpr int kClockY = 105;
inline constexpr int kAlphaX = 154;
inline constexpr int kAlphaY = 90;

inline constexpr int line_top(int line, bool largeFont) {
    return kTextTop + line * (largeFont ? kLargePitch : kSmallPitch);
}

}  // namespace kest::terminal
