#include "report/pictures.h"

#include <algorithm>
#include <string>

#include "project/limits.h"
#include "project/project.h"
#include "report/html.h"
#include "simulator/bounded_text.h"

namespace kest::report {
namespace {

// The display: cells of 14 x 22 units (the terminal's 6 x 10 pixels, enlarged), a margin
// and room for the alpha indicator on the right.
constexpr int kCell = 14;
constexpr int kRow = 22;
constexpr int kMargin = 10;
constexpr int kIndicator = 24;

std::string rect(int x, int y, int w, int h, const std::string& cls) {
    return "<rect class=\"" + cls + "\" x=\"" + num(x) + "\" y=\"" + num(y) + "\" width=\"" + num(w) + "\" height=\"" +
           num(h) + "\"/>";
}

std::string label(int x, int y, const std::string& cls, const std::string& content, const char* anchor = "middle") {
    return "<text class=\"" + cls + "\" x=\"" + num(x) + "\" y=\"" + num(y) + "\" text-anchor=\"" + anchor + "\">" +
           content + "</text>";
}

}  // namespace

std::string display_svg(const sim::DisplayState& d, bool largeFont, const std::string& keys,
                        const std::string& caption) {
    const int pitch = d.largeFont ? kRow * 3 / 2 : kRow;
    const int columns = sim::kDisplayColumns;
    const int width = 2 * kMargin + columns * kCell + kIndicator;
    const int height = 2 * kMargin + sim::kDisplayLines * pitch;
    std::string out = "<svg class=\"display\" xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 " + num(width) + " " +
                      num(height) + "\" width=\"" + num(width) + "\" height=\"" + num(height) +
                      "\" role=\"img\" aria-label=\"" + escape(caption) + "\" data-keys=\"" + escape(keys) + "\">";
    out += rect(0, 0, width, height, "lcd");
    if (largeFont) {
        // The large font has 4 lines of 15 characters: what lies outside them is not on the
        // terminal's display.
        out += rect(kMargin + kLargeFontWidth * kCell, kMargin, (columns - kLargeFontWidth) * kCell,
                    sim::kDisplayLines * pitch, "outside");
        out += rect(kMargin, kMargin + kLargeFontLines * pitch, kLargeFontWidth * kCell,
                    (sim::kDisplayLines - kLargeFontLines) * pitch, "outside");
    }
    std::string grid = "<path class=\"grid\" d=\"";
    for (int c = 0; c <= columns; ++c)
        grid += "M" + num(kMargin + c * kCell) + " " + num(kMargin) + "v" + num(sim::kDisplayLines * pitch);
    for (int r = 0; r <= sim::kDisplayLines; ++r)
        grid += "M" + num(kMargin) + " " + num(kMargin + r * pitch) + "h" + num(columns * kCell);
    out += grid + "\"/>";
    if (d.highlight >= 1 && d.highlight <= sim::kDisplayLines)
        out += rect(kMargin, kMargin + (d.highlight - 1) * pitch, columns * kCell, pitch, "bar");
    if (d.state == sim::kStateForm && d.cursorRow >= 0 && d.cursorRow < sim::kDisplayLines)
        out += rect(kMargin + d.cursorColumn * kCell, kMargin + (d.cursorRow + 1) * pitch - 4, kCell, 3, "cursor");
    for (int n = 0; n < sim::kDisplayLines; ++n) {
        const std::size_t length = sim::bounded_length(d.lines[n], sim::kDisplayCell);
        std::string xs;
        for (std::size_t i = 0; i < length; ++i)
            xs += (i ? " " : "") + num(kMargin + static_cast<int>(i) * kCell + kCell / 2);
        const bool lit = n + 1 == d.highlight;
        out += "<text class=\"" + std::string(lit ? "line lit" : "line") + "\" data-line=\"" + num(n) +
               "\" xml:space=\"preserve\" text-anchor=\"middle\" x=\"" + (xs.empty() ? num(kMargin) : xs) + "\" y=\"" +
               num(kMargin + n * pitch + pitch * 3 / 4) + "\">" + text(std::string(d.lines[n], length)) + "</text>";
    }
    if (d.alpha) {
        const int x = kMargin + columns * kCell + 4;
        out += rect(x, kMargin, kIndicator - 8, kRow, "indicator") +
               label(x + (kIndicator - 8) / 2, kMargin + 16, "ind", "A");
    }
    return out + "</svg>";
}

std::string lookup_ruler_svg(const LookupRecord& l, const std::string& keyLabel) {
    const int fields = std::min<int>(l.fieldCount, kLookupFields);
    int positions = l.recordLength;
    for (int i = 0; i < fields; ++i) {
        const int end = l.fieldStart[i] + l.fieldLength[i] - 1 + (l.separator && i + 1 < fields ? 1 : 0);
        positions = std::max(positions, end);
    }
    positions = std::max(positions, 1);
    const int cell = std::clamp(960 / positions, 3, 24);
    const int every = cell >= 20 ? 1 : cell >= 8 ? 5 : 10;
    const int left = 8;
    const int width = 2 * left + positions * cell;
    const int height = 96;
    std::string out = "<svg class=\"ruler\" xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 " + num(width) + " " +
                      num(height) + "\" width=\"" + num(width) + "\" height=\"" + num(height) + "\">";
    std::string ticks = "<path class=\"tick\" d=\"";
    for (int p = 1; p <= positions + 1; ++p) {
        const int x = left + (p - 1) * cell;
        const bool major = p == 1 || p % every == 0;
        ticks += "M" + num(x) + " " + num(major ? 14 : 20) + "V26";
        if (major && p <= positions) out += label(x + cell / 2, 11, "num", num(p));
    }
    out += ticks + "\"/>";
    out += rect(left, 26, positions * cell, 34, "record");
    for (int i = 0; i < fields; ++i) {
        const int start = std::max<int>(l.fieldStart[i], 1);
        const int x = left + (start - 1) * cell;
        const int w = l.fieldLength[i] * cell;
        const bool key = i == l.keyField;
        out += "<g class=\"field" + std::string(key ? " key" : "") + "\" data-field=\"" + num(i + 1) + "\">";
        if (w > 0) out += rect(x, 26, w, 34, key ? "box keybox" : "box");
        if (w > 0 && key) out += rect(x, 26, w, 34, "hatch");
        out += label(x + std::max(w, cell) / 2, 48, "fname", w >= 5 * cell ? "Feld " + num(i + 1) : num(i + 1));
        out += label(x + std::max(w, cell) / 2, 76, "span",
                     num(start) + (l.fieldLength[i] > 1 ? "-" + num(start + l.fieldLength[i] - 1) : ""));
        if (key) out += label(x + std::max(w, cell) / 2, 91, "keyname", escape(keyLabel));
        out += "</g>";
        if (l.separator != 0 && i + 1 < fields) {
            const int sx = x + w;
            out += rect(sx, 26, cell, 34, "sep") +
                   label(sx + cell / 2, 48, "sepchar", text(std::string(1, char(l.separator))));
        }
    }
    return out + "</svg>";
}

}  // namespace kest::report
