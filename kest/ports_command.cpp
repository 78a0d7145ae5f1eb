// kest ports: the serial ports of the machine, so that --port need not be guessed.
#include <algorithm>
#include <filesystem>
#include <iostream>

#include "common/json.h"
#include "common/options.h"
#include "kest/command.h"
#include "platform/serial_port.h"
#ifndef _WIN32
#include "platform/posix/sysfs_ports.h"
#endif

namespace kest::cli {
namespace {

constexpr char kUsage[] =
    "usage: kest ports [--json] [--sysfs DIR] [--by-id DIR]\n"
    "\n"
    "Lists the serial ports of this machine without opening them, one per line: the\n"
    "name --port takes, the driver, what the system says about the device and, for a\n"
    "USB adapter, its name under /dev/serial/by-id, which stays the same whichever\n"
    "socket it is plugged into (--port takes that name too).\n"
    "On Linux these are the tty devices that sysfs shows with a driver: USB adapters\n"
    "(/dev/ttyUSB*, /dev/ttyACM*) with their product, maker and USB ids, and on-board\n"
    "ports (/dev/ttyS*) where a UART is present. On Windows the COM ports the system\n"
    "knows (the registry's SERIALCOMM key). A running kestemu is not listed: its link\n"
    "is the port.\n"
    "\n"
    "  --json       one JSON object: \"ports\", a list of objects with name, stableName,\n"
    "               driver, description, usbId and usbSerial (null where unknown)\n"
    "  --sysfs DIR  read the tty devices under DIR instead of /sys (Linux)\n"
    "  --by-id DIR  read the stable names from DIR instead of /dev/serial/by-id (Linux)\n"
    "\n"
    "Exit status 0, also when there is no port (then a note says so on stderr).\n";

std::string ports_json(const std::vector<PortEntry>& ports) {
    JsonWriter json;
    json.begin_object().key("ports").begin_array();
    auto text = [&](const char* key, const std::string& value) {
        if (value.empty())
            json.key(key).null();
        else
            json.field(key, value);
    };
    for (const PortEntry& p : ports) {
        json.begin_object().field("name", p.name);
        text("stableName", p.stableName);
        text("driver", p.driver);
        text("description", p.description);
        text("usbId", p.usbId);
        text("usbSerial", p.usbSerial);
        json.end_object();
    }
    json.end_array().end_object();
    return json.str();
}

int run(const std::vector<std::string>& argv) {
    const ParsedArgs args = parse_command(argv, {"sysfs", "by-id"}, {"json"});
    if (!args.error.empty()) return usage_error("ports", args.error);
    if (!args.positional.empty()) return usage_error("ports", "unexpected argument " + args.positional[0]);
    std::vector<PortEntry> ports;
    if (const auto sysfs = args.value("sysfs")) {
#ifdef _WIN32
        return usage_error("ports", "--sysfs " + *sysfs + ": sysfs is Linux's; Windows lists its COM ports itself");
#else
        std::error_code ec;
        if (!std::filesystem::is_directory(std::filesystem::path(*sysfs) / "class" / "tty", ec))
            return usage_error("ports", "--sysfs " + *sysfs + ": no class/tty folder in it (not a sysfs tree)");
        ports = sysfs_serial_ports(*sysfs);
#endif
    } else {
        ports = system_serial_ports();
    }
#ifndef _WIN32
    if (const auto byId = args.value("by-id")) {
        for (PortEntry& p : ports) p.stableName.clear();
        add_stable_names(ports, *byId);
    }
#endif
    if (args.flag("json")) {
        std::cout << ports_json(ports);
        return kExitOk;
    }
    if (ports.empty()) {
        if (!args.flag("quiet"))
            std::cerr << "kest ports: no serial port found (a USB adapter appears once it is plugged in and its "
                         "driver is loaded)\n";
        return kExitOk;
    }
    std::size_t nameWidth = 0, driverWidth = 0;
    for (const PortEntry& p : ports) {
        nameWidth = std::max(nameWidth, p.name.size());
        driverWidth = std::max(driverWidth, p.driver.size());
    }
    for (const PortEntry& p : ports) {
        std::string line = p.name + std::string(nameWidth - p.name.size() + 2, ' ') + p.driver;
        if (!p.description.empty()) line += std::string(driverWidth - p.driver.size() + 2, ' ') + p.description;
        if (!p.stableName.empty()) line += "  " + p.stableName;
        while (!line.empty() && line.back() == ' ') line.pop_back();
        std::cout << line << "\n";
    }
    return kExitOk;
}

const Registration registration({"ports", "list the serial ports of this machine", kUsage, run});

}  // namespace
}  // namespace kest::cli
