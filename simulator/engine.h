// The simulation engine: runs the project on the simulated terminal the way the terminal
// runs the downloaded application. It is driven only by key codes and 100 ms ticks, works
// on the project tables (it keeps a few working bytes inside the menu and form records)
// and on the display state, and says what to repaint. The terminal window of agkest and
// the headless "kest simulate" drive the same engine.
//
// Use from a window:
//   Engine engine(project, editorState, clock);
//   engine.show_start_screen();                 // once, at creation
//   on a press of key k (1-23):  if (engine.key(k) == Outcome::kCannotStart) { message box
//                                kCannotStartText / kCannotStartCaption, post "Neu" }
//   on the 100 ms timer:         engine.tick();
//   after each call:             invalidate repaint_rects(engine.take_repaint())
//   form page OK:                engine.prepare_forms(); engine.key(kKeyRestart);
// ALPHA (13) is an ordinary key: the engine toggles alpha mode itself in form input and
// asks for the indicator to be repainted. Nothing here blocks, allocates per key or
// shows a window.
#pragma once

#include <cstddef>

#include "platform/clock.h"
#include "project/project.h"
#include "simulator/display_state.h"

namespace kest::sim {

// Sizes of the run-time buffers; every write into them is bounded.
inline constexpr std::size_t kInputSize = 161;     // per form line: 160 characters and a terminator
inline constexpr std::size_t kPassDownSize = 408;  // the last record built: 407 characters and a terminator

// The message box shown when the program cannot start (no items in menu 1, or no input
// field in form 1); the window then posts the main window's "Neu" command.
inline constexpr char kCannotStartText[] = "Bitte Programm auswaehlen!";
inline constexpr char kCannotStartCaption[] = "Programm nicht ausfuehrbar";

enum class Outcome {
    kDone,
    kCannotStart,  // show the message box above, end the key hold and post "Neu"
};

class Engine {
public:
    Engine(Project& project, EditorState& editor, Clock& clock);

    // The start screen with highlight 1 and a full redraw (creation of the window).
    void show_start_screen();
    // A key press, codes 1-23, or kKeyRestart (51): highlight 1 and the start screen.
    // Other codes are ignored.
    Outcome key(int code);
    // The 100 ms timer: advances the tick counter, rebuilds the clock line on the start
    // screen and commits a pending multi-tap letter on its 7th idle tick.
    void tick();
    // Preparation of the forms after the form page applied its changes: continuation
    // lines take their lengths and options from their base line, empty and continuation
    // lines get their options reset, and the utilities length follows lookup file 1.
    void prepare_forms();

    const DisplayState& display() const { return display_; }
    // What to repaint since the last call; clears the request.
    Repaint take_repaint();

    int current_object() const { return object_; }  // JumpTarget of the shown form or menu, 0 otherwise
    int record_count() const { return editor_.recordCount; }
    const char* pass_down() const { return passDown_; }
    bool letter_pending() const { return pending_; }

private:
    struct Line {
        char input[kInputSize] = {};
        int start = 0;      // display column where the input begins
        int cursor = 0;     // display column of the next character
        int scroll = 0;     // characters scrolled out at the left
        bool sign = false;  // inline sign of an "auto(+/-)" line
    };

    FormRecord& form() { return project_.forms[object_ - jump::kFirstForm]; }
    MenuRecord& menu() { return project_.menus[object_ - jump::kFirstMenu]; }

    // Screens and navigation.
    void show_text_screen(int table, int rows, State state, bool large);
    void show_start(bool partial);
    void build_clock_line();
    void show_utilities();
    void show_settings();
    Outcome start_program();
    void go_to(int target, bool fromEsc);
    void enter_menu(int index);
    void show_menu(int index);
    static int menu_items(const MenuRecord& m);
    void start_form(int index);
    void render_form();
    void render_line(int line, bool withSign);
    const char* visible_input(int line);
    void show_message(int number);
    int width();
    void place_cursor(int column);
    int entry_lines();
    int current_line();
    int next_input_line(int line);
    void move_to_line(int line);
    void next_field();
    void previous_field();
    void complete_field();
    void multi_tap(int code);
    void commit_pending();

    // Key handlers by state.
    Outcome start_key(int code);
    void menu_key(int code);
    void form_key(int code);
    void utilities_key(int code);
    void settings_key(int code);

    // Field input.
    int last_column(int line);
    int input_length(int line) const;
    void sign_test(int line);
    bool accepts(int line, char c);
    void store_input(int line, int position, char c);
    void rebuild_scrolled(int line, int from);
    void commit(char c);
    void backspace();
    void reset_field(int line);
    void fill_line(int line, int start, int end);
    void draw_fill(int line);
    void draw_sign(int line);
    void spread_pass_down(int line);
    void assemble_record();
    void append_delimiters();
    void append_codes(const u8 (&codes)[10]);
    void append_number(const char* format, int value);
    void stamp();

    // Bounded display-line and buffer writes; each marks its line for repainting.
    void set_line(int line, const char* text, std::size_t size = static_cast<std::size_t>(-1));
    void append_line(int line, const char* text);
    void put_char(int line, int column, char c);
    void truncate_line(int line, int length);
    int line_length(int line) const;
    void append_pass_down(const char* text, std::size_t count);
    void repaint_line(int line) { repaint_.lineMask |= 1u << line; }
    void repaint_whole() { repaint_.whole = true; }

    Project& project_;
    EditorState& editor_;
    Clock& clock_;
    DisplayState display_;
    Repaint repaint_;

    int object_ = 0;
    int utilitiesLength_ = 7;
    int tick_ = 0;
    int lastKey_ = 0;
    bool pending_ = false;
    char pendingLetter_ = 0;
    int pendingIndex_ = 0;
    int pendingTicks_ = 0;
    Line lines_[kFormLines];
    char passDown_[kPassDownSize] = {};
};

}  // namespace kest::sim
