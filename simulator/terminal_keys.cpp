#include "simulator/terminal_keys.h"

namespace kest::terminal {
namespace {

constexpr bool within(int v, int low, int high) { return v >= low && v <= high; }

struct Span {
    int low, high;
    int code;
};

// The code of the span containing v, or `none`.
template <int N>
int span_at(const Span (&spans)[N], int v, int none = kNoKey) {
    for (const Span& s : spans) {
        if (within(v, s.low, s.high)) return s.code;
    }
    return none;
}

constexpr Span kEnterKeys[] = {{43, 71, sim::kKeyEnterLeft}, {130, 156, sim::kKeyEnterRight}};
constexpr Span kSideCursorKeys[] = {{49, 80, sim::kKeyLeft}, {119, 152, sim::kKeyRight}};
constexpr Span kEscapeKeys[] = {{48, 77, sim::kKeyEsc}, {112, 151, sim::kKeyBackspace}};
constexpr Span kGridColumns[] = {{45, 78, 0}, {80, 119, 1}, {121, 154, 2}};
constexpr Span kGridRows[] = {{296, 317, 0}, {324, 344, 1}, {351, 371, 2}, {378, 398, 3}};
constexpr Span kBottomKeys[] = {{49, 78, sim::kKeyAlpha}, {89, 110, sim::kKeyPower}, {121, 150, sim::kKeyFn}};

constexpr int kGridX[] = {38, 79, 120};
constexpr int kGridY[] = {295, 322, 349, 376, 403};

}  // namespace

KeyImage key_image(int code) {
    if (code >= 1 && code <= 15) {
        int row = (code - 1) / 3;
        int column = (code - 1) % 3;
        return {kGridX[column], kGridY[row], 41, 23};
    }
    switch (code) {
    case sim::kKeyEnterLeft: return {43, 197, 28, 37};
    case sim::kKeyEnterRight: return {129, 197, 28, 37};
    case sim::kKeyLeft: return {47, 239, 34, 32};
    case sim::kKeyUp: return {83, 241, 33, 24};
    case sim::kKeyRight: return {118, 239, 34, 32};
    case sim::kKeyEsc: return {47, 263, 34, 32};
    case sim::kKeyDown: return {83, 265, 33, 24};
    case sim::kKeyBackspace: return {118, 263, 34, 32};
    default: return {0, 0, 0, 0};
    }
}

int hit_test(int x, int y) {
    if (within(y, 197, 234)) return span_at(kEnterKeys, x);
    if (within(x, 84, 115) && within(y, 242, 288)) return y <= 265 ? sim::kKeyUp : sim::kKeyDown;
    if (within(y, 240, 270)) return span_at(kSideCursorKeys, x);
    if (within(y, 268, 291)) return span_at(kEscapeKeys, x);
    if (within(y, 296, 398)) {
        int row = span_at(kGridRows, y, -1);
        int column = span_at(kGridColumns, x, -1);
        if (row < 0 || column < 0) return kNoKey;
        return row * 3 + column + 1;
    }
    if (within(y, 404, 425)) return span_at(kBottomKeys, x);
    return kNoKey;
}

}  // namespace kest::terminal
