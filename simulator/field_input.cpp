#include "simulator/field_input.h"

#include <algorithm>
#include <cstdio>

#include "project/rules.h"
#include "simulator/bounded_text.h"

namespace kest::sim {
namespace {

constexpr int kMaxInput = static_cast<int>(kInputSize) - 1;

// The first letters of the multi-tap cycles by key 1-12, and the second sign of the keys
// that cycle over two.
constexpr char kLetterBase[13] = {0, ' ', 'A', 'D', 'G', 'J', 'M', 'P', 'T', 'W', '+', '/', '%'};
constexpr char kSecondSign[13] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, '$', '*', '#'};

int prompt_length(const char* prompt) { return static_cast<int>(bounded_length(prompt, kCell20 - 1)); }

}  // namespace

int FieldInput::width() const { return line_width(form().font); }

int FieldInput::last_column(int line) const { return lines_[line].start + form().maxLength[line] - 1; }

int FieldInput::input_length(int line) const {
    return static_cast<int>(bounded_length(lines_[line].input, kInputSize));
}

// A prompt that fills the line puts the input start past the last column: the cursor stays
// on the display's last cell then.
void FieldInput::place_cursor(int column) { screen_.display().cursorColumn = std::clamp(column, 0, width() - 1); }

void FieldInput::show_cursor(int line) {
    screen_.display().cursorRow = line;
    place_cursor(lines_[line].cursor);
}

bool FieldInput::continues(int line, int k) const {
    return k <= 3 && line + k < kFormLines && form().lineType[line + k] == kFieldContinuation;
}

void FieldInput::sign_test(int line) {
    const FormRecord& f = form();
    Line& l = lines_[line];
    const int promptLength = prompt_length(prompt(line));
    l.sign = f.lineType[line] == kFieldAutoSign && promptLength + 2 * f.maxLength[line] + 1 <= width();
    l.start = l.sign ? promptLength + f.maxLength[line] + 1 : promptLength;
    l.cursor = l.start;
}

void FieldInput::start(int form) {
    form_ = form;
    const FormRecord& f = this->form();
    for (int line = 0; line < kFormLines; ++line) {
        Line& l = lines_[line];
        l = Line{};
        screen_.display().lines[line][0] = '\0';
        sign_test(line);
        if (f.defaultOn[line]) copy_text(l.input, kInputSize, f.defaultValue[line], sizeof f.defaultValue[line]);
    }
}

const char* FieldInput::visible_input(int line) const {
    const Line& l = lines_[line];
    const int length = input_length(line);
    const int from = std::min(l.scroll > 0 ? l.scroll - 1 : 0, length);
    return l.input + from;
}

void FieldInput::render_line(int line, bool withSign) {
    screen_.set_line(line, prompt(line), kCell20);
    if (withSign && form().lineType[line] == kFieldAutoSign) draw_sign(line);
    screen_.append_line(line, visible_input(line));
}

void FieldInput::set_counter(int line, int count) { std::snprintf(lines_[line].input, kInputSize, "%05d", count); }

// The record fills the line after its prompt; the rest goes on in the extension lines, each
// taking a whole line, and what the last of them cannot hold is cut.
void FieldInput::set_pass_down(int line, const char* record) {
    Line& l = lines_[line];
    copy_text(l.input, kInputSize, record);
    int length = input_length(line);
    while (length > 0 && l.input[length - 1] == ' ') l.input[--length] = '\0';
    l.cursor = l.start;
    int extensions = 0;
    while (line + extensions + 1 < kFormLines && form().lineType[line + extensions + 1] == kFieldContinuation) {
        lines_[line + extensions + 1].input[0] = '\0';
        ++extensions;
    }
    const int w = width();
    const int first = std::max(w - l.start, 0);
    if (length < first) return;
    if (extensions == 0) {
        l.input[first] = '\0';
        return;
    }
    int keep = first;
    for (int current = line; current < line + extensions; ++current) {
        Line& from = lines_[current];
        if (input_length(current) - keep <= 0) break;
        copy_text(lines_[current + 1].input, kInputSize, from.input + keep);
        from.input[keep] = '\0';
        keep = w;
    }
    Line& tail = lines_[line + extensions];
    if (input_length(line + extensions) > w) tail.input[w] = '\0';
}

bool FieldInput::accepts(int line, char c) const {
    const bool digit = c >= '0' && c <= '9';
    switch (form().lineType[line]) {
    case kFieldText:
    case kFieldContinuation: return true;
    case kFieldInteger: return digit;
    case kFieldReal:
    case kFieldAutoSign: return digit || c == '.';
    case kFieldLetter: return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    case kFieldBoolean: return c == '0' || c == '1' || c == 'F' || c == 'N' || c == 'T' || c == 'Y';
    default: return false;
    }
}

void FieldInput::store_input(int line, int position, char c) {
    Line& l = lines_[line];
    const int length = input_length(line);
    position = std::min({std::max(position, 0), length, kMaxInput - 1});
    l.input[position] = c;
    if (position >= length) l.input[position + 1] = '\0';
}

void FieldInput::rebuild_scrolled(int line, int from) {
    const FormRecord& f = form();
    const Line& l = lines_[line];
    screen_.set_line(line, prompt(line), kCell20);
    draw_sign(line);
    const int length = input_length(line);
    screen_.append_line(line, l.input + (from < length ? std::max(from, 0) : length));
    if (f.fillChar[line]) {
        const char fill[2] = {static_cast<char>(f.fillChar[line]), '\0'};
        screen_.append_line(line, fill);
    }
}

FieldInput::Step FieldInput::commit(int n, char c) {
    const FormRecord& f = form();
    Line& l = lines_[n];
    if (!accepts(n, c)) return Step::kRefused;
    if (l.input[0] != '\0' && l.cursor == l.start) {
        // The first key over a default or earlier content starts the field afresh. The
        // field's own cursor decides: the display cursor of a field that scrolls from its
        // first column stays on the input start while the field fills.
        reset_field(n);
        for (int k = 1; continues(n, k); ++k) {
            Line& next = lines_[n + k];
            next.input[0] = '\0';
            next.scroll = 0;
            next.cursor = next.start;
            screen_.truncate_line(n + k, 0);
        }
        if (f.fillChar[n])
            draw_fill(n);
        else
            screen_.repaint_whole();
        place_cursor(l.start);
    }
    const int w = width();
    const int last = last_column(n);
    const int p = l.cursor;
    store_input(n, p > last ? p - l.start - 1 : p - l.start, c);
    Step step = Step::kDone;
    if (p >= last) {
        if (p == last) {
            l.cursor = last + 1;
            ++l.scroll;
        }
        const int length = screen_.line_length(n);
        int at = std::min(length, w - 1);
        if (length <= w - 1 && at > last) at = last;
        screen_.put_char(n, at, c);
        screen_.truncate_line(n, at + 1);
    } else if (p < w - 1) {
        ++l.cursor;
        place_cursor(l.cursor);
        screen_.put_char(n, p, c);
    } else if (n + 1 < kFormLines && f.lineType[n + 1] == kFieldContinuation) {
        step = Step::kNextLine;
    } else {
        ++l.cursor;
        ++l.scroll;
        rebuild_scrolled(n, l.scroll);
    }
    screen_.repaint_line(n);
    return step;
}

FieldInput::Step FieldInput::backspace(int n) {
    const FormRecord& f = form();
    Line& l = lines_[n];
    const int length = input_length(n);
    const char fill = static_cast<char>(f.fillChar[n]);
    Step step = Step::kDone;
    if (l.scroll > 0) {
        --l.scroll;
        --l.cursor;
        if (length > 0) l.input[length - 1] = '\0';
        rebuild_scrolled(n, l.scroll);
    } else if (l.cursor == l.start) {
        if (f.lineType[n] == kFieldContinuation && n > 0) {
            const int above = input_length(n - 1);
            if (above > 0) lines_[n - 1].input[above - 1] = '\0';
            step = Step::kPreviousLine;
        }
    } else {
        // Before the field's last column the last character goes; at or beyond it the
        // character under the cursor, after stepping back when the cursor is past the input.
        const bool atEnd = l.cursor >= last_column(n);
        if (!atEnd || length <= l.cursor - l.start) {
            --l.cursor;
            place_cursor(screen_.display().cursorColumn - 1);
        }
        const int remove = atEnd ? l.cursor - l.start : length - 1;
        if (remove >= 0 && remove < length) l.input[remove] = '\0';
        if (fill)
            screen_.put_char(n, screen_.display().cursorColumn, fill);
        else
            screen_.truncate_line(n, screen_.line_length(n) - 1);
    }
    screen_.repaint_line(n);
    return step;
}

void FieldInput::reset_field(int line) {
    Line& l = lines_[line];
    if (form().lineType[line] == kFieldAutoSign) sign_test(line);
    l.cursor = l.start;
    l.scroll = 0;
    l.input[0] = '\0';
    place_cursor(l.start);
    screen_.set_line(line, prompt(line), kCell20);
    draw_sign(line);
}

void FieldInput::fill_line(int line, int start, int end) {
    const char fill = static_cast<char>(form().fillChar[line]);
    screen_.truncate_line(line, start);
    for (int column = screen_.line_length(line); column < start; ++column) screen_.put_char(line, column, ' ');
    screen_.append_line(line, visible_input(line));
    for (int column = screen_.line_length(line); column < end; ++column) screen_.put_char(line, column, fill);
    screen_.truncate_line(line, end);
}

void FieldInput::draw_fill(int line) {
    const FormRecord& f = form();
    if (!f.fillChar[line]) return;
    const int w = width();
    const Line& l = lines_[line];
    fill_line(line, l.start, l.start + std::min(w - l.start, static_cast<int>(f.maxLength[line])));
    for (int k = 1; continues(line, k); ++k) {
        if (!f.fillChar[line + k]) continue;
        fill_line(line + k, 0, std::min(w, static_cast<int>(f.maxLength[line + k])));
    }
}

void FieldInput::draw_sign(int line) {
    const Line& l = lines_[line];
    if (!l.sign) return;
    const u8 key = form().lineLookupKey[line];
    const char sign = key >= 9 && key <= 16 ? '-' : key >= 17 && key <= 24 ? '+' : ' ';
    screen_.truncate_line(line, l.start - 1);
    for (int column = screen_.line_length(line); column < l.start - 1; ++column) screen_.put_char(line, column, ' ');
    screen_.put_char(line, l.start - 1, sign);
}

void FieldInput::toggle_alpha() {
    alpha_ = !alpha_;
    screen_.display().alpha = alpha_;
    screen_.repaint().indicator = true;
}

void FieldInput::alpha_off() {
    if (alpha_) screen_.repaint().indicator = true;
    alpha_ = false;
    screen_.display().alpha = false;
}

void FieldInput::tap(int key) {
    if (pending_) {
        const int cycle = kSecondSign[key] ? 2 : (key == 7 || key == 9) ? 4 : 3;
        cycle_ = (cycle_ + 1) % cycle;
    } else {
        cycle_ = 0;
    }
    char letter = static_cast<char>(kLetterBase[key] + cycle_);
    if (kSecondSign[key] && cycle_ == 1) letter = kSecondSign[key];
    if (key == 1) letter = ' ';
    letter_ = letter;
    pending_ = true;
    pendingTicks_ = 0;
    screen_.display().pendingLetter = letter;
    screen_.repaint_line(screen_.display().cursorRow);
}

char FieldInput::take_letter() {
    pending_ = false;
    screen_.display().pendingLetter = 0;
    screen_.repaint_line(screen_.display().cursorRow);
    return letter_;
}

}  // namespace kest::sim
