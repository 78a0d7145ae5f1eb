#include "records/record_matcher.h"

#include <algorithm>

#include "simulator/field_input.h"

namespace kest::records {
namespace {

using sim::PieceKind;

constexpr std::size_t kLongestRecord = sim::kPassDownSize - 1;
// Readings that fit the layout but not the assembly are tried at most this often per form.
constexpr int kMostTries = 4096;

bool is_digits(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

int number(std::string_view digits) {
    int value = 0;
    for (char c : digits) value = value * 10 + (c - '0');
    return value;
}

bool in_range(PieceKind part, int value) {
    switch (part) {
    case PieceKind::kMonth: return value >= 1 && value <= 12;
    case PieceKind::kDay: return value >= 1 && value <= 31;
    case PieceKind::kHour: return value <= 23;
    case PieceKind::kMinute:
    case PieceKind::kSecond: return value <= 59;
    default: return true;
    }
}

// A part the capacity cut short: the digits that stand, completed to a value in range.
int completed(PieceKind part, std::string_view digits, int size) {
    for (char pad : {'0', '1'}) {
        std::string full(digits);
        full.resize(static_cast<std::size_t>(size), pad);
        if (in_range(part, number(full))) return number(full);
    }
    return number(digits);
}

// What the line's type takes, or its default value.
bool typed_into(const Element& e, std::string_view value) {
    return value == e.preset ||
           std::all_of(value.begin(), value.end(), [&](char c) { return sim::accepts_character(e.takes, c); });
}

class Reader {
public:
    Reader(const FormLayout& layout, const std::vector<Element>& elements, std::string_view text, std::size_t most,
           std::vector<Split>& found)
        : layout_(layout),
          elements_(elements),
          text_(text),
          most_(most),
          found_(found),
          spans_(elements.size(), {0, 0}),
          dead_((elements.size() + 1) * (text.size() + 1), false),
          shortest_(elements.size() + 1, 0),
          longest_(elements.size() + 1, 0),
          cutAllowed_(text.size() == kLongestRecord) {
        // What the elements from each one on take at least and at most.
        for (std::size_t i = elements.size(); i-- > 0;) {
            const Element& e = elements[i];
            const std::size_t fixed = e.kind == ElementKind::kText ? e.text.size()
                                      : e.size >= 0                ? static_cast<std::size_t>(e.size)
                                                                   : 0;
            shortest_[i] = shortest_[i + 1] + fixed;
            longest_[i] = longest_[i + 1] + (e.kind == ElementKind::kInput && e.size < 0 ? e.most : fixed);
        }
    }

    void run() { walk(0, 0); }
    int tries = kMostTries;

private:
    bool done() const { return found_.size() >= most_ || tries <= 0; }

    // True when some reading reached the end from here (whether the assembly agreed or not).
    bool walk(std::size_t i, std::size_t at) {
        if (done()) return true;
        const std::size_t n = text_.size();
        char& dead = dead_[i * (n + 1) + at];
        if (dead) return false;
        const std::size_t rest = n - at;
        if (rest > longest_[i] || (rest < shortest_[i] && !cutAllowed_)) return false;
        bool reached = false;
        if (i == elements_.size()) {
            reached = at == n && finish(i);
        } else if (at == n && cutAllowed_) {
            reached = finish(i);
        } else {
            reached = step(i, at);
        }
        if (!reached) dead = true;
        return reached;
    }

    bool take(std::size_t i, std::size_t at, std::size_t end) {
        spans_[i] = {at, end};
        return walk(i + 1, end);
    }

    bool step(std::size_t i, std::size_t at) {
        const Element& e = elements_[i];
        const std::string_view rest = text_.substr(at);
        switch (e.kind) {
        case ElementKind::kText:
            if (rest.starts_with(e.text)) return take(i, at, at + e.text.size());
            if (cutAllowed_ && std::string_view(e.text).starts_with(rest)) return take(i, at, text_.size());
            return false;
        case ElementKind::kStamp: {
            const std::size_t size = static_cast<std::size_t>(e.size);
            if (rest.size() >= size) {
                const std::string_view digits = rest.substr(0, size);
                return is_digits(digits) && in_range(e.part, number(digits)) && take(i, at, at + size);
            }
            return cutAllowed_ && is_digits(rest) && take(i, at, text_.size());
        }
        case ElementKind::kInput:
            if (e.size >= 0) {
                const std::size_t size = static_cast<std::size_t>(e.size);
                if (rest.size() >= size) return take(i, at, at + size);
                return cutAllowed_ && take(i, at, text_.size());
            }
            break;
        }
        // An input of any length: it ends where the next fixed text begins, or anywhere.
        const Element* next = i + 1 < elements_.size() ? &elements_[i + 1] : nullptr;
        const std::size_t longest = std::min(rest.size(), static_cast<std::size_t>(e.most));
        bool reached = false;
        bool refused = false;  // a character the line does not take: only the default value goes on
        for (std::size_t length = 0; length <= longest && !done(); ++length) {
            const std::size_t end = at + length;
            const std::string_view value = rest.substr(0, length);
            refused = refused || (length > 0 && !sim::accepts_character(e.takes, value.back()));
            if (refused && !std::string_view(e.preset).starts_with(value)) break;
            if (refused && value != e.preset) continue;
            if (next && next->kind == ElementKind::kText && end < text_.size() && text_[end] != next->text[0]) continue;
            if (next == nullptr && end != text_.size()) continue;
            reached = take(i, at, end) || reached;
        }
        return reached;
    }

    bool finish(std::size_t reachedElements) {
        --tries;
        Split split;
        split.form = layout_.form;
        split.cut = cutAllowed_;
        Stamp& s = split.stamp;
        s.twoDigitYear = layout_.record.yearDigits == 1;
        std::size_t dateFrom = text_.size(), dateTo = 0, timeFrom = text_.size(), timeTo = 0;
        std::array<std::string, kFormLines> again;
        for (std::size_t i = 0; i < reachedElements; ++i) {
            const Element& e = elements_[i];
            const auto [from, to] = spans_[i];
            const std::string_view piece = text_.substr(from, to - from);
            if (e.kind == ElementKind::kInput) {
                std::string value(piece);
                const std::size_t line = static_cast<std::size_t>(e.line);
                if (e.size >= 0 && e.left) {
                    const std::size_t fill = std::min(value.find_first_not_of(e.fill), value.size());
                    value.erase(0, fill);
                    // Cut short by the capacity, the input went on beyond the record's end:
                    // assembled again, it needs its whole length to stand where it stood.
                    const std::size_t length = static_cast<std::size_t>(e.size) - fill;
                    if (piece.size() < static_cast<std::size_t>(e.size) && length > value.size())
                        again[line] = value + std::string(length - value.size(), '?');
                } else if (e.size >= 0) {
                    value.erase(value.find_last_not_of(e.fill) + 1);
                }
                if (!typed_into(e, value)) return true;
                split.inputs[line] = value;
            } else if (e.kind == ElementKind::kStamp) {
                const int value =
                    piece.size() == static_cast<std::size_t>(e.size) ? number(piece) : completed(e.part, piece, e.size);
                const bool date =
                    e.part == PieceKind::kYear || e.part == PieceKind::kMonth || e.part == PieceKind::kDay;
                (date ? dateFrom : timeFrom) = std::min(date ? dateFrom : timeFrom, from);
                (date ? dateTo : timeTo) = std::max(date ? dateTo : timeTo, to);
                switch (e.part) {
                case PieceKind::kYear: s.year = s.twoDigitYear ? 2000 + value : value; break;
                case PieceKind::kMonth: s.month = value; break;
                case PieceKind::kDay: s.day = value; break;
                case PieceKind::kHour: s.hour = value; break;
                case PieceKind::kMinute: s.minute = value; break;
                default: s.second = value; break;
                }
            }
        }
        if (dateFrom < dateTo) s.dateText = text_.substr(dateFrom, dateTo - dateFrom);
        if (timeFrom < timeTo) s.timeText = text_.substr(timeFrom, timeTo - timeFrom);
        // The reading stands only when the terminal's own assembly gives the record back.
        for (std::size_t line = 0; line < again.size(); ++line)
            if (again[line].empty()) again[line] = split.inputs[line];
        if (assemble_again(layout_, again, s) != text_) return true;
        if (std::find(found_.begin(), found_.end(), split) == found_.end()) found_.push_back(std::move(split));
        return true;
    }

    const FormLayout& layout_;
    const std::vector<Element>& elements_;
    std::string_view text_;
    std::size_t most_;
    std::vector<Split>& found_;
    std::vector<std::pair<std::size_t, std::size_t>> spans_;
    std::vector<char> dead_;
    std::vector<std::size_t> shortest_, longest_;
    bool cutAllowed_;
};

}  // namespace

std::vector<Split> splits(const FormLayout& layout, std::string_view text, std::size_t most, bool* unsure) {
    std::vector<Split> found;
    if (text.size() > kLongestRecord) return found;
    int tries = kMostTries;
    for (const std::vector<Element>& elements : layout.variants) {
        Reader reader(layout, elements, text, most, found);
        reader.tries = tries;
        reader.run();
        tries = reader.tries;
        if (found.size() >= most || tries <= 0) break;
    }
    if (unsure) *unsure = tries <= 0 && found.size() < most;
    return found;
}

RecordMatch match_record(const ProjectLayouts& layouts, std::string_view text, int chosen) {
    RecordMatch match;
    std::vector<std::pair<const FormLayout*, std::vector<Split>>> fits;
    for (const FormLayout& layout : layouts.forms) {
        bool unsure = false;
        std::vector<Split> found = splits(layout, text, 2, &unsure);
        // One reading found before the search gave up is no proof that it is the only one.
        if (unsure && found.size() == 1) found.push_back(found.front());
        if (!found.empty()) fits.emplace_back(&layout, std::move(found));
    }
    std::string_view trimmed = text.substr(0, text.find_last_not_of(' ') + 1);
    if (text.find_last_not_of(' ') == std::string_view::npos) trimmed = {};
    for (const MenuText& menu : layouts.menus)
        if (!trimmed.empty() && menu.text == trimmed) match.menus.push_back(&menu);

    const auto only = [&](const std::pair<const FormLayout*, std::vector<Split>>& fit) {
        if (fit.second.size() != 1) return false;
        match.kind = MatchKind::kForm;
        match.layout = fit.first;
        match.split = fit.second.front();
        return true;
    };
    if (fits.size() == 1 && match.menus.empty() && only(fits.front())) return match;
    if (fits.empty() && match.menus.size() == 1) {
        match.kind = MatchKind::kMenu;
        match.menu = match.menus.front();
        match.menus.clear();
        return match;
    }
    for (const auto& fit : fits)
        if (fit.first->form == chosen && only(fit)) {
            match.menus.clear();
            return match;
        }
    if (fits.empty() && match.menus.empty()) return match;
    match.kind = MatchKind::kAmbiguous;
    for (const auto& fit : fits) match.forms.push_back(fit.first->form);
    return match;
}

}  // namespace kest::records
