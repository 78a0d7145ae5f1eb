// A project on the simulated terminal: defaults plus the forms and menus a test sets up,
// an engine over it and a fake clock. Like agkest, the test reads and writes the records
// only after the engine has handed its bytes over.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <memory>
#include <string>

#include "project/defaults.h"
#include "simulator/engine.h"
#include "simulator/form_preparation.h"
#include "support/fake_clock.h"

namespace kest::sim::testing {

class SimulatorTest : public ::testing::Test {
protected:
    SimulatorTest() : project(std::make_unique<Project>()) { reset_to_defaults(*project); }

    FormRecord& form(int index = 0) { return settled().forms[index]; }
    MenuRecord& menu(int index = 0) { return settled().menus[index]; }
    Project& settled() {
        if (engine) engine->hand_over(*project);
        return *project;
    }
    // The form page's follow-up: the prepared forms into the project, then the engine.
    void prepare_forms() {
        settled() = prepared_forms(*project);
        engine->forms_prepared();
    }

    void set_line(int formIndex, int line, u8 type, const char* prompt = "", int maxLength = 50) {
        FormRecord& f = form(formIndex);
        f.lineType[line] = type;
        kest::set_cell(f.prompt[line], prompt);
        f.maxLength[line] = static_cast<u8>(maxLength);
    }

    // The engine on its start screen.
    Engine& start() {
        engine = std::make_unique<Engine>(*project, editor, clock);
        engine->show_start_screen();
        return *engine;
    }
    // The engine in form 1 (key 1 on the start screen).
    Engine& start_form1() {
        start();
        EXPECT_EQ(engine->key(1), Outcome::kDone);
        EXPECT_EQ(engine->display().state, kStateForm);
        return *engine;
    }

    void keys(std::initializer_list<int> codes) {
        for (int code : codes) engine->key(code);
    }
    void ticks(int count) {
        for (int i = 0; i < count; ++i) engine->tick();
    }
    // Digits and '.', '-' typed in numeric mode.
    void type(const char* text) {
        for (const char* c = text; *c; ++c) {
            if (*c >= '1' && *c <= '9')
                engine->key(*c - '0');
            else if (*c == '0')
                engine->key(kKeyZero);
            else if (*c == '.')
                engine->key(kKeyDot);
            else if (*c == '-')
                engine->key(kKeyDash);
            else
                ADD_FAILURE() << "no numeric key for " << *c;
        }
    }
    // A letter typed in alpha mode with multi-tap and committed by the timer.
    void tap_letter(int key, int presses) {
        for (int i = 0; i < presses; ++i) engine->key(key);
        ticks(7);
    }

    std::string line(int n) const { return engine->display().lines[n]; }
    int cursor_column() const { return engine->display().cursorColumn; }
    int state() const { return engine->display().state; }

    std::unique_ptr<Project> project;
    EditorState editor;
    kest::testing::FakeClock clock;
    std::unique_ptr<Engine> engine;
};

}  // namespace kest::sim::testing
