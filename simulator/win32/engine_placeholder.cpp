// Stand-in for the simulation engine until it is part of the core: shows the start screen
// texts and the clock line, and ignores keys. Built only while simulator/engine.cpp is absent.
#include <cstring>

#include "simulator/clock_line.h"
#include "simulator/engine.h"

namespace kest::sim {

Engine::Engine(Project& project, EditorState& editor, Clock& clock)
    : project_(project), editor_(editor), clock_(clock) {}

void Engine::show_start_screen() {
    display_ = {};
    display_.state = kStateStart;
    display_.largeFont = true;
    display_.highlight = 1;
    for (int i = 0; i < 4; ++i) std::strncpy(display_.lines[i], project_.texts.t0[i], 15);
    repaint_.whole = true;
}

Outcome Engine::key(int code) {
    if (code == kKeyRestart) show_start_screen();
    return Outcome::kDone;
}

void Engine::tick() {
    tick_ = (tick_ + 1) % 10;
    std::string line = terminal::clock_line(clock_.local_time(), tick_, editor_.recordCount,
                                            project_.options.separateFilePerForm != 0);
    std::strncpy(display_.clockLine, line.c_str(), kDisplayColumns);
    repaint_.clock = true;
}

void Engine::prepare_forms() {}

Repaint Engine::take_repaint() {
    Repaint repaint = repaint_;
    repaint_ = {};
    return repaint;
}

}  // namespace kest::sim
