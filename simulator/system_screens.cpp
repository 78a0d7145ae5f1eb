#include "simulator/system_screens.h"

#include <algorithm>
#include <cstdio>

#include "project/defaults.h"
#include "simulator/bounded_text.h"

namespace kest::sim {
namespace {

constexpr int kMainMenuTable = 0;
constexpr int kUtilitiesTable = 1;
constexpr int kSettingsTable = 6;
constexpr int kConnectionTable = 21;

constexpr const char* kMonths[12] = {"JAN ", "FEB ", "MAR ", "APR ", "MAY ", "JUN ",
                                     "JUL ", "AUG ", "SEP ", "OCT ", "NOV ", "DEC "};

bool is_enter(int code) { return code == kKeyEnterLeft || code == kKeyEnterRight; }

}  // namespace

void SystemScreens::show_text_screen(int table, int rows, State state, bool large) {
    DisplayState& d = screen_.display();
    const TextTableInfo& info = text_table_info(table);
    rows = std::min(rows, info.rows);
    for (int line = 0; line < kDisplayLines; ++line) {
        d.lines[line][0] = '\0';
        if (line < rows) copy_text(d.lines[line], kDisplayColumns + 1, text_cell(project_, table, line), info.cellSize);
    }
    d.state = state;
    d.largeFont = large;
    d.pendingLetter = 0;
    if (state != kStateStart) d.clockLine[0] = '\0';
}

void SystemScreens::show_start(int highlight) {
    screen_.display().highlight = highlight;
    show_text_screen(kMainMenuTable, 4, kStateStart, true);
    build_clock_line();
    screen_.repaint_whole();
}

// Month, day and time, the colon blinking once a second, and the record counter unless
// the collected data goes into a file per form.
void SystemScreens::build_clock_line() {
    const LocalTime now = clock_.local_time();
    const int month = now.month >= 1 && now.month <= 12 ? now.month - 1 : 0;
    char text[64];
    std::snprintf(text, sizeof text, tick_ < 5 ? "%s%02d, %02d:%02d  " : "%s%02d, %02d %02d  ", kMonths[month],
                  now.day % 100, now.hour % 100, now.minute % 100);
    if (!project_.options.separateFilePerForm)
        std::snprintf(text + 15, sizeof text - 15, "%05d", editor_.recordCount % 100000);
    copy_text(screen_.display().clockLine, kDisplayColumns + 1, text);
    screen_.repaint().clock = true;
}

void SystemScreens::tick() {
    tick_ = (tick_ + 1) % 10;
    if (screen_.display().state == kStateStart) build_clock_line();
}

void SystemScreens::show_utilities(int highlight) {
    screen_.display().highlight = highlight;
    show_text_screen(kUtilitiesTable, utilitiesLength_, kStateUtilities, false);
    screen_.repaint_whole();
}

void SystemScreens::show_settings(int highlight) {
    screen_.display().highlight = highlight;
    show_text_screen(kSettingsTable, 8, kStateSettings, false);
    screen_.repaint_whole();
}

SystemScreens::Request SystemScreens::key(int code) {
    switch (screen_.display().state) {
    case kStateStart: return start_key(code);
    case kStateUtilities: utilities_key(code); break;
    case kStateSettings: settings_key(code); break;
    case kStateSend:
        if (code == kKeyEsc) show_start(2);
        break;
    default: break;
    }
    return Request::kNone;
}

// The highlight 1-3 marks a line of the main menu; Enter acts as its digit.
SystemScreens::Request SystemScreens::start_key(int code) {
    int& highlight = screen_.display().highlight;
    if (is_enter(code)) code = highlight;
    switch (code) {
    case 1: return Request::kStartProgram;
    case 2:
        highlight = 0;
        show_text_screen(kConnectionTable, 4, kStateSend, true);
        screen_.repaint_whole();
        break;
    case 3: show_utilities(1); break;
    case kKeyUp:
        highlight = highlight <= 1 ? 3 : highlight - 1;
        screen_.repaint().upperArea = true;
        break;
    case kKeyDown:
        highlight = highlight >= 3 ? 1 : highlight + 1;
        screen_.repaint().upperArea = true;
        break;
    default: break;
    }
    return Request::kNone;
}

void SystemScreens::utilities_key(int code) {
    int& highlight = screen_.display().highlight;
    if (is_enter(code)) code = highlight == 1 ? 1 : 0;
    if (code == 1) {
        show_settings(2);
    } else if (code == kKeyUp) {
        highlight = highlight <= 1 ? utilitiesLength_ : highlight - 1;
        screen_.repaint_whole();
    } else if (code == kKeyDown) {
        highlight = highlight >= utilitiesLength_ ? 1 : highlight + 1;
        screen_.repaint_whole();
    } else if (code == kKeyEsc) {
        show_start(3);
    }
}

// The highlight moves over the second to eighth line; every other key goes back.
void SystemScreens::settings_key(int code) {
    int& highlight = screen_.display().highlight;
    if ((code >= 1 && code <= 7) || is_enter(code) || code == kKeyEsc) {
        show_utilities(1);
    } else if (code == kKeyUp) {
        highlight = highlight <= 2 ? 8 : highlight - 1;
        screen_.repaint_whole();
    } else if (code == kKeyDown) {
        highlight = highlight >= 8 ? 2 : highlight + 1;
        screen_.repaint_whole();
    }
}

}  // namespace kest::sim
