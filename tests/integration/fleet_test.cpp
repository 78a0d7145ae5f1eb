// kest against several kestemu processes at once: one transfer per port, each port's outcome
// its own, the summary and its JSON, uploads into a folder, stations where terminals come
// and go.
#include <signal.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <memory>
#include <sstream>

#include "common/json.h"
#include "tests/integration/background.h"
#include "tests/integration/kestemu_process.h"
#include "tests/integration/run_tool.h"
#include "tests/support/srec_text.h"

namespace kest::testing {
namespace {

namespace fs = std::filesystem;

ToolRun kest(const std::vector<std::string>& args) { return run_tool(tool_path("KEST_BIN"), args); }

// The transfers of a --json summary by port.
std::map<std::string, std::vector<const JsonValue*>> by_port(const JsonValue& summary) {
    std::map<std::string, std::vector<const JsonValue*>> out;
    if (const JsonValue* list = summary.member("transfers"))
        for (const JsonValue& t : list->items) out[t.member("port")->text].push_back(&t);
    return out;
}

JsonValue parsed(const std::string& text) {
    JsonParse p = parse_json(text);
    EXPECT_TRUE(p.value) << p.error << "\n" << text;
    return p.value ? *p.value : JsonValue{};
}

std::string text_of(const std::vector<unsigned char>& bytes) { return std::string(bytes.begin(), bytes.end()); }

class Fleet : public ::testing::Test {
protected:
    void SetUp() override {
        if (tool_path("KESTEMU_BIN").empty()) GTEST_SKIP() << "no kestemu in this build";
    }
    TempDir dir;
    std::vector<std::unique_ptr<KestemuProcess>> terminals;

    KestemuProcess& terminal(std::vector<std::string> options) {
        terminals.push_back(std::make_unique<KestemuProcess>(options));
        EXPECT_TRUE(terminals.back()->ok());
        return *terminals.back();
    }
    // -p for every terminal started, in order.
    std::vector<std::string> ports() const {
        std::vector<std::string> args;
        for (const auto& t : terminals) args.insert(args.end(), {"-p", t->link()});
        return args;
    }
};

// Four ports, one of them silent and one refusing: each is reported for what it met, the
// other two complete with exactly what was sent, and the status is the most severe.
TEST_F(Fleet, EachPortsOutcomeIsItsOwn) {
    ASSERT_EQ(kest({"new", dir.file("p.agx")}).status, 0);
    ASSERT_EQ(kest({"image", dir.file("p.agx"), "-o", dir.file("p.bin")}).status, 0);
    std::vector<std::uint8_t> program(3000);
    for (std::size_t i = 0; i < program.size(); ++i) program[i] = static_cast<std::uint8_t>(i * 13 + 5);
    const std::string shx = srec_lines('3', 0x20000, program, 16) + srec_line('7', 0x20000, {});
    TempDir::write(dir.file("p.shx"), std::vector<unsigned char>(shx.begin(), shx.end()));

    const struct {
        const char* command;
        std::string file;
        std::vector<std::string> refusing;  // the refusing terminal's options
        const char* refused;                // its result
        std::string stored;                 // what the others hold
        std::string expected;
    } cases[] = {
        {"download",
         dir.file("p.agx"),
         {"--faults", "full-at=0"},
         "memory-full",
         "image.bin",
         text_of(TempDir::read(dir.file("p.bin")))},
        {"flash",
         dir.file("p.shx"),
         {"--flash-base", "0x100000"},
         "record-refused",
         "flash.bin",
         std::string(program.begin(), program.end())},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.command);
        terminals.clear();
        terminal({"--direct"});
        terminal({"--direct", "--faults", "silence=600000@1"});
        std::vector<std::string> refusing{"--direct"};
        refusing.insert(refusing.end(), c.refusing.begin(), c.refusing.end());
        terminal(refusing);
        terminal({"--direct", "--pace"});
        std::vector<std::string> args{c.command, c.file, "--json", "--retries", "0", "-b", "115200"};
        const auto p = ports();
        args.insert(args.end(), p.begin(), p.end());
        const ToolRun run = kest(args);
        EXPECT_EQ(run.status, 4) << run.err;  // no answer is more severe than a refusal
        const JsonValue summary = parsed(run.out);
        EXPECT_EQ(summary.member("status")->number, 4);
        auto transfers = by_port(summary);
        const char* expected[] = {"ok", "no-answer", c.refused, "ok"};
        for (std::size_t i = 0; i < terminals.size(); ++i) {
            ASSERT_EQ(transfers[terminals[i]->link()].size(), 1u);
            const JsonValue& t = *transfers[terminals[i]->link()][0];
            EXPECT_EQ(t.member("result")->text, expected[i]) << terminals[i]->link();
            if (expected[i] == std::string("ok")) {
                EXPECT_TRUE(text_of(TempDir::read((terminals[i]->state() / c.stored).string())) == c.expected)
                    << terminals[i]->link() << " does not hold what was sent";
            }
        }
        // Every line on stderr names its port.
        std::istringstream lines(run.err);
        for (std::string line; std::getline(lines, line);) EXPECT_EQ(line.rfind("kestemu-", 0), 0u) << line;
    }
}

// A terminal unplugged part-way (its emulator gone with its line): that port fails, the
// others go on to the end with every block.
TEST_F(Fleet, AnUnpluggedTerminalLeavesTheOthersAlone) {
    ASSERT_EQ(kest({"new", dir.file("p.agx")}).status, 0);
    ASSERT_EQ(kest({"image", dir.file("p.agx"), "-o", dir.file("p.bin")}).status, 0);
    for (int i = 0; i < 3; ++i) terminal({"--direct", "--pace"});
    std::vector<std::string> args{"download", dir.file("p.agx"), "-b", "38400", "-v", "--json", "--retries", "0"};
    const auto p = ports();
    args.insert(args.end(), p.begin(), p.end());
    Background run(args);
    const std::string gone = fs::path(terminals[1]->link()).parent_path().filename().string() + "/tty: ";
    ASSERT_TRUE(run.wait_for(gone, 20)) << run.err();
    terminals[1]->stop();
    ASSERT_EQ(run.stop(0), 1) << run.err();
    const JsonValue summary = parsed(run.out());
    auto transfers = by_port(summary);
    for (std::size_t i = 0; i < terminals.size(); ++i) {
        ASSERT_EQ(transfers[terminals[i]->link()].size(), 1u);
        const JsonValue& t = *transfers[terminals[i]->link()][0];
        if (i == 1) {
            EXPECT_NE(t.member("result")->text, "ok");
            EXPECT_LT(t.member("done")->number, 200);
        } else {
            EXPECT_EQ(t.member("result")->text, "ok");
            EXPECT_EQ(TempDir::read((terminals[i]->state() / "image.bin").string()), TempDir::read(dir.file("p.bin")));
        }
    }
}

TEST_F(Fleet, UploadsOfSeveralTerminalsGoIntoAFileEach) {
    const std::string out = dir.file("daten") + "/";
    fs::create_directory(out);
    std::map<std::string, std::string> records;
    for (int i = 0; i < 3; ++i) {
        const std::string file = dir.file("records" + std::to_string(i) + ".txt");
        std::string text;
        for (int r = 0; r < 20 + i * 7; ++r) text += "T" + std::to_string(i) + ";" + std::to_string(r) + "\r\n";
        TempDir::write(file, std::vector<unsigned char>(text.begin(), text.end()));
        records[terminal({"--direct", "--records", file}).link()] = text;
    }
    std::vector<std::string> args{"upload", "-o", out, "--json"};
    const auto p = ports();
    args.insert(args.end(), p.begin(), p.end());
    const ToolRun run = kest(args);
    EXPECT_EQ(run.status, 0) << run.err;
    std::size_t files = 0;
    const JsonValue summary = parsed(run.out);
    for (const auto& [port, transfers] : by_port(summary)) {
        ASSERT_EQ(transfers.size(), 1u);
        const std::string file = transfers[0]->member("file")->text;
        // Named by port and time: kestemu-XXXXXX-tty-YYYYMMDD-HHMM.txt
        const std::string name = fs::path(file).filename().string();
        EXPECT_EQ(name.find(fs::path(port).parent_path().filename().string() + "-tty-"), 0u) << name;
        EXPECT_EQ(name.size(), fs::path(port).parent_path().filename().string().size() + 22) << name;
        EXPECT_EQ(text_of(TempDir::read(file)), records[port]) << port;
        ++files;
    }
    EXPECT_EQ(files, 3u);
    EXPECT_EQ(std::distance(fs::directory_iterator(out), fs::directory_iterator()), 3);

    // A single file cannot take the records of several terminals.
    const struct {
        std::vector<std::string> args;
        std::string said;
    } refused[] = {
        {{"upload", "-o", dir.file("d.txt")}, "with several ports give a folder, -o DIR/"},
        {{"upload", "-o", dir.file("d.txt"), "--append"}, "with several ports give a folder, -o DIR/"},
        {{"upload", "-o", dir.file("kein") + "/"}, "no such folder"},
    };
    for (const auto& r : refused) {
        std::vector<std::string> a = r.args;
        a.insert(a.end(), p.begin(), p.end());
        const ToolRun bad = kest(a);
        EXPECT_EQ(bad.status, 2);
        EXPECT_NE(bad.err.find(r.said), std::string::npos) << bad.err;
    }
    const ToolRun station = kest({"upload", "--wait", "-o", dir.file("d.txt"), "-p", terminals[0]->link()});
    EXPECT_EQ(station.status, 2);
    EXPECT_NE(station.err.find("--wait writes one data file per terminal"), std::string::npos) << station.err;
}

// A roll-out station: a terminal set in gets the application once, however long it stays;
// taken out and set in again, it gets it again; Ctrl+C ends the station with the summary.
TEST_F(Fleet, StationServesTerminalsThatComeAndGo) {
    ASSERT_EQ(kest({"new", dir.file("p.agx")}).status, 0);
    ASSERT_EQ(kest({"image", dir.file("p.agx"), "-o", dir.file("p.bin")}).status, 0);
    KestemuProcess& a = terminal({"--direct"});
    KestemuProcess& b = terminal({"--direct"});
    kill(b.pid(), SIGUSR1);  // b's terminal is not in its cradle yet
    std::vector<std::string> args{"download", dir.file("p.agx"), "--wait", "--json", "-v", "-b", "115200"};
    const auto p = ports();
    args.insert(args.end(), p.begin(), p.end());
    Background station(args);
    const std::string aName = fs::path(a.link()).parent_path().filename().string() + "/tty: ";
    const std::string bName = fs::path(b.link()).parent_path().filename().string() + "/tty: ";
    ASSERT_TRUE(station.wait_for(aName + "Download: Downloaded komplett!", 1)) << station.err();
    kill(b.pid(), SIGUSR2);
    ASSERT_TRUE(station.wait_for(bName + "Download: Downloaded komplett!", 1)) << station.err();
    // a stays in its cradle and is asked on, but gets nothing more; taken out, it is asked
    // in vain until the station counts it gone.
    const int asked = station.count(aName);
    ASSERT_TRUE(station.wait_for(aName, asked + 4));
    kill(a.pid(), SIGUSR1);
    auto unanswered = [&] {
        int n = 0;
        std::istringstream lines(station.err());
        for (std::string line; std::getline(lines, line);)
            n += line.rfind(aName, 0) == 0 && line.find("<- nothing (time-out)") != std::string::npos;
        return n;
    };
    const int before = unanswered();
    for (int i = 0; i < 1500 && unanswered() < before + 2; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ASSERT_GE(unanswered(), before + 2) << station.err();
    kill(a.pid(), SIGUSR2);
    ASSERT_TRUE(station.wait_for(aName + "Download: Downloaded komplett!", 2)) << station.err();
    EXPECT_EQ(station.stop(SIGINT), 130) << station.err();

    const JsonValue summary = parsed(station.out());
    auto transfers = by_port(summary);
    EXPECT_EQ(transfers[a.link()].size(), 2u);
    EXPECT_EQ(transfers[b.link()].size(), 1u);
    for (const auto& [port, list] : transfers)
        for (const JsonValue* t : list) EXPECT_EQ(t->member("result")->text, "ok") << port;
    for (KestemuProcess* t : {&a, &b})
        EXPECT_EQ(TempDir::read((t->state() / "image.bin").string()), TempDir::read(dir.file("p.bin")));
}

}  // namespace
}  // namespace kest::testing
