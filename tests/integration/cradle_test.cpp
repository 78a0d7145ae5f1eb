// The POSIX link against kestemu over a real pseudo-terminal: the cradle found at each
// rate it may listen on and switched to the chosen one, with data passing afterwards.
#include <gtest/gtest.h>

#include <string>

#include "link/cradle_setup.h"
#include "tests/integration/kestemu_process.h"
#include "tests/integration/run_tool.h"

namespace kest {
namespace {

using testing::KestemuProcess;

// One line from the terminal up to CR (CR dropped), or what came before the deadline.
std::string reply(Link& link, std::uint32_t waitMs) {
    const std::uint32_t deadline = link.now() + waitMs;
    std::string text;
    while (auto b = link.read_byte(deadline)) {
        if (*b == '\r') return text;
        text += static_cast<char>(*b);
    }
    return text + "<time-out>";
}

struct Case {
    std::uint32_t cradleRate;
    int chosen;  // rate index
    const CradleProfile* profile;
};

class CradleOverPty : public ::testing::TestWithParam<Case> {};

TEST_P(CradleOverPty, FoundAndSwitchedThenDataPasses) {
    const Case c = GetParam();
    KestemuProcess emulator({"--cradle-rate", std::to_string(c.cradleRate)});
    ASSERT_TRUE(emulator.ok()) << "kestemu did not start (KESTEMU_BIN)";
    const std::string port = emulator.link();

    auto device = make_serial_port();
    Link link(*device, system_clock());
    ASSERT_TRUE(link.open(port, kInQueue, kDownloadOutQueue));
    link.set_line(c.chosen);
    ASSERT_TRUE(link.apply());
    int found = -1;
    ASSERT_TRUE(cradle_setup(link, c.chosen, *c.profile, &found));
    EXPECT_EQ(kRates[found], c.cradleRate);
    ASSERT_TRUE(link.apply());

    // The terminal behind the cradle answers only if the cradle now passes data at the
    // chosen rate.
    ASSERT_TRUE(link.write(std::string("VELMOR\r")));
    EXPECT_EQ(reply(link, 3000), "ACK");
    link.close(true);
}

INSTANTIATE_TEST_SUITE_P(EveryCradleRate, CradleOverPty,
                         ::testing::Values(Case{9600, 0, &kGeneratorCradle}, Case{115200, 4, &kGeneratorCradle},
                                           Case{38400, 3, &kLoaderCradle}, Case{57600, 2, &kGeneratorCradle},
                                           Case{19200, 1, &kLoaderCradle}));

TEST(KestCradle, ReportsTheRateFoundAndFailsWithoutACradle) {
    const std::string kest = testing::tool_path("KEST_BIN");
    ASSERT_FALSE(kest.empty());
    KestemuProcess emulator({"--cradle-rate", "57600"});
    ASSERT_TRUE(emulator.ok());
    const std::string port = emulator.link();
    auto run = testing::run_tool(kest, {"cradle", "--port", port, "--baud", "9600"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "cradle answered at 57600 bit/s, switched to 9600 bit/s\n");
    // The cradle now listens at 9600: the first probe finds it.
    run = testing::run_tool(kest, {"cradle", "--port", port, "--baud", "19200"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "cradle answered at 9600 bit/s, switched to 19200 bit/s\n");

    emulator.stop();
    run = testing::run_tool(kest, {"cradle", "--port", port, "--baud", "9600"});
    EXPECT_EQ(run.status, 3);
    EXPECT_NE(run.err.find(port), std::string::npos) << run.err;
}

}  // namespace
}  // namespace kest
