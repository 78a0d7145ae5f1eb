#include "loader/loader_session.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/file_steps.h"
#include "session/exit_status.h"
#include "tests/support/fake_clock.h"
#include "tests/support/emulated_port.h"
#include "tests/support/scripted_port.h"
#include "tests/support/scripted_ui.h"
#include "tests/support/srec_text.h"

namespace kest::loader {
namespace {

namespace fs = std::filesystem;
using emu::Bytes;

TEST(LoaderCommandLine, FileCommaPortSeparatorRate) {
    struct Case {
        const char* line;
        const char* file;
        std::optional<int> port, rate;
    };
    const std::vector<Case> cases = {
        {"PROG.SHX,2 3", "PROG.SHX", 1, 2},
        {"PROG.SHX", "PROG.SHX", {}, {}},
        {"PROG.SHX,7 3", "PROG.SHX", {}, 2},  // the dialog offers COM7, the command line does not
        {"PROG.SHX,6x5", "PROG.SHX", 5, 4},
        {"PROG.SHX,1 6", "PROG.SHX", 0, {}},
        {"PROG.SHX,2", "PROG.SHX", 1, {}},
        {"PROG.SHX,0 0", "PROG.SHX", {}, {}},
        {"PROG.SHX,", "PROG.SHX", {}, {}},
        {"  C:\\My Programs\\PROG.SHX,4,1  ", "C:\\My Programs\\PROG.SHX", 3, 0},
        {"\"C:\\a,b\\PROG.SHX\",2 3", "C:\\a,b\\PROG.SHX", 1, 2},
        {"\"C:\\My Programs\\PROG.SHX,2 3\"", "C:\\My Programs\\PROG.SHX", 1, 2},
        {"\"C:\\My Programs\\PROG.SHX\"", "C:\\My Programs\\PROG.SHX", {}, {}},
        {"", "", {}, {}},
        {"   ", "", {}, {}},
    };
    for (const auto& c : cases) {
        const LoaderCommandLine got = parse_command_line(c.line);
        EXPECT_EQ(got.file, c.file) << c.line;
        EXPECT_EQ(got.port, c.port) << c.line;
        EXPECT_EQ(got.rate, c.rate) << c.line;
    }
}

TEST(LoaderFolders, ProgramFolderKeepsItsBackslashChosenFolderDoesNot) {
    EXPECT_EQ(program_folder("C:\\Tools\\tamplo.exe"), "C:\\Tools\\");
    EXPECT_EQ(folder_of("C:\\Objects\\Scanner\\PROG.SHX"), "C:\\Objects\\Scanner");
    EXPECT_EQ(folder_of("PROG.SHX"), "");
    const std::string deep = "C:\\" + std::string(300, 'd') + "\\PROG.SHX";
    EXPECT_EQ(folder_of(deep).size(), 303u);
}

class LoaderRun : public ::testing::Test {
public:
    LoaderRun() {
        dir = fs::temp_directory_path() /
              ("tamplo_test_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir / "prog" / "objects");
        folder = (dir / "prog").string() + "/";
        object = (dir / "prog" / "objects" / "A.SHX").string();
        std::ofstream(object, std::ios::binary)
            << testing::srec_line('3', 0x2000, {1, 2, 3}) << testing::srec_line('7', 0, {});
        fresh();
    }

    // A new terminal (behind its cradle, at 9600 first) and user interface for the next run.
    // A direct cable has no cradle to answer the probes.
    void fresh(const std::string& faults = "", bool direct = false) {
        std::string error;
        const auto plan = emu::parse_fault_plan(faults, error);
        ASSERT_TRUE(plan) << error;
        emu::EmulatorConfig config;
        config.direct = direct;
        terminal = std::make_unique<testing::EmulatedPort>(clock, config, *plan);
        linkPtr = std::make_unique<Link>(*terminal, clock);
        ui = testing::ScriptedUi();
    }
    ~LoaderRun() override { fs::remove_all(dir); }

    SessionResult run(const std::string& commandLine) {
        LoaderEnvironment env{*linkPtr, ui, system_file_steps(), folder, [this](LoaderSettings& s) {
                                  offered.push_back(s);
                                  if (choices.empty()) return false;
                                  s = choices.front();
                                  choices.erase(choices.begin());
                                  return true;
                              }};
        return run_loader(env, commandLine);
    }

    const std::vector<std::string>& opened() const { return terminal->opened(); }
    // The flash contents the terminal keeps, from the lowest address written.
    Bytes flash() const { return terminal->emulator().terminal().flash().image(); }

    testing::FakeClock clock;
    std::unique_ptr<testing::EmulatedPort> terminal;
    std::unique_ptr<Link> linkPtr;
    testing::ScriptedUi ui;
    fs::path dir;
    std::string folder, object;
    std::vector<LoaderSettings> offered, choices;
};

TEST_F(LoaderRun, CommandLineDownloadsWithoutAnyDialogOrQuestion) {
    const SessionResult r = run(object + ",2 3");
    EXPECT_EQ(r.end, SessionEnd::Done);
    EXPECT_EQ(result_value(r), 1);
    EXPECT_EQ(exit_status(r), 0);
    EXPECT_EQ(opened(), std::vector<std::string>{"COM2"});
    EXPECT_EQ(terminal->current_settings().baud, 38400u);
    EXPECT_TRUE(terminal->current_settings().rtsEnable);
    EXPECT_EQ(terminal->emulator().cradle().rate(), 38400u);
    EXPECT_TRUE(ui.dialogs.empty());
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_TRUE(offered.empty());
    EXPECT_EQ(flash(), (Bytes{1, 2, 3}));
    EXPECT_FALSE(terminal->is_open());
    EXPECT_FALSE(fs::exists(folder + "tamplo.ini"));
}

TEST_F(LoaderRun, FileNameAloneUsesCom1At115200) {
    EXPECT_EQ(run(object).end, SessionEnd::Done);
    EXPECT_EQ(opened(), std::vector<std::string>{"COM1"});
    EXPECT_EQ(terminal->current_settings().baud, 115200u);
}

TEST_F(LoaderRun, OnlyTheLoaderReportsACradleThatDoesNotAnswer) {
    fresh("", true);  // a direct cable: no cradle answers the probes
    EXPECT_EQ(run(object).end, SessionEnd::CradleFailed);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "Can't set IR device !!!");
    EXPECT_EQ(ui.messages[0].caption, "Program Download");
    EXPECT_EQ(ui.messages[0].icon, Icon::Warning);
    EXPECT_EQ(ui.messages[0].buttons, Buttons::Ok);
    EXPECT_FALSE(terminal->is_open());
}

TEST_F(LoaderRun, FirstStartOpensInTheProgramFolderAndRemembersTheChoice) {
    ui.openFiles = {object, std::nullopt};
    choices = {{0, 0}};
    ui.answers = {Answer::Yes};
    const SessionResult r = run("");
    EXPECT_EQ(r.end, SessionEnd::Cancelled);
    ASSERT_EQ(ui.dialogs.size(), 2u);
    EXPECT_EQ(ui.dialogs[0].initialDir, folder);
    EXPECT_EQ(ui.dialogs[0].defaultExtension, "SHX");
    ASSERT_EQ(ui.dialogs[0].filters.size(), 1u);
    EXPECT_EQ(ui.dialogs[0].filters[0].description, "Absolute object programs {*.SHX}");
    EXPECT_EQ(ui.dialogs[0].filters[0].pattern, "*.SHX");
    EXPECT_TRUE(ui.dialogs[0].mustExist);
    EXPECT_TRUE(ui.dialogs[0].hideReadOnly);
    const std::string chosenFolder = (dir / "prog" / "objects").string();
    std::ifstream ini(folder + "tamplo.ini", std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(ini), {}), chosenFolder);
    EXPECT_EQ(ui.dialogs[1].initialDir, chosenFolder);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "Downloaded completely.\nDo you want to download another program?");
    EXPECT_EQ(ui.messages[0].icon, Icon::Question);
    EXPECT_EQ(ui.messages[0].buttons, Buttons::YesNo);
    EXPECT_EQ(ui.messages[0].caption, "Program Download");
}

// The settings file is read only up to its limit and only when it is a file; a larger one
// is reported, and the choice then writes a fresh one.
TEST_F(LoaderRun, SettingsFileIsReadWithinItsLimit) {
    const std::string ini = folder + "tamplo.ini";
    const std::string longest(kSettingsLimit, 'x');
    const struct {
        const char* name;
        std::function<void()> arrange;
        std::string startFolder;  // "" = the program folder
        bool reported;
    } cases[] = {
        {"at the limit", [&] { std::ofstream(ini, std::ios::binary) << longest; }, longest, false},
        {"over the limit", [&] { std::ofstream(ini, std::ios::binary) << longest << "\r\n"; }, "", true},
        {"a folder", [&] { fs::create_directory(ini); }, "", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(ini);
        c.arrange();
        fresh();
        ui.openFiles = {std::nullopt};
        EXPECT_EQ(run("").end, SessionEnd::Cancelled);
        ASSERT_EQ(ui.dialogs.size(), 1u);
        EXPECT_EQ(ui.dialogs[0].initialDir, c.startFolder.empty() ? folder : c.startFolder);
        EXPECT_EQ(ui.texts(), c.reported
                                  ? std::vector<std::string>{"tamplo.ini is larger than 4096 bytes and was not "
                                                             "read: the file dialog starts in the program folder."}
                                  : std::vector<std::string>{});
    }
    fs::remove_all(ini);
    std::ofstream(ini, std::ios::binary) << std::string(kSettingsLimit + 1, 'x');
    fresh();
    ui.openFiles = {object};
    run("");
    std::ifstream written(ini, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(written), {}), (dir / "prog" / "objects").string());
}

TEST_F(LoaderRun, SecondDownloadOffersThePortAndRateChosenBefore) {
    ui.openFiles = {object, object};
    choices = {{3, 2}, {3, 2}};
    ui.answers = {Answer::Yes, Answer::No};
    EXPECT_EQ(run("").end, SessionEnd::Done);
    ASSERT_EQ(offered.size(), 2u);
    EXPECT_EQ(offered[0].port, 0);
    EXPECT_EQ(offered[0].rate, 0);
    EXPECT_EQ(offered[1].port, 3);
    EXPECT_EQ(offered[1].rate, 2);
    EXPECT_EQ(opened(), (std::vector<std::string>{"COM4", "COM4"}));
}

TEST_F(LoaderRun, CancellingThePortDialogLeavesThePortAlone) {
    ui.openFiles = {object};
    EXPECT_EQ(run("").end, SessionEnd::Cancelled);
    EXPECT_EQ(offered.size(), 1u);
    EXPECT_TRUE(opened().empty());
}

TEST_F(LoaderRun, FailedAttemptAsksForARetryAndReadsTheFileAgain) {
    fresh("silence=12500@1");  // no answer for the three wake-up cycles of the first attempt
    ui.answers = {Answer::Yes};
    const SessionResult r = run(object);
    EXPECT_EQ(r.end, SessionEnd::Done);
    EXPECT_EQ(ui.texts(),
              (std::vector<std::string>{"Terminal is not ready!", "Download failed, would you like to retry?"}));
    EXPECT_EQ(opened().size(), 1u);
}

TEST_F(LoaderRun, FailuresEndWithTheirMessageAndResult) {
    struct Case {
        const char* name;
        std::function<void(LoaderRun&)> arrange;
        std::vector<std::string> messages;
        SessionEnd end;
        int value, exit;
        bool portOpened;  // an open was tried
    };
    const std::vector<Case> cases = {
        {"port",
         [](LoaderRun& t) { t.terminal->fail_open(true); },
         {"Can't open the COM port!"},
         SessionEnd::PortFailed,
         -1,
         3,
         true},
        {"cradle",
         [](LoaderRun& t) { t.fresh("", true); },
         {"Can't set IR device !!!"},
         SessionEnd::CradleFailed,
         0,
         3,
         true},
        {"line",
         [](LoaderRun& t) { t.terminal->fail_apply(true); },
         {"Failed to set communication state"},
         SessionEnd::LineFailed,
         0,
         3,
         true},
        {"directory",
         [](LoaderRun& t) { t.object = t.dir.string(); },
         {"Can't open the file!"},
         SessionEnd::FileUnreadable,
         -1,
         2,
         false},
        {"missing",
         [](LoaderRun& t) { t.object += ".gone"; },
         {"Can't open the file!"},
         SessionEnd::FileUnreadable,
         -1,
         2,
         false},
        {"damaged",
         [](LoaderRun& t) { std::ofstream(t.object) << "S1zz\r\n"; },
         {"The object file is damaged and was not downloaded.\nLine 1: 'z' in column 3 is not a hexadecimal digit"},
         SessionEnd::AttemptFailed,
         0,
         2,
         false},
        {"no data records",
         [](LoaderRun& t) { std::ofstream(t.object) << testing::srec_line('7', 0, {}); },
         {"Error on downloading!!"},
         SessionEnd::AttemptFailed,
         0,
         2,
         false},
        {"no answer",
         [](LoaderRun& t) { t.fresh("silence=100000@1"); },
         {"Terminal is not ready!", "Download failed, would you like to retry?"},
         SessionEnd::AttemptFailed,
         0,
         4,
         true},
        {"refused record",
         [](LoaderRun& t) { t.fresh("ff=1"); },
         {"Error on downloading!", "Download failed, would you like to retry?"},
         SessionEnd::AttemptFailed,
         0,
         1,
         true},
    };
    for (const auto& c : cases) {
        LoaderRun& t = *this;
        fresh();
        std::ofstream(object, std::ios::binary)
            << testing::srec_line('3', 0x2000, {1}) << testing::srec_line('7', 0, {});
        const std::string saved = object;
        c.arrange(t);
        const SessionResult r = run(object + ",1 1");
        object = saved;
        EXPECT_EQ(ui.texts(), c.messages) << c.name;
        EXPECT_EQ(r.end, c.end) << c.name;
        EXPECT_EQ(result_value(r), c.value) << c.name;
        EXPECT_EQ(exit_status(r), c.exit) << c.name;
        EXPECT_EQ(!opened().empty(), c.portOpened) << c.name;
        EXPECT_FALSE(terminal->is_open()) << c.name;
    }
}

}  // namespace
}  // namespace kest::loader
