// Time the simulation engine needs per key press and per timer tick. The terminal window
// calls it on every click and every 100 ms, so both must stay far below a millisecond.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>

#include "project/defaults.h"
#include "simulator/engine.h"
#include "simulator/form_preparation.h"

namespace {

class StillClock final : public kest::Clock {
public:
    std::uint32_t ticks() override { return 0; }
    void sleep(std::uint32_t) override {}
    kest::LocalTime local_time() override { return {2026, 12, 8, 9, 30, 0}; }
};

template <typename Step>
void measure(const char* what, long count, Step step) {
    const auto start = std::chrono::steady_clock::now();
    for (long i = 0; i < count; ++i) step(i);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%-44s %8.3f us\n", what, seconds * 1e6 / static_cast<double>(count));
}

}  // namespace

int main() {
    using namespace kest;
    auto project = std::make_unique<Project>();
    std::memset(project.get(), 0, sizeof(Project));
    reset_to_defaults(*project);
    FormRecord& form = project->forms[0];
    const u8 types[kFormLines] = {kFieldText,     kFieldContinuation, kFieldContinuation, kFieldInteger,
                                  kFieldPassDown, kFieldContinuation, kFieldCounter,      kFieldText};
    for (int line = 0; line < kFormLines; ++line) {
        form.lineType[line] = types[line];
        set_cell(form.prompt[line], "Feld:");
        form.fillChar[line] = '_';
    }
    form.recordAction = kRecordPassDown;
    form.stampPosition = 2;
    EditorState editor;
    StillClock clock;
    *project = sim::prepared_forms(*project);
    sim::Engine engine(*project, editor, clock);
    engine.forms_prepared();
    engine.show_start_screen();

    measure("start screen tick (clock line)", 1000000, [&](long) { engine.tick(); });
    engine.key(1);
    measure("digit key in a form (typing, scrolling)", 1000000, [&](long i) {
        engine.key(1 + static_cast<int>(i % 9));
        if (i % 40 == 39) engine.key(sim::kKeyRestart), engine.key(1);
    });
    measure("multi-tap letter with its 7-tick commit", 200000, [&](long) {
        engine.key(sim::kKeyAlpha);
        engine.key(2);
        for (int t = 0; t < 7; ++t) engine.tick();
        engine.key(sim::kKeyAlpha);
    });
    measure("Enter: next field or record, stamp, new form", 100000, [&](long) {
        for (int f = 0; f < 4; ++f) engine.key(sim::kKeyEnterLeft);
    });
    return 0;
}
