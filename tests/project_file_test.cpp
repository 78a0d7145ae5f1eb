#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "project/defaults.h"
#include "project/project_file.h"
#include "tests/support/failing_file_steps.h"
#include "tests/support/scripted_ui.h"
#include "tests/support/temp_dir.h"

namespace kest {
namespace {

using testing::ScriptedUi;
using testing::TempDir;
namespace fs = std::filesystem;

std::unique_ptr<Project> new_project() {
    auto p = std::make_unique<Project>();
    std::memset(p.get(), 0, sizeof(Project));
    reset_to_defaults(*p);
    return p;
}

bool same(const Project& a, const Project& b) { return std::memcmp(&a, &b, sizeof(Project)) == 0; }

// A project with something in every kind of table.
std::unique_ptr<Project> edited_project() {
    auto p = new_project();
    p->com = {4, 2};
    p->barcode.bytes[22] = 0x7E;
    set_cell(p->menus[9].items[9], "Letzter Punkt");
    p->forms[4].lineType[7] = kFieldCounter;
    p->forms[4].lineData[7][49] = 0xAB;
    p->lookups[2].notFoundAction = 3;
    set_cell(p->texts.t25[2], "Ende");
    p->wedge.reserved[49] = 0x11;
    p->options.largeTitles = 1;
    p->options.reserved[198] = 0x22;
    return p;
}

TEST(ProjectFile, NewProjectHasTheFileSizeTagTrailerAndTableOffsets) {
    const auto p = new_project();
    const std::vector<u8> bytes = project_file_bytes(*p);
    ASSERT_EQ(bytes.size(), 18942u);
    EXPECT_EQ(std::memcmp(bytes.data(), "KEST-1.00\0", 10), 0);
    for (std::size_t i = 18842; i < 18942; ++i) ASSERT_EQ(bytes[i], 0) << i;
    struct Probe {
        std::size_t offset;
        u8 value;
    };
    const Probe probes[] = {
        {12, 0x9B},                 // BarcodeSettings byte 0
        {34, 0x03},                 // BarcodeSettings byte 22
        {3535 + 2, 1},              // form 1 continues with itself
        {3535 + 9 * 1215 + 2, 10},  // form 10 too
        {3535 + 205, 2},            // line source "Beide"
        {3535 + 221, 50},           // maximum length
        {15685 + 3, 1},             // lookup field start
        {15685 + 20, 1},            // loadable
        {16051 + 16, ' '},          // sign-on row 2
        {16115, '1'},               // "1.Programm"
        {16179, '1'},               // "1. Einstellungen"
        {18456 + 42, '['},          // "[ ESC ]   = Abbruch"
        {18519, 2},                 // keyboard type
        {18519 + 4, 1},             // CR/LF appended
        {18574, 1},                 // option byte
        {18574 + 2, ';'},           // delimiter 1
        {18574 + 30, 2},            // backlight off
        {18574 + 33, 6},            // acknowledgement time
    };
    for (const Probe& pr : probes) EXPECT_EQ(bytes[pr.offset], pr.value) << "offset " << pr.offset;
}

TEST(ProjectFile, WriteAndReadGiveBackEveryByte) {
    TempDir dir;
    const auto p = edited_project();
    const std::string file = dir.file("projekt.agx");
    ASSERT_EQ(write_project_file(file, *p, system_file_steps()), "");
    EXPECT_EQ(fs::file_size(file), 18942u);
    auto q = new_project();
    const ProjectReadResult r = read_project_file(file, *q);
    ASSERT_TRUE(r.ok()) << r.error;
    EXPECT_FALSE(r.olderLayout);
    EXPECT_TRUE(same(*p, *q));
    // The trailer is not needed to read a project.
    std::vector<u8> bytes = TempDir::read(file);
    bytes.resize(kProjectTablesSize);
    auto s = new_project();
    EXPECT_TRUE(read_project_bytes(bytes, *s).ok());
    EXPECT_TRUE(same(*p, *s));
}

TEST(ProjectFile, RefusesWhatIsNotAProjectAndLeavesTheProjectAlone) {
    const std::vector<u8> good = project_file_bytes(*edited_project());
    auto with = [&](std::size_t size, std::size_t at = 0, const char* text = "") {
        std::vector<u8> b(good.begin(), good.begin() + static_cast<long>(std::min(size, good.size())));
        b.resize(size, 0);
        std::memcpy(b.data() + at, text, std::strlen(text));
        return b;
    };
    std::vector<u8> older(kOlderFullSize, 0);
    std::memcpy(older.data(), "Qvx-4.00", 8);
    auto older_with = [&](std::size_t size, const char* tag) {
        std::vector<u8> b(older.begin(), older.begin() + static_cast<long>(size));
        std::memcpy(b.data(), tag, std::strlen(tag));
        return b;
    };
    struct Case {
        const char* name;
        std::vector<u8> bytes;
    };
    const Case cases[] = {
        {"empty", {}},
        {"other first byte", with(18942, 0, "XEST-1.00")},
        {"tag differs in a later character", with(18942, 0, "KEST-1.01")},
        {"tag without its terminator", with(18942, 9, "X")},
        {"only part of the tag", with(5)},
        {"current layout cut short", with(kProjectTablesSize - 1)},
        {"tag only", with(10)},
        {"older tag differs later", older_with(kOlderFullSize, "Qvx-4.01")},
        {"older tag cut short", older_with(4, "Qvx-")},
        {"older file ends inside the password", older_with(kOlderMinimumSize - 1, "Qvx-3.10")},
        {"text file", with(100, 0, "Hello")},
    };
    for (const Case& c : cases) {
        auto p = new_project();
        const auto before = std::make_unique<Project>(*p);
        const ProjectReadResult r = read_project_bytes(c.bytes, *p);
        EXPECT_EQ(r.status, ProjectReadResult::Status::FormatError) << c.name;
        EXPECT_FALSE(r.error.empty()) << c.name;
        EXPECT_TRUE(same(*p, *before)) << c.name;
    }
}

TEST(ProjectFile, MissingFileAndFolderCannotBeOpened) {
    TempDir dir;
    auto p = new_project();
    EXPECT_EQ(read_project_file(dir.file("fehlt.agx"), *p).status, ProjectReadResult::Status::CannotOpen);
    const ProjectReadResult r = read_project_file(dir.path().string(), *p);
    EXPECT_EQ(r.status, ProjectReadResult::Status::CannotOpen);
    EXPECT_NE(r.error.find("folder"), std::string::npos);
}

TEST(ProjectFile, ProjectExtensionInAnyCase) {
    struct Case {
        const char* name;
        bool has;
    };
    const Case cases[] = {{"a.AGX", true}, {"a.agx", true},  {"a.aGx", true},      {"C:\\p\\x.Agx", true},
                          {"a", false},    {"a.ATX", false}, {"a.agx.bak", false}, {"agx", false},
                          {".agx", true},  {"a_agx", false}};
    for (const Case& c : cases) EXPECT_EQ(has_project_extension(c.name), c.has) << c.name;
}

struct EditorFixture : ::testing::Test {
    TempDir dir;
    ScriptedUi ui;
    EditorState state;
    std::unique_ptr<Project> project = new_project();
};

TEST_F(EditorFixture, SaveAsAppendsTheExtensionAndSaveWritesThere) {
    ui.saveFiles.push_back(dir.file("neu"));
    state.modified = true;
    EXPECT_EQ(save_project(*project, state, ui, system_file_steps()), 1);  // no name yet: Save As
    EXPECT_EQ(state.fileName, dir.file("neu.AGX"));
    EXPECT_FALSE(state.modified);
    EXPECT_TRUE(fs::exists(dir.file("neu.AGX")));
    ASSERT_EQ(ui.dialogs.size(), 1u);
    const FileDialogRequest& d = ui.dialogs[0];
    ASSERT_EQ(d.filters.size(), 1u);
    EXPECT_EQ(d.filters[0].description, "Application Generator (*.AGX)");
    EXPECT_EQ(d.filters[0].pattern, "*.AGX");
    EXPECT_EQ(d.defaultExtension, "AGX");
    EXPECT_TRUE(d.overwritePrompt);

    ui.saveFiles.push_back(dir.file("zwei.aGx"));
    EXPECT_EQ(save_project_as(*project, state, ui, system_file_steps()), 1);
    EXPECT_EQ(state.fileName, dir.file("zwei.aGx"));

    ui.saveFiles.push_back(std::nullopt);
    EXPECT_EQ(save_project_as(*project, state, ui, system_file_steps()), 0);
    EXPECT_EQ(state.fileName, dir.file("zwei.aGx"));
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(EditorFixture, OpenReadsAProjectAndKeepsItsName) {
    const auto saved = edited_project();
    const std::string file = dir.file("vorlage.ATX");
    ASSERT_EQ(write_project_file(file, *saved, system_file_steps()), "");
    ui.openFiles.push_back(file);
    EXPECT_EQ(open_project(*project, state, ui), 1);
    EXPECT_TRUE(same(*project, *saved));
    EXPECT_EQ(state.fileName, file);  // a template is saved back to itself
    ASSERT_EQ(ui.dialogs.size(), 1u);
    const FileDialogRequest& d = ui.dialogs[0];
    ASSERT_EQ(d.filters.size(), 3u);
    EXPECT_EQ(d.filters[0].description, "Application Generator Files (*.AGX)");
    EXPECT_EQ(d.filters[1].pattern, "*.ATX");
    EXPECT_EQ(d.filters[2].description, "All files (*.*)");
    EXPECT_TRUE(d.mustExist);
}

TEST_F(EditorFixture, OpenRefusesABadFileWithFormatErrorAndNoName) {
    const std::string file = dir.file("kaputt.agx");
    TempDir::write(file, {'K', 'E', 'S', 'T', '-', '2'});
    state.fileName = "old.agx";
    ui.openFiles.push_back(file);
    const auto before = std::make_unique<Project>(*project);
    EXPECT_EQ(open_project(*project, state, ui), 0);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "Formatfehler !!!");
    EXPECT_EQ(ui.messages[0].caption, "Fehler");
    EXPECT_EQ(ui.messages[0].icon, Icon::Warning);
    EXPECT_TRUE(same(*project, *before));
    EXPECT_EQ(state.fileName, "");  // Save must not write over the file that was refused
}

TEST_F(EditorFixture, OpenCancelledOrUnopenableSaysNothing) {
    ui.openFiles.push_back(std::nullopt);
    ui.openFiles.push_back(dir.file("fehlt.agx"));
    ui.openFiles.push_back(dir.path().string());
    for (int i = 0; i < 3; ++i) EXPECT_EQ(open_project(*project, state, ui), 0);
    EXPECT_TRUE(ui.messages.empty());
}

// The command line's project takes the same path as Open; only a file that cannot be
// opened is reported there.
TEST_F(EditorFixture, NamedProjectOpensLikeOpenAndReportsWhatCannotBeOpened) {
    const std::string good = dir.file("gut.agx"), bad = dir.file("kaputt.agx"), older = dir.file("alt.agx");
    ASSERT_EQ(write_project_file(good, *edited_project(), system_file_steps()), "");
    TempDir::write(bad, {'K', 'E', 'S', 'T'});
    std::vector<u8> olderBytes(kOlderFullSize, 0);
    std::memcpy(olderBytes.data(), "Qvx-4.00", 8);
    TempDir::write(older, olderBytes);
    const struct {
        std::string path;
        CannotOpen cannotOpen;
        int result;
        std::string fileName;
        std::string message;
    } cases[] = {
        {good, CannotOpen::Report, 1, good, ""},
        {older, CannotOpen::Report, 1, "", ""},
        {bad, CannotOpen::Report, 0, "vorher.agx", "Formatfehler !!!"},
        {bad, CannotOpen::Silent, 0, "vorher.agx", "Formatfehler !!!"},
        {dir.file("fehlt.agx"), CannotOpen::Report, 0, "vorher.agx",
         "Datei kann nicht ge\xF6"
         "ffnet werden!"},
        {dir.path().string(), CannotOpen::Report, 0, "vorher.agx",
         "Datei kann nicht ge\xF6"
         "ffnet werden!"},
        {dir.file("fehlt.agx"), CannotOpen::Silent, 0, "vorher.agx", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        ScriptedUi fresh;
        state.fileName = "vorher.agx";
        const auto before = new_project();
        auto opened = new_project();
        EXPECT_EQ(open_project_file(c.path, *opened, state, fresh, c.cannotOpen), c.result);
        EXPECT_EQ(state.fileName, c.fileName);
        EXPECT_TRUE(c.result == 1 || same(*opened, *before));
        EXPECT_TRUE(c.path != good || same(*opened, *edited_project()));
        ASSERT_EQ(fresh.messages.size(), c.message.empty() ? 0u : 1u);
        EXPECT_EQ(fresh.messages.empty() ? "" : fresh.messages[0].text, c.message);
    }
}

TEST_F(EditorFixture, OlderProjectOpensWithoutNameSoSaveAsksForOne) {
    std::vector<u8> older(kOlderFullSize, 0);
    std::memcpy(older.data(), "Qvx-4.00", 8);
    const std::string file = dir.file("alt.agx");
    TempDir::write(file, older);
    ui.openFiles.push_back(file);
    EXPECT_EQ(open_project(*project, state, ui), 1);
    EXPECT_EQ(state.fileName, "");
    ui.saveFiles.push_back(dir.file("konvertiert"));
    EXPECT_EQ(save_project(*project, state, ui, system_file_steps()), 1);
    EXPECT_EQ(ui.dialogs.size(), 2u);
    EXPECT_EQ(TempDir::read(file), older);  // the older file is left as it was
    EXPECT_EQ(TempDir::read(dir.file("konvertiert.AGX")).size(), 18942u);
}

TEST_F(EditorFixture, FailedSaveSaysSoKeepsModifiedAndTheOldFile) {
    const std::string file = dir.file("projekt.agx");
    ASSERT_EQ(write_project_file(file, *project, system_file_steps()), "");
    const std::vector<u8> before = TempDir::read(file);
    auto changed = edited_project();

    // A read-only project file is not replaced.
    fs::permissions(file, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    state.fileName = file;
    state.modified = true;
    EXPECT_EQ(save_project(*changed, state, ui, system_file_steps()), 0);
    EXPECT_TRUE(state.modified);
    EXPECT_EQ(TempDir::read(file), before);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "Datei kann nicht gespeichert werden!");
    EXPECT_EQ(ui.messages[0].caption, "Fehler");
    EXPECT_EQ(ui.messages[0].icon, Icon::Warning);
    fs::permissions(file, fs::perms::owner_write, fs::perm_options::add);

    // A folder that does not exist.
    state.fileName = dir.file("fehlt/projekt.agx");
    EXPECT_EQ(save_project(*changed, state, ui, system_file_steps()), 0);
    EXPECT_TRUE(state.modified);
    EXPECT_FALSE(fs::exists(dir.file("fehlt")));

    // The project file's name is taken by a folder.
    state.fileName = dir.path().string();
    EXPECT_EQ(save_project(*changed, state, ui, system_file_steps()), 0);
    EXPECT_EQ(ui.messages.size(), 3u);

    // And then it works, replacing the old file.
    state.fileName = file;
    EXPECT_EQ(save_project(*changed, state, ui, system_file_steps()), 1);
    EXPECT_FALSE(state.modified);
    EXPECT_EQ(TempDir::read(file), project_file_bytes(*changed));
    for (const auto& entry : fs::directory_iterator(dir.path()))
        EXPECT_EQ(entry.path().filename().string(), "projekt.agx");  // no temporary file left behind
}

// The save interrupted at each step of the file layer in turn, at each call of it: the old
// file stays byte for byte (the new one is in its place only when the disk did not confirm
// the rename), nothing is left beside it, the user is told and the project stays marked
// modified.
TEST_F(EditorFixture, SaveInterruptedAtAnyStepKeepsTheOldFile) {
    using Step = testing::FailingFileSteps::Step;
    const std::string file = dir.file("projekt.agx");
    ASSERT_EQ(write_project_file(file, *project, system_file_steps()), "");
    const std::vector<u8> before = TempDir::read(file);
    const auto changed = edited_project();
    // How often a save over an existing file takes each step.
    testing::FailingFileSteps counted;
    {
        TempDir other;
        EditorState s{other.file("projekt.agx")};
        ASSERT_EQ(write_project_file(s.fileName, *project, system_file_steps()), "");
        ASSERT_EQ(save_project(*changed, s, ui, counted), 1);
    }
    int interruptions = 0;
    for (Step step : testing::FailingFileSteps::kSaveSteps) {
        for (int call = 1; call <= counted.calls(step); ++call, ++interruptions) {
            SCOPED_TRACE(::testing::Message() << "step " << static_cast<int>(step) << ", call " << call);
            TempDir::write(file, before);
            testing::FailingFileSteps failing(step, call);
            ScriptedUi told;
            state.fileName = file;
            state.modified = true;
            EXPECT_EQ(save_project(*changed, state, told, failing), 0);
            EXPECT_TRUE(state.modified);
            EXPECT_EQ(TempDir::read(file), step == Step::SyncFolder ? project_file_bytes(*changed) : before);
            EXPECT_EQ(told.texts(), std::vector<std::string>{kSaveFailedText});
            for (const auto& entry : fs::directory_iterator(dir.path()))
                EXPECT_EQ(entry.path().filename().string(), "projekt.agx");
        }
    }
    EXPECT_GE(interruptions, 8);  // every step is taken at least once
}

}  // namespace
}  // namespace kest
