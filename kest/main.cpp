#include <cstdio>
#include <cstring>
#include <iostream>

#include "common/version.h"
#include "kest/command.h"

namespace kest::cli {

namespace {
std::vector<Command>& registry() {
    static std::vector<Command> list;
    return list;
}

void print_overview() {
    std::cout << "usage: kest COMMAND [ARGS...]\n\n"
                 "Project files and transfers for the hand-held terminal.\n\ncommands:\n";
    for (const auto& c : commands()) std::printf("  %-12s %s\n", c.name, c.summary);
    std::cout << "\nkest COMMAND --help shows the options of a command; kest --version its version.\n"
                 "exit status: 0 success, 1 transfer failed, 2 usage error or bad input file,\n"
                 "             3 port or link could not be set up, 4 no answer from the terminal,\n"
                 "             130 interrupted (a transfer stops before its next packet)\n";
}
}  // namespace

void register_command(const Command& command) { registry().push_back(command); }
const std::vector<Command>& commands() { return registry(); }

int usage_error(const char* command, const std::string& message) {
    std::cerr << "kest " << command << ": " << message << "\n";
    return kExitBadInput;
}

}  // namespace kest::cli

int main(int argc, char** argv) {
    using namespace kest;
    using namespace kest::cli;
    if (argc < 2 || !std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h") ||
        !std::strcmp(argv[1], "help")) {
        print_overview();
        return argc < 2 ? kExitBadInput : kExitOk;
    }
    if (!std::strcmp(argv[1], "--version")) {
        std::cout << "kest " KEST_VERSION "\n";
        return kExitOk;
    }
    std::vector<std::string> args(argv + 2, argv + argc);
    for (const auto& c : commands()) {
        if (c.name != std::string(argv[1])) continue;
        for (const auto& a : args)
            if (a == "--help" || a == "-h") {
                std::cout << c.usage;
                return kExitOk;
            }
        return c.run(args);
    }
    std::cerr << "kest: unknown command '" << argv[1] << "' (kest --help lists the commands)\n";
    return kExitBadInput;
}
