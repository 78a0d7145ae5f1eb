// The pictures of the report, as SVG: the terminal's display as the simulator shows it and
// the layout of a lookup file as a ruler.
#pragma once

#include <string>

#include "project/project.h"
#include "simulator/display_state.h"

namespace kest::report {

// The eight display lines on the character grid of the display (20 columns; a large-font
// form or menu has only the first 15 columns and 4 lines on the terminal, the rest is
// shaded), the highlight bar, the input cursor in form input and the alpha indicator. Each
// line is one <text> element holding exactly the line's characters, each character at its
// cell. `keys` goes into the picture's data-keys attribute.
std::string display_svg(const sim::DisplayState& display, bool largeFont, const std::string& keys,
                        const std::string& caption);

// A lookup file's record: positions 1 to the record length (or the end of the last field),
// each field of the field count as a box with its number, the key field hatched, the
// separator after each field in separator mode.
std::string lookup_ruler_svg(const LookupRecord& lookup, const std::string& keyLabel);

}  // namespace kest::report
