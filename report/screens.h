// The screens of a report, taken from the simulation engine: every form and menu in use as
// the simulated terminal shows it when it starts, the keys that lead there from the start
// screen, and the record each form builds from sample input that fits its lines.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "project/project.h"
#include "report/routes.h"
#include "simulator/display_state.h"

namespace kest::report {

// One step of a simulated run: a key code, or `ticks` timer ticks when key is 0.
struct Step {
    int key = 0;
    int ticks = 0;
    bool operator==(const Step&) const = default;
};
// The steps as `kest simulate --keys` takes them: "1,alpha,2,tick:7,enter".
std::string keys_text(const std::vector<Step>& steps);

// The project as `kest simulate` runs it: the forms normalised and prepared as the editor
// does when its form page is applied.
std::unique_ptr<Project> simulation_copy(const Project& project);

// A copy of the simulation project from whose start screen two keys reach `target`, for a
// form or menu no keys lead to: for a form, menu 1 becomes a single item leading to it and
// the program starts with menu 1 ("1,1"); for a menu, form 1 becomes a single number line
// leading to it and the program starts with form 1 ("1,enter").
std::unique_ptr<Project> launcher_copy(const Project& simulation, int target);

// The input a line of this type takes as a sample: its length is within the line's minimum
// and maximum, its characters are ones the type accepts and the keypad types.
std::string sample_input(u8 type, u8 minLength, u8 maxLength);

struct Screen {
    int object = 0;             // jump target of the form or menu
    bool launched = false;      // no keys lead there: the keys run on launcher_copy
    std::vector<Step> keys;     // from the start screen
    std::vector<Route> route;   // the routes the keys follow; empty when launched
    sim::DisplayState display;  // what the terminal shows after the keys
};

// A stretch of a record: the stamp, the delimiters before a field, or a field's prefix,
// value or suffix.
struct Segment {
    enum Kind { Stamp, Delimiter, Prefix, Value, Suffix } kind;
    int line;  // form line 0-7 of the field; -1 for the stamp
    std::size_t begin;
    std::size_t end;
};

struct SampleRecord {
    bool built = false;               // the form completed with the sample input
    std::vector<Step> keys;           // after the screen's keys, on a copy that passes the record down
    std::string text;                 // the record the engine built (Windows-1252)
    std::vector<std::string> inputs;  // per line what the sample put into it
    std::vector<Segment> segments;    // empty when the fields cannot be told apart
};

struct Screens {
    std::vector<Screen> screens;        // the objects asked for, in their order
    std::vector<SampleRecord> records;  // per screen; built only for forms
};

// Runs the engine over copies of the project (the project itself is not changed).
Screens take_screens(const Project& project, const std::vector<int>& objects, const LocalTime& time);

// A copy of the simulation project on which a form passes its record down, so that the
// engine builds it whatever the form does with it, and then returns to the start screen, so
// that no pass-down line of the next form cuts it.
std::unique_ptr<Project> record_copy(const Project& simulation, int form);

}  // namespace kest::report
