// The display the simulation draws on: the display state the terminal window shows, the
// repaint request it collects, and bounded writes into the display lines, each of which
// marks its line for repainting. The engine owns it; field input draws on it too.
#pragma once

#include <cstddef>

#include "simulator/display_state.h"

namespace kest::sim {

class Screen {
public:
    DisplayState& display() { return display_; }
    const DisplayState& display() const { return display_; }
    Repaint& repaint() { return repaint_; }
    // What to repaint since the last call; clears the request.
    Repaint take_repaint();

    // Line n becomes text (up to its terminator or size bytes), cut to the display width.
    void set_line(int line, const char* text, std::size_t size = static_cast<std::size_t>(-1));
    void append_line(int line, const char* text);
    // c at the column, blanks before it when the line is shorter; nothing off the display.
    void put_char(int line, int column, char c);
    void truncate_line(int line, int length);
    int line_length(int line) const;
    void clear_lines();
    void repaint_line(int line) { repaint_.lineMask |= 1u << line; }
    void repaint_whole() { repaint_.whole = true; }

private:
    DisplayState display_;
    Repaint repaint_;
};

}  // namespace kest::sim
