#include "editor/help.h"

#include <gtest/gtest.h>

#include <set>

namespace kest::editor {
namespace {

TEST(Help, HelpFileWinsThenTheManualThenNothing) {
    const std::string dir = "C:\\Programme\\KEST\\";
    struct Case {
        std::set<std::string> present;
        HelpSource source;
        std::string path;
    };
    const Case cases[] = {
        {{dir + "PG.HLP", dir + "Handbuch\\index.html"}, HelpSource::HelpFile, dir + "PG.HLP"},
        {{dir + "PG.HLP"}, HelpSource::HelpFile, dir + "PG.HLP"},
        {{dir + "Handbuch\\index.html"}, HelpSource::Manual, dir + "Handbuch\\index.html"},
        // Files elsewhere do not count: only the program's own folder is looked at.
        {{"C:\\PG.HLP", "C:\\Programme\\Handbuch\\index.html"}, HelpSource::Missing, ""},
        {{}, HelpSource::Missing, ""},
    };
    for (const auto& c : cases) {
        const HelpTarget t = help_target(dir, [&](const std::string& p) { return c.present.count(p) > 0; });
        EXPECT_EQ(t.source, c.source) << c.path;
        EXPECT_EQ(t.path, c.path);
    }
}

}  // namespace
}  // namespace kest::editor
