#include "report/screens.h"

#include <algorithm>
#include <cstdio>
#include <optional>

#include "project/defaults.h"
#include "project/rules.h"
#include "simulator/engine.h"
#include "simulator/form_preparation.h"
#include "simulator/key_names.h"

namespace kest::report {
namespace {

// A multi-tap letter is committed after 7 idle ticks.
constexpr int kCommitTicks = 7;
constexpr std::size_t kRecordLimit = sim::kPassDownSize - 1;
constexpr std::size_t kFieldLimit = sim::kInputSize - 1;

class FixedClock final : public Clock {
public:
    explicit FixedClock(const LocalTime& time) : time_(time) {}
    std::uint32_t ticks() override { return 0; }
    void sleep(std::uint32_t) override {}
    LocalTime local_time() override { return time_; }

private:
    LocalTime time_;
};

// The engine on its own copy of a project, from the start screen, keeping the steps.
class Run {
public:
    Run(const Project& project, const LocalTime& time)
        : project_(std::make_unique<Project>(project)), clock_(time), engine_(*project_, editor_, clock_) {
        engine_.show_start_screen();
    }

    void step(const Step& s) {
        steps_.push_back(s);
        if (s.key != 0) engine_.key(s.key);
        for (int i = 0; i < s.ticks; ++i) engine_.tick();
    }
    void key(int code) { step({code, 0}); }
    void replay(const std::vector<Step>& steps) {
        for (const Step& s : steps) step(s);
    }
    const sim::DisplayState& display() const { return engine_.display(); }
    int object() const { return engine_.current_object(); }
    std::string pass_down() const { return engine_.pass_down(); }
    int last_key() const { return steps_.empty() ? 0 : steps_.back().key; }
    const std::vector<Step>& steps() const { return steps_; }

private:
    std::unique_ptr<Project> project_;
    EditorState editor_;
    FixedClock clock_;
    sim::Engine engine_;
    std::vector<Step> steps_;
};

// The key that types a character on the keypad, how often it is pressed and whether in
// alpha mode.
struct Keying {
    int key;
    int presses;
    bool alpha;
};

std::optional<Keying> keying(char c) {
    if (c >= '1' && c <= '9') return Keying{c - '0', 1, false};
    if (c == '0') return Keying{sim::kKeyZero, 1, false};
    if (c == '.') return Keying{sim::kKeyDot, 1, false};
    if (c == '-') return Keying{sim::kKeyDash, 1, false};
    if (c == ' ') return Keying{1, 1, true};
    static constexpr char kBase[] = "ADGJMPTW";  // keys 2-9; keys 7 and 9 have four letters
    for (int key = 2; key <= 9; ++key) {
        const char base = kBase[key - 2];
        const int count = key == 7 || key == 9 ? 4 : 3;
        if (c >= base && c < base + count) return Keying{key, c - base + 1, true};
    }
    return std::nullopt;
}

void type_keys(Run& run, const std::string& text) {
    for (char c : text) {
        const auto k = keying(c);
        if (!k) continue;
        if (run.display().alpha != k->alpha) run.key(sim::kKeyAlpha);
        if (k->alpha && run.display().pendingLetter != 0 && run.last_key() == k->key) run.step({0, kCommitTicks});
        for (int i = 0; i < k->presses; ++i) run.key(k->key);
    }
}

std::string cut(const std::string& text, std::size_t limit) {
    return text.size() > limit ? text.substr(0, limit) : text;
}

// What a line holds before anything is typed: its default value, or for "fixe Daten" its
// prompt.
std::string preset(const FormRecord& f, int line) {
    if (f.lineType[line] == kFieldFixedData) return cell_text(f.prompt[line]);
    return f.defaultOn[line] ? cell_text(f.defaultValue[line]) : std::string();
}

// Fills the form shown: the sample into every line the form stops at (a default long enough
// is kept), then Enter. True when the form completed.
bool fill(Run& run, const FormRecord& f, int object, std::vector<std::string>& inputs) {
    inputs.assign(kFormLines, {});
    for (int line = 0; line < kFormLines; ++line) inputs[line] = preset(f, line);
    const int entries = count_entry_lines(f);
    for (int guard = 0; guard <= kFormLines; ++guard) {
        if (run.display().state != sim::kStateForm || run.object() != object) return false;
        const int line = run.display().cursorRow;
        const u8 type = f.lineType[line];
        const bool keepDefault = f.defaultOn[line] && inputs[line].size() >= f.minLength[line];
        if (is_input_line(type) && !keepDefault) {
            inputs[line] = sample_input(type, f.minLength[line], f.maxLength[line]);
            type_keys(run, inputs[line]);
        }
        const bool last = run.display().cursorRow >= entries - 1;
        run.key(sim::kKeyEnterLeft);
        if (last) return run.display().state != sim::kStateMessage;
    }
    return false;
}

std::string delimiters(const Project& p) {
    std::string out;
    for (u8 d : {p.options.delimiter1, p.options.delimiter2})
        if (d != 0) out += static_cast<char>(d);
    return out;
}

std::string two_digits(int value) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d", value);
    return text;
}

// The date and time a form stamps its records with; `split` stands between them when the
// record is not empty by then.
std::string stamp_text(const FormRecord& f, const LocalTime& t, const std::string& split, bool recordEmpty) {
    char year[16];
    std::snprintf(year, sizeof year, f.yearDigits == 1 ? "%02d" : "%04d", f.yearDigits == 1 ? t.year % 100 : t.year);
    const std::pair<bool, std::string> y{f.yearOn != 0, year}, m{f.monthOn != 0, two_digits(t.month)},
        d{f.dayOn != 0, two_digits(t.day)};
    std::vector<std::pair<bool, std::string>> date;
    if (f.dateOrder == 0) date = {y, m, d};
    if (f.dateOrder == 1) date = {m, d, y};
    if (f.dateOrder == 2) date = {d, m, y};
    auto join = [](const std::vector<std::pair<bool, std::string>>& parts, bool sepOn, const std::string& sep) {
        std::string out;
        bool earlier = false;
        for (const auto& [on, text] : parts) {
            if (earlier && sepOn) out += sep;
            if (on) out += text;
            earlier = earlier || on;
        }
        return out;
    };
    std::string out = join(date, f.dateSepOn != 0, cell_text(f.dateSep));
    if (!(recordEmpty && out.empty()) && f.stampSplit) out += split;
    return out + join({{f.hourOn != 0, two_digits(t.hour)},
                       {f.minuteOn != 0, two_digits(t.minute)},
                       {f.secondOn != 0, two_digits(t.second)}},
                      f.timeSepOn != 0, cell_text(f.timeSep));
}

std::string codes(const u8 (&slot)[10]) {
    std::string out;
    for (u8 c : slot) {
        if (c == 0) break;
        out += static_cast<char>(c);
    }
    return out;
}

std::string fixed(const FormRecord& f, int line, const std::string& value) {
    if (!f.fixedLengthOn[line]) return value;
    const std::size_t size = f.fixedLength[line];
    if (value.size() >= size) return value.substr(0, size);
    const char padding = f.justify[line] == 2 || f.justify[line] == 3 ? '0' : ' ';
    const std::string pad(size - value.size(), padding);
    return f.justify[line] == 1 || f.justify[line] == 3 ? pad + value : value + pad;
}

// The record the inputs make, stretch by stretch, as the terminal lays it out.
std::vector<Segment> layout(const Project& p, const FormRecord& f, const std::vector<std::string>& inputs,
                            const LocalTime& time, std::string& text) {
    std::vector<Segment> out;
    text.clear();
    auto add = [&](Segment::Kind kind, int line, const std::string& s) {
        if (s.empty()) return;
        out.push_back({kind, line, text.size(), text.size() + s.size()});
        text += s;
    };
    const std::string delims = delimiters(p);
    auto stamp = [&] {
        if (!text.empty()) add(Segment::Delimiter, -1, delims);
        add(Segment::Stamp, -1, stamp_text(f, time, delims, text.empty()));
    };
    if (f.stampPosition == 1) stamp();
    for (int line = 0; line < line_count(f.font); ++line) {
        const u8 type = f.lineType[line];
        if (!(is_input_line(type) || (type == kFieldLookup && f.defaultOn[line]) || type == kFieldFixedData)) continue;
        std::string value = inputs[line];
        for (int k = 1; k <= 3 && line + k < kFormLines && f.lineType[line + k] == kFieldContinuation; ++k)
            value += inputs[line + k];
        if (!text.empty()) add(Segment::Delimiter, line, delims);
        if (f.prefixOn[line]) add(Segment::Prefix, line, codes(f.prefix[line]));
        add(Segment::Value, line, fixed(f, line, cut(value, kFieldLimit)));
        if (f.suffixOn[line]) add(Segment::Suffix, line, codes(f.suffix[line]));
    }
    if (f.stampPosition == 2) stamp();
    // The record stops growing at the size of its buffer.
    if (text.size() > kRecordLimit) {
        text.resize(kRecordLimit);
        std::erase_if(out, [](const Segment& s) { return s.begin >= kRecordLimit; });
        for (Segment& s : out) s.end = std::min(s.end, kRecordLimit);
    }
    return out;
}

struct Reached {
    std::vector<Step> keys;
    std::vector<Route> route;
};

// The forms and menus the keys reach from the start screen, by the fewest moves: the
// program's start, a menu item, a completed form; Esc to a menu last, as it shows the menu
// with the selection it had.
std::vector<std::optional<Reached>> explore(const Project& simulation, const LocalTime& time) {
    std::vector<std::optional<Reached>> reached(jump::kFirstMenu + kMenuCount);
    std::vector<int> queue;
    auto arrive = [&](const Run& run, const std::vector<Route>& route, Route hop) {
        const int now = run.object();
        if (now == 0 || reached[now]) return;
        hop.to = hop.code = now;
        std::vector<Route> next = route;
        next.push_back(hop);
        reached[now] = Reached{run.steps(), next};
        queue.push_back(now);
    };
    {
        Run run(simulation, time);
        run.key(1);
        arrive(run, {}, {0, RouteKind::Start, 0, 0, 0});
    }
    std::vector<bool> explored(reached.size());
    for (bool escToMenus : {false, true}) {
        if (escToMenus)
            for (int t = 1; t < static_cast<int>(reached.size()); ++t)
                if (reached[t]) queue.push_back(t);
        for (std::size_t i = 0; i < queue.size(); ++i) {
            const int from = queue[i];
            const Reached here = *reached[from];
            const bool again = explored[from];
            explored[from] = true;
            auto move = [&](RouteKind kind, int item, auto&& keys) {
                Run run(simulation, time);
                run.replay(here.keys);
                keys(run);
                const bool toMenu = run.object() >= jump::kFirstMenu;
                if (kind == RouteKind::Esc && toMenu && !escToMenus) return;
                arrive(run, here.route, {from, kind, item, 0, 0});
            };
            // A second round only adds Esc to a menu.
            if (!again && from >= jump::kFirstMenu) {
                for (int item = 1; item <= 10; ++item)
                    move(RouteKind::Item, item, [&](Run& run) { run.key(item == 10 ? sim::kKeyZero : item); });
            } else if (!again) {
                std::vector<std::string> inputs;
                move(RouteKind::Next, 0,
                     [&](Run& run) { fill(run, simulation.forms[from - jump::kFirstForm], from, inputs); });
            }
            move(RouteKind::Esc, 0, [&](Run& run) { run.key(sim::kKeyEsc); });
        }
        queue.clear();
    }
    return reached;
}

}  // namespace

std::string keys_text(const std::vector<Step>& steps) {
    std::string out;
    for (const Step& s : steps) {
        if (!out.empty()) out += ',';
        out += s.key != 0     ? sim::key_name(s.key)
               : s.ticks == 1 ? std::string("tick")
                              : "tick:" + std::to_string(s.ticks);
    }
    return out;
}

std::unique_ptr<Project> simulation_copy(const Project& project) {
    return std::make_unique<Project>(sim::prepared_forms(normalised_forms(project)));
}

std::unique_ptr<Project> launcher_copy(const Project& simulation, int target) {
    auto copy = std::make_unique<Project>(simulation);
    if (target >= jump::kFirstMenu) {
        FormRecord& f = copy->forms[0];
        form_defaults(f, static_cast<u8>(target));
        f.lineType[0] = kFieldInteger;
        f.maxLength[0] = 1;
        f.entryLineCount = 1;
        copy->options.startObject = 0;
    } else {
        MenuRecord& m = copy->menus[0];
        menu_defaults(m);
        set_cell(m.items[0], "1");
        m.itemTarget[0] = static_cast<u8>(target);
        m.itemCount = 1;
        copy->options.startObject = 1;
    }
    return copy;
}

std::unique_ptr<Project> record_copy(const Project& simulation, int form) {
    auto copy = std::make_unique<Project>(simulation);
    FormRecord& f = copy->forms[form - jump::kFirstForm];
    f.recordAction = kRecordPassDown;
    // A pass-down line of the next form would cut the record when it shows it.
    f.nextTarget = jump::kStartScreen;
    return copy;
}

std::string sample_input(u8 type, u8 minLength, u8 maxLength) {
    struct Sample {
        const char* pattern;
        std::size_t length;
    };
    Sample sample{"", 0};
    switch (type) {
    case kFieldText: sample = {"TEXT12", 6}; break;
    case kFieldInteger: sample = {"1234567890", 5}; break;
    case kFieldReal:
    case kFieldAutoSign: sample = {"1234567890", 5}; break;
    case kFieldLetter: sample = {"KISTE", 5}; break;
    case kFieldBoolean: sample = {"10", 1}; break;
    default: return {};
    }
    const std::size_t n = std::min<std::size_t>(std::max<std::size_t>(sample.length, minLength), maxLength);
    const std::string pattern = sample.pattern;
    std::string out;
    while (out.size() < n) out += pattern[out.size() % pattern.size()];
    if ((type == kFieldReal || type == kFieldAutoSign) && n >= 3) out[n - 2] = '.';
    return out;
}

Screens take_screens(const Project& project, const std::vector<int>& objects, const LocalTime& time) {
    const auto simulation = simulation_copy(project);
    const auto reached = explore(*simulation, time);
    Screens out;
    for (int object : objects) {
        Screen screen;
        screen.object = object;
        std::unique_ptr<Project> launcher;
        if (reached[object]) {
            screen.keys = reached[object]->keys;
            screen.route = reached[object]->route;
        } else {
            screen.launched = true;
            screen.keys = {{1, 0}, {object >= jump::kFirstMenu ? sim::kKeyEnterLeft : 1, 0}};
            launcher = launcher_copy(*simulation, object);
        }
        const Project& base = launcher ? *launcher : *simulation;
        Run run(base, time);
        run.replay(screen.keys);
        screen.display = run.display();

        SampleRecord record;
        if (object < jump::kFirstMenu) {
            const auto passing = record_copy(base, object);
            Run fillRun(*passing, time);
            fillRun.replay(screen.keys);
            const FormRecord& f = passing->forms[object - jump::kFirstForm];
            record.built = fill(fillRun, f, object, record.inputs);
            record.keys.assign(fillRun.steps().begin() + static_cast<std::ptrdiff_t>(screen.keys.size()),
                               fillRun.steps().end());
            if (record.built) {
                record.text = fillRun.pass_down();
                std::string expected;
                std::vector<Segment> segments = layout(*passing, f, record.inputs, time, expected);
                if (expected == record.text) record.segments = std::move(segments);
            }
        }
        out.screens.push_back(std::move(screen));
        out.records.push_back(std::move(record));
    }
    return out;
}

}  // namespace kest::report
