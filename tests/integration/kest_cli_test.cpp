// kest as its users meet it: the port list, the usual options and the messages, run as
// the program.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <future>
#include <map>
#include <memory>
#include <sstream>

#include "platform/file_steps.h"
#include "project/project_file.h"
#include "tests/integration/kestemu_process.h"
#include "tests/integration/run_tool.h"
#include "tests/support/projects.h"

namespace kest {
namespace {

using testing::TempDir;
using testing::ToolRun;
namespace fs = std::filesystem;

ToolRun kest(const std::vector<std::string>& args, const std::string& input = "/dev/null") {
    return testing::run_kest(args, input);
}

// A stand-in for /sys: class/tty links to device folders as the kernel lays them out.
class SysfsTree {
public:
    explicit SysfsTree(const fs::path& root) : root_(root) { fs::create_directories(root_ / "class" / "tty"); }

    // A tty whose device folder is `device` (below devices/), with these attributes.
    void tty(const std::string& name, const std::string& device, const std::map<std::string, std::string>& attributes) {
        const fs::path dir = root_ / "devices" / device / "tty" / name;
        fs::create_directories(dir);
        fs::create_directory_symlink(root_ / "devices" / device, dir / "device");
        for (const auto& [file, value] : attributes) std::ofstream(dir / file) << value << "\n";
        fs::create_directory_symlink(dir, root_ / "class" / "tty" / name);
    }
    // A virtual console: no device.
    void console(const std::string& name) {
        fs::create_directories(root_ / "devices" / "virtual" / "tty" / name);
        fs::create_directory_symlink(root_ / "devices" / "virtual" / "tty" / name, root_ / "class" / "tty" / name);
    }
    void driver(const std::string& device, const std::string& driver, const std::string& bus) {
        fs::create_directories(root_ / "bus" / bus / "drivers" / driver);
        fs::create_directories(root_ / "devices" / device);
        fs::create_directory_symlink(root_ / "bus" / bus / "drivers" / driver, root_ / "devices" / device / "driver");
        fs::create_directory_symlink(root_ / "bus" / bus, root_ / "devices" / device / "subsystem");
    }
    void usb(const std::string& device, const std::map<std::string, std::string>& attributes) {
        fs::create_directories(root_ / "devices" / device);
        for (const auto& [file, value] : attributes) std::ofstream(root_ / "devices" / device / file) << value << "\n";
    }

private:
    fs::path root_;
};

TEST(KestPorts, ListsTheTtysOfSysfsWithDriverAndDescription) {
    TempDir dir;
    SysfsTree sys(dir.path());
    sys.driver("pnp0/00:04", "serial", "pnp");
    sys.tty("ttyS0", "pnp0/00:04", {{"type", "4"}, {"port", "0x3F8"}, {"irq", "4"}});
    // The serial core's own port device sits between the tty and the controller.
    sys.driver("platform/serial8250", "serial8250", "platform");
    sys.driver("platform/serial8250/serial8250:0", "ctrl", "serial-base");
    sys.driver("platform/serial8250/serial8250:0/serial8250:0.10", "port", "serial-base");
    sys.tty("ttyS10", "platform/serial8250/serial8250:0/serial8250:0.10",
            {{"type", "4"}, {"port", "0x2E8"}, {"irq", "3"}});
    sys.driver("platform/serial8250/serial8250:0/serial8250:0.2", "port", "serial-base");
    sys.tty("ttyS2", "platform/serial8250/serial8250:0/serial8250:0.2",
            {{"type", "0"}, {"port", "0x3E8"}, {"irq", "4"}});
    sys.usb("pci0/usb1/1-1", {{"idVendor", "0403"},
                              {"idProduct", "6001"},
                              {"product", "FT232R USB UART"},
                              {"manufacturer", "FTDI"},
                              {"serial", "A700eYzC"}});
    sys.driver("pci0/usb1/1-1/1-1:1.0/ttyUSB0", "ftdi_sio", "usb-serial");
    sys.tty("ttyUSB0", "pci0/usb1/1-1/1-1:1.0/ttyUSB0", {});
    sys.usb("pci0/usb1/1-2", {{"idVendor", "2341"}, {"idProduct", "0043"}, {"product", "Scanner Cradle"}});
    sys.driver("pci0/usb1/1-2/1-2:1.0", "cdc_acm", "usb");
    sys.tty("ttyACM0", "pci0/usb1/1-2/1-2:1.0", {});
    sys.console("tty1");
    sys.tty("ttyS3", "pnp0/00:05", {{"type", "4"}});  // a device without a driver

    const ToolRun r = kest({"ports", "--sysfs", dir.path().string()});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out,
              "/dev/ttyACM0  cdc_acm     Scanner Cradle 2341:0043\n"
              "/dev/ttyS0    serial      I/O 0x3F8, IRQ 4\n"
              "/dev/ttyS10   serial8250  I/O 0x2E8, IRQ 3\n"
              "/dev/ttyUSB0  ftdi_sio    FT232R USB UART (FTDI) 0403:6001 serial A700eYzC\n");

    TempDir empty;
    SysfsTree none(empty.path());
    none.console("tty1");
    const ToolRun nothing = kest({"ports", "--sysfs", empty.path().string()});
    EXPECT_EQ(nothing.status, 0);
    EXPECT_EQ(nothing.out, "");
    EXPECT_NE(nothing.err.find("no serial port found"), std::string::npos);

    const ToolRun wrong = kest({"ports", "--sysfs", dir.file("fehlt")});
    EXPECT_EQ(wrong.status, 2);
    EXPECT_NE(wrong.err.find("fehlt: no class/tty folder"), std::string::npos) << wrong.err;
}

// kest with its stderr on a terminal (a pseudo-terminal of `script`), its stdout dropped;
// what the terminal showed comes back with CR LF line ends.
// `prefix` runs before it (e.g. "timeout -s INT 4").
ToolRun kest_on_terminal(const std::vector<std::string>& args, const std::string& prefix = "") {
    std::string command = prefix + " " + testing::shell_quote(testing::tool_path("KEST_BIN"));
    for (const auto& a : args) command += " " + testing::shell_quote(a);
    return testing::run_tool("script", {"-qec", command + " >/dev/null", "/dev/null"});
}

// On a terminal the progress line counts the blocks and is ended before the message that
// follows it, after success, a failure and an interruption; in a file there is no progress
// line.
TEST(KestProgress, OnATerminalOnlyAndEndedBeforeTheMessage) {
    if (testing::tool_path("KESTEMU_BIN").empty()) GTEST_SKIP() << "no kestemu in this build";
    TempDir dir;
    const std::string project = dir.file("p.agx");
    ASSERT_EQ(write_project_file(project, *testing::new_project(), system_file_steps()), "");
    struct Case {
        std::vector<std::string> emulator;
        const char* last;     // the last amount the line shows
        const char* message;  // on the line after it
        std::string prefix;
    };
    const Case cases[] = {
        {{"--direct"}, "200/200 blocks", "Downloaded komplett!", ""},
        {{"--direct", "--faults", "full-at=50"}, "50/200 blocks", "Speicher voll!", ""},
        // At 9600 bit/s on a paced line the download takes some 20 s: Ctrl+C comes part-way.
        {{"--direct", "--pace"}, "/200 blocks", "kest download: interrupted", "timeout -s INT 4"},
    };
    for (const Case& c : cases) {
        testing::KestemuProcess emu(c.emulator);
        ASSERT_TRUE(emu.ok());
        const ToolRun r =
            kest_on_terminal({"download", project, "--port", emu.link(), "--retries", "0", "-b", "9600"}, c.prefix);
        const std::size_t last = r.out.rfind(c.last);
        const std::size_t message = r.out.find(c.message);
        ASSERT_NE(last, std::string::npos) << r.out;
        ASSERT_NE(message, std::string::npos) << r.out;
        const std::size_t end = r.out.find("\r\n", last);
        ASSERT_LT(end, message) << r.out;
        EXPECT_EQ(r.out.substr(end + 2, message - end - 2).find_first_of("\r["), std::string::npos) << r.out;
    }
    testing::KestemuProcess emu({"--direct"});
    ASSERT_TRUE(emu.ok());
    const ToolRun file = kest({"download", project, "--port", emu.link()});
    EXPECT_EQ(file.status, 0) << file.err;
    EXPECT_EQ(file.err.find('\r'), std::string::npos) << file.err;
    EXPECT_EQ(file.err.find("blocks"), std::string::npos) << file.err;
}

// kest with the environment variable KEST_PORT set to `port` (unset when empty).
ToolRun kest_with_port_variable(const std::string& port, const std::vector<std::string>& args) {
    std::vector<std::string> all =
        port.empty() ? std::vector<std::string>{"-u", "KEST_PORT"} : std::vector<std::string>{"KEST_PORT=" + port};
    all.push_back(testing::tool_path("KEST_BIN"));
    all.insert(all.end(), args.begin(), args.end());
    return testing::run_tool("env", all);
}

class KestCli : public ::testing::Test {
protected:
    TempDir dir;
    std::string project = dir.file("p.agx");

    void SetUp() override {
        if (testing::tool_path("KESTEMU_BIN").empty()) GTEST_SKIP() << "no kestemu in this build";
        ASSERT_EQ(write_project_file(project, *testing::new_project(), system_file_steps()), "");
    }
    // An object program of four bytes at 0x00020000 and its end record (or none).
    std::string object_file(bool end) {
        const std::string file = dir.file(end ? "prog.shx" : "noend.shx");
        std::ofstream(file) << "S30900020000DEADBEEFBC\r\n" << (end ? "S70500020000F8\r\n" : "");
        return file;
    }
};

// Each failure is one line that names the port or file, says why, and what to try (the
// hint for a terminal in a cradle is checked where a download and an upload find no answer).
TEST_F(KestCli, FailuresSayWhatWhyAndWhatToTry) {
    testing::KestemuProcess direct({"--direct"});
    testing::KestemuProcess smallFlash({"--direct", "--flash-base", "0x100000"});
    ASSERT_TRUE(direct.ok() && smallFlash.ok());
    const std::string folder = dir.path().string();
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string expected;
    };
    const Case cases[] = {
        {{"download", project, "-p", dir.file("fehlt")},
         3,
         "kest download: cannot open " + dir.file("fehlt") + ": not found (kest ports lists"},
        {{"download", project, "-p", "/dev/null"}, 3, "cannot open /dev/null: not a serial device"},
        // Opened for writing, a file of /proc is refused to every user.
        {{"download", project, "-p", "/proc/1/environ"},
         3,
         "cannot open /proc/1/environ: permission denied (the user needs the right to use it"},
        {{"upload", "-o", dir.file("d.txt"), "-p", folder}, 3, "cannot open " + folder + ": not a serial device"},
        {{"download", project, "-p", direct.link(), "--cradle"},
         3,
         "no cradle answered on " + direct.link() +
             " at any rate (9600, 115200, 38400, 57600, 19200): is the "
             "cradle connected to this port and powered? With a direct cable, leave out --cradle"},
        {{"lookup", dir.file("fehlt.txt"), "-p", direct.link()}, 2, dir.file("fehlt.txt") + ": not found"},
        {{"flash", object_file(true), "-p", smallFlash.link(), "--retries", "0"},
         1,
         "the terminal refused the record for 0x00020000 with \"FF\": it cannot write there"},
        {{"flash", object_file(false), "-p", direct.link()},
         2,
         "the file has no end record (S7, S8 or S9; srec_cat writes one when given -execution-start-address="},
        {{"flash", folder, "-p", direct.link()}, 2, folder + ": is a folder, not an object file"},
        {{"show", dir.file("fehlt.agx")}, 2, "kest show: " + dir.file("fehlt.agx") + ": not found"},
        {{"check", "/proc/1/environ"}, 2, "kest check: /proc/1/environ: permission denied"},
        {{"srec-check", "/dev/null"}, 2, "/dev/null: not a regular file"},
        {{"new", dir.file("kein/p.agx")}, 2, "p.agx: cannot be created: no folder " + dir.file("kein")},
        {{"image", project, "-o", project + "/i.bin"}, 2, "i.bin: cannot be created: " + project + " is not a folder"},
        {{"download", project, "-p", direct.link(), "-b", "4800"},
         2,
         "--baud 4800: the terminal's rates are 115200, 57600, 38400, 19200 and 9600"},
        {{"download", project, "-p", direct.link(), "--cradle", "--no-cradle"},
         2,
         "--cradle and --no-cradle exclude each other"},
        {{"show"}, 2, "kest show: expects one FILE"},
        {{"bogus"}, 2, "kest: unknown command 'bogus'"},
    };
    for (const Case& c : cases) {
        const ToolRun r = kest(c.args);
        EXPECT_EQ(r.status, c.status) << c.args[0] << " " << c.args[1] << ": " << r.err;
        EXPECT_NE(r.err.find(c.expected), std::string::npos) << c.expected << "\n" << r.err;
        if (c.status == 2) {
            EXPECT_EQ(r.out, "") << "usage errors go to stderr: " << r.out;
        }
    }

    // A port another program holds.
    const int held = ::open(direct.link().c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(held, 0);
    ASSERT_EQ(flock(held, LOCK_EX | LOCK_NB), 0);
    const ToolRun busy = kest({"download", project, "-p", direct.link()});
    ::close(held);
    EXPECT_EQ(busy.status, 3);
    EXPECT_NE(busy.err.find("busy: another program has it open (close agkest, tamplo"), std::string::npos) << busy.err;
}

// The port from KEST_PORT, --help naming it; -q leaves results and errors only; -v shows
// the exchanges.
TEST_F(KestCli, PortVariableQuietAndVerbose) {
    testing::KestemuProcess emu({"--direct"});
    ASSERT_TRUE(emu.ok());
    ToolRun r = kest_with_port_variable(emu.link(), {"download", project});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(TempDir::read((emu.state() / "image.bin").string()).size(), 20000u);
    fs::remove(emu.state() / "image.bin");
    // --port wins over the variable.
    r = kest_with_port_variable(dir.file("fehlt"), {"download", project, "-p", emu.link()});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(TempDir::read((emu.state() / "image.bin").string()).size(), 20000u);
    r = kest_with_port_variable(emu.link(), {"help", "upload"});
    EXPECT_NE(r.out.find("KEST_PORT names the port when a transfer is given no --port (now: " + emu.link() + ")"),
              std::string::npos)
        << r.out;
    r = kest_with_port_variable("", {"lookup", project});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("no port: give --port DEVICE or set KEST_PORT"), std::string::npos) << r.err;
    EXPECT_NE(kest_with_port_variable("", {"--help"}).out.find("(now not set)"), std::string::npos);

    r = kest({"-q", "download", project, "-p", emu.link()});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    r = kest({"download", project, "-p", emu.link(), "-v"});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.err.find(" -> VELMOR\n"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(" -> 103 bytes\n"), std::string::npos);
    EXPECT_NE(r.err.find(" <- ACK\n"), std::string::npos);
    EXPECT_EQ(r.err.find("PC>"), std::string::npos) << "-v shows the exchanges, not the bytes";

    r = kest_on_terminal({"-q", "download", project, "-p", emu.link()});
    EXPECT_EQ(r.out.find("blocks"), std::string::npos) << r.out;
}

// Every transfer talks to the terminal directly unless given --cradle, and its help says
// so; a terminal sitting in a cradle then does not answer, and each says what to try.
TEST_F(KestCli, EveryTransferIsDirectByDefaultAndPointsToTheCradle) {
    const std::string lookup = dir.file("artikel.txt");
    std::ofstream(lookup) << "4711;Schraube\r\n";
    const std::vector<std::vector<std::string>> transfers = {
        {"download", project}, {"lookup", lookup}, {"upload", "-o", dir.file("d.txt")}, {"flash", object_file(true)}};
    std::vector<std::unique_ptr<testing::KestemuProcess>> cradles;
    std::vector<std::future<ToolRun>> runs;
    for (std::vector<std::string> args : transfers) {
        const std::string help = kest({"help", args[0]}).out;
        EXPECT_NE(help.find("--no-cradle        talk to the terminal directly"), std::string::npos) << help;
        EXPECT_NE(help.find("(the default of\n                     every transfer)"), std::string::npos) << help;
        EXPECT_NE(help.find("KEST_PORT names the port when a transfer is given no --port"), std::string::npos) << help;
        // The emulated cradle listens at 9600 bit/s; a transfer each, side by side.
        cradles.push_back(std::make_unique<testing::KestemuProcess>());
        ASSERT_TRUE(cradles.back()->ok());
        args.insert(args.end(), {"-p", cradles.back()->link(), "-b", "115200"});
        runs.push_back(std::async(std::launch::async, [args] { return kest(args); }));
    }
    for (std::size_t i = 0; i < runs.size(); ++i) {
        const ToolRun r = runs[i].get();
        EXPECT_EQ(r.status, 4) << transfers[i][0] << ": " << r.err;
        EXPECT_NE(r.err.find("no answer at 115200 bit/s on " + cradles[i]->link() +
                             ": is the terminal in a cradle? try --cradle"),
                  std::string::npos)
            << transfers[i][0] << ": " << r.err;
    }
    EXPECT_FALSE(fs::exists(dir.file("d.txt")));
}

// "--" ends the options, "-o -" is standard output, kest help COMMAND, and usage on stderr.
TEST_F(KestCli, OptionConventions) {
    // A file whose name starts with a dash, in the folder kest runs in.
    auto in_folder = [&](const std::vector<std::string>& args) {
        std::vector<std::string> all{"-C", dir.path().string(), fs::absolute(testing::tool_path("KEST_BIN")).string()};
        all.insert(all.end(), args.begin(), args.end());
        return testing::run_tool("env", all);
    };
    ToolRun r = in_folder({"new", "--", "-x.agx"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(fs::exists(dir.file("-x.agx")));
    EXPECT_EQ(in_folder({"show", "--", "-x.agx"}).status, 0);
    r = in_folder({"show", "-x.agx"});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("unknown option -x.agx"), std::string::npos) << r.err;

    r = kest({"image", project, "-o", "-"});
    EXPECT_EQ(r.status, 0) << r.err;
    ASSERT_EQ(kest({"image", project, "-o", dir.file("i.bin")}).status, 0);
    const auto image = TempDir::read(dir.file("i.bin"));
    EXPECT_EQ(r.out, std::string(image.begin(), image.end()));
    const std::string json = dir.file("p.json");
    const std::string text = kest({"show", "--json", project}).out;
    TempDir::write(json, std::vector<u8>(text.begin(), text.end()));
    const auto bytes = TempDir::read(project);
    // The project files of build, new and convert; convert's note then goes to stderr.
    const std::string older = dir.file("alt.agx");
    std::vector<u8> olderBytes(kOlderMinimumSize, 0);
    std::memcpy(olderBytes.data(), "Qvx-3.10", 8);
    TempDir::write(older, olderBytes);
    ASSERT_EQ(kest({"convert", older, dir.file("neu.agx")}).status, 0);
    const auto converted = TempDir::read(dir.file("neu.agx"));
    const struct {
        std::vector<std::string> args;
        std::vector<u8> expected;
    } projects[] = {
        {{"build", json, "-o", "-"}, bytes},
        {{"new", "-"}, bytes},
        {{"convert", older, "-"}, converted},
    };
    for (const auto& c : projects) {
        r = kest(c.args);
        EXPECT_EQ(r.status, 0) << c.args[0] << ": " << r.err;
        EXPECT_TRUE(r.out == std::string(c.expected.begin(), c.expected.end())) << c.args[0];
    }
    EXPECT_EQ(r.err, older + ": older layout converted\n");
    EXPECT_FALSE(fs::exists("-"));

    // The records of an upload on standard output, its summary on stderr.
    const std::string records = dir.file("records.txt");
    std::ofstream(records) << "4711;3\r\n4712;1\r\n";
    testing::KestemuProcess emu({"--direct", "--records", records});
    ASSERT_TRUE(emu.ok());
    r = kest({"upload", "-o", "-", "-p", emu.link()});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "4711;3\r\n4712;1\r\n");
    EXPECT_NE(r.err.find("2 records received"), std::string::npos) << r.err;

    r = kest({"help", "flash"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.rfind("usage: kest flash", 0), 0u);
    EXPECT_NE(r.out.find("--no-cradle        talk to the terminal directly"), std::string::npos);
    EXPECT_EQ(kest({"help", "bogus"}).status, 2);
    r = kest({});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("usage: kest"), std::string::npos);
}

// The README's command table and its run against kestemu name every command kest lists.
TEST(KestReadme, CoversEveryCommand) {
    const char* data = std::getenv("KEST_TEST_DATA");
    if (!data) GTEST_SKIP() << "KEST_TEST_DATA not set";
    const std::string readme = testing::slurp((fs::path(data) / ".." / ".." / "README.md").string());
    ASSERT_FALSE(readme.empty());
    const std::string overview = kest({"--help"}).out;
    const std::size_t from = overview.find("commands:\n");
    ASSERT_NE(from, std::string::npos) << overview;
    std::istringstream lines(overview.substr(from + 10));
    // "kest NAME" after `before`, followed by one of `after` ("kest show" is no "kest showx").
    auto names = [&](const std::string& before, const std::string& name, const char* after) {
        const std::string text = before + "kest " + name;
        for (std::size_t at = readme.find(text); at != std::string::npos; at = readme.find(text, at + 1))
            if (std::strchr(after, readme[at + text.size()])) return true;
        return false;
    };
    int listed = 0;
    for (std::string line; std::getline(lines, line) && line.rfind("  ", 0) == 0; ++listed) {
        const std::string name = line.substr(2, line.find(' ', 2) - 2);
        EXPECT_TRUE(names("| `", name, " `")) << name << ": no row in the command table";
        EXPECT_TRUE(names("\n    $ ", name, " \n")) << name << ": no example run";
    }
    EXPECT_GE(listed, 14) << overview;
}

}  // namespace
}  // namespace kest
