// The rules every kest command follows for the files it writes: existing files kept
// without --force, links and permission bits kept with it, devices and pipes never
// replaced (stream outputs write into them).
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "tests/integration/run_tool.h"

namespace kest::testing {
namespace {

namespace fs = std::filesystem;

ToolRun kest(const std::vector<std::string>& args) { return run_tool(tool_path("KEST_BIN"), args); }

struct Command {
    const char* name;
    bool stream;
    // The arguments that write OUT, with --force or without.
    std::function<std::vector<std::string>(const TempDir&, const std::string& out, bool force)> args;
};

std::vector<std::string> with_force(std::vector<std::string> args, bool force) {
    if (force) args.push_back("--force");
    return args;
}

const Command kCommands[] = {
    {"new", false,
     [](const TempDir&, const std::string& out, bool force) {
         return with_force({"new", out}, force);
     }},
    {"convert", false,
     [](const TempDir& dir, const std::string& out, bool force) {
         return with_force({"convert", dir.file("in.agx"), out}, force);
     }},
    {"image", true,
     [](const TempDir& dir, const std::string& out, bool force) {
         return with_force({"image", dir.file("in.agx"), "-o", out}, force);
     }},
};

fs::perms mode_of(const fs::path& p) { return fs::status(p).permissions() & fs::perms::all; }

TEST(OutputRules, EveryCommandKeepsFilesLinksAndModes) {
    const std::string old = "old contents";
    for (const Command& c : kCommands) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        ASSERT_EQ(kest({"new", dir.file("in.agx")}).status, 0);
        const std::string out = dir.file("out.bin");
        const std::vector<unsigned char> oldBytes(old.begin(), old.end());
        TempDir::write(out, oldBytes);

        // Kept without --force.
        ToolRun r = kest(c.args(dir, out, false));
        EXPECT_EQ(r.status, 2);
        EXPECT_NE(r.err.find(out + ": exists already (--force replaces it)"), std::string::npos) << r.err;
        EXPECT_EQ(TempDir::read(out), oldBytes);

        // A read-only file: refused without --force, replaced with it and still read-only.
        fs::permissions(out, fs::perms::owner_read | fs::perms::group_read);
        EXPECT_EQ(kest(c.args(dir, out, false)).status, 2);
        r = kest(c.args(dir, out, true));
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_GT(TempDir::read(out).size(), old.size());
        EXPECT_EQ(mode_of(out), fs::perms::owner_read | fs::perms::group_read);

        // Through a link: the link stays, its file is replaced with its mode.
        const fs::path target = dir.path() / "target.bin", link = dir.path() / "link.bin";
        TempDir::write(target.string(), oldBytes);
        fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write);
        fs::create_symlink("target.bin", link);
        r = kest(c.args(dir, link.string(), true));
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_TRUE(fs::is_symlink(fs::symlink_status(link)));
        EXPECT_GT(TempDir::read(target.string()).size(), old.size());
        EXPECT_EQ(mode_of(target), fs::perms::owner_read | fs::perms::owner_write);

        // A pipe is never replaced by a file; a folder neither.
        const fs::path fifo = dir.path() / "fifo";
        ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
        if (!c.stream) {
            r = kest(c.args(dir, fifo.string(), true));
            EXPECT_EQ(r.status, 2);
            EXPECT_NE(r.err.find("is not a regular file"), std::string::npos) << r.err;
            EXPECT_TRUE(fs::is_fifo(fifo));
        }
        r = kest(c.args(dir, dir.path().string(), true));
        EXPECT_EQ(r.status, 2);
        EXPECT_NE(r.err.find("is a folder"), std::string::npos) << r.err;
        EXPECT_EQ(fs::directory_iterator(dir.path()) != fs::directory_iterator(), true);
        for (const auto& entry : fs::directory_iterator(dir.path()))
            EXPECT_EQ(entry.path().string().find('~'), std::string::npos) << "left behind: " << entry.path();
    }
}

TEST(OutputRules, StreamOutputsWriteIntoDevicesAndStdout) {
    TempDir dir;
    ASSERT_EQ(kest({"new", dir.file("in.agx")}).status, 0);
    ToolRun r = kest({"image", dir.file("in.agx"), "-o", "/dev/null"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
    r = kest({"image", dir.file("in.agx"), "-o", "/dev/stdout"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.size(), 20000u);
    r = kest({"new", "--force", "/dev/stdout"});
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(r.out.empty());
}

}  // namespace
}  // namespace kest::testing
