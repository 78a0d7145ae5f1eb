#include "simulator/engine.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <limits>

#include "project/defaults.h"
#include "project/rules.h"
#include "simulator/bounded_text.h"

namespace kest::sim {
namespace {

constexpr int kMessageTable = 23;
// The cell of the error texts shown under a message: "Taste druecken..." by default.
constexpr int kMessageKeyRow = 5;
constexpr char kStars[] = "********************";

// Digits typed in numeric mode and the first letters of the multi-tap cycles, by key 1-12.
constexpr char kDigit[13] = {0, '1', '2', '3', '4', '5', '6', '7', '8', '9', '-', '0', '.'};
constexpr char kLetterBase[13] = {0, ' ', 'A', 'D', 'G', 'J', 'M', 'P', 'T', 'W', '+', '/', '%'};
constexpr char kSecondSign[13] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, '$', '*', '#'};

constexpr const char* kMonths[12] = {"JAN ", "FEB ", "MAR ", "APR ", "MAY ", "JUN ",
                                     "JUL ", "AUG ", "SEP ", "OCT ", "NOV ", "DEC "};

}  // namespace

Engine::Engine(Project& project, EditorState& editor, Clock& clock)
    : project_(project), editor_(editor), clock_(clock) {}

Repaint Engine::take_repaint() {
    const Repaint taken = repaint_;
    repaint_ = {};
    return taken;
}

// ---------------------------------------------------------------- display lines

int Engine::line_length(int line) const {
    return static_cast<int>(bounded_length(display_.lines[line], kDisplayColumns));
}

void Engine::set_line(int line, const char* text, std::size_t size) {
    copy_text(display_.lines[line], kDisplayColumns + 1, text, size);
    repaint_line(line);
}

void Engine::append_line(int line, const char* text) {
    append_text(display_.lines[line], kDisplayColumns + 1, text);
    repaint_line(line);
}

void Engine::put_char(int line, int column, char c) {
    if (column < 0 || column >= kDisplayColumns) return;
    char* cell = display_.lines[line];
    int length = line_length(line);
    while (length < column) cell[length++] = ' ';
    cell[column] = c;
    if (column == length) cell[column + 1] = '\0';
    repaint_line(line);
}

void Engine::truncate_line(int line, int length) {
    if (length < 0) length = 0;
    if (length < line_length(line)) display_.lines[line][length] = '\0';
    repaint_line(line);
}

// ---------------------------------------------------------------- key dispatch

Outcome Engine::key(int code) {
    if (pending_ && code != lastKey_) commit_pending();
    lastKey_ = code;
    if (code == kKeyRestart) {
        display_.highlight = 1;
        show_start(false);
        return Outcome::kDone;
    }
    if (code < 1 || code > kKeyBackspace) return Outcome::kDone;
    switch (display_.state) {
    case kStateStart: return start_key(code);
    case kStateMenu: menu_key(code); break;
    case kStateForm: form_key(code); break;
    case kStateUtilities: utilities_key(code); break;
    case kStateSettings: settings_key(code); break;
    case kStateSend:
        if (code == kKeyEsc) {
            display_.highlight = 2;
            show_start(false);
        }
        break;
    case kStateMessage: render_form(); break;
    default: break;
    }
    return Outcome::kDone;
}

void Engine::tick() {
    tick_ = (tick_ + 1) % 10;
    if (display_.state == kStateStart) build_clock_line();
    if (pending_ && ++pendingTicks_ > 6) commit_pending();
}

// ---------------------------------------------------------------- screens from text tables

void Engine::show_text_screen(int table, int rows, State state, bool large) {
    const TextTableInfo& info = text_table_info(table);
    if (rows > info.rows) rows = info.rows;
    for (int line = 0; line < kDisplayLines; ++line) {
        display_.lines[line][0] = '\0';
        if (line < rows)
            copy_text(display_.lines[line], kDisplayColumns + 1, text_cell(project_, table, line), info.cellSize);
    }
    display_.state = state;
    display_.largeFont = large;
    display_.pendingLetter = 0;
    if (display_.alpha) repaint_.indicator = true;
    display_.alpha = false;
    object_ = 0;
    if (state != kStateStart) display_.clockLine[0] = '\0';
}

void Engine::show_start_screen() {
    display_.highlight = 1;
    show_start(false);
}

void Engine::show_start(bool partial) {
    show_text_screen(0, 4, kStateStart, true);
    build_clock_line();
    if (partial)
        repaint_.upperArea = true;
    else
        repaint_whole();
}

void Engine::build_clock_line() {
    const LocalTime now = clock_.local_time();
    const int month = now.month >= 1 && now.month <= 12 ? now.month - 1 : 0;
    char text[64];
    std::snprintf(text, sizeof text, tick_ < 5 ? "%s%02d, %02d:%02d  " : "%s%02d, %02d %02d  ", kMonths[month],
                  now.day % 100, now.hour % 100, now.minute % 100);
    if (!project_.options.separateFilePerForm)
        std::snprintf(text + 15, sizeof text - 15, "%05d", editor_.recordCount % 100000);
    copy_text(display_.clockLine, kDisplayColumns + 1, text);
    repaint_.clock = true;
}

void Engine::show_utilities() {
    show_text_screen(1, utilitiesLength_, kStateUtilities, false);
    repaint_whole();
}

void Engine::show_settings() {
    show_text_screen(6, 8, kStateSettings, false);
    repaint_whole();
}

Outcome Engine::start_key(int code) {
    if (code == kKeyEnterLeft || code == kKeyEnterRight) code = display_.highlight;
    switch (code) {
    case 1: return start_program();
    case 2:
        display_.highlight = 0;
        show_text_screen(21, 4, kStateSend, true);
        repaint_whole();
        break;
    case 3:
        display_.highlight = 1;
        show_utilities();
        break;
    case kKeyUp:
        display_.highlight = display_.highlight <= 1 ? 3 : display_.highlight - 1;
        repaint_.upperArea = true;
        break;
    case kKeyDown:
        display_.highlight = display_.highlight >= 3 ? 1 : display_.highlight + 1;
        repaint_.upperArea = true;
        break;
    default: break;
    }
    return Outcome::kDone;
}

void Engine::utilities_key(int code) {
    if (code == kKeyEnterLeft || code == kKeyEnterRight) code = display_.highlight == 1 ? 1 : 0;
    switch (code) {
    case 1:
        display_.highlight = 2;
        show_settings();
        break;
    case kKeyUp:
        display_.highlight = display_.highlight <= 1 ? utilitiesLength_ : display_.highlight - 1;
        repaint_whole();
        break;
    case kKeyDown:
        display_.highlight = display_.highlight >= utilitiesLength_ ? 1 : display_.highlight + 1;
        repaint_whole();
        break;
    case kKeyEsc:
        display_.highlight = 3;
        show_start(false);
        break;
    default: break;
    }
}

void Engine::settings_key(int code) {
    if ((code >= 1 && code <= 7) || code == kKeyEnterLeft || code == kKeyEnterRight || code == kKeyEsc) {
        display_.highlight = 1;
        show_utilities();
    } else if (code == kKeyUp) {
        display_.highlight = display_.highlight <= 2 ? 8 : display_.highlight - 1;
        repaint_whole();
    } else if (code == kKeyDown) {
        display_.highlight = display_.highlight >= 8 ? 2 : display_.highlight + 1;
        repaint_whole();
    }
}

// ---------------------------------------------------------------- starting the program

Outcome Engine::start_program() {
    recount_menus_and_forms(project_);
    if (project_.options.startObject != 0) {
        if (project_.menus[0].itemCount > 0) {
            enter_menu(0);
            return Outcome::kDone;
        }
    } else if (project_.forms[0].entryLineCount > 0) {
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
        display_.highlight = 1;
        show_start(false);
    }
}

// ---------------------------------------------------------------- menus

void Engine::enter_menu(int index) {
    project_.menus[index].currentItem = 0;
    project_.menus[index].runtime = 0;
    show_menu(index);
}

int Engine::menu_items(const MenuRecord& m) { return m.itemCount < 10 ? m.itemCount : 10; }

void Engine::show_menu(int index) {
    const MenuRecord& m = project_.menus[index];
    display_.state = kStateMenu;
    object_ = jump::menu(index);
    display_.largeFont = false;
    display_.pendingLetter = 0;
    display_.clockLine[0] = '\0';
    int line = 0;
    if (m.titleEnabled) set_line(line++, m.title, sizeof m.title);
    display_.highlight = m.currentItem + line + 1;
    const int firstItemLine = line;
    for (; line < kDisplayLines; ++line) {
        const int item = line - firstItemLine;
        if (item < menu_items(m))
            set_line(line, m.items[item], sizeof m.items[item]);
        else
            display_.lines[line][0] = '\0';
    }
    repaint_whole();
}

void Engine::menu_key(int code) {
    MenuRecord& m = menu();
    const int index = object_ - jump::kFirstMenu;
    if (code >= 1 && code <= 9) {
        if (code <= menu_items(m)) {
            m.currentItem = static_cast<u8>(code - 1);
            go_to(m.itemTarget[code - 1], false);
        }
    } else if (code == kKeyZero) {
        if (menu_items(m) >= 10) {
            m.currentItem = 9;
            go_to(m.itemTarget[9], false);
        }
    } else if (code == kKeyEnterLeft || code == kKeyEnterRight) {
        if (m.currentItem < 10) go_to(m.itemTarget[m.currentItem], false);
    } else if (code == kKeyUp) {
        if (m.currentItem > 0) {
            --m.currentItem;
            show_menu(index);
        }
    } else if (code == kKeyDown) {
        const int shown = menu_items(m) < 8 ? menu_items(m) : 8;
        if (m.currentItem < shown - 1) {
            ++m.currentItem;
            show_menu(index);
        }
    } else if (code == kKeyEsc) {
        go_to(m.escTarget, true);
    }
}

// ---------------------------------------------------------------- forms

int Engine::width() { return line_width(form().font); }

// A prompt that fills the line puts the input start past the last column: the cursor stays
// on the display's last cell then.
void Engine::place_cursor(int column) { display_.cursorColumn = std::clamp(column, 0, width() - 1); }

int Engine::entry_lines() { return form().entryLineCount < kFormLines ? form().entryLineCount : kFormLines; }

void Engine::sign_test(int line) {
    FormRecord& f = form();
    Line& l = lines_[line];
    const int promptLength = static_cast<int>(bounded_length(f.prompt[line], kCell20 - 1));
    l.sign = f.lineType[line] == kFieldAutoSign && promptLength + 2 * f.maxLength[line] + 1 <= width();
    l.start = l.sign ? promptLength + f.maxLength[line] + 1 : promptLength;
    l.cursor = l.start;
}

void Engine::start_form(int index) {
    object_ = jump::form(index);
    FormRecord& f = form();
    for (int line = 0; line < kFormLines; ++line) {
        Line& l = lines_[line];
        l = Line{};
        display_.lines[line][0] = '\0';
        sign_test(line);
        if (f.defaultOn[line]) {
            copy_text(l.input, kInputSize, f.defaultValue[line], sizeof f.defaultValue[line]);
        }
    }
    f.currentLine = 0;
    if (!is_input_line(f.lineType[0])) {
        const int next = next_input_line(0);
        f.currentLine = static_cast<u8>(next >= 0 ? next : 0);
    }
    display_.highlight = 0;
    render_form();
}

int Engine::current_line() {
    FormRecord& f = form();
    if (f.currentLine >= kFormLines) f.currentLine = 0;
    return f.currentLine;
}

void Engine::render_line(int line, bool withSign) {
    FormRecord& f = form();
    Line& l = lines_[line];
    set_line(line, f.prompt[line], sizeof f.prompt[line]);
    if (f.lineType[line] == kFieldCounter) {
        std::snprintf(l.input, kInputSize, "%05d", editor_.recordCount);
    } else if (f.lineType[line] == kFieldPassDown) {
        const int promptLength = static_cast<int>(bounded_length(f.prompt[line], kCell20 - 1));
        const int limit = (is_large_font(f.font) ? 60 : 160) - promptLength;
        if (limit >= 0 && static_cast<std::size_t>(limit) < sizeof passDown_) passDown_[limit] = '\0';
        copy_text(l.input, kInputSize, passDown_, kPassDownSize);
        spread_pass_down(line);
    }
    if (withSign && f.lineType[line] == kFieldAutoSign) draw_sign(line);
    append_line(line, visible_input(line));
}

const char* Engine::visible_input(int line) {
    const Line& l = lines_[line];
    int from = l.scroll > 0 ? l.scroll - 1 : 0;
    const int length = static_cast<int>(bounded_length(l.input, kInputSize));
    if (from > length) from = length;
    return l.input + from;
}

void Engine::render_form() {
    FormRecord& f = form();
    for (auto& text : display_.lines) text[0] = '\0';
    display_.state = kStateForm;
    display_.largeFont = false;
    display_.pendingLetter = 0;
    display_.clockLine[0] = '\0';
    const int entries = entry_lines();
    for (int line = 0; line < kFormLines; ++line) {
        if (line < entries)
            render_line(line, true);
        else if (f.lineType[line] != kFieldEmpty)
            render_line(line, false);
    }
    const int line = current_line();
    display_.cursorRow = line;
    place_cursor(lines_[line].cursor);
    repaint_whole();
    draw_fill(line);
}

int Engine::next_input_line(int line) {
    const int entries = entry_lines();
    for (int next = line + 1; next < entries; ++next)
        if (is_input_line(form().lineType[next])) return next;
    return -1;
}

void Engine::move_to_line(int line) {
    if (line < 0 || line == current_line()) return;
    form().currentLine = static_cast<u8>(line);
    lines_[line].cursor = lines_[line].start;
    render_form();
}

void Engine::next_field() { move_to_line(next_input_line(current_line())); }

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
    FormRecord& f = form();
    const int line = current_line();
    if (bounded_length(lines_[line].input, kInputSize) < f.minLength[line]) {
        show_message(2);
    } else if (line < entry_lines() - 1) {
        next_field();
    } else {
        if (editor_.recordCount < std::numeric_limits<int>::max()) ++editor_.recordCount;
        if (f.recordAction == kRecordPassDown) assemble_record();
        go_to(f.nextTarget, false);
    }
}

void Engine::show_message(int number) {
    set_line(4, kStars);
    set_line(5, text_cell(project_, kMessageTable, number - 1), kCell20);
    set_line(6, text_cell(project_, kMessageTable, kMessageKeyRow), kCell20);
    set_line(7, kStars);
    display_.state = kStateMessage;
    display_.largeFont = false;
    display_.pendingLetter = 0;
    repaint_whole();
}

void Engine::form_key(int code) {
    if (code >= 1 && code <= kKeyDot) {
        if (display_.alpha)
            multi_tap(code);
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
    case kKeyBackspace: backspace(); break;
    case kKeyAlpha:
        display_.alpha = !display_.alpha;
        repaint_.indicator = true;
        break;
    default: break;
    }
}

void Engine::multi_tap(int code) {
    if (pending_) {
        const int cycle = kSecondSign[code] ? 2 : (code == 7 || code == 9) ? 4 : 3;
        pendingIndex_ = (pendingIndex_ + 1) % cycle;
    } else {
        pendingIndex_ = 0;
    }
    char letter = static_cast<char>(kLetterBase[code] + pendingIndex_);
    if (kSecondSign[code] && pendingIndex_ == 1) letter = kSecondSign[code];
    if (code == 1) letter = ' ';
    pendingLetter_ = letter;
    display_.pendingLetter = letter;
    pending_ = true;
    pendingTicks_ = 0;
    repaint_line(display_.cursorRow);
}

void Engine::commit_pending() {
    pending_ = false;
    display_.pendingLetter = 0;
    repaint_line(display_.cursorRow);
    if (display_.state == kStateForm) commit(pendingLetter_);
}

// ---------------------------------------------------------------- preparation

void Engine::prepare_forms() {
    const LookupRecord& first = project_.lookups[0];
    utilitiesLength_ = first.recordLength != 0 && first.fieldCount != 0 ? 8 : 7;
    for (auto& f : project_.forms) {
        const int lineCount = line_count(f.font);
        const int w = line_width(f.font);
        for (int line = 0; line < lineCount; ++line) {
            if (!is_input_line(f.lineType[line])) continue;
            const int full = static_cast<int>(bounded_length(f.prompt[line], kCell20 - 1)) + f.maxLength[line];
            for (int k = 1; k <= 3 && line + k < lineCount && f.lineType[line + k] == kFieldContinuation; ++k) {
                // Kept in a byte, as on the terminal: a negative length wraps.
                f.maxLength[line + k] = static_cast<u8>((full - k * w) & 0xFF);
                f.autoEnter[line + k] = f.autoEnter[line];
                f.fillChar[line + k] = f.fillChar[line];
            }
        }
        for (int line = 0; line < kFormLines; ++line) {
            const u8 type = f.lineType[line];
            if (type != kFieldEmpty && type != kFieldContinuation) continue;
            // The line defaults, keeping the type, the lineData slot after its first byte
            // and, on a continuation line, what it took over from its base line.
            u8 data[sizeof f.lineData[line]];
            std::memcpy(data, f.lineData[line], sizeof data);
            const u8 maxLength = f.maxLength[line], autoEnter = f.autoEnter[line], fill = f.fillChar[line];
            line_defaults(f, line);
            f.lineType[line] = type;
            std::memcpy(f.lineData[line] + 1, data + 1, sizeof data - 1);
            if (type == kFieldContinuation) {
                f.maxLength[line] = maxLength;
                f.autoEnter[line] = autoEnter;
                f.fillChar[line] = fill;
            }
        }
    }
}

}  // namespace kest::sim
