#include "platform/posix/sysfs_ports.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <system_error>

namespace kest {
namespace {

namespace fs = std::filesystem;

// The first line of a sysfs attribute, or "" when there is none.
std::string attribute(const fs::path& file) {
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    while (!line.empty() && std::isspace(static_cast<unsigned char>(line.back()))) line.pop_back();
    return line;
}

std::string link_name(const fs::path& link) {
    std::error_code ec;
    const fs::path target = fs::read_symlink(link, ec);
    return ec ? std::string() : target.filename().string();
}

// The driver of a port: the device's own, or, where the device belongs to the serial
// core (its port and controller devices), that of the hardware above them.
std::string driver_of(fs::path device) {
    for (int level = 0; level < 4 && link_name(device / "subsystem") == "serial-base"; ++level)
        device = device.parent_path();
    return link_name(device / "driver");
}

// "FT232R USB UART (FTDI) 0403:6001", the USB ids and serial number, from the USB device
// the port belongs to.
void describe_usb(fs::path device, PortEntry& port) {
    std::error_code ec;
    for (int level = 0; level < 4 && !device.empty(); ++level, device = device.parent_path()) {
        if (!fs::exists(device / "idVendor", ec)) continue;
        port.usbId = attribute(device / "idVendor") + ":" + attribute(device / "idProduct");
        port.usbSerial = attribute(device / "serial");
        std::string out = attribute(device / "product");
        const std::string maker = attribute(device / "manufacturer");
        if (!maker.empty()) out += (out.empty() ? "" : " ") + ("(" + maker + ")");
        out += (out.empty() ? "" : " ") + port.usbId;
        if (!port.usbSerial.empty()) out += " serial " + port.usbSerial;
        port.description = out;
        return;
    }
}

// "I/O 0x3F8, IRQ 4" of an on-board UART.
std::string uart_description(const fs::path& tty) {
    const std::string port = attribute(tty / "port");
    const std::string irq = attribute(tty / "irq");
    std::string out;
    if (!port.empty() && port != "0x0") out = "I/O " + port;
    if (!irq.empty() && irq != "0") out += (out.empty() ? "" : ", ") + ("IRQ " + irq);
    return out;
}

}  // namespace

std::vector<PortEntry> sysfs_serial_ports(const fs::path& sysfs) {
    std::vector<PortEntry> ports;
    std::error_code ec;
    for (fs::directory_iterator it(sysfs / "class" / "tty", ec), end; !ec && it != end; it.increment(ec)) {
        const fs::path tty = it->path();
        const std::string name = tty.filename().string();
        const fs::path device = fs::canonical(tty / "device", ec);
        if (ec) {
            ec.clear();
            continue;  // no device: a virtual console or a pseudo-terminal
        }
        const std::string driver = driver_of(device);
        if (driver.empty()) continue;
        PortEntry port;
        port.name = "/dev/" + name;
        port.driver = driver;
        describe_usb(device, port);
        if (name.rfind("ttyS", 0) == 0) {
            if (attribute(tty / "type") == "0") continue;  // a place for a UART, but none answers
            if (port.description.empty()) port.description = uart_description(tty);
        }
        ports.push_back(port);
    }
    std::sort(ports.begin(), ports.end(),
              [](const PortEntry& a, const PortEntry& b) { return port_name_less(a.name, b.name); });
    return ports;
}

void add_stable_names(std::vector<PortEntry>& ports, const fs::path& byId) {
    std::error_code ec;
    std::vector<fs::path> links;
    for (fs::directory_iterator it(byId, ec), end; !ec && it != end; it.increment(ec)) links.push_back(it->path());
    std::sort(links.begin(), links.end());
    for (const fs::path& link : links) {
        const std::string device = "/dev/" + link_name(link);
        for (PortEntry& port : ports)
            if (port.name == device && port.stableName.empty()) port.stableName = link.string();
    }
}

std::vector<PortEntry> system_serial_ports() {
    std::vector<PortEntry> ports = sysfs_serial_ports("/sys");
    add_stable_names(ports, "/dev/serial/by-id");
    return ports;
}

}  // namespace kest
