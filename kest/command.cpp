#include "kest/command.h"

#include <iostream>

namespace kest::cli {

namespace {
std::vector<Command>& registry() {
    static std::vector<Command> list;
    return list;
}
}  // namespace

void register_command(const Command& command) { registry().push_back(command); }
const std::vector<Command>& commands() { return registry(); }

int usage_error(const char* command, const std::string& message) {
    std::cerr << "kest " << command << ": " << message << "\n";
    return kExitBadInput;
}

ParsedArgs parse_command(const std::vector<std::string>& args, std::set<std::string> valued,
                         std::set<std::string> switches) {
    // -q and -v stand before any command; a command without exchanges has nothing more to say.
    switches.insert("quiet");
    switches.insert("verbose");
    return parse_args(args, valued, switches, {{'p', "port"}, {'b', "baud"}, {'q', "quiet"}, {'v', "verbose"}});
}

std::optional<ParsedArgs> file_arguments(const char* command, const std::vector<std::string>& args, std::size_t files,
                                         const char* expects, std::set<std::string> valued,
                                         std::set<std::string> switches) {
    ParsedArgs parsed = parse_command(args, std::move(valued), std::move(switches));
    if (!parsed.error.empty()) {
        usage_error(command, parsed.error);
        return std::nullopt;
    }
    if (parsed.positional.size() != files) {
        usage_error(command, expects);
        return std::nullopt;
    }
    return parsed;
}

}  // namespace kest::cli
