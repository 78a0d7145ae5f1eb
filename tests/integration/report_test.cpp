// kest report as the program: the pictures against `kest simulate --json` on the same file,
// standard output, and the rules of every output file.
#include <gtest/gtest.h>

#include <cstring>

#include "common/json.h"
#include "project/defaults.h"
#include "project/project_file.h"
#include "tests/integration/run_tool.h"

namespace kest {
namespace {

using testing::run_kest;
using testing::TempDir;

constexpr char kTime[] = "2007-03-04T05:06:07";

std::string attribute(const std::string& tag, const std::string& name) {
    const auto at = tag.find(" " + name + "=\"") + name.size() + 3;
    return tag.substr(at, tag.find('"', at) - at);
}

std::string unescape(std::string s) {
    for (const auto& [from, to] : {std::pair<std::string, std::string>{"&lt;", "<"},
                                   {"&gt;", ">"},
                                   {"&quot;", "\""},
                                   {"&#39;", "'"},
                                   {"&amp;", "&"}})
        for (auto at = s.find(from); at != std::string::npos; at = s.find(from, at + 1)) s.replace(at, from.size(), to);
    return s;
}

TEST(ReportCommand, PicturesShowWhatSimulateShowsAfterTheSameKeys) {
    auto p = std::make_unique<Project>();
    std::memset(p.get(), 0, sizeof(Project));
    reset_to_defaults(*p);
    p->options.startObject = 1;
    MenuRecord& m = p->menus[0];
    m.titleEnabled = 1;
    set_cell(m.title, "Lager <&> \"A\"");
    set_cell(m.items[0], "1.Wareneingang");
    set_cell(m.items[1], "2.Inventur");
    m.itemTarget[0] = jump::form(0);
    m.itemTarget[1] = jump::form(1);
    for (int k = 0; k < 2; ++k) {
        FormRecord& f = p->forms[k];
        f.lineType[0] = kFieldText;
        set_cell(f.prompt[0], "Art:");
        f.lineType[1] = kFieldInteger;
        set_cell(f.prompt[1], "Menge:");
        f.maxLength[1] = 4;
        f.nextTarget = jump::menu(0);
        f.recordAction = kRecordPassDown;
    }
    p->forms[1].lineType[2] = kFieldPassDown;  // shows the record of form 1 once that was filled

    TempDir dir;
    const std::string project = dir.file("lager.agx");
    TempDir::write(project, project_file_bytes(*p));
    const std::string out = dir.file("report.html");
    const auto r = run_kest({"report", project, "-o", out, "--time", kTime});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string html = testing::slurp(out);
    // Keys lead to every form and menu here, so every picture's keys run on the file itself.
    EXPECT_EQ(html.find("data-launched"), std::string::npos);

    int pictures = 0;
    for (auto at = html.find("<svg class=\"display\""); at != std::string::npos;
         at = html.find("<svg class=\"display\"", at + 1), ++pictures) {
        const std::string tag = html.substr(at, html.find('>', at) - at);
        const auto sim =
            run_kest({"simulate", project, "--keys", unescape(attribute(tag, "data-keys")), "--time", kTime, "--json"});
        ASSERT_EQ(sim.status, 0) << sim.err;
        const JsonParse json = parse_json(sim.out);
        ASSERT_TRUE(json.value) << json.error;
        const auto& lines = json.value->member("lines")->items;
        const std::size_t end = html.find("</svg>", at);
        for (std::size_t n = 0; n < lines.size(); ++n) {
            const auto line = html.find("data-line=\"" + std::to_string(n) + "\"", at);
            ASSERT_LT(line, end);
            const auto begin = html.find('>', line) + 1;
            EXPECT_EQ(unescape(html.substr(begin, html.find("</text>", begin) - begin)), lines[n].text) << tag;
        }
    }
    EXPECT_EQ(pictures, 3);

    const auto toStdout = run_kest({"report", project, "-o", "-", "--time", kTime});
    EXPECT_EQ(toStdout.status, 0);
    EXPECT_EQ(toStdout.out, html);
    const auto english = run_kest({"report", project, "-o", "-", "--lang", "en", "--time", kTime});
    EXPECT_NE(english.out.find("<html lang=\"en\">"), std::string::npos);
}

TEST(ReportCommand, RefusalsLeaveTheTargetAsItWas) {
    TempDir dir;
    auto p = std::make_unique<Project>();
    std::memset(p.get(), 0, sizeof(Project));
    const std::string zero = dir.file("zero.agx");
    TempDir::write(zero, project_file_bytes(*p));
    reset_to_defaults(*p);
    const std::string project = dir.file("p.agx");
    TempDir::write(project, project_file_bytes(*p));
    const std::string out = dir.file("r.html");
    TempDir::write(out, {'o', 'l', 'd'});
    const struct {
        std::vector<std::string> args;
        const char* message;
    } cases[] = {
        {{"report", project, "-o", out}, "exists"},
        {{"report", project, "-o", out, "--force", "--lang", "fr"}, "--lang"},
        {{"report", project, "-o", out, "--force", "--time", "2007-02-30T00:00:00"}, "not a date"},
        {{"report", dir.file("missing.agx"), "-o", out, "--force"}, "missing.agx"},
        {{"report", project}, "-o REPORT.html is required"},
    };
    for (const auto& c : cases) {
        const auto r = run_kest(c.args);
        EXPECT_EQ(r.status, 2) << c.message;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_EQ(testing::slurp(out), "old");
    }
    EXPECT_EQ(run_kest({"report", zero, "-o", out, "--force"}).status, 2) << "a file without the tag is no project";
    EXPECT_EQ(testing::slurp(out), "old");
}

}  // namespace
}  // namespace kest
