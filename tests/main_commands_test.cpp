#include "editor/main_commands.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>

#include "support/scripted_ui.h"

namespace kest::editor {
namespace {

using testing::ScriptedUi;

// Records the operations the commands ask for; results and side effects come from the test.
struct Host final : CommandHost {
    std::vector<std::string> calls;
    bool openResult = true;
    bool saveResult = true;
    bool saveAsResult = true;
    std::function<void()> sheet;

    bool open_file() override {
        calls.push_back("open");
        return openResult;
    }
    bool save_file() override {
        calls.push_back("save");
        return saveResult;
    }
    bool save_file_as() override {
        calls.push_back("saveas");
        return saveAsResult;
    }
    void set_defaults() override { calls.push_back("defaults"); }
    void run_sheet() override {
        calls.push_back("sheet");
        if (sheet) sheet();
    }
};

struct Fixture {
    std::unique_ptr<Project> project = std::make_unique<Project>();
    EditorState state;
    ScriptedUi ui;
    Host host;
    MainCommands commands{*project, state, ui, host};
};

using Calls = std::vector<std::string>;

TEST(MainCommands, SavePromptAnswers) {
    struct Case {
        const char* name;
        bool modified;
        Answer answer;
        bool saved;  // what Save returns
        bool proceeds;
        Calls calls;  // of New
    };
    const Case cases[] = {
        {"unmodified asks nothing", false, Answer::Cancel, true, true, {"defaults", "sheet"}},
        {"no discards", true, Answer::No, true, true, {"defaults", "sheet"}},
        {"cancel stops", true, Answer::Cancel, true, false, {}},
        {"yes saves", true, Answer::Yes, true, true, {"save", "defaults", "sheet"}},
        // A cancelled Save As or a failed save keeps the changes: the command stops.
        {"yes, save failed", true, Answer::Yes, false, false, {"save"}},
    };
    for (const Case& c : cases) {
        Fixture f;
        f.state.modified = c.modified;
        f.state.fileName = "OLD.AGX";
        f.state.recordCount = 7;
        f.ui.answers.push_back(c.answer);
        f.host.saveResult = c.saved;
        f.commands.new_project();
        EXPECT_EQ(f.host.calls, c.calls) << c.name;
        EXPECT_EQ(f.ui.messages.size(), c.modified ? 1u : 0u) << c.name;
        if (c.modified) {
            EXPECT_EQ(f.ui.messages[0].text, "Programm speichern ?");
            EXPECT_EQ(f.ui.messages[0].caption, "Velmor's KEST Application Generator");
            EXPECT_EQ(f.ui.messages[0].icon, Icon::Warning);
            EXPECT_EQ(f.ui.messages[0].buttons, Buttons::YesNoCancel);
        }
        EXPECT_EQ(f.state.fileName.empty(), c.proceeds) << c.name;
        EXPECT_EQ(f.state.recordCount, c.proceeds ? 0 : 7) << c.name;
        EXPECT_EQ(f.state.modified, !c.proceeds) << c.name;

        Fixture g;
        g.state.modified = c.modified;
        g.ui.answers.push_back(c.answer);
        g.host.saveResult = c.saved;
        EXPECT_EQ(g.commands.close_request(), c.proceeds) << c.name;
    }
}

TEST(MainCommands, OpenResetsFirstAndEditsOnlyWhatWasRead) {
    Fixture f;
    f.state.recordCount = 3;
    f.host.openResult = false;
    f.commands.open_project();
    EXPECT_EQ(f.host.calls, (Calls{"defaults", "open"}));
    EXPECT_EQ(f.state.recordCount, 0);

    Fixture g;
    g.commands.open_project();
    EXPECT_EQ(g.host.calls, (Calls{"defaults", "open", "sheet"}));
}

TEST(MainCommands, SaveClearsModifiedOnlyWhenWritten) {
    for (bool written : {true, false}) {
        Fixture f;
        f.state.modified = true;
        f.host.saveResult = written;
        f.host.saveAsResult = written;
        f.commands.save();
        EXPECT_EQ(f.state.modified, !written);
        f.state.modified = true;
        f.commands.save_as();
        EXPECT_EQ(f.state.modified, !written);
        EXPECT_EQ(f.host.calls, (Calls{"save", "saveas"}));
    }
}

TEST(MainCommands, SheetThatChangedAnyByteMarksTheProject) {
    struct Case {
        const char* name;
        std::function<void(Project&)> change;
        bool modified;
    };
    const Case cases[] = {
        {"nothing changed", [](Project&) {}, false},
        {"menu title", [](Project& p) { p.menus[3].title[0] = 'X'; }, true},
        {"lookup", [](Project& p) { p.lookups[2].separator = ';'; }, true},
        {"settings", [](Project& p) { p.options.backlight ^= 1; }, true},
        {"barcode dialog", [](Project& p) { p.barcode.bytes[22] ^= 0x80; }, true},
        {"wedge dialog", [](Project& p) { p.wedge.charPause += 1; }, true},
        {"changed and changed back",
         [](Project& p) {
             p.options.backlight ^= 1;
             p.options.backlight ^= 1;
         },
         false},
    };
    for (const Case& c : cases) {
        Fixture f;
        f.host.sheet = [&] { c.change(*f.project); };
        f.commands.edit();
        EXPECT_EQ(f.state.modified, c.modified) << c.name;
    }
}

TEST(MainCommands, EditKeepsAnEarlierModifiedMark) {
    Fixture f;
    f.state.modified = true;
    f.commands.edit();
    EXPECT_TRUE(f.state.modified);
}

}  // namespace
}  // namespace kest::editor

namespace kest::editor {
namespace {

TEST(MainCommands, ProjectArgumentOfTheCommandLine) {
    const std::pair<const char*, const char*> cases[] = {
        {"", ""},
        {"   ", ""},
        {"DEMO.AGX", "DEMO.AGX"},
        {"  C:\\kest\\demo.agx  ", "C:\\kest\\demo.agx"},
        {"\"C:\\Eigene Dateien\\Lager 1.AGX\"", "C:\\Eigene Dateien\\Lager 1.AGX"},
        {"\"C:\\no end quote.AGX", "C:\\no end quote.AGX"},
        {"first.agx second.agx", "first.agx"},
    };
    for (const auto& [line, expected] : cases) EXPECT_EQ(project_argument(line), expected) << line;
}

}  // namespace
}  // namespace kest::editor
