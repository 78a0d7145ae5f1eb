// The simulation engine: an arbitrary project driven by an arbitrary sequence of keys and
// timer ticks. The display stays within its cells, the engine never changes the project,
// and what it hands over into a project is only its working bytes.
#include <cstring>
#include <memory>

#include "fuzz/harness.h"
#include "project/defaults.h"
#include "project/rules.h"
#include "simulator/engine.h"
#include "simulator/form_preparation.h"
#include "tests/support/fake_clock.h"

namespace kest::fuzz {

namespace {

bool terminated(const char* text, std::size_t size, std::size_t longest) {
    const void* end = std::memchr(text, 0, size);
    return end && static_cast<std::size_t>(static_cast<const char*>(end) - text) <= longest;
}

// In a menu the highlight follows the selection, also past the last line: an item without a
// line on the display (the eighth under a title, the ninth and tenth) is selected with
// nothing highlighted. Elsewhere it marks one of the lines or none.
bool highlight_fits(const sim::Engine& engine, const Project& project) {
    const sim::DisplayState& d = engine.display();
    const int menu = engine.current_object() - jump::kFirstMenu;
    if (d.state == sim::kStateMenu && menu >= 0 && menu < kMenuCount)
        return d.highlight == engine.run_state().current_item(menu) + (project.menus[menu].titleEnabled ? 2 : 1);
    return d.highlight >= 0 && d.highlight <= sim::kDisplayLines;
}

std::string check_display(const sim::Engine& engine, const Project& project) {
    const sim::DisplayState& d = engine.display();
    for (const auto& line : d.lines)
        if (!terminated(line, sim::kDisplayCell, sim::kDisplayColumns)) return "a display line is too long";
    if (!terminated(d.clockLine, sim::kDisplayCell, sim::kDisplayColumns)) return "the clock line is too long";
    if (!terminated(engine.pass_down(), sim::kPassDownSize, sim::kPassDownSize - 1))
        return "the passed-down record is not terminated";
    if (!highlight_fits(engine, project)) return "the highlight is off the display or the selection";
    if (d.cursorColumn < 0 || d.cursorColumn > sim::kDisplayColumns || d.cursorRow < 0 ||
        d.cursorRow >= sim::kDisplayLines)
        return "the cursor is off the display";
    if (engine.current_object() < 0 || engine.current_object() > jump::menu(kMenuCount - 1))
        return "the current object is no form or menu";
    switch (d.state) {
    case sim::kStateStart:
    case sim::kStateMenu:
    case sim::kStateForm:
    case sim::kStateUtilities:
    case sim::kStateSettings:
    case sim::kStateSend:
    case sim::kStateMessage: return {};
    default: return "unknown state " + std::to_string(d.state);
    }
}

// The working bytes the engine keeps in the menu and form records, and what starting the
// program clears (prompts and lookup keys of lines without input).
void take_working_bytes(Project& to, Project& from) {
    for (int k = 0; k < kMenuCount; ++k) {
        to.menus[k].itemCount = from.menus[k].itemCount;
        to.menus[k].currentItem = from.menus[k].currentItem;
        to.menus[k].runtime = from.menus[k].runtime;
    }
    for (int k = 0; k < kFormCount; ++k) {
        for (int line = 0; line < kFormLines; ++line) {
            clear_line_by_type(to.forms[k], line);
            clear_line_by_type(from.forms[k], line);
        }
        to.forms[k].entryLineCount = from.forms[k].entryLineCount;
        to.forms[k].currentLine = from.forms[k].currentLine;
    }
}

constexpr LocalTime kTimes[] = {
    {2026, 12, 7, 9, 30, 15}, {2024, 2, 29, 23, 59, 59}, {1999, 12, 31, 0, 0, 0}, {2100, 1, 1, 12, 0, 0}};

}  // namespace

// An optional project (the tables of a project file, when the input is at least that
// long; otherwise a new project), then a setup byte (bit 0: forms prepared as the editor
// prepares them; bits 1-2: the local time), then one byte per step: 0-23 the key code
// (0 is no key), 24 the editor's restart, 25-31 that many ticks as a power of two
// (1-64); bits 5-7 are ignored.
std::string simulator(Input input) {
    auto project = std::make_unique<Project>();
    reset_to_defaults(*project);
    if (input.size() >= sizeof(Project)) {
        std::memcpy(project.get(), input.data(), sizeof(Project));
        input = input.subspan(sizeof(Project));
    }
    const std::uint8_t setup = input.empty() ? 0 : input[0];
    if (!input.empty()) input = input.subspan(1);

    EditorState editor;
    testing::FakeClock clock;
    clock.set_local_time(kTimes[(setup >> 1) & 3]);
    if (setup & 1) *project = sim::prepared_forms(normalised_forms(*project));
    sim::Engine engine(*project, editor, clock);
    if (setup & 1) engine.forms_prepared();
    engine.show_start_screen();
    const auto tables = std::make_unique<Project>(*project);
    if (auto bad = check_display(engine, *project); !bad.empty()) return "start screen: " + bad;

    for (std::size_t i = 0; i < input.size(); ++i) {
        const int step = input[i] & 31;
        if (step < 24) {
            engine.key(step);
        } else if (step == 24) {
            engine.key(sim::kKeyRestart);
        } else {
            for (int t = 0; t < 1 << (step - 25); ++t) engine.tick();
        }
        if (auto bad = check_display(engine, *project); !bad.empty())
            return "after step " + std::to_string(i + 1) + ": " + bad;
        engine.take_repaint();
    }
    if (std::memcmp(tables.get(), project.get(), sizeof(Project)) != 0) return "the engine changed the project";
    engine.hand_over(*project);
    take_working_bytes(*tables, *project);
    const auto* before = reinterpret_cast<const u8*>(tables.get());
    const auto* after = reinterpret_cast<const u8*>(project.get());
    for (std::size_t i = 0; i < sizeof(Project); ++i)
        if (before[i] != after[i])
            return "the engine handed over byte " + std::to_string(i) + " of the project tables, not a working byte";
    return {};
}

}  // namespace kest::fuzz
