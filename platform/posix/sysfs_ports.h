// The serial ports of a Linux machine, found without opening them: the tty devices of sysfs
// that have a driver. The folder is a parameter so that a test can give a stand-in tree.
#pragma once

#include <filesystem>
#include <vector>

#include "platform/serial_port.h"

namespace kest {

// The tty devices under sysfs/class/tty that have a driver: USB adapters (ttyUSB*,
// ttyACM*) with their product, maker and USB ids, on-board ports (ttyS*) only where a UART
// answers (their "type" is not 0) with their I/O port and IRQ. Sorted by name, ttyS2 before
// ttyS10; devices are named under /dev.
std::vector<PortEntry> sysfs_serial_ports(const std::filesystem::path& sysfs);

// Gives each port the name a link of `byId` (/dev/serial/by-id, where udev names the USB
// adapters by maker, product and serial number) gives it: such a link leads to the device
// ("../../ttyUSB0"), so the port with that device name gets the link's path.
void add_stable_names(std::vector<PortEntry>& ports, const std::filesystem::path& byId);

}  // namespace kest
