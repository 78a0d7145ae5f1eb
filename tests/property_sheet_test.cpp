#include "editor/property_sheet.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace kest::editor {
namespace {

// A page that copies one byte of the settings table and logs its steps.
struct LoggingPage final : SheetPage {
    std::string name;
    std::vector<std::string>* log;
    u8 copy = 0;
    u8 edited = 0;
    bool editSet = false;

    void load(const Project& project) override {
        log->push_back("load " + name);
        copy = project.options.backlight;
    }
    void commit(Project& project, EditorState&) override {
        log->push_back("commit " + name);
        project.options.backlight = editSet ? edited : copy;
    }
    void follow_up(Project& project, EditorState&, SheetHost& host) override {
        log->push_back("follow-up " + name + " sees " + std::to_string(project.options.backlight));
        host.restart_simulation();
    }
};

struct LoggingHost final : SheetHost {
    std::vector<std::string>* log;
    void prepare_forms() override { log->push_back("prepare forms"); }
    void restart_simulation() override { log->push_back("restart"); }
};

struct Sheet {
    std::unique_ptr<Project> project = std::make_unique<Project>();
    EditorState state;
    std::vector<std::string> log;
    LoggingPage pages[kPageCount];
    LoggingHost host;
    std::unique_ptr<SheetSession> session;

    Sheet() {
        const char* names[] = {"form", "menu", "lookup", "barcode", "settings", "startup"};
        std::array<SheetPage*, kPageCount> list{};
        for (int i = 0; i < kPageCount; ++i) {
            pages[i].name = names[i];
            pages[i].log = &log;
            list[i] = &pages[i];
        }
        host.log = &log;
        session = std::make_unique<SheetSession>(*project, state, host, list);
    }
};

TEST(PropertySheet, OkCommitsShownPagesInPageOrder) {
    Sheet s;
    s.session->page_shown(4);
    s.session->page_shown(0);
    s.session->page_shown(4);
    s.session->page_shown(1);
    s.pages[4].edited = 7, s.pages[4].editSet = true;
    s.session->ok();
    // The follow-ups run after every commit, so each sees the tables of the whole OK.
    EXPECT_EQ(s.log,
              (std::vector<std::string>{"load settings", "load form", "load menu", "commit form", "commit menu",
                                        "commit settings", "follow-up form sees 7", "restart", "follow-up menu sees 7",
                                        "restart", "follow-up settings sees 7", "restart"}));
}

TEST(PropertySheet, LaterPagesWinOverEarlierOnes) {
    Sheet s;
    s.session->page_shown(1);
    s.session->page_shown(4);
    s.pages[1].edited = 5, s.pages[1].editSet = true;
    s.pages[4].edited = 9, s.pages[4].editSet = true;
    s.session->ok();
    EXPECT_EQ(s.project->options.backlight, 9);
}

TEST(PropertySheet, CancelCopiesNothing) {
    Sheet s;
    s.session->page_shown(0);
    s.pages[0].edited = 5, s.pages[0].editSet = true;
    s.session->cancel();
    EXPECT_EQ(s.project->options.backlight, 0);
    EXPECT_EQ(s.log, (std::vector<std::string>{"load form"}));
    EXPECT_TRUE(s.session->was_shown(0));
    EXPECT_FALSE(s.session->was_shown(1));
}

TEST(PropertySheet, PagesInSheetOrderWithTheirCaptions) {
    const auto& pages = page_templates();
    EXPECT_STREQ(pages[0].templateName, "FORMDLG");
    EXPECT_STREQ(pages[1].caption, "Benutzermen\xFC");
    EXPECT_STREQ(pages[3].templateName, "BARCODESETTINGDLG");
    EXPECT_STREQ(pages[5].templateName, "STARTUPDLG");
}

}  // namespace
}  // namespace kest::editor
