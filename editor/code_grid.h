// The character code grid: the labels of the 256 codes, the text of a code sequence, and
// the geometry of the 16 x 16 grid with its header row and column (17 x 17 cells) — which
// cell a click hits and what painting the grid and its result field draws. The window
// procedure of the grid only executes these drawings and forwards clicks.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "project/project.h"

namespace kest::editor {

// Up to ten character codes (1-255) added before or after a field's data; the codes end at
// the first zero byte, and all ten bytes may be used (no terminator then).
inline constexpr int kCodeCapacity = 10;
using CodeSequence = std::array<u8, kCodeCapacity>;

// "" for 0x00, the control names, "Space", the character itself, "DEL", and the decimal
// code from 0x80 on.
std::string_view code_label(int code);

// Number of codes before the first zero (at most ten).
int code_count(const u8* codes);
inline int code_count(const CodeSequence& codes) { return code_count(codes.data()); }

// Copies the codes up to the first zero and clears the rest of the slot.
CodeSequence read_codes(const u8 (&slot)[kCodeCapacity]);
void write_codes(u8 (&slot)[kCodeCapacity], const CodeSequence& codes);

// "[" + label + "]" per code, as the prefix and suffix fields show a sequence.
std::string code_text(const CodeSequence& codes);
// The sequence a code text stands for; nothing when the text is not one (or holds more than
// ten codes).
std::optional<CodeSequence> codes_from_text(std::string_view text);

// Column headers "00" ... "F0" (high nibble), row headers "00" ... "0F" (low nibble).
std::string column_header(int column);
std::string row_header(int row);

// A code cell: column = high nibble, row = low nibble.
struct GridCell {
    int column = 0;
    int row = 0;
    int code() const { return column * 16 + row; }
    bool operator==(const GridCell&) const = default;
};

// The grid in a client area: 17 x 17 cells of (width / 17) x (height / 17) pixels.
class GridGeometry {
public:
    GridGeometry(int width, int height);
    int width() const { return width_; }
    int height() const { return height_; }
    int cell_width() const { return w_; }
    int cell_height() const { return h_; }
    // The code cell under a point; nothing for the header row and column, outside the
    // cells, or when the area is too small to hold any cell.
    std::optional<GridCell> cell_at(int x, int y) const;

private:
    int width_, height_, w_, h_;
};

// What painting draws: filled rectangles (lines are one pixel wide or high) and texts
// centred in a rectangle or, for the result field, left-aligned and vertically centred.
// Every rectangle lies inside the client area.
enum class PaintColour { LightGrey, White, LineGrey, DarkGrey, Black, Blue };
struct PaintRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    bool operator==(const PaintRect&) const = default;
};
struct PaintStep {
    enum class Kind { Fill, CentredText, LeftText };
    Kind kind;
    PaintRect rect;
    PaintColour colour;
    std::string text;
};
using PaintPlan = std::vector<PaintStep>;

PaintPlan paint_grid(const GridGeometry& geometry, GridCell selected);
PaintPlan paint_result_field(int width, int height, const std::string& text);

}  // namespace kest::editor
