#include "common/output_file.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "common/file_problem.h"
#include "tests/support/failing_file_steps.h"
#include "tests/support/temp_dir.h"

namespace kest {
namespace {

namespace fs = std::filesystem;
using testing::FailingFileSteps;
using testing::TempDir;

const std::vector<std::uint8_t> kOld = {'o', 'l', 'd'};
const std::vector<std::uint8_t> kNew = {'n', 'e', 'w', '!'};

std::vector<std::string> names_in(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

constexpr auto kWriteBits = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;

TEST(OutputFile, RulesForExistingAndMissingFiles) {
    const struct {
        const char* name;
        bool exists, readOnly;
        OutputRules rules;
        OutputProblem problem;
    } cases[] = {
        {"new file", false, false, {}, OutputProblem::None},
        {"existing file kept", true, false, {}, OutputProblem::Exists},
        {"existing file replaced", true, false, {.replace = true}, OutputProblem::None},
        {"read-only file kept", true, true, {.replace = true}, OutputProblem::ReadOnly},
        {"read-only file replaced", true, true, {.replace = true, .replaceReadOnly = true}, OutputProblem::None},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::string file = dir.file("out.bin");
        if (c.exists) TempDir::write(file, kOld);
        if (c.readOnly) fs::permissions(file, kWriteBits, fs::perm_options::remove);
        EXPECT_EQ(write_output_file(file, kNew, c.rules, system_file_steps()), c.problem);
        EXPECT_EQ(TempDir::read(file), c.problem == OutputProblem::None ? kNew : kOld);
        EXPECT_EQ(names_in(dir.path()), std::vector<std::string>{"out.bin"}) << "no temporary file is left";
        if (c.readOnly) {
            EXPECT_EQ(fs::status(file).permissions() & fs::perms::owner_write, fs::perms::none) << "still read-only";
            fs::permissions(file, fs::perms::owner_write, fs::perm_options::add);
        }
    }
    TempDir dir;
    EXPECT_EQ(write_output_file(dir.path().string(), kNew, {.replace = true}, system_file_steps()),
              OutputProblem::Folder);
    EXPECT_EQ(write_output_file(dir.file("missing/out.bin"), kNew, {}, system_file_steps()),
              OutputProblem::CannotCreate);
}

// Whichever step fails, the failure is reported, nothing is left beside the file, and the
// old file stays as it was; only once the rename is done is the new file in its place,
// when the disk does not confirm the rename.
TEST(OutputFile, EveryFailingStepKeepsTheOldFile) {
    using Step = FailingFileSteps::Step;
    const struct {
        Step step;
        OutputProblem problem;
    } cases[] = {
        {Step::Open, OutputProblem::CannotCreate},    {Step::Write, OutputProblem::CannotWrite},
        {Step::Flush, OutputProblem::CannotWrite},    {Step::Sync, OutputProblem::CannotWrite},
        {Step::Close, OutputProblem::CannotWrite},    {Step::Permissions, OutputProblem::CannotReplace},
        {Step::Rename, OutputProblem::CannotReplace}, {Step::SyncFolder, OutputProblem::NotOnDisk},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.step));
        TempDir dir;
        const std::string file = dir.file("projekt.agx");
        TempDir::write(file, kOld);
        FailingFileSteps steps(c.step);
        EXPECT_EQ(write_output_file(file, kNew, {.replace = true}, steps), c.problem);
        EXPECT_GE(steps.calls(c.step), 1);
        EXPECT_EQ(TempDir::read(file), c.step == Step::SyncFolder ? kNew : kOld);
        EXPECT_EQ(names_in(dir.path()), std::vector<std::string>{"projekt.agx"});
    }
}

// The records of an upload are put on the disk one by one: the file's data each time, and
// the folder entry of a file this run created once (the temporary file, or a new file
// appended to); a step that fails says so.
TEST(OutputFile, SyncPutsTheDataAndACreatedFilesEntryOnTheDiskOnce) {
    using Step = FailingFileSteps::Step;
    const struct {
        const char* name;
        bool exists;
        OutputRules rules;
        int folderSyncs;  // by three syncs and the commit
    } cases[] = {
        {"replaced", true, {.replace = true}, 2},
        {"appended", true, {.append = true}, 0},
        {"appended, created", false, {.append = true}, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::string file = dir.file("daten.txt");
        if (c.exists) TempDir::write(file, kOld);
        FailingFileSteps counted;
        OutputFile out(counted);
        ASSERT_TRUE(out.open(file, c.rules));
        for (int record = 0; record < 3; ++record) EXPECT_TRUE(out.write(kNew) && out.sync());
        EXPECT_TRUE(out.commit());
        EXPECT_EQ(counted.calls(Step::Sync), 4);
        EXPECT_EQ(counted.calls(Step::SyncFolder), c.folderSyncs);

        for (Step step : {Step::Sync, Step::SyncFolder}) {
            if (counted.calls(step) == 0) continue;
            if (c.exists) TempDir::write(file, kOld);
            if (!c.exists) fs::remove(file);
            FailingFileSteps failing(step);
            OutputFile again(failing);
            ASSERT_TRUE(again.open(file, c.rules));
            EXPECT_FALSE(again.write(kNew) && again.sync());
            EXPECT_EQ(again.problem(), OutputProblem::CannotWrite);
        }
    }
}

// The system's reason for a failed step reaches the message, in the command line's words.
TEST(OutputFile, TheSystemsReasonIsKeptAndNamed) {
    using Step = FailingFileSteps::Step;
    TempDir dir;
    const std::string file = dir.file("projekt.agx");
    const std::string folder = dir.path().string();
    const struct {
        Step step;
        int error;
        OutputProblem problem;
        std::string why;
    } cases[] = {
        {Step::Open, EACCES, OutputProblem::CannotCreate, "permission denied in " + folder},
        {Step::Open, EROFS, OutputProblem::CannotCreate, folder + " is on a read-only file system"},
        {Step::Write, ENOSPC, OutputProblem::CannotWrite, "no space left on the device"},
        {Step::Flush, EIO, OutputProblem::CannotWrite, "input/output error"},
        {Step::Open, 0, OutputProblem::CannotCreate, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        FailingFileSteps steps(c.step);
        steps.with_error(c.error);
        int error = -1;
        EXPECT_EQ(write_output_file(file, kNew, {}, steps, &error), c.problem);
        EXPECT_EQ(error, c.error);
        EXPECT_EQ(create_problem(file, error), c.why);
        EXPECT_FALSE(fs::exists(file));
    }
    EXPECT_EQ(create_problem("projekt.agx", EACCES), "permission denied in the current folder");
    EXPECT_EQ(create_problem(dir.file("fehlt/projekt.agx"), EACCES), "no folder " + dir.file("fehlt"));
}

TEST(OutputFile, AppendKeepsWhatWasThereAndDiscardRemovesOnlyWhatItCreated) {
    TempDir dir;
    const std::string existing = dir.file("daten.txt"), created = dir.file("neu.txt");
    TempDir::write(existing, kOld);
    for (const std::string& file : {existing, created}) {
        OutputFile out(system_file_steps());
        ASSERT_TRUE(out.open(file, {.append = true}));
        EXPECT_EQ(out.temporary(), fs::path(file));
        EXPECT_TRUE(out.write(kNew));
        EXPECT_TRUE(out.flush());
        out.discard();
    }
    EXPECT_EQ(TempDir::read(existing), (std::vector<std::uint8_t>{'o', 'l', 'd', 'n', 'e', 'w', '!'}));
    EXPECT_FALSE(fs::exists(created));

    // A replacing file waits beside the target until the commit.
    OutputFile out(system_file_steps());
    ASSERT_TRUE(out.open(existing, {.replace = true}));
    EXPECT_NE(out.temporary(), fs::path(existing));
    EXPECT_TRUE(out.write(kNew));
    EXPECT_TRUE(out.flush());
    EXPECT_EQ(TempDir::read(out.temporary().string()), kNew);
    EXPECT_EQ(TempDir::read(existing).size(), 7u);
    EXPECT_TRUE(out.commit());
    EXPECT_EQ(TempDir::read(existing), kNew);
    EXPECT_EQ(names_in(dir.path()), std::vector<std::string>{"daten.txt"});
}

#ifndef _WIN32
// Links, modes, devices and pipes.
TEST(OutputFile, LinksStayLinksModesStayAndDevicesAreNeverReplaced) {
    TempDir dir;
    const fs::path real = dir.path() / "real" / "projekt.agx";
    fs::create_directories(real.parent_path());
    TempDir::write(real.string(), kOld);
    fs::permissions(real, fs::perms::owner_read | fs::perms::owner_write);
    const fs::path link = dir.path() / "link.agx", chain = dir.path() / "chain.agx";
    fs::create_symlink("real/projekt.agx", link);
    fs::create_symlink(link, chain);

    EXPECT_EQ(write_output_file(chain.string(), kNew, {}, system_file_steps()), OutputProblem::Exists);
    EXPECT_EQ(write_output_file(chain.string(), kNew, {.replace = true}, system_file_steps()), OutputProblem::None);
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(link)));
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(chain)));
    EXPECT_EQ(TempDir::read(real.string()), kNew);
    EXPECT_EQ(fs::status(real).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(names_in(real.parent_path()), std::vector<std::string>{"projekt.agx"});

    // A link whose file does not exist yet gets it.
    const fs::path dangling = dir.path() / "dangling.agx";
    fs::create_symlink("real/neu.agx", dangling);
    EXPECT_EQ(write_output_file(dangling.string(), kNew, {}, system_file_steps()), OutputProblem::None);
    EXPECT_EQ(TempDir::read((real.parent_path() / "neu.agx").string()), kNew);

    const fs::path loop = dir.path() / "loop";
    fs::create_symlink("loop", loop);
    EXPECT_EQ(write_output_file(loop.string(), kNew, {.replace = true}, system_file_steps()),
              OutputProblem::CannotCreate);

    // A pipe: refused as a file, written into as a stream (a reader takes the bytes).
    const fs::path fifo = dir.path() / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(write_output_file(fifo.string(), kNew, {.replace = true, .replaceReadOnly = true}, system_file_steps()),
              OutputProblem::NotRegular);
    EXPECT_TRUE(fs::is_fifo(fifo));
    std::FILE* reader = std::fopen(fifo.c_str(), "r+");  // a reader, without blocking the open
    ASSERT_NE(reader, nullptr);
    EXPECT_EQ(write_output_file(fifo.string(), kNew, {.stream = true}, system_file_steps()), OutputProblem::None);
    char got[4] = {};
    EXPECT_EQ(std::fread(got, 1, 4, reader), 4u);
    std::fclose(reader);
    EXPECT_EQ(std::string(got, 4), "new!");
    EXPECT_TRUE(fs::is_fifo(fifo));

    EXPECT_EQ(write_output_file("/dev/null", kNew, {}, system_file_steps()), OutputProblem::NotRegular);
    EXPECT_EQ(write_output_file("/dev/null", kNew, {.stream = true}, system_file_steps()), OutputProblem::None);
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
}
#endif

}  // namespace
}  // namespace kest
