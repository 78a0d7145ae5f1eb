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

}  // namespace kest::cli
