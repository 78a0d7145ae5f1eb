#include "simulator/clock_line.h"

#include <gtest/gtest.h>

namespace kest::terminal {
namespace {

TEST(ClockLine, ColonBlinksOncePerSecond) {
    LocalTime t{2026, 12, 8, 9, 5, 0};
    for (int tick = 0; tick < 10; ++tick) {
        std::string line = clock_line(t, tick, 0, true);
        EXPECT_EQ(line, tick < 5 ? "DEC 08, 09:05  " : "DEC 08, 09 05  ") << "tick " << tick;
    }
}

TEST(ClockLine, RecordCounterEndsTheLine) {
    LocalTime t{2026, 1, 31, 23, 59, 0};
    std::string line = clock_line(t, 0, 12, false);
    EXPECT_EQ(line, "JAN 31, 23:59  00012");
    EXPECT_EQ(line.size(), 20u);
    EXPECT_EQ(clock_line(t, 7, 99999, false), "JAN 31, 23 59  99999");
    EXPECT_EQ(clock_line(t, 7, 0, false).substr(15), "00000");
}

TEST(ClockLine, EveryMonthHasItsAbbreviation) {
    const char* months[] = {"JAN ", "FEB ", "MAR ", "APR ", "MAY ", "JUN ",
                            "JUL ", "AUG ", "SEP ", "OCT ", "NOV ", "DEC "};
    for (int m = 1; m <= 12; ++m) {
        EXPECT_EQ(clock_line({2026, m, 1, 0, 0, 0}, 0, 0, true).substr(0, 4), months[m - 1]);
    }
}

}  // namespace
}  // namespace kest::terminal
