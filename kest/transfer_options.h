// The options every transfer command shares: --port DEVICE, --baud RATE, --cradle,
// --trace, --retries N. Builds the link (with byte tracing on stderr when asked).
#pragma once

#include <memory>
#include <optional>
#include <set>
#include <string>

#include "kest/console_ui.h"
#include "common/options.h"
#include "link/link.h"

namespace kest::cli {

// Option names the transfer commands accept in addition to their own.
inline const std::set<std::string> kTransferValued = {"port", "baud", "retries"};
inline const std::set<std::string> kTransferSwitches = {"cradle", "trace"};

struct TransferSetup {
    std::string port;
    std::optional<int> rateIndex;  // nothing when --baud was not given
    bool cradle = false;
    std::optional<int> retries;
    std::unique_ptr<SerialPort> device;
    std::unique_ptr<SerialPort> tracer;
    std::unique_ptr<Link> link;
};

// Reads the shared options; on a usage error prints it and returns nothing.
std::optional<TransferSetup> transfer_setup(const char* command, const ParsedArgs& args);

}  // namespace kest::cli
