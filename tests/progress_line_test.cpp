// The progress line of a transfer on a terminal.
#include <gtest/gtest.h>

#include "common/progress_line.h"

namespace kest {
namespace {

TEST(ProgressLine, BarAmountRateAndTimeLeft) {
    struct Case {
        ProgressState state;
        const char* expected;
    };
    const Case cases[] = {
        {{50, 0, 0, "", 9000}, "[##########          ]  50%"},
        {{-3, 0, 0, "", 0}, "[                    ]   0%"},
        {{5, 50, 200, "blocks", 400}, "[#####               ]  25%  50/200 blocks"},
        {{5, 0, 200, "blocks", 3000}, "[                    ]   0%  0/200 blocks"},
        {{90, 100, 200, "blocks", 10000}, "[##########          ]  50%  100/200 blocks  10 blocks/s  0:10 left"},
        {{0, 5000, 10000, "bytes", 1000}, "[##########          ]  50%  5000/10000 bytes  5.0 kB/s  0:01 left"},
        {{0, 300, 1000, "bytes", 1000}, "[######              ]  30%  300/1000 bytes  300 B/s  0:02 left"},
        {{0, 1, 10000, "bytes", 1000}, "[                    ]   0%  1/10000 bytes  1 B/s  2:46:39 left"},
        {{99, 200, 200, "blocks", 20000}, "[####################] 100%  200/200 blocks  10 blocks/s"},
        {{0, 250, 200, "blocks", 20000}, "[####################] 100%  200/200 blocks  10 blocks/s"},
    };
    for (const Case& c : cases) EXPECT_EQ(progress_line(c.state), c.expected);
}

}  // namespace
}  // namespace kest
