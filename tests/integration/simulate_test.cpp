// kest simulate, run as the program on project files that the tests write.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <sstream>

#include "project/defaults.h"
#include "project/project_file.h"
#include "tests/integration/run_tool.h"

namespace kest {
namespace {

using testing::run_tool;
using testing::TempDir;
using testing::ToolRun;

// The display after the keys, read back from --json.
struct Screen {
    std::string json;
    std::vector<std::string> lines;

    // The value of a top-level key as written (numbers, flags, quoted strings).
    std::string operator[](const std::string& key) const {
        const std::string marker = "\"" + key + "\": ";
        const auto at = json.find(marker);
        if (at == std::string::npos) return "<missing " + key + ">";
        auto end = json.find('\n', at);
        std::string value = json.substr(at + marker.size(), end - at - marker.size());
        if (!value.empty() && value.back() == ',') value.pop_back();
        return value;
    }
};

class SimulateTest : public ::testing::Test {
protected:
    SimulateTest() : project(std::make_unique<Project>()) {
        std::memset(project.get(), 0, sizeof(Project));
        reset_to_defaults(*project);
    }

    void line(int formIndex, int n, u8 type, const char* prompt, int maxLength = 50) {
        FormRecord& f = project->forms[formIndex];
        f.lineType[n] = type;
        set_cell(f.prompt[n], prompt);
        f.maxLength[n] = static_cast<u8>(maxLength);
    }
    FormRecord& form(int index = 0) { return project->forms[index]; }

    ToolRun run(const std::vector<std::string>& extra) {
        const std::string file = dir.file("sim.agx");
        TempDir::write(file, project_file_bytes(*project));
        std::vector<std::string> args{"simulate", file};
        args.insert(args.end(), extra.begin(), extra.end());
        return run_tool(testing::tool_path("KEST_BIN"), args);
    }

    Screen simulate(const std::string& keys, const std::string& time = "2007-03-04T05:06:07") {
        const ToolRun r = run({"--keys", keys, "--time", time, "--json"});
        EXPECT_EQ(r.status, 0) << r.err;
        Screen screen{r.out, {}};
        const auto begin = r.out.find("\"lines\": [");
        std::istringstream rows(r.out.substr(begin == std::string::npos ? r.out.size() : begin));
        std::string row;
        std::getline(rows, row);
        while (std::getline(rows, row) && row.find(']') == std::string::npos) {
            const auto open = row.find('"');
            const auto close = row.rfind('"');
            screen.lines.push_back(row.substr(open + 1, close - open - 1));
        }
        EXPECT_EQ(screen.lines.size(), 8u) << r.out;
        screen.lines.resize(8);
        return screen;
    }

    std::unique_ptr<Project> project;
    TempDir dir;
};

TEST_F(SimulateTest, StartScreenHighlightAndSendScreen) {
    Screen s = simulate("");
    EXPECT_EQ(s["state"], "10");
    EXPECT_EQ(s["highlight"], "1");
    EXPECT_EQ(s["large_font"], "true");
    EXPECT_EQ(s.lines[0], "1.Programm     ");
    EXPECT_EQ(simulate("down,down,down")["highlight"], "1");
    EXPECT_EQ(simulate("up")["highlight"], "3");
    s = simulate("down,enter");
    EXPECT_EQ(s["state"], "500");
    EXPECT_EQ(s["highlight"], "0");
    s = simulate("down,enter,esc");
    EXPECT_EQ(s["state"], "10");
    EXPECT_EQ(s["highlight"], "2");
}

TEST_F(SimulateTest, ClockLineShowsTheRecordCounter) {
    line(0, 0, kFieldInteger, "Nr:", 5);
    form().nextTarget = jump::kStartScreen;
    const Screen s = simulate("1,7,enter,1,8,enter2,tick");
    EXPECT_EQ(s["records"], "2");
    EXPECT_EQ(s["state"], "10");
    EXPECT_EQ(s["highlight"], "1");
    EXPECT_EQ(s["clock"], "\"MAR 04, 05:06  00002\"");
}

TEST_F(SimulateTest, ProgramThatCannotStart) {
    const ToolRun r = run({"--keys", "1"});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("Bitte Programm auswaehlen!"), std::string::npos);
}

TEST_F(SimulateTest, TitledMenuWithNineItems) {
    project->options.startObject = 1;
    MenuRecord& m = project->menus[0];
    m.titleEnabled = 1;
    set_cell(m.title, "MENUE");
    for (int i = 0; i < 9; ++i) {
        set_cell(m.items[i], "Punkt " + std::to_string(i + 1));
        m.itemTarget[i] = static_cast<u8>(jump::kFirstForm + i);
    }
    for (int f = 0; f < kFormCount; ++f) line(f, 0, kFieldText, ("Maske " + std::to_string(f + 1)).c_str());
    Screen s = simulate("1");
    EXPECT_EQ(s["state"], "100");
    EXPECT_EQ(s["object"], "11");
    EXPECT_EQ(s.lines[0], "MENUE");
    EXPECT_EQ(s.lines[7], "Punkt 7");
    EXPECT_EQ(s["highlight"], "2");
    s = simulate("1,down,down,down,down,down,down,down,down,down");
    EXPECT_EQ(s["highlight"], "9");
    EXPECT_EQ(s.lines[7], "Punkt 7");
    s = simulate("1,8");
    EXPECT_EQ(s["object"], "8");
    EXPECT_EQ(s.lines[0], "Maske 8");
    EXPECT_EQ(simulate("1,9")["object"], "9");
    EXPECT_EQ(simulate("1,0")["object"], "11");  // no tenth item
}

TEST_F(SimulateTest, FormStartsOnItsFirstInputLineAndIgnoresCursorDown) {
    line(0, 0, kFieldHeading, "INVENTUR");
    line(0, 1, kFieldInteger, "Menge:", 5);
    line(0, 2, kFieldInteger, "Platz:", 5);
    Screen s = simulate("1");
    EXPECT_EQ(s["state"], "110");
    EXPECT_EQ(s["object"], "1");
    EXPECT_EQ(s["cursor"], "[6, 1]");
    EXPECT_EQ(s.lines[0], "INVENTUR");
    s = simulate("1,4,down,up");
    EXPECT_EQ(s["cursor"], "[7, 1]");
    s = simulate("1,4,enter,2,up");
    EXPECT_EQ(s["cursor"], "[6, 1]");
    EXPECT_EQ(s.lines[2], "Platz:2");
}

TEST_F(SimulateTest, MultiTapLetters) {
    line(0, 0, kFieldText, "Name:", 10);
    Screen s = simulate("1,alpha,2,2,2");
    EXPECT_EQ(s["alpha"], "true");
    EXPECT_EQ(s["pending"], "\"C\"");
    EXPECT_EQ(s.lines[0], "Name:");
    s = simulate("1,alpha,2,2,2,tick:6");
    EXPECT_EQ(s.lines[0], "Name:");
    s = simulate("1,alpha,2,2,2,tick:7");
    EXPECT_EQ(s.lines[0], "Name:C");
    EXPECT_EQ(s["pending"], "null");
    s = simulate("1,alpha,2,3");
    EXPECT_EQ(s.lines[0], "Name:A");
    EXPECT_EQ(s["pending"], "\"D\"");
    EXPECT_EQ(s["cursor"], "[6, 0]");
}

TEST_F(SimulateTest, ContinuationLinesTakeTheirLengths) {
    line(0, 0, kFieldText, "123456789012", 40);
    line(0, 1, kFieldContinuation, "");
    line(0, 2, kFieldContinuation, "");
    form().recordAction = kRecordPassDown;
    form().nextTarget = jump::kStartScreen;
    std::string keys = "1";
    for (int i = 0; i < 45; ++i) keys += "," + std::to_string(i % 10);
    Screen s = simulate(keys);
    EXPECT_EQ(s.lines[0], "12345678901201234567");
    EXPECT_EQ(s.lines[1], "89012345678901234567");
    EXPECT_EQ(s.lines[2], "890123456784");  // twelve: the 41st and later overwrite the last
    s = simulate(keys + ",enter");
    EXPECT_EQ(s["passdown"], "\"0123456789012345678901234567890123456784\"");
    EXPECT_EQ(s["records"], "1");
}

TEST_F(SimulateTest, TypeCheckMessageAndTheNextKeyRestores) {
    line(0, 0, kFieldInteger, "Menge:", 5);
    Screen s = simulate("1,1,dot");
    EXPECT_EQ(s["state"], "999");
    EXPECT_EQ(s.lines[4], "********************");
    EXPECT_EQ(s.lines[5], "Datentyp falsch!    ");
    EXPECT_EQ(s.lines[0], "Menge:1");
    s = simulate("1,1,alpha,2,tick:7");
    EXPECT_EQ(s["state"], "999");
    s = simulate("1,1,dot,bs");
    EXPECT_EQ(s["state"], "110");
    EXPECT_EQ(s.lines[0], "Menge:1");
    EXPECT_EQ(s.lines[5], "");
}

TEST_F(SimulateTest, DefaultValueAndMaxLength) {
    line(0, 0, kFieldInteger, "Nr:", 5);
    form().defaultOn[0] = 1;
    set_cell(form().defaultValue[0], "99");
    EXPECT_EQ(simulate("1").lines[0], "Nr:99");
    EXPECT_EQ(simulate("1,4").lines[0], "Nr:4");
    EXPECT_EQ(simulate("1,1,2,3,4,5,6,7").lines[0], "Nr:12347");
}

TEST_F(SimulateTest, ScrollingFieldAndBackspace) {
    line(0, 0, kFieldText, "12345", 30);
    std::string keys = "1";
    for (int i = 0; i < 14; ++i) keys += ",1";
    Screen s = simulate(keys);
    EXPECT_EQ(s["cursor"], "[19, 0]");
    s = simulate(keys + ",2,3");
    EXPECT_EQ(s.lines[0], "1234511111111111123");
    EXPECT_EQ(s["cursor"], "[19, 0]");
    s = simulate(keys + ",2,3,bs");
    EXPECT_EQ(s.lines[0], "1234511111111111112");
}

class SimulateRecordTest : public SimulateTest {
protected:
    void SetUp() override {
        line(0, 0, kFieldInteger, "Z:", 10);
        line(0, 1, kFieldLetter, "B:", 10);
        form().recordAction = kRecordPassDown;
        project->options.delimiter1 = ',';
        project->options.delimiter2 = 0;
    }
    std::string record() { return simulate("1,1,2,enter,alpha,2,tick:7,2,2,enter")["passdown"]; }
};

TEST_F(SimulateRecordTest, TwoFieldsWithADelimiter) { EXPECT_EQ(record(), "\"12,AB\""); }

TEST_F(SimulateRecordTest, FixedLengthAlignment) {
    form().fixedLengthOn[0] = 1;
    form().fixedLength[0] = 5;
    form().justify[0] = 3;
    EXPECT_EQ(record(), "\"00012,AB\"");
    form().justify[0] = 0;
    EXPECT_EQ(record(), "\"12   ,AB\"");
}

TEST_F(SimulateRecordTest, TwoDigitYearStamp) {
    form().stampPosition = 2;
    form().yearDigits = 1;
    EXPECT_EQ(record(), "\"12,AB,07.03.04,05:06:07\"");
}

TEST_F(SimulateTest, TextOutputAndBadArguments) {
    ToolRun r = run({"--keys", "down", "--time", "2026-12-08T09:05:01"});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("state:      10 (start screen)"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("  > |2.Daten senden      |"), std::string::npos) << r.out;
    EXPECT_EQ(run({}).status, 2);
    const struct {
        const char* keys;
        const char* time;
        const char* error;  // nullptr: accepted
    } cases[] = {
        {"1,banana", nullptr, "unknown key 'banana'"},
        {"tick:x", nullptr, "'tick:x' needs a number of ticks"},
        {"tick:999999999", nullptr, "'tick:999999999' asks for too many ticks (at most 1000000"},
        {"tick:123456789012", nullptr, "too many ticks"},
        {"1", "2026-13-01T00:00:00", "2026-13-01 is not a date"},
        {"1", "2023-02-31T00:00:00", "2023-02-31 is not a date"},
        {"1", "2100-02-29T00:00:00", "2100-02-29 is not a date"},
        {"1", "2026-04-31T00:00:00", "2026-04-31 is not a date"},
        {"1", "2026-12-08T24:00:00", "24:00:00 is not a time of day"},
        {"1", "2026-12-08T09:05:6x", "--time wants YYYY-MM-DDTHH:MM:SS"},
        {"1", "yesterday", "--time wants YYYY-MM-DDTHH:MM:SS"},
        {"1", "2000-02-29T23:59:59", nullptr},
        {"tick:1000000", "2024-02-29T00:00:00", nullptr},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = {"--keys", c.keys};
        if (c.time) args.insert(args.end(), {"--time", c.time});
        r = run(args);
        EXPECT_EQ(r.status, c.error ? 2 : 0) << c.keys << " " << (c.time ? c.time : "") << "\n" << r.err;
        if (c.error) {
            EXPECT_NE(r.err.find(c.error), std::string::npos) << r.err;
        }
    }
    r = run_tool(testing::tool_path("KEST_BIN"), {"simulate", dir.file("missing.agx"), "--keys", "1"});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("missing.agx"), std::string::npos);
}

TEST_F(SimulateTest, DamagedProjectRunsWithinBounds) {
    auto* bytes = reinterpret_cast<u8*>(project.get());
    for (std::size_t i = sizeof(ProjectVersion); i < sizeof(Project); ++i) bytes[i] = static_cast<u8>(i * 37 + 11);
    for (auto& f : project->forms)
        for (int n = 0; n < kFormLines; ++n) f.lineType[n] = static_cast<u8>(n % 2 ? kFieldContinuation : kFieldText);
    project->options.startObject = 0;
    for (const char* flag : {"--unprepared", "--json"}) {
        const ToolRun r = run({flag, "--keys",
                               "1,alpha,2,2,3,tick:8,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,"
                               "bs,bs,enter,up,enter,enter,enter,enter,enter,esc,restart,1,enter"});
        EXPECT_EQ(r.status, 0) << r.err;
    }
}

}  // namespace
}  // namespace kest
