#include "editor/code_grid.h"

#include <algorithm>
#include <cstring>

namespace kest::editor {

namespace {

constexpr const char* kControlNames[32] = {
    "",    "SOH", "STX", "ETX", "EOT", "ENQ", "ACK", "BEL", "BS",  "HT", "LF",  "VT",  "FF", "CR", "SO", "SI",
    "DLE", "DC1", "DC2", "DC3", "DC4", "NAK", "SYN", "ETB", "CAN", "EM", "SUB", "ESC", "FS", "GS", "RS", "US",
};

const std::array<std::string, 256>& labels() {
    static const std::array<std::string, 256> table = [] {
        std::array<std::string, 256> t;
        for (int c = 0; c < 256; ++c) {
            if (c < 32)
                t[c] = kControlNames[c];
            else if (c == 0x20)
                t[c] = "Space";
            else if (c < 0x7F)
                t[c] = std::string(1, static_cast<char>(c));
            else if (c == 0x7F)
                t[c] = "DEL";
            else
                t[c] = std::to_string(c);
        }
        return t;
    }();
    return table;
}

const char kHex[] = "0123456789ABCDEF";

// Reads "[label]" groups from `text` into codes[n...]; tries the longer labels first and
// backs off, so that "[]]" reads as the label "]" and not as an empty label.
bool read_groups(std::string_view text, CodeSequence& codes, int n) {
    if (text.empty()) return true;
    if (n == kCodeCapacity || text.front() != '[') return false;
    text.remove_prefix(1);
    std::vector<int> candidates;
    for (int c = 1; c < 256; ++c) {
        const std::string_view label = code_label(c);
        if (text.size() > label.size() && text.substr(0, label.size()) == label && text[label.size()] == ']')
            candidates.push_back(c);
    }
    std::sort(candidates.begin(), candidates.end(),
              [](int a, int b) { return code_label(a).size() > code_label(b).size(); });
    for (int c : candidates) {
        codes[static_cast<std::size_t>(n)] = static_cast<u8>(c);
        if (read_groups(text.substr(code_label(c).size() + 1), codes, n + 1)) return true;
    }
    codes[static_cast<std::size_t>(n)] = 0;
    return false;
}

class Painter {
public:
    Painter(int width, int height) : width_(width), height_(height) {}
    void fill(PaintRect r, PaintColour colour) { add(PaintStep::Kind::Fill, r, colour, {}); }
    void hline(int y, int x0, int x1, PaintColour colour) { fill({x0, y, x1, y + 1}, colour); }
    void vline(int x, int y0, int y1, PaintColour colour) { fill({x, y0, x + 1, y1}, colour); }
    void text(PaintStep::Kind kind, PaintRect r, PaintColour colour, std::string text) {
        add(kind, r, colour, std::move(text));
    }
    PaintPlan take() { return std::move(plan_); }

private:
    // Everything is clipped to the client area; what is left empty is not drawn.
    void add(PaintStep::Kind kind, PaintRect r, PaintColour colour, std::string text) {
        r.left = std::max(r.left, 0);
        r.top = std::max(r.top, 0);
        r.right = std::min(r.right, width_);
        r.bottom = std::min(r.bottom, height_);
        if (r.left >= r.right || r.top >= r.bottom) return;
        plan_.push_back({kind, r, colour, std::move(text)});
    }
    int width_, height_;
    PaintPlan plan_;
};

}  // namespace

std::string_view code_label(int code) {
    return code >= 0 && code < 256 ? std::string_view(labels()[static_cast<std::size_t>(code)]) : std::string_view();
}

int code_count(const u8* codes) {
    int n = 0;
    while (n < kCodeCapacity && codes[n] != 0) ++n;
    return n;
}

CodeSequence read_codes(const u8 (&slot)[kCodeCapacity]) {
    CodeSequence codes{};
    std::copy_n(slot, code_count(slot), codes.begin());
    return codes;
}

void write_codes(u8 (&slot)[kCodeCapacity], const CodeSequence& codes) {
    std::memset(slot, 0, sizeof slot);
    std::copy_n(codes.begin(), code_count(codes), slot);
}

std::string code_text(const CodeSequence& codes) {
    std::string text;
    for (int i = 0; i < code_count(codes); ++i) {
        text += '[';
        text += code_label(codes[static_cast<std::size_t>(i)]);
        text += ']';
    }
    return text;
}

std::optional<CodeSequence> codes_from_text(std::string_view text) {
    CodeSequence codes{};
    if (!read_groups(text, codes, 0)) return std::nullopt;
    return codes;
}

std::string column_header(int column) { return {kHex[column & 15], '0'}; }
std::string row_header(int row) { return {'0', kHex[row & 15]}; }

GridGeometry::GridGeometry(int width, int height)
    : width_(std::max(width, 0)), height_(std::max(height, 0)), w_(width_ / 17), h_(height_ / 17) {}

std::optional<GridCell> GridGeometry::cell_at(int x, int y) const {
    if (w_ == 0 || h_ == 0 || x < 0 || y < 0) return std::nullopt;
    const int c = x / w_, r = y / h_;
    if (c == 0 || r == 0 || c > 16 || r > 16) return std::nullopt;
    return GridCell{c - 1, r - 1};
}

PaintPlan paint_grid(const GridGeometry& g, GridCell selected) {
    const int W = g.width(), H = g.height(), w = g.cell_width(), h = g.cell_height();
    Painter p(W, H);
    using C = PaintColour;
    p.fill({0, 0, W, H}, C::LightGrey);
    if (w > 0 && h > 0) {
        p.fill({w, h, W, H}, C::White);
        // Raised headers: a white outline inside the border and a white line after each
        // header cell border.
        p.hline(1, 1, W - 1, C::White);
        p.vline(1, 1, H - 1, C::White);
        p.hline(H - 2, 1, W - 1, C::White);
        p.vline(W - 2, 1, H - 1, C::White);
        for (int k = 1; k <= 16; ++k) {
            p.vline(k * w + 1, 1, h, C::White);
            p.hline(k * h + 1, 1, w, C::White);
        }
        for (int k = 2; k <= 16; ++k) {
            p.hline(k * h, w, W, C::LineGrey);
            p.vline(k * w, h, H, C::LineGrey);
        }
        p.hline(h, 0, W, C::Black);
        p.vline(w, 0, H, C::Black);
        for (int k = 2; k <= 16; ++k) {
            p.vline(k * w, 0, h, C::Black);
            p.hline(k * h, 0, w, C::Black);
        }
    }
    p.hline(0, 0, W, C::Black);
    p.vline(0, 0, H, C::Black);
    p.hline(H - 1, 0, W, C::Black);
    p.vline(W - 1, 0, H, C::Black);
    if (w == 0 || h == 0) return p.take();

    const auto centred = PaintStep::Kind::CentredText;
    for (int k = 0; k < 16; ++k) {
        p.text(centred, {(k + 1) * w, 0, (k + 2) * w, h}, C::Black, column_header(k));
        p.text(centred, {0, (k + 1) * h, w, (k + 2) * h}, C::Black, row_header(k));
    }
    for (int c = 0; c < 16; ++c) {
        for (int r = 0; r < 16; ++r) {
            if (GridCell{c, r} == selected) continue;
            p.text(centred, {(c + 1) * w, (r + 1) * h, (c + 2) * w, (r + 2) * h}, C::Black,
                   std::string(code_label(c * 16 + r)));
        }
    }
    const int x = (selected.column + 1) * w + 1, y = (selected.row + 1) * h + 1;
    p.fill({x, y, x + w, y + h}, C::Blue);
    p.text(centred, {x, y, x + w, y + h}, C::White, std::string(code_label(selected.code())));
    return p.take();
}

PaintPlan paint_result_field(int width, int height, const std::string& text) {
    Painter p(width, height);
    p.fill({0, 0, width, height}, PaintColour::White);
    p.hline(0, 0, width, PaintColour::DarkGrey);
    p.vline(0, 0, height, PaintColour::DarkGrey);
    p.hline(height - 1, 0, width, PaintColour::White);
    p.vline(width - 1, 0, height, PaintColour::White);
    p.text(PaintStep::Kind::LeftText, {5, 0, width, height}, PaintColour::DarkGrey, text);
    return p.take();
}

}  // namespace kest::editor
