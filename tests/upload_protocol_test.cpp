#include "link/upload.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/emulated_port.h"
#include "tests/support/fake_clock.h"

namespace kest {
namespace {

using testing::EmulatedPort;
using testing::FakeClock;

// Keeps the records it is given, except the one it cannot keep, and notes how many "ACK"s
// the PC had written when each record reached it.
struct Sink final : RecordSink {
    const EmulatedPort& port;
    std::size_t refuse = 0;  // the 1-based record it cannot keep; 0: none
    std::vector<std::string> kept;
    std::vector<int> acksBefore;
    std::vector<std::string> calls;

    explicit Sink(const EmulatedPort& p) : port(p) {}

    int acks() const {
        int n = 0;
        for (const auto& w : port.writes()) n += std::string(w.begin(), w.end()) == "ACK\r";
        return n;
    }
    bool store(std::span<const std::uint8_t> data) override {
        acksBefore.push_back(acks());
        if (kept.size() + 1 == refuse) return false;
        kept.emplace_back(data.begin(), data.end());
        return true;
    }
    void begin() override { calls.push_back("begin"); }
    void stored(int count) override { calls.push_back("stored " + std::to_string(count)); }
    void end(int count) override { calls.push_back("end " + std::to_string(count)); }
};

// A record reaches the sink before its "ACK" is written; a record the sink cannot keep is
// never acknowledged, so the terminal still holds it.
TEST(ReceiveRecords, EachRecordIsStoredBeforeItsAcknowledgement) {
    const std::vector<std::string> records = {"A", "BB", "CCC", "DDDD"};
    for (std::size_t refuse : {0, 1, 3}) {
        SCOPED_TRACE("refuse " + std::to_string(refuse));
        FakeClock clock;
        emu::EmulatorConfig config;
        config.direct = true;
        EmulatedPort port(clock, config);
        port.set_records(records);
        Link link(port, clock);
        ASSERT_TRUE(link.open("COM1", kInQueue, kUploadOutQueue));
        link.set_line(0);
        ASSERT_TRUE(link.apply());
        const Connection c = connect(link);
        ASSERT_EQ(c.end, Connect::Connected);
        EXPECT_EQ(c.reads, 1);

        Sink sink(port);
        sink.refuse = refuse;
        const Received r = receive_records(link, sink);
        const std::size_t stored = refuse ? refuse - 1 : records.size();
        EXPECT_EQ(r.end, refuse ? ReceiveEnd::StoreFailed : ReceiveEnd::Over);
        EXPECT_EQ(r.records, static_cast<int>(stored));
        EXPECT_EQ(sink.kept, std::vector<std::string>(records.begin(), records.begin() + stored));
        std::uint64_t bytes = 0;
        std::vector<std::string> calls = {"begin"};
        for (std::size_t i = 0; i < stored; ++i) {
            bytes += records[i].size();
            calls.push_back("stored " + std::to_string(i + 1));
        }
        calls.push_back("end " + std::to_string(stored));
        EXPECT_EQ(r.bytes, bytes);
        EXPECT_EQ(sink.calls, calls);
        for (std::size_t i = 0; i < sink.acksBefore.size(); ++i) EXPECT_EQ(sink.acksBefore[i], static_cast<int>(i));
        EXPECT_EQ(sink.acks(), static_cast<int>(stored));
    }
}

}  // namespace
}  // namespace kest
