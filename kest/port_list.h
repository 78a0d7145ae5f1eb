// The ports of a transfer command (-p given more than once or as a comma list, KEST_PORT,
// --all-ports), the short names by which its lines and the summary call them, and the data
// files of an upload into a folder, named by port and time.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/clock.h"

namespace kest::cli {

struct PortList {
    std::vector<std::string> ports;
    std::string error;  // empty when the list is good
};

// given: the values of -p in order (each may be a comma list); variable: KEST_PORT (may be a
// comma list; used only when no -p is given); all: --all-ports with the machine's ports.
PortList port_list(const std::vector<std::string>& given, const char* variable,
                   const std::optional<std::vector<std::string>>& all);

// The shortest ends of the paths that tell the ports apart: "ttyUSB0" for /dev/ttyUSB0,
// "a/tty" and "b/tty" for /tmp/a/tty and /tmp/b/tty, "COM3" for COM3.
std::vector<std::string> short_port_names(const std::vector<std::string>& ports);

// "ttyUSB0-20261208-1403.txt" (a short name's "/" as "-"); from the second file of that
// minute on "ttyUSB0-20261208-1403-2.txt" and so on.
std::string data_file_name(const std::string& shortName, const LocalTime& time, int number = 1);

// Whether an -o value names a folder to write one data file per port into ("DIR/").
bool names_folder(const std::string& output);

}  // namespace kest::cli
