// kest simulate: runs a project on the simulated terminal without a window and shows the
// display after a sequence of key presses and timer ticks.
#include <iostream>
#include <optional>
#include <sstream>

#include "common/cp1252.h"
#include "kest/command.h"
#include "common/json.h"
#include "common/options.h"
#include "kest/project_io.h"
#include "kest/time_option.h"
#include "platform/clock.h"
#include "project/names.h"
#include "project/rules.h"
#include "simulator/engine.h"
#include "simulator/form_preparation.h"
#include "simulator/key_names.h"

namespace kest::cli {
namespace {

constexpr char kUsage[] =
    "usage: kest simulate FILE --keys K1,K2,... [--time YYYY-MM-DDTHH:MM:SS] [--json]\n"
    "                            [--unprepared]\n"
    "\n"
    "Runs the project FILE on the simulated terminal, starting on its start screen, and\n"
    "shows the display after the keys: the 8 display lines, the state code, the current\n"
    "form or menu, the highlighted line, the cursor (column, row), the large-font and\n"
    "alpha flags, the record counter and the last record passed down.\n"
    "\n"
    "Keys: 0-9, dash, dot, alpha, power, fn, enter (left Enter), enter2 (right Enter),\n"
    "left, up, right, down, esc, bs, restart (the editor's restart), tick (one 100 ms\n"
    "timer tick: clock line, multi-tap commit after 7 idle ticks) and tick:N (N ticks).\n"
    "\n"
    "  --keys LIST   the key presses, comma-separated (may be empty)\n"
    "  --time T      the local time of the clock line and the record stamps\n"
    "                (default: the computer's local time)\n"
    "  --json        one JSON object: state, object, highlight, cursor, large_font,\n"
    "                alpha, records, passdown, lines (and pending, clock, messages)\n"
    "  --unprepared  run the forms as stored; by default they are normalised and\n"
    "                prepared as the editor does when its form page is applied\n"
    "\n"
    "A program that cannot start (\"Bitte Programm auswaehlen!\") is reported under\n"
    "messages; the keys after it act on the start screen.\n"
    "Exit status 2 for a bad FILE, key name or time.\n";

struct Step {
    int key = 0;  // key code, or 0 for ticks
    long ticks = 0;
};

constexpr long kMostTicks = 1000000;

// A key name, or nothing with the reason in error.
std::optional<Step> parse_key(const std::string& name, std::string& error) {
    if (const auto code = sim::key_code(name)) return Step{*code, 0};
    if (name == "tick") return Step{0, 1};
    if (name.rfind("tick:", 0) == 0) {
        const std::string count = name.substr(5);
        if (!count.empty() && count.find_first_not_of("0123456789") == std::string::npos) {
            const auto n = parse_number(count);
            if (n && *n <= kMostTicks) return Step{0, *n};
            error = "'" + name + "' asks for too many ticks (at most " + std::to_string(kMostTicks) + " at a time)";
            return std::nullopt;
        }
        error = "'" + name + "' needs a number of ticks (tick:N)";
        return std::nullopt;
    }
    error = "unknown key '" + name + "' (kest simulate --help lists the keys)";
    return std::nullopt;
}

// The computer's clock, or a fixed local time.
class SimulationClock final : public Clock {
public:
    explicit SimulationClock(std::optional<LocalTime> fixed) : fixed_(fixed) {}
    std::uint32_t ticks() override { return system_clock().ticks(); }
    void sleep(std::uint32_t ms) override { system_clock().sleep(ms); }
    LocalTime local_time() override { return fixed_ ? *fixed_ : system_clock().local_time(); }

private:
    std::optional<LocalTime> fixed_;
};

const char* state_name(int state) {
    switch (state) {
    case sim::kStateStart: return "start screen";
    case sim::kStateMenu: return "menu";
    case sim::kStateForm: return "form input";
    case sim::kStateUtilities: return "utilities";
    case sim::kStateSettings: return "settings";
    case sim::kStateSend: return "send screen";
    case sim::kStateMessage: return "message";
    default: return "?";
    }
}

std::string pending_text(const sim::DisplayState& d) {
    return d.pendingLetter ? cp1252_to_utf8(std::string(1, d.pendingLetter)) : std::string();
}

void print_json(const sim::Engine& engine, const std::vector<std::string>& messages) {
    const sim::DisplayState& d = engine.display();
    JsonWriter json;
    json.begin_object()
        .field("state", d.state)
        .field("object", engine.current_object())
        .field("highlight", d.highlight)
        .key("cursor")
        .numbers({d.cursorColumn, d.cursorRow})
        .field("large_font", d.largeFont)
        .field("alpha", d.alpha)
        .field("records", engine.record_count())
        .field("passdown", cp1252_to_utf8(engine.pass_down()))
        .key("lines")
        .begin_array();
    for (const auto& line : d.lines) json.value(cp1252_to_utf8(line));
    json.end_array();
    json.key("pending");
    if (d.pendingLetter)
        json.value(pending_text(d));
    else
        json.null();
    json.field("clock", cp1252_to_utf8(d.clockLine)).key("messages").begin_array();
    for (const auto& m : messages) json.value(m);
    json.end_array().end_object();
    std::cout << json.str();
}

void print_text(const sim::Engine& engine, const std::vector<std::string>& messages) {
    const sim::DisplayState& d = engine.display();
    std::ostringstream out;
    out << "state:      " << d.state << " (" << state_name(d.state) << ")\n";
    out << "object:     " << engine.current_object();
    if (engine.current_object() != 0) out << " (" << cp1252_to_utf8(names::jump_target(engine.current_object())) << ")";
    out << "\nhighlight:  " << d.highlight << "\n";
    out << "cursor:     column " << d.cursorColumn << ", row " << d.cursorRow << "\n";
    out << "large font: " << (d.largeFont ? "yes" : "no") << "\n";
    out << "alpha:      " << (d.alpha ? "yes" : "no") << "\n";
    out << "records:    " << engine.record_count() << "\n";
    out << "passdown:   \"" << cp1252_to_utf8(engine.pass_down()) << "\"\n";
    if (d.pendingLetter) out << "pending:    '" << pending_text(d) << "'\n";
    if (d.clockLine[0]) out << "clock:      \"" << cp1252_to_utf8(d.clockLine) << "\"\n";
    for (const auto& m : messages) out << "message:    " << m << "\n";
    out << "    +--------------------+\n";
    for (int n = 0; n < sim::kDisplayLines; ++n) {
        std::string text = cp1252_to_utf8(d.lines[n]);
        for (std::size_t i = std::string(d.lines[n]).size(); i < sim::kDisplayColumns; ++i) text += ' ';
        out << (n + 1 == d.highlight ? "  > " : "    ") << "|" << text << "|\n";
    }
    out << "    +--------------------+\n";
    std::cout << out.str();
}

int run(const std::vector<std::string>& argv) {
    const ParsedArgs args = parse_command(argv, {"keys", "time"}, {"json", "unprepared"});
    if (!args.error.empty()) return usage_error("simulate", args.error);
    if (args.positional.size() != 1) return usage_error("simulate", "expects one FILE (kest simulate --help)");
    const auto keyList = args.value("keys");
    if (!keyList) return usage_error("simulate", "--keys is required (an empty list shows the start screen)");

    std::vector<Step> steps;
    std::stringstream list(*keyList);
    std::string error;
    for (std::string name; std::getline(list, name, ',');) {
        const auto step = parse_key(name, error);
        if (!step) return usage_error("simulate", error);
        steps.push_back(*step);
    }
    std::optional<LocalTime> time;
    if (const auto text = args.value("time")) {
        time = parse_time(*text, error);
        if (!time) return usage_error("simulate", error);
    }

    auto loaded = load_project("simulate", args.positional[0]);
    if (!loaded) return kExitBadInput;
    Project& project = *loaded->project;
    const bool prepared = !args.flag("unprepared");
    if (prepared) project = sim::prepared_forms(normalised_forms(project));
    EditorState editor;
    SimulationClock clock(time);
    sim::Engine engine(project, editor, clock);
    if (prepared) engine.forms_prepared();
    engine.show_start_screen();

    std::vector<std::string> messages;
    for (const Step& step : steps) {
        if (step.key == 0) {
            for (long i = 0; i < step.ticks; ++i) engine.tick();
        } else if (engine.key(step.key) == sim::Outcome::kCannotStart) {
            messages.push_back(std::string(sim::kCannotStartCaption) + ": " + sim::kCannotStartText);
        }
    }
    if (args.flag("json"))
        print_json(engine, messages);
    else
        print_text(engine, messages);
    return kExitOk;
}

const Registration registration({"simulate", "run a project on the simulated terminal", kUsage, run});

}  // namespace
}  // namespace kest::cli
