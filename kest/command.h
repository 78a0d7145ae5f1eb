// Commands of the kest tool. Each command lives in its own file and registers itself.
#pragma once

#include <cstddef>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "common/exit_status.h"
#include "common/options.h"

namespace kest::cli {

struct Command {
    const char* name;
    const char* summary;  // one line for the command list
    const char* usage;    // full --help text
    int (*run)(const std::vector<std::string>& args);
};

void register_command(const Command& command);
const std::vector<Command>& commands();

struct Registration {
    explicit Registration(const Command& command) { register_command(command); }
};

// Prints "kest NAME: message" on stderr and returns kExitBadInput.
int usage_error(const char* command, const std::string& message);

// A command's arguments: its own options and -q/--quiet and -v/--verbose, which every
// command takes (-q: no progress line and no notes, results and errors only; -v: the
// exchanges of a transfer); -p and -b stand for --port and --baud where the command takes
// those; "--" ends the options.
ParsedArgs parse_command(const std::vector<std::string>& args, std::set<std::string> valued,
                         std::set<std::string> switches);

// The arguments of a command that names `files` files and takes the given options: nothing,
// after "kest NAME: expects" or the parsing error on stderr, when they do not fit.
std::optional<ParsedArgs> file_arguments(const char* command, const std::vector<std::string>& args, std::size_t files,
                                         const char* expects, std::set<std::string> valued = {},
                                         std::set<std::string> switches = {});

}  // namespace kest::cli
