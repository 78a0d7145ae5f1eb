// The terminal's own screens, built from its text tables: the start screen (its main menu,
// with the clock line and the record counter), the send screen, and the utilities and
// settings menus, which are inert beyond their cursor and menu keys. Key 1 on the start
// screen starts the user's program, which is the engine's.
#pragma once

#include "platform/clock.h"
#include "project/project.h"
#include "simulator/screen.h"

namespace kest::sim {

class SystemScreens {
public:
    enum class Request { kNone, kStartProgram };

    SystemScreens(Screen& screen, const Project& project, const EditorState& editor, Clock& clock)
        : screen_(screen), project_(project), editor_(editor), clock_(clock) {}

    // The start screen with the highlight on the given line, fully redrawn.
    void show_start(int highlight);
    // A key on one of these screens (the display's state says which).
    Request key(int code);
    // The 100 ms timer: the tick counter, and the clock line on the start screen.
    void tick();
    // Lines of the utilities menu (form_preparation.h).
    void set_utilities_length(int length) { utilitiesLength_ = length; }

private:
    void show_text_screen(int table, int rows, State state, bool large);
    void build_clock_line();
    void show_utilities(int highlight);
    void show_settings(int highlight);
    Request start_key(int code);
    void utilities_key(int code);
    void settings_key(int code);

    Screen& screen_;
    const Project& project_;
    const EditorState& editor_;
    Clock& clock_;
    int utilitiesLength_ = 7;
    int tick_ = 0;
};

}  // namespace kest::sim
