// The project report against the engine it shows and the tables it describes: for random
// projects, each display picture holds the lines the engine shows after the picture's keys,
// the map holds exactly the project's routes, and each sample record is what the engine
// builds from the keys given for it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <tuple>

#include "common/cp1252.h"
#include "project/rules.h"
#include "report/report.h"
#include "report/screens.h"
#include "simulator/engine.h"
#include "simulator/form_preparation.h"
#include "simulator/key_names.h"
#include "tests/support/fake_clock.h"
#include "tests/support/html_reading.h"
#include "tests/support/projects.h"
#include "tests/support/random_project.h"

namespace kest::report {
namespace {

constexpr LocalTime kTime{2024, 2, 29, 23, 58, 7};

// ---------------------------------------------------------------- reading the HTML back

using testing::unescape_html;

std::string attr(const std::string& tag, const std::string& name) { return testing::html_attribute(tag, name); }

// Every opening tag that starts with `start`, from position `from` up to `to`.
std::vector<std::string> tags(const std::string& html, const std::string& start, std::size_t from = 0,
                              std::size_t to = std::string::npos) {
    std::vector<std::string> out;
    for (auto at = html.find(start, from); at < to && at != std::string::npos; at = html.find(start, at + 1))
        out.push_back(html.substr(at, html.find('>', at) - at + 1));
    return out;
}

struct Page {
    int object;
    bool launched;
    std::string body;
};

std::vector<Page> object_pages(const std::string& html) {
    std::vector<Page> out;
    for (auto at = html.find("<section class=\"page object"); at != std::string::npos;
         at = html.find("<section class=\"page object", at + 1)) {
        const std::string tag = html.substr(at, html.find('>', at) - at + 1);
        out.push_back({std::stoi(attr(tag, "data-object")), attr(tag, "data-launched") == "1",
                       html.substr(at, html.find("</section>", at) - at)});
    }
    return out;
}

std::vector<std::string> picture_lines(const std::string& page) {
    std::vector<std::string> lines;
    for (int n = 0; n < sim::kDisplayLines; ++n) {
        const auto at = page.find("data-line=\"" + std::to_string(n) + "\"");
        if (at == std::string::npos) break;
        const auto begin = page.find('>', at) + 1;
        lines.push_back(unescape_html(page.substr(begin, page.find("</text>", begin) - begin)));
    }
    return lines;
}

// ---------------------------------------------------------------- the engine, independently

std::vector<std::pair<int, int>> parse_keys(const std::string& list) {
    std::vector<std::pair<int, int>> out;  // key, ticks
    std::size_t at = 0;
    while (at < list.size()) {
        const auto end = std::min(list.find(',', at), list.size());
        const std::string name = list.substr(at, end - at);
        if (name.rfind("tick", 0) == 0)
            out.push_back({0, name == "tick" ? 1 : std::stoi(name.substr(5))});
        else if (const auto code = sim::key_code(name))
            out.push_back({*code, 0});
        else
            ADD_FAILURE() << "key " << name;
        at = end + 1;
    }
    return out;
}

// The engine on a copy prepared as `kest simulate` prepares it, after the keys.
struct Replay {
    Replay(const Project& project, const std::string& keys, bool launched, int object, bool passDown)
        : copy(std::make_unique<Project>(sim::prepared_forms(normalised_forms(project)))) {
        if (launched) copy = launcher_copy(*copy, object);
        if (passDown) {
            copy->forms[object - jump::kFirstForm].recordAction = kRecordPassDown;
            copy->forms[object - jump::kFirstForm].nextTarget = jump::kStartScreen;
        }
        clock.set_local_time(kTime);
        engine = std::make_unique<sim::Engine>(*copy, editor, clock);
        engine->show_start_screen();
        for (const auto& [key, ticks] : parse_keys(keys)) {
            if (key) engine->key(key);
            for (int i = 0; i < ticks; ++i) engine->tick();
        }
    }
    std::unique_ptr<Project> copy;
    EditorState editor;
    testing::FakeClock clock;
    std::unique_ptr<sim::Engine> engine;
};

// The routes of the forms and menus in use, worked out from the tables alone.
std::multiset<std::tuple<int, std::string, int, int, int>> expected_routes(const Project& p) {
    auto valid = [](int code) { return code >= 1 && code <= 20 ? code : 0; };
    auto routes_of = [&](int o) {
        std::vector<std::tuple<int, std::string, int, int, int>> out;
        if (o >= 11) {
            const MenuRecord& m = p.menus[o - 11];
            for (int i = 0; i < 10; ++i) {
                const std::string item = cell_text(m.items[i]).substr(0, m.font ? 15 : 20);
                if (item.find_first_not_of(' ') != std::string::npos)
                    out.push_back({o, "item", i + 1, valid(m.itemTarget[i]), m.itemTarget[i]});
            }
            out.push_back({o, "esc", 0, valid(m.escTarget), m.escTarget});
        } else {
            const FormRecord& f = p.forms[o - 1];
            out.push_back({o, "next", 0, valid(f.nextTarget), f.nextTarget});
            out.push_back({o, "esc", 0, valid(f.escTarget), f.escTarget});
        }
        return out;
    };
    std::set<int> used;
    std::vector<int> todo{p.options.startObject ? 11 : 1};
    for (int o = 1; o <= 20; ++o) {
        bool defined = false;
        if (o >= 11) {
            const MenuRecord& m = p.menus[o - 11];
            defined = m.titleEnabled && cell_text(m.title).find_first_not_of(' ') != std::string::npos;
            for (const auto& r : routes_of(o)) defined = defined || std::get<1>(r) == "item";
        } else {
            for (int n = 0; n < line_count(p.forms[o - 1].font); ++n) defined = defined || p.forms[o - 1].lineType[n];
        }
        if (defined) todo.push_back(o);
    }
    while (!todo.empty()) {
        const int o = todo.back();
        todo.pop_back();
        if (o == 0 || !used.insert(o).second) continue;
        for (const auto& r : routes_of(o)) todo.push_back(std::get<3>(r));
    }
    std::multiset<std::tuple<int, std::string, int, int, int>> out;
    const int start = p.options.startObject ? 11 : 1;
    out.insert({0, "start", 0, start, start});
    for (int o : used)
        for (const auto& r : routes_of(o)) out.insert(r);
    return out;
}

std::string report_of(const Project& p, bool english = false) {
    ReportInput input;
    input.fileName = "probe.agx";
    input.time = kTime;
    input.english = english;
    input.findings = check_project(p);
    input.version = "0";
    return report_html(p, input);
}

// ---------------------------------------------------------------- properties

TEST(Report, PicturesMapAndRecordsAgreeWithTheEngineForRandomProjects) {
    for (unsigned seed = 1; seed <= 40; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        const auto p = testing::RandomProject(seed).make();
        const std::string html = report_of(*p, seed % 2 == 0);

        std::multiset<std::tuple<int, std::string, int, int, int>> shown;
        for (const std::string& tag : tags(html, "<g class=\"route"))
            shown.insert({std::stoi(attr(tag, "data-from")), attr(tag, "data-kind"), std::stoi(attr(tag, "data-item")),
                          std::stoi(attr(tag, "data-to")), std::stoi(attr(tag, "data-code"))});
        const auto expected = expected_routes(*p);
        ASSERT_EQ(shown, expected);

        std::set<int> pages, used;
        for (const auto& r : expected)
            if (std::get<0>(r)) used.insert(std::get<0>(r));
        for (const Page& page : object_pages(html)) {
            SCOPED_TRACE("object " + std::to_string(page.object));
            pages.insert(page.object);
            const auto svg = tags(page.body, "<svg class=\"display\"");
            ASSERT_EQ(svg.size(), 1u);
            const Replay screen(*p, attr(svg[0], "data-keys"), page.launched, page.object, false);
            EXPECT_EQ(screen.engine->current_object(), page.object);
            EXPECT_EQ(screen.engine->display().state, page.object >= 11 ? sim::kStateMenu : sim::kStateForm);
            std::vector<std::string> lines;
            for (const auto& line : screen.engine->display().lines) lines.push_back(cp1252_to_utf8(line));
            EXPECT_EQ(picture_lines(page.body), lines);

            if (page.object >= 11) continue;
            const auto rec = tags(page.body, "<div class=\"rec\"");
            ASSERT_EQ(rec.size(), 1u) << "every form of a page-made project completes with the sample input";
            const Replay filled(*p, attr(rec[0], "data-keys"), page.launched, page.object, true);
            EXPECT_EQ(cp1252_to_utf8(filled.engine->pass_down()), attr(rec[0], "data-record"));
        }
        EXPECT_EQ(pages, used);
    }
}

// The fields of a record are marked only where the expected layout gives exactly the
// engine's record, so contiguous segments over the whole record mean the two agree.
TEST(Report, SampleRecordsAreLaidOutFieldByField) {
    for (unsigned seed = 100; seed < 140; ++seed) {
        const auto p = testing::RandomProject(seed).make();
        const std::vector<int> objects = objects_in_use(*p);
        const Screens s = take_screens(*p, objects, kTime);
        for (std::size_t i = 0; i < objects.size(); ++i) {
            const SampleRecord& r = s.records[i];
            if (objects[i] >= 11 || r.text.empty()) continue;
            SCOPED_TRACE("seed " + std::to_string(seed) + ", form " + std::to_string(objects[i]));
            ASSERT_FALSE(r.segments.empty()) << r.text;
            std::size_t at = 0;
            for (const Segment& seg : r.segments) {
                EXPECT_EQ(seg.begin, at);
                at = seg.end;
            }
            EXPECT_EQ(at, r.text.size());
        }
    }
}

TEST(Report, SampleInputFitsTypeAndLengths) {
    const struct {
        u8 type;
        const char* accepted;
    } types[] = {{kFieldText, nullptr},           {kFieldInteger, "0123456789"},
                 {kFieldReal, "0123456789."},     {kFieldLetter, "ABCDEFGHIJKLMNOPQRSTUVWXYZ"},
                 {kFieldAutoSign, "0123456789."}, {kFieldBoolean, "01FNTY"}};
    for (const auto& t : types)
        for (int max = 0; max <= 50; ++max)
            for (int min = 0; min <= max; min += 7) {
                const std::string s = sample_input(t.type, static_cast<u8>(min), static_cast<u8>(max));
                EXPECT_GE(s.size(), static_cast<std::size_t>(min));
                EXPECT_LE(s.size(), static_cast<std::size_t>(max));
                if (t.accepted) {
                    EXPECT_EQ(s.find_first_not_of(t.accepted), std::string::npos) << s;
                }
            }
}

TEST(Report, TextsAreEscapedAndThePasswordStaysOut) {
    auto p = testing::new_project();
    FormRecord& f = p->forms[0];
    f.lineType[0] = kFieldText;
    set_cell(f.prompt[0], "<b>&\"x'\x01");
    set_cell(p->menus[0].items[0], "</text><script>");
    p->menus[0].itemTarget[0] = jump::form(0);
    set_cell(p->options.password, "Geheim42");
    const std::string html = report_of(*p);
    EXPECT_NE(html.find("&lt;b&gt;&amp;&quot;x&#39;&#1;"), std::string::npos);
    EXPECT_EQ(html.find("<b>&"), std::string::npos);
    EXPECT_EQ(html.find("<script"), std::string::npos);
    EXPECT_EQ(html.find("Geheim42"), std::string::npos);
    EXPECT_EQ(html.find("http://"), html.find("http://www.w3.org/2000/svg")) << "nothing is fetched";
}

// What `kest check` reports stands on the page it belongs to and, all of it, on the first.
TEST(Report, ValuesOutOfRangeStandWhereTheyBelong) {
    const struct {
        void (*damage)(Project&);
        const char* path;
        const char* home;
    } cases[] = {
        {[](Project& p) { p.forms[0].lineType[2] = 40; }, "forms[0].lines[2].type", "obj-1"},
        {[](Project& p) { p.lookups[2].fieldCount = 9; }, "lookups[2].fieldCount", "lookups"},
        {[](Project& p) { p.options.ackTime = 150; }, "settings.ackTime", "settings"},
        {[](Project& p) { std::memset(text_cell(p, 3, 0), 'x', kCell15); }, "texts.tables[3].rows[0]", "texts"},
    };
    for (const auto& c : cases) {
        auto p = testing::new_project();
        c.damage(*p);
        const std::string html = report_of(*p);
        const auto box = html.find("data-findings=\"" + std::string(c.home) + "\"");
        ASSERT_NE(box, std::string::npos) << c.path;
        EXPECT_EQ(html.find(c.path, box), html.find(c.path, html.find(c.path) + 1)) << c.path;
        EXPECT_LT(html.find(c.path), box) << "the first page lists it too";
    }
}

TEST(Report, DamagedProjectsGiveAWholeDocument) {
    std::mt19937 random(99);
    for (int round = 0; round < 15; ++round) {
        auto p = testing::zero_project();
        auto* bytes = reinterpret_cast<u8*>(p.get());
        for (std::size_t i = 0; i < sizeof(Project); ++i) bytes[i] = static_cast<u8>(random());
        const std::string html = report_of(*p);
        EXPECT_EQ(tags(html, "<section").size(), tags(html, "</section>").size());
        EXPECT_EQ(html.substr(html.size() - 8), "</html>\n");
        // Whatever the tables hold, every "<" opens one of the report's own elements.
        static const std::set<std::string> kElements = {
            "!DOCTYPE", "html", "head", "meta", "title", "style",   "body",   "section", "h1",   "h2",   "h3",
            "table",    "tr",   "th",   "td",   "nav",   "ul",      "li",     "a",       "div",  "p",    "b",
            "br",       "span", "sup",  "svg",  "defs",  "pattern", "marker", "path",    "rect", "text", "g"};
        for (auto at = html.find('<'); at != std::string::npos; at = html.find('<', at + 1)) {
            const auto begin = at + (html[at + 1] == '/' ? 2 : 1);
            const std::string element = html.substr(begin, html.find_first_of(" >/", begin) - begin);
            ASSERT_EQ(kElements.count(element), 1u) << html.substr(at, 60);
        }
    }
}

}  // namespace
}  // namespace kest::report
