#include <gtest/gtest.h>

#include "kestemu/core/fault_injector.h"
#include "tests/kestemu_harness.h"

namespace kest::emu {
namespace {

using testing::TerminalHarness;

FaultPlan plan_of(const std::string& text) {
    std::string error;
    const auto plan = parse_fault_plan(text, error);
    EXPECT_TRUE(plan) << text << ": " << error;
    return plan.value_or(FaultPlan{});
}

TEST(KestemuFaults, PlanSyntax) {
    const FaultPlan p = plan_of("corrupt-rx=0.02,drop-reply=0.5,nak=1,full-at=150,silence=2000@10,lose-ack=.05");
    EXPECT_DOUBLE_EQ(p[Fault::CorruptRx], 0.02);
    EXPECT_DOUBLE_EQ(p[Fault::DropReply], 0.5);
    EXPECT_DOUBLE_EQ(p[Fault::Nak], 1.0);
    EXPECT_DOUBLE_EQ(p[Fault::LoseAck], 0.05);
    EXPECT_DOUBLE_EQ(p[Fault::DropRx], 0.0);
    EXPECT_EQ(p.fullAt, 150u);
    EXPECT_EQ(p.silenceMs, 2000u);
    EXPECT_EQ(p.silenceAfter, 10u);
    EXPECT_FALSE(plan_of("").fullAt);
}

TEST(KestemuFaults, PlanMistakesAreNamed) {
    const std::pair<const char*, const char*> cases[] = {
        {"nak=2", "nak"},
        {"nak=", "nak"},
        {"nak=0.1x", "nak"},
        {"full-at=-1", "full-at"},
        {"silence=2000", "silence"},
        {"silence=@3", "silence"},
        {"shout=0.1", "shout"},
        {"corrupt-rx", "corrupt-rx"},
        {"late-reply=1.5", "late-reply"},
    };
    for (const auto& [text, named] : cases) {
        std::string error;
        EXPECT_FALSE(parse_fault_plan(text, error)) << text;
        EXPECT_NE(error.find(named), std::string::npos) << text << ": " << error;
    }
}

// Replies of a run of handshakes under the given faults.
std::string run(const std::string& faults, std::uint64_t seed) {
    TerminalHarness t({}, plan_of(faults), seed);
    std::string all;
    for (int i = 0; i < 60; ++i) all += t.exchange("VELMOR\r") + "|";
    return all;
}

TEST(KestemuFaults, SameSeedSameFaults) {
    const std::string faults = "corrupt-rx=0.05,drop-reply=0.2,corrupt-reply=0.2";
    EXPECT_EQ(run(faults, 7), run(faults, 7));
    EXPECT_NE(run(faults, 7), run(faults, 8));
    EXPECT_NE(run(faults, 7), run("", 7)) << "the faults strike at all";
}

TEST(KestemuFaults, OneFaultDoesNotMoveAnother) {
    // drop-reply draws from its own stream: adding nak (never used by handshakes) changes nothing.
    EXPECT_EQ(run("drop-reply=0.3", 3), run("drop-reply=0.3,nak=0.5", 3));
}

TEST(KestemuFaults, FullIsAnsweredOnceTheCountIsStored) {
    TerminalHarness t({}, plan_of("full-at=2"));
    t.send("VELMOR\r");
    for (std::uint8_t b = 0; b < 2; ++b) EXPECT_EQ(t.send(ApplicationDownload::packet(Bytes(100, b), b)), "ACK\r");
    EXPECT_EQ(t.send(ApplicationDownload::packet(Bytes(100, 2), 2)), "FULL\r");
    EXPECT_EQ(t.send(ApplicationDownload::packet(Bytes(100, 1), 1)), "ACK\r") << "a stored block again";

    TerminalHarness lookup({}, plan_of("full-at=1"));
    lookup.send("VELMOR\r");
    EXPECT_EQ(lookup.send(LookupDownload::packet(testing::text("a"))), "ACK\r");
    EXPECT_EQ(lookup.send("OVER\r"), "FULL\r");
}

TEST(KestemuFaults, LostAckMakesTheBlockComeTwiceAndItIsStoredOnce) {
    TerminalHarness t({}, plan_of("lose-ack=1"));
    t.send("VELMOR\r");
    const Bytes p0 = ApplicationDownload::packet(Bytes(100, 9), 0);
    EXPECT_EQ(t.send(p0), "") << "the ACK is lost";
    EXPECT_EQ(t.send(p0), "") << "acknowledged again (and lost again), not stored twice";
    EXPECT_EQ(t.send(ApplicationDownload::packet(Bytes(100, 8), 1)), "");
    EXPECT_EQ(t.send(ApplicationDownload::packet(Bytes(100, 7), 3)), "NAK\r") << "only block 2 may come";
}

TEST(KestemuFaults, LostPcAckMakesTheRecordComeAgain) {
    TerminalConfig config;
    config.records = [] { return std::vector<Bytes>{testing::text("A"), testing::text("B")}; };
    TerminalHarness t(config, plan_of("lose-ack=1"));
    const std::string first = testing::as_text(DataUpload::frame(0, testing::text("A")));
    EXPECT_EQ(t.send("READ\r"), "ACK\r" + first);
    EXPECT_EQ(t.send("ACK\r"), first);
    EXPECT_EQ(t.send("ACK\r"), first);
}

TEST(KestemuFaults, NakRefusesWithoutStoring) {
    TerminalHarness t({}, plan_of("nak=1"));
    t.send("VELMOR\r");
    EXPECT_EQ(t.send(ApplicationDownload::packet(Bytes(100, 1), 0)), "NAK\r");
    EXPECT_EQ(t.send(ApplicationDownload::packet(Bytes(100, 1), 0)), "NAK\r") << "block 0 was not stored";

    TerminalHarness lookup({}, plan_of("nak=1"));
    lookup.send("VELMOR\r");
    EXPECT_EQ(lookup.send(LookupDownload::packet(testing::text("x"))), "NAK\r");
    EXPECT_EQ(lookup.send("OVER\r"), "ACK\r");
    EXPECT_EQ(lookup.state.files["lookup-1.txt"], Bytes{});
}

TEST(KestemuFaults, FlashRecordsAnsweredFfOrFn) {
    for (const auto& [faults, reply] : {std::pair{"ff=1", "FF\r"}, std::pair{"fn=1", "FN\r"}}) {
        TerminalConfig config;
        config.loaderWaiting = true;
        TerminalHarness t(config, plan_of(faults));
        EXPECT_EQ(t.send(FlashRecords::record('3', 0x10, Bytes(4, 1))), reply) << faults;
    }
}

TEST(KestemuFaults, SilenceSwallowsMessagesForAWhile) {
    TerminalHarness t({}, plan_of("silence=2000@2"));
    EXPECT_EQ(t.send("VELMOR\r"), "ACK\r");
    EXPECT_EQ(t.send("VELMOR\r"), "") << "the second message starts the silence";
    EXPECT_EQ(t.send("VELMOR\r"), "");
    t.wait(2000 * kMillis);
    EXPECT_EQ(t.send("VELMOR\r"), "ACK\r");
}

TEST(KestemuFaults, DamagedOrLostBytesSpoilTheMessage) {
    for (const char* faults : {"corrupt-rx=1", "drop-rx=1"}) {
        TerminalHarness t({}, plan_of(faults));
        const std::string reply = t.exchange("VELMOR\r");
        EXPECT_EQ(reply.find("ACK"), std::string::npos) << faults;
    }
    TerminalHarness t({}, plan_of("drop-rx=0.01"), 5);
    t.send("VELMOR\r");
    int naks = 0;
    for (std::uint8_t b = 0; b < 20; ++b) {
        const Bytes p = ApplicationDownload::packet(Bytes(100, b), b);
        std::string reply = t.exchange(p);
        for (int tries = 0; reply != "ACK\r" && tries < 10; ++tries, ++naks) reply = t.exchange(p);
        EXPECT_EQ(reply, "ACK\r") << "block " << int(b) << " goes through when sent again";
    }
    EXPECT_GT(naks, 0) << "most packets lose a byte";
}

// A late reply holds back what the terminal says after it, as one line would, and comes in
// the end.
TEST(KestemuFaults, LateRepliesComeLateAndInOrder) {
    TerminalHarness t({}, plan_of("late-reply=0.3"), 3);
    std::string replies, expected;
    for (int i = 0; i < 40; ++i) {
        replies += t.send("VELMOR\r");
        expected += "ACK\r";
        for (std::size_t k = 1; k < t.pending.size(); ++k)
            EXPECT_LE(t.pending[k - 1].at, t.pending[k].at) << "a reply overtook a late one";
    }
    EXPECT_LT(replies.size(), expected.size()) << "some replies are late";
    replies += t.wait(40 * Micros(FaultInjector::kLongestLateMs) * kMillis);
    EXPECT_EQ(replies, expected);
}

TEST(KestemuFaults, DamagedReplyDiffersFromTheReply) {
    TerminalHarness t({}, plan_of("corrupt-reply=1"));
    const std::string reply = t.send("VELMOR\r");
    EXPECT_EQ(reply.size(), 4u);
    EXPECT_NE(reply, "ACK\r");
}

}  // namespace
}  // namespace kest::emu
