// kest report as the program: the pictures against `kest simulate --json` on the same file,
// standard output, and the rules of every output file.
#include <gtest/gtest.h>

#include <cstring>

#include "common/json.h"
#include "project/defaults.h"
#include "project/project_file.h"
#include "report/screens.h"
#include "tests/integration/run_tool.h"
#include "tests/support/html_reading.h"
#include "tests/support/random_project.h"

namespace kest {
namespace {

using testing::run_kest;
using testing::TempDir;

constexpr char kTime[] = "2007-03-04T05:06:07";

using testing::html_attribute;
using testing::unescape_html;

// Runs `kest report` on the project and, for each picture, `kest simulate --json` with the
// picture's keys: on the file itself, or for a form or menu no keys reach on the launcher
// copy the picture was taken on (counted in launched). Returns the number of pictures.
int pictures_match_simulate(const Project& p, const std::string& project, const std::string& html_out, int& launched) {
    TempDir dir;
    TempDir::write(project, project_file_bytes(p));
    const auto r = run_kest({"report", project, "-o", html_out, "--force", "--time", kTime});
    EXPECT_EQ(r.status, 0) << r.err;
    const std::string html = testing::slurp(html_out);
    int pictures = 0;
    for (auto at = html.find("<svg class=\"display\""); at != std::string::npos;
         at = html.find("<svg class=\"display\"", at + 1), ++pictures) {
        const std::string tag = html.substr(at, html.find('>', at) - at);
        const auto section = html.rfind("<section", at);
        const std::string head = html.substr(section, html.find('>', section) - section);
        std::string file = project;
        if (head.find("data-launched") != std::string::npos) {
            file = dir.file("launcher.agx");
            ++launched;
            const int object = std::stoi(html_attribute(head, "data-object"));
            TempDir::write(file, project_file_bytes(*report::launcher_copy(*report::simulation_copy(p), object)));
        }
        const auto sim =
            run_kest({"simulate", file, "--keys", html_attribute(tag, "data-keys"), "--time", kTime, "--json"});
        EXPECT_EQ(sim.status, 0) << sim.err;
        const JsonParse json = parse_json(sim.out);
        if (!json.value) {
            ADD_FAILURE() << json.error;
            continue;
        }
        const auto& lines = json.value->member("lines")->items;
        const std::size_t end = html.find("</svg>", at);
        for (std::size_t n = 0; n < lines.size(); ++n) {
            const auto line = html.find("data-line=\"" + std::to_string(n) + "\"", at);
            EXPECT_LT(line, end);
            const auto begin = html.find('>', line) + 1;
            EXPECT_EQ(unescape_html(html.substr(begin, html.find("</text>", begin) - begin)), lines[n].text) << head;
        }
    }
    return pictures;
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
    p->forms[1].lineType[2] = kFieldPassDown;  // empty until a record was passed down

    TempDir dir;
    const std::string project = dir.file("lager.agx");
    const std::string out = dir.file("report.html");
    int launched = 0;
    EXPECT_EQ(pictures_match_simulate(*p, project, out, launched), 3);
    const std::string html = testing::slurp(out);
    EXPECT_EQ(launched, 0) << "keys lead to every form and menu here";
    for (unsigned seed = 1; seed <= 4; ++seed) {
        SCOPED_TRACE("random project " + std::to_string(seed));
        pictures_match_simulate(*testing::RandomProject(seed).make(), dir.file("random.agx"), dir.file("random.html"),
                                launched);
    }
    EXPECT_GT(launched, 0) << "the random projects have forms or menus no keys reach";

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
        {{"report", out, "-o", out, "--force"}, "r.html"},
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
