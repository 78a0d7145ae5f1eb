// The simulation engine: runs the project on the simulated terminal the way the terminal
// runs the downloaded application. It is driven only by key codes and 100 ms ticks, reads
// the project without changing it and draws on the display state, and says what to
// repaint. The terminal window of agkest and the headless "kest simulate" drive the same
// engine. Its parts: the screen it draws on (screen.h), the terminal's own screens
// (system_screens.h), the bytes the terminal keeps in the menu and form records
// (run_state.h), the fields of the form being entered (field_input.h) and the record a
// completed form passes down (record_assembly.h).
//
// Use from a window:
//   Engine engine(project, editorState, clock);
//   engine.show_start_screen();                 // once, at creation
//   on a press of key k (1-23):  if (engine.key(k) == Outcome::kCannotStart) { message box
//                                kCannotStartText / kCannotStartCaption, post "Neu" }
//   on the 100 ms timer:         engine.tick();
//   after each call:             invalidate repaint_rects(engine.take_repaint())
//   before a command reads or writes the project: engine.hand_over(project);
//   form page OK:                (prepared_forms into the project) engine.forms_prepared();
//                                engine.key(kKeyRestart);
// ALPHA (13) is an ordinary key: the engine toggles alpha mode itself in form input and
// asks for the indicator to be repainted. Nothing here blocks, allocates per key or
// shows a window.
#pragma once

#include "platform/clock.h"
#include "project/project.h"
#include "simulator/display_state.h"
#include "simulator/field_input.h"
#include "simulator/record_assembly.h"
#include "simulator/run_state.h"
#include "simulator/screen.h"
#include "simulator/system_screens.h"

namespace kest::sim {

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
    Engine(const Project& project, EditorState& editor, Clock& clock);

    // The start screen with highlight 1 and a full redraw (creation of the window).
    void show_start_screen();
    // A key press, codes 1-23, or kKeyRestart (51): highlight 1 and the start screen.
    // Other codes are ignored.
    Outcome key(int code);
    // The 100 ms timer: advances the tick counter, rebuilds the clock line on the start
    // screen and commits a pending multi-tap letter on its 7th idle tick.
    void tick();
    // The form page applied its changes and the project holds the prepared forms
    // (form_preparation.h): the utilities length follows lookup file 1.
    void forms_prepared();
    // The project the engine runs on takes the bytes the engine keeps in its menu and form
    // records; from then on the engine reads them from the project again.
    void hand_over(Project& project);

    const DisplayState& display() const { return screen_.display(); }
    // What to repaint since the last call; clears the request.
    Repaint take_repaint() { return screen_.take_repaint(); }

    int current_object() const { return object_; }  // JumpTarget of the shown form or menu, 0 otherwise
    int record_count() const { return editor_.recordCount; }
    const char* pass_down() const { return record_.text(); }
    const RecordAssembly& record() const { return record_; }
    const RunState& run_state() const { return run_; }
    bool letter_pending() const { return input_.letter_pending(); }

private:
    const FormRecord& form() const { return project_.forms[form_index()]; }
    int form_index() const { return object_ - jump::kFirstForm; }
    int menu_index() const { return object_ - jump::kFirstMenu; }

    // Screens and navigation.
    Outcome start_program();
    void go_to(int target, bool fromEsc);
    void enter_menu(int index);
    void show_menu(int index);
    int menu_items(int index) const;
    void select_item(int item);
    void start_form(int index);
    void render_form();
    void render_line(int line, bool withSign);
    void show_message(int number);
    int entry_lines() const;
    int current_line();
    void set_current_line(int line) { run_.set_current_line(form_index(), line); }
    int next_input_line(int line) const;
    void move_to_line(int line);
    void previous_field();
    void complete_field();
    void commit(char c);
    void follow(FieldInput::Step step, int line);
    void commit_pending();

    // Key handlers of the user's menus and forms.
    void menu_key(int code);
    void form_key(int code);

    const Project& project_;
    EditorState& editor_;
    Clock& clock_;
    Screen screen_;
    RunState run_;
    FieldInput input_;
    RecordAssembly record_;
    SystemScreens system_;

    int object_ = 0;
    int lastKey_ = 0;
};

}  // namespace kest::sim
