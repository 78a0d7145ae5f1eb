// What the simulated terminal shows: the display state that the simulation engine owns and
// the terminal window draws, and the client rectangles that a change asks to repaint.
#pragma once

#include <cstddef>

#include "project/limits.h"

namespace kest::sim {

inline constexpr int kDisplayLines = 8;
inline constexpr std::size_t kDisplayCell = 25;          // 20 visible characters, a terminator and slack
inline constexpr int kDisplayColumns = kSmallFontWidth;  // the widest visible line

// Simulation state codes.
enum State : int {
    kStateStart = 10,       // start screen: the terminal's main menu and the clock line
    kStateMenu = 100,       // a user menu
    kStateForm = 110,       // form input
    kStateUtilities = 200,  // utilities menu
    kStateSettings = 300,   // settings menu
    kStateSend = 500,       // send screen
    kStateMessage = 999,    // a message over the lower half of a form
};

// Key codes of the terminal's keys; kKeyRestart is no key but the editor's restart request.
enum Key : int {
    kKeyDash = 10,
    kKeyZero = 11,
    kKeyDot = 12,
    kKeyAlpha = 13,
    kKeyPower = 14,
    kKeyFn = 15,
    kKeyEnterLeft = 16,
    kKeyEnterRight = 17,
    kKeyLeft = 18,
    kKeyUp = 19,
    kKeyRight = 20,
    kKeyEsc = 21,
    kKeyDown = 22,
    kKeyBackspace = 23,
    kKeyRestart = 51,
};

struct DisplayState {
    // Eight zero-terminated lines in Windows-1252, never longer than kDisplayColumns.
    char lines[kDisplayLines][kDisplayCell] = {};
    bool largeFont = false;   // line pitch 15 pixels when set, 10 when clear
    int highlight = 0;        // 1-based highlighted line, 0 for none
    int state = kStateStart;  // a State code
    int cursorColumn = 0;     // input cursor cell, drawn in form input only
    int cursorRow = 0;
    bool alpha = false;  // alpha-mode indicator "A"
    // The multi-tap letter waiting for its commit, drawn over the cursor block; 0 for none.
    char pendingLetter = 0;
    // The start screen's clock line (month, day, time and record counter), drawn at
    // (kTextLeft, kClockTop) in the start state; empty before the first tick.
    char clockLine[kDisplayCell] = {};
};

// A client rectangle of the terminal window; right and bottom are exclusive.
struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// What changed since the window last asked; the window invalidates (without erasing)
// the rectangles of repaint_rects().
struct Repaint {
    bool whole = false;      // the whole display (38, 35)-(167, 120)
    bool upperArea = false;  // the upper start-screen area (38, 35)-(167, 86)
    unsigned lineMask = 0;   // bit n: display line n, (38, 35 + 10n)-(167, 50 + 10n)
    bool clock = false;      // the clock line, which takes the place of line 7: (38, 105)-(167, 120)
    bool indicator = false;  // the alpha indicator (154, 90)-(161, 98)

    bool any() const { return whole || upperArea || lineMask != 0 || clock || indicator; }
};

// The rectangles of a repaint request, at most 12 (a rectangle that the whole display covers
// is left out).
inline constexpr int kMaxRepaintRects = 12;
int repaint_rects(const Repaint& repaint, Rect (&rects)[kMaxRepaintRects]);

// Display geometry shared by the window and the engine.
inline constexpr int kTextLeft = 39;
inline constexpr int kTextTop = 35;
inline constexpr int kCellWidth = 6;
inline constexpr int kFontHeight = 15;
// The clock line is drawn where the small font's line 7 stands; its repaint rectangle is
// that line's, which holds its blank background (116 x 12 pixels) and its 20 characters.
inline constexpr int kClockLine = 7;
inline constexpr int kClockTop = kTextTop + 10 * kClockLine;
inline int line_top(const DisplayState& display, int line) { return kTextTop + line * (display.largeFont ? 15 : 10); }

}  // namespace kest::sim
