#include "simulator/engine.h"

#include <algorithm>
#include <limits>

#include "project/defaults.h"
#include "project/rules.h"
#include "simulator/bounded_text.h"
#include "simulator/form_preparation.h"

namespace kest::sim {
namespace {

constexpr int kMessageTable = 23;
// The cell of the error texts shown under a message: "Taste druecken..." by default.
constexpr int kMessageKeyRow = 5;
constexpr char kStars[] = "********************";

// Digits typed in numeric mode, by key 1-12.
constexpr char kDigit[13] = {0, '1', '2', '3', '4', '5', '6', '7', '8', '9', '-', '0', '.'};

}  // namespace

Engine::Engine(const Project& project, EditorState& editor, Clock& clock)
    : project_(project),
      editor_(editor),
      clock_(clock),
      run_(project),
      input_(screen_, project, run_),
      system_(screen_, project, editor, clock) {}

void Engine::forms_prepared() { system_.set_utilities_length(utilities_length(project_)); }

void Engine::hand_over(Project& project) {
    run_.put_into(project);
    run_.forget();
}

Outcome Engine::key(int code) {
    if (input_.letter_pending() && code != lastKey_) commit_pending();
    lastKey_ = code;
    if (code == kKeyRestart) {
        show_start_screen();
        return Outcome::kDone;
    }
    if (code < 1 || code > kKeyBackspace) return Outcome::kDone;
    switch (screen_.display().state) {
    case kStateMenu: menu_key(code); break;
    case kStateForm: form_key(code); break;
    case kStateMessage: render_form(); break;
    default:
        if (system_.key(code) == SystemScreens::Request::kStartProgram) return start_program();
        break;
    }
    return Outcome::kDone;
}

void Engine::tick() {
    system_.tick();
    if (input_.tick()) commit_pending();
}

void Engine::commit_pending() {
    const char letter = input_.take_letter();
    if (screen_.display().state == kStateForm) commit(letter);
}

void Engine::show_start_screen() {
    input_.alpha_off();
    object_ = 0;
    system_.show_start(1);
}

Outcome Engine::start_program() {
    run_.recount();
    if (project_.options.startObject != 0) {
        if (run_.item_count(0) > 0) {
            enter_menu(0);
            return Outcome::kDone;
        }
    } else if (run_.entry_line_count(0) > 0) {
        start_form(0);
        return Outcome::kDone;
    }
    return Outcome::kCannotStart;
}

void Engine::go_to(int target, bool fromEsc) {
    if (target >= jump::kFirstForm && target < jump::kFirstForm + kFormCount) {
        start_form(target - jump::kFirstForm);
    } else if (target >= jump::kFirstMenu && target < jump::kFirstMenu + kMenuCount) {
        if (fromEsc)
            show_menu(target - jump::kFirstMenu);
        else
            enter_menu(target - jump::kFirstMenu);
    } else {
        // The start screen, also for a target that a damaged file may hold.
        show_start_screen();
    }
}

void Engine::enter_menu(int index) {
    run_.enter_menu(index);
    show_menu(index);
}

int Engine::menu_items(int index) const { return std::min(run_.item_count(index), 10); }

void Engine::show_menu(int index) {
    const MenuRecord& m = project_.menus[index];
    DisplayState& d = screen_.display();
    d.state = kStateMenu;
    object_ = jump::menu(index);
    d.largeFont = false;
    d.pendingLetter = 0;
    d.clockLine[0] = '\0';
    int line = 0;
    if (m.titleEnabled) screen_.set_line(line++, m.title, sizeof m.title);
    d.highlight = run_.current_item(index) + line + 1;
    const int firstItemLine = line;
    for (; line < kDisplayLines; ++line) {
        const int item = line - firstItemLine;
        if (item < menu_items(index))
            screen_.set_line(line, m.items[item], sizeof m.items[item]);
        else
            d.lines[line][0] = '\0';
    }
    screen_.repaint_whole();
}

void Engine::select_item(int item) {
    run_.set_current_item(menu_index(), item);
    go_to(project_.menus[menu_index()].itemTarget[item], false);
}

void Engine::menu_key(int code) {
    const int index = menu_index();
    const int item = run_.current_item(index);
    if (code >= 1 && code <= 9) {
        if (code <= menu_items(index)) select_item(code - 1);
    } else if (code == kKeyZero) {
        if (menu_items(index) >= 10) select_item(9);
    } else if (code == kKeyEnterLeft || code == kKeyEnterRight) {
        if (item < 10) go_to(project_.menus[index].itemTarget[item], false);
    } else if (code == kKeyUp) {
        if (item > 0) {
            run_.set_current_item(index, item - 1);
            show_menu(index);
        }
    } else if (code == kKeyDown) {
        if (item < std::min(menu_items(index), 8) - 1) {
            run_.set_current_item(index, item + 1);
            show_menu(index);
        }
    } else if (code == kKeyEsc) {
        go_to(project_.menus[index].escTarget, true);
    }
}

int Engine::entry_lines() const { return std::min(run_.entry_line_count(form_index()), kFormLines); }

int Engine::current_line() {
    if (run_.current_line(form_index()) >= kFormLines) set_current_line(0);
    return run_.current_line(form_index());
}

void Engine::start_form(int index) {
    object_ = jump::form(index);
    input_.start(index);
    set_current_line(0);
    if (!is_input_line(form().lineType[0])) set_current_line(std::max(next_input_line(0), 0));
    screen_.display().highlight = 0;
    render_form();
}

// A counter line shows the record counter; a pass-down line the last record, which is cut
// for good to what the line and its extension lines can show.
void Engine::render_line(int line, bool withSign) {
    const FormRecord& f = form();
    if (f.lineType[line] == kFieldCounter) {
        input_.set_counter(line, editor_.recordCount);
    } else if (f.lineType[line] == kFieldPassDown) {
        const int promptLength = static_cast<int>(bounded_length(run_.prompt(form_index(), line), kCell20 - 1));
        const int limit = (is_large_font(f.font) ? 60 : 160) - promptLength;
        if (limit >= 0) record_.cut(static_cast<std::size_t>(limit));
        input_.set_pass_down(line, record_.text());
    }
    input_.render_line(line, withSign);
}

void Engine::render_form() {
    const FormRecord& f = form();
    DisplayState& d = screen_.display();
    screen_.clear_lines();
    d.state = kStateForm;
    d.largeFont = false;
    d.pendingLetter = 0;
    d.clockLine[0] = '\0';
    const int entries = entry_lines();
    for (int line = 0; line < kFormLines; ++line) {
        if (line < entries)
            render_line(line, true);
        else if (f.lineType[line] != kFieldEmpty)
            render_line(line, false);
    }
    const int line = current_line();
    input_.show_cursor(line);
    screen_.repaint_whole();
    input_.draw_fill(line);
}

int Engine::next_input_line(int line) const {
    const int entries = entry_lines();
    for (int next = line + 1; next < entries; ++next)
        if (is_input_line(form().lineType[next])) return next;
    return -1;
}

void Engine::move_to_line(int line) {
    if (line < 0 || line == current_line()) return;
    set_current_line(line);
    input_.home(line);
    render_form();
}

void Engine::previous_field() {
    const FormRecord& f = form();
    int line = current_line();
    while (line > 0 && f.lineType[line] == kFieldContinuation) --line;
    for (int previous = line - 1; previous >= 0; --previous) {
        if (is_input_line(f.lineType[previous])) {
            move_to_line(previous);
            return;
        }
    }
}

void Engine::complete_field() {
    const FormRecord& f = form();
    const int line = current_line();
    if (input_.input_length(line) < f.minLength[line]) {
        show_message(2);
    } else if (line < entry_lines() - 1) {
        move_to_line(next_input_line(line));
    } else {
        if (editor_.recordCount < std::numeric_limits<int>::max()) ++editor_.recordCount;
        if (f.recordAction == kRecordPassDown) {
            LineInputs inputs;
            for (int i = 0; i < kFormLines; ++i) inputs[i] = input_.input(i);
            const bool stamped = f.stampPosition == 1 || f.stampPosition == 2;
            record_.assemble(f, project_.options, inputs, stamped ? clock_.local_time() : LocalTime{});
        }
        go_to(f.nextTarget, false);
    }
}

void Engine::show_message(int number) {
    screen_.set_line(4, kStars);
    screen_.set_line(5, text_cell(project_, kMessageTable, number - 1), kCell20);
    screen_.set_line(6, text_cell(project_, kMessageTable, kMessageKeyRow), kCell20);
    screen_.set_line(7, kStars);
    DisplayState& d = screen_.display();
    d.state = kStateMessage;
    d.largeFont = false;
    d.pendingLetter = 0;
    screen_.repaint_whole();
}

void Engine::form_key(int code) {
    if (code >= 1 && code <= kKeyDot) {
        if (input_.alpha())
            input_.tap(code);
        else
            commit(kDigit[code]);
        return;
    }
    switch (code) {
    case kKeyEnterLeft:
    case kKeyEnterRight: complete_field(); break;
    case kKeyUp:
        if (current_line() > 0) previous_field();
        break;
    case kKeyEsc: go_to(form().escTarget, true); break;
    case kKeyBackspace: {
        const int line = current_line();
        follow(input_.backspace(line), line);
        break;
    }
    case kKeyAlpha: input_.toggle_alpha(); break;
    default: break;
    }
}

void Engine::commit(char c) {
    const int line = current_line();
    follow(input_.commit(line, c), line);
}

void Engine::follow(FieldInput::Step step, int line) {
    switch (step) {
    case FieldInput::Step::kRefused: show_message(1); break;
    case FieldInput::Step::kNextLine:
        set_current_line(line + 1);
        render_form();
        break;
    case FieldInput::Step::kPreviousLine:
        set_current_line(line - 1);
        render_form();
        break;
    case FieldInput::Step::kDone: break;
    }
}

}  // namespace kest::sim
