// kest as its users meet it: the port list, the usual options and the messages, run as
// the program.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>

#include "project/project_file.h"
#include "tests/integration/kestemu_process.h"
#include "tests/integration/run_tool.h"
#include "tests/support/projects.h"

namespace kest {
namespace {

using testing::TempDir;
using testing::ToolRun;
namespace fs = std::filesystem;

ToolRun kest(const std::vector<std::string>& args, const std::string& input = "/dev/null") { return testing::run_kest(args, input); }

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
    sys.tty("ttyS10", "platform/serial8250/serial8250:0/serial8250:0.10", {{"type", "4"}, {"port", "0x2E8"}, {"irq", "3"}});
    sys.driver("platform/serial8250/serial8250:0/serial8250:0.2", "port", "serial-base");
    sys.tty("ttyS2", "platform/serial8250/serial8250:0/serial8250:0.2", {{"type", "0"}, {"port", "0x3E8"}, {"irq", "4"}});
    sys.usb("pci0/usb1/1-1", {{"idVendor", "0403"}, {"idProduct", "6001"}, {"product", "FT232R USB UART"},
                              {"manufacturer", "FTDI"}, {"serial", "A700eYzC"}});
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
ToolRun kest_on_terminal(const std::vector<std::string>& args) {
    std::string command = testing::shell_quote(testing::tool_path("KEST_BIN"));
    for (const auto& a : args) command += " " + testing::shell_quote(a);
    return testing::run_tool("script", {"-qec", command + " >/dev/null", "/dev/null"});
}

// On a terminal the progress line counts the blocks and is ended before the message that
// follows it, after success as after a failure; in a file there is no progress line.
TEST(KestProgress, OnATerminalOnlyAndEndedBeforeTheMessage) {
    if (testing::tool_path("KESTEMU_BIN").empty()) GTEST_SKIP() << "no kestemu in this build";
    TempDir dir;
    const std::string project = dir.file("p.agx");
    ASSERT_EQ(write_project_file(project, *testing::new_project()), "");
    struct Case {
        std::vector<std::string> emulator;
        const char* last;     // the last amount the line shows
        const char* message;  // on the line after it
    };
    const Case cases[] = {
        {{"--direct"}, "200/200 blocks", "Downloaded komplett!"},
        {{"--direct", "--faults", "full-at=50"}, "50/200 blocks", "Speicher voll!"},
    };
    for (const Case& c : cases) {
        testing::KestemuProcess emu(c.emulator);
        ASSERT_TRUE(emu.ok());
        const ToolRun r = kest_on_terminal({"download", project, "--port", emu.link(), "--retries", "0"});
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

}  // namespace
}  // namespace kest
