#include "simulator/screen.h"

#include "simulator/bounded_text.h"

namespace kest::sim {

Repaint Screen::take_repaint() {
    const Repaint taken = repaint_;
    repaint_ = {};
    return taken;
}

int Screen::line_length(int line) const {
    return static_cast<int>(bounded_length(display_.lines[line], kDisplayColumns));
}

void Screen::set_line(int line, const char* text, std::size_t size) {
    copy_text(display_.lines[line], kDisplayColumns + 1, text, size);
    repaint_line(line);
}

void Screen::append_line(int line, const char* text) {
    append_text(display_.lines[line], kDisplayColumns + 1, text);
    repaint_line(line);
}

void Screen::put_char(int line, int column, char c) {
    if (column < 0 || column >= kDisplayColumns) return;
    char* cell = display_.lines[line];
    int length = line_length(line);
    while (length < column) cell[length++] = ' ';
    cell[column] = c;
    if (column == length) cell[column + 1] = '\0';
    repaint_line(line);
}

void Screen::truncate_line(int line, int length) {
    if (length < 0) length = 0;
    if (length < line_length(line)) display_.lines[line][length] = '\0';
    repaint_line(line);
}

void Screen::clear_lines() {
    for (auto& text : display_.lines) text[0] = '\0';
}

}  // namespace kest::sim
