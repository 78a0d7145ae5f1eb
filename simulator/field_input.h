// Inside the fields of the form being entered: the input of each line with its input
// start, cursor and scrolling, the inline sign of "auto(+/-)" lines, the characters each
// line type accepts, backspace, the fill character, the pass-down text spread over
// extension lines, and the keypad's alpha mode with its multi-tap letter. It draws on the
// engine's screen; which line is current, and what follows a step, is the engine's.
#pragma once

#include <cstddef>

#include "project/project.h"
#include "simulator/run_state.h"
#include "simulator/screen.h"

namespace kest::sim {

inline constexpr std::size_t kInputSize = 161;  // per form line: 160 characters and a terminator

class FieldInput {
public:
    // What a typed character or backspace leaves for the engine to do.
    enum class Step {
        kDone,
        kRefused,       // the line's type does not take the character: message 1
        kNextLine,      // the field goes on in the extension line below: it becomes current
        kPreviousLine,  // backspace at the start of an extension line: the line above
    };

    FieldInput(Screen& screen, const Project& project, const RunState& run)
        : screen_(screen), project_(project), run_(run) {}

    // Form `form` starts: every line empty (or its default value), with its input start.
    void start(int form);
    // The line as the form shows it: prompt, the sign when asked for, the visible input.
    void render_line(int line, bool withSign);
    // A counter line holds the record counter; a pass-down line the record, spread over
    // the extension lines after it.
    void set_counter(int line, int count);
    void set_pass_down(int line, const char* record);
    // The line's cursor back at its input start.
    void home(int line) { lines_[line].cursor = lines_[line].start; }
    // The display cursor on the line, at its cursor column.
    void show_cursor(int line);

    Step commit(int line, char c);
    Step backspace(int line);
    // The line's fillChar after its input, and so on the extension lines after it.
    void draw_fill(int line);

    const char* input(int line) const { return lines_[line].input; }
    int input_length(int line) const;

    // Alpha mode: keys 1-12 type letters by multi-tap.
    bool alpha() const { return alpha_; }
    void toggle_alpha();
    void alpha_off();
    // A letter key in alpha mode: the same key again cycles the pending letter, drawn over
    // the cursor cell until it is committed.
    void tap(int key);
    bool letter_pending() const { return pending_; }
    // The 100 ms timer: true on the 7th idle tick of a pending letter.
    bool tick() { return pending_ && ++pendingTicks_ > 6; }
    // Ends the pending state and gives the letter to commit.
    char take_letter();

private:
    struct Line {
        char input[kInputSize] = {};
        int start = 0;      // display column where the input begins
        int cursor = 0;     // display column of the next character
        int scroll = 0;     // characters scrolled out at the left
        bool sign = false;  // inline sign of an "auto(+/-)" line
    };

    const FormRecord& form() const { return project_.forms[form_]; }
    const char* prompt(int line) const { return run_.prompt(form_, line); }
    int width() const;
    int last_column(int line) const;
    void place_cursor(int column);
    void sign_test(int line);
    bool accepts(int line, char c) const;
    bool continues(int line, int k) const;
    const char* visible_input(int line) const;
    void store_input(int line, int position, char c);
    void rebuild_scrolled(int line, int from);
    void reset_field(int line);
    void fill_line(int line, int start, int end);
    void draw_sign(int line);

    Screen& screen_;
    const Project& project_;
    const RunState& run_;
    int form_ = 0;
    Line lines_[kFormLines];
    bool alpha_ = false;
    bool pending_ = false;
    char letter_ = 0;
    int cycle_ = 0;
    int pendingTicks_ = 0;
};

}  // namespace kest::sim
