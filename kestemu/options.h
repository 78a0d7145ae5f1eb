// kestemu's command line, read into the settings of one run.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "kestemu/core/emulator.h"

namespace kest::emu {

struct RunOptions {
    std::string linkPath;
    EmulatorConfig emulator;  // its records source is set up by the caller
    FaultPlan faults;
    std::uint64_t seed = 1;
    std::optional<std::string> recordsPath;  // records uploaded on "READ", read afresh each time
    std::optional<std::string> stateFolder;  // where the received image, lookups and flash go
    bool verbose = false;
    bool trace = false;  // every byte too (implies verbose)
};

struct ParsedOptions {
    std::optional<RunOptions> run;  // nothing for --help, --version or a usage error
    bool help = false;
    bool version = false;
    std::string error;  // the usage error
};

ParsedOptions parse_options(const std::vector<std::string>& args);

// The text of --help.
std::string usage_text();

}  // namespace kest::emu
