// Inside a form field: typed characters, backspace, fill and sign, the pass-down text and
// the record a completed "pass down" form builds, with its date/time stamp.
#include <cstdio>
#include <cstring>

#include "project/rules.h"
#include "simulator/bounded_text.h"
#include "simulator/engine.h"

namespace kest::sim {
namespace {

constexpr int kMaxInput = static_cast<int>(kInputSize) - 1;

}  // namespace

int Engine::last_column(int line) { return lines_[line].start + form().maxLength[line] - 1; }

int Engine::input_length(int line) const { return static_cast<int>(bounded_length(lines_[line].input, kInputSize)); }

bool Engine::accepts(int line, char c) {
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

void Engine::store_input(int line, int position, char c) {
    Line& l = lines_[line];
    const int length = input_length(line);
    if (position < 0) position = 0;
    if (position > length) position = length;
    if (position > kMaxInput - 1) position = kMaxInput - 1;
    l.input[position] = c;
    if (position >= length) l.input[position + 1] = '\0';
}

void Engine::rebuild_scrolled(int line, int from) {
    const FormRecord& f = form();
    Line& l = lines_[line];
    set_line(line, f.prompt[line], sizeof f.prompt[line]);
    draw_sign(line);
    const int length = input_length(line);
    append_line(line, l.input + (from < length ? (from > 0 ? from : 0) : length));
    if (f.fillChar[line]) {
        const char fill[2] = {static_cast<char>(f.fillChar[line]), '\0'};
        append_line(line, fill);
    }
}

void Engine::commit(char c) {
    FormRecord& f = form();
    const int n = current_line();
    Line& l = lines_[n];
    if (!accepts(n, c)) {
        show_message(1);
        return;
    }
    if (l.input[0] != '\0' && l.cursor == l.start) {
        // The first key over a default or earlier content starts the field afresh. The
        // field's own cursor decides: the display cursor of a field that scrolls from its
        // first column stays on the input start while the field fills.
        reset_field(n);
        for (int k = 1; k <= 3 && n + k < kFormLines && f.lineType[n + k] == kFieldContinuation; ++k) {
            Line& next = lines_[n + k];
            next.input[0] = '\0';
            next.scroll = 0;
            next.cursor = next.start;
            truncate_line(n + k, 0);
        }
        if (f.fillChar[n])
            draw_fill(n);
        else
            repaint_whole();
        place_cursor(l.start);
    }
    const int w = width();
    const int last = last_column(n);
    const int p = l.cursor;
    store_input(n, p > last ? p - l.start - 1 : p - l.start, c);
    if (p >= last) {
        if (p == last) {
            l.cursor = last + 1;
            ++l.scroll;
        }
        const int length = line_length(n);
        int at = length < w - 1 ? length : w - 1;
        if (length <= w - 1 && at > last) at = last;
        put_char(n, at, c);
        truncate_line(n, at + 1);
    } else if (p < w - 1) {
        ++l.cursor;
        place_cursor(l.cursor);
        put_char(n, p, c);
    } else if (n + 1 < kFormLines && f.lineType[n + 1] == kFieldContinuation) {
        f.currentLine = static_cast<u8>(n + 1);
        render_form();
    } else {
        ++l.cursor;
        ++l.scroll;
        rebuild_scrolled(n, l.scroll);
    }
    repaint_line(n);
}

void Engine::backspace() {
    FormRecord& f = form();
    const int n = current_line();
    Line& l = lines_[n];
    const int length = input_length(n);
    const char fill = static_cast<char>(f.fillChar[n]);
    if (l.scroll > 0) {
        --l.scroll;
        --l.cursor;
        if (length > 0) l.input[length - 1] = '\0';
        rebuild_scrolled(n, l.scroll);
    } else if (l.cursor == l.start) {
        if (f.lineType[n] == kFieldContinuation && n > 0) {
            f.currentLine = static_cast<u8>(n - 1);
            const int above = input_length(n - 1);
            if (above > 0) lines_[n - 1].input[above - 1] = '\0';
            render_form();
        }
    } else {
        // Before the field's last column the last character goes; at or beyond it the
        // character under the cursor, after stepping back when the cursor is past the input.
        const bool atEnd = l.cursor >= last_column(n);
        if (!atEnd || length <= l.cursor - l.start) {
            --l.cursor;
            place_cursor(display_.cursorColumn - 1);
        }
        const int remove = atEnd ? l.cursor - l.start : length - 1;
        if (remove >= 0 && remove < length) l.input[remove] = '\0';
        if (fill)
            put_char(n, display_.cursorColumn, fill);
        else
            truncate_line(n, line_length(n) - 1);
    }
    repaint_line(n);
}

void Engine::reset_field(int line) {
    Line& l = lines_[line];
    if (form().lineType[line] == kFieldAutoSign) sign_test(line);
    l.cursor = l.start;
    l.scroll = 0;
    l.input[0] = '\0';
    if (line == current_line()) place_cursor(l.start);
    set_line(line, form().prompt[line], kCell20);
    draw_sign(line);
}

void Engine::fill_line(int line, int start, int end) {
    const char fill = static_cast<char>(form().fillChar[line]);
    truncate_line(line, start);
    for (int column = line_length(line); column < start; ++column) put_char(line, column, ' ');
    append_line(line, visible_input(line));
    for (int column = line_length(line); column < end; ++column) put_char(line, column, fill);
    truncate_line(line, end);
}

void Engine::draw_fill(int line) {
    const FormRecord& f = form();
    if (!f.fillChar[line]) return;
    const int w = width();
    const Line& l = lines_[line];
    const int visible = w - l.start < f.maxLength[line] ? w - l.start : f.maxLength[line];
    fill_line(line, l.start, l.start + visible);
    for (int k = 1; k <= 3 && line + k < kFormLines && f.lineType[line + k] == kFieldContinuation; ++k) {
        if (!f.fillChar[line + k]) continue;
        fill_line(line + k, 0, w < f.maxLength[line + k] ? w : f.maxLength[line + k]);
    }
}

void Engine::draw_sign(int line) {
    const Line& l = lines_[line];
    if (!l.sign) return;
    const u8 key = form().lineLookupKey[line];
    const char sign = key >= 9 && key <= 16 ? '-' : key >= 17 && key <= 24 ? '+' : ' ';
    truncate_line(line, l.start - 1);
    for (int column = line_length(line); column < l.start - 1; ++column) put_char(line, column, ' ');
    put_char(line, l.start - 1, sign);
}

void Engine::spread_pass_down(int line) {
    const FormRecord& f = form();
    Line& l = lines_[line];
    int length = input_length(line);
    while (length > 0 && l.input[length - 1] == ' ') l.input[--length] = '\0';
    l.cursor = l.start;
    int extensions = 0;
    while (line + extensions + 1 < kFormLines && f.lineType[line + extensions + 1] == kFieldContinuation) {
        lines_[line + extensions + 1].input[0] = '\0';
        ++extensions;
    }
    const int w = width();
    const int first = w - l.start > 0 ? w - l.start : 0;
    if (length < first) return;
    if (extensions == 0) {
        l.input[first] = '\0';
        return;
    }
    // Each line keeps its share and hands the rest to the next extension line.
    int keep = first;
    for (int current = line; current < line + extensions; ++current) {
        Line& from = lines_[current];
        const int rest = input_length(current) - keep;
        if (rest <= 0) break;
        copy_text(lines_[current + 1].input, kInputSize, from.input + keep);
        from.input[keep] = '\0';
        keep = w;
    }
    Line& tail = lines_[line + extensions];
    if (input_length(line + extensions) > w) tail.input[w] = '\0';
}

// ---------------------------------------------------------------- records

void Engine::append_pass_down(const char* text, std::size_t count) {
    std::size_t at = bounded_length(passDown_, kPassDownSize);
    for (std::size_t i = 0; i < count && at < kPassDownSize - 1; ++i) passDown_[at++] = text[i];
    passDown_[at] = '\0';
}

void Engine::append_delimiters() {
    const ApplicationOptions& options = project_.options;
    for (u8 delimiter : {options.delimiter1, options.delimiter2}) {
        if (delimiter == 0) continue;
        const char c = static_cast<char>(delimiter);
        append_pass_down(&c, 1);
    }
}

void Engine::append_codes(const u8 (&codes)[10]) {
    const char* text = reinterpret_cast<const char*>(codes);
    append_pass_down(text, bounded_length(text, sizeof codes));
}

void Engine::assemble_record() {
    const FormRecord& f = form();
    passDown_[0] = '\0';
    if (f.stampPosition == 1) stamp();
    const int lineCount = line_count(f.font);
    for (int line = 0; line < lineCount; ++line) {
        const u8 type = f.lineType[line];
        const bool taken =
            is_input_line(type) || (type == kFieldLookup && f.defaultOn[line]) || type == kFieldFixedData;
        if (!taken) continue;
        char field[kInputSize];
        if (type == kFieldFixedData)
            copy_text(field, sizeof field, f.prompt[line], kCell20);
        else
            copy_text(field, sizeof field, lines_[line].input);
        for (int k = 1; k <= 3 && line + k < kFormLines && f.lineType[line + k] == kFieldContinuation; ++k) {
            append_text(field, sizeof field, lines_[line + k].input);
        }
        if (passDown_[0] != '\0') append_delimiters();
        if (f.prefixOn[line]) append_codes(f.prefix[line]);
        const int length = static_cast<int>(bounded_length(field, sizeof field));
        if (f.fixedLengthOn[line]) {
            const int size = f.fixedLength[line];
            const int pad = size > length ? size - length : 0;
            const char padding = f.justify[line] >= 2 && f.justify[line] <= 3 ? '0' : ' ';
            const bool padLeft = f.justify[line] == 1 || f.justify[line] == 3;
            for (int i = 0; padLeft && i < pad; ++i) append_pass_down(&padding, 1);
            append_pass_down(field, static_cast<std::size_t>(size < length ? size : length));
            for (int i = 0; !padLeft && i < pad; ++i) append_pass_down(&padding, 1);
        } else {
            append_pass_down(field, static_cast<std::size_t>(length));
        }
        if (f.suffixOn[line]) append_codes(f.suffix[line]);
    }
    if (f.stampPosition == 2) stamp();
}

void Engine::append_number(const char* format, int value) {
    char text[16];
    const int n = std::snprintf(text, sizeof text, format, value);
    if (n > 0) append_pass_down(text, static_cast<std::size_t>(n) < sizeof text ? n : sizeof text - 1);
}

void Engine::stamp() {
    const FormRecord& f = form();
    if (passDown_[0] != '\0') append_delimiters();
    const LocalTime now = clock_.local_time();
    const std::size_t dateSepLength = bounded_length(f.dateSep, sizeof f.dateSep);
    const std::size_t timeSepLength = bounded_length(f.timeSep, sizeof f.timeSep);

    struct Part {
        bool on;
        const char* format;
        int value;
    };
    const Part year{f.yearOn != 0, f.yearDigits == 1 ? "%02d" : "%04d", f.yearDigits == 1 ? now.year % 100 : now.year};
    const Part month{f.monthOn != 0, "%02d", now.month};
    const Part day{f.dayOn != 0, "%02d", now.day};
    const Part* order[3] = {};
    switch (f.dateOrder) {
    case 0: order[0] = &year, order[1] = &month, order[2] = &day; break;
    case 1: order[0] = &month, order[1] = &day, order[2] = &year; break;
    case 2: order[0] = &day, order[1] = &month, order[2] = &year; break;
    default: break;
    }
    bool earlier = false;
    for (const Part* part : order) {
        if (part == nullptr) break;
        if (earlier && f.dateSepOn) append_pass_down(f.dateSep, dateSepLength);
        if (part->on) append_number(part->format, part->value);
        earlier = earlier || part->on;
    }
    if (passDown_[0] != '\0' && f.stampSplit) append_delimiters();

    const Part times[3] = {{f.hourOn != 0, "%02d", now.hour},
                           {f.minuteOn != 0, "%02d", now.minute},
                           {f.secondOn != 0, "%02d", now.second}};
    earlier = false;
    for (const Part& part : times) {
        if (earlier && f.timeSepOn) append_pass_down(f.timeSep, timeSepLength);
        if (part.on) append_number(part.format, part.value);
        earlier = earlier || part.on;
    }
}

}  // namespace kest::sim
