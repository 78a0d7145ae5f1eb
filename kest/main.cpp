#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <sstream>

#include "common/version.h"
#include "kest/command.h"
#include "kest/transfer_options.h"

namespace kest::cli {

namespace {
// Where the default port comes from, and what it is now.
std::string port_variable_note() {
    const char* port = std::getenv(kPortVariable);
    return std::string(kPortVariable) + " names the port when a transfer is given no --port" +
           (port && *port ? " (now: " + std::string(port) + ")" : " (now not set)") + ".\n";
}

void print_overview(std::ostream& out) {
    std::ostringstream list;
    for (const auto& c : commands()) {
        char line[160];
        std::snprintf(line, sizeof line, "  %-12s %s\n", c.name, c.summary);
        list << line;
    }
    out << "usage: kest [-q | -v] COMMAND [ARGS...]\n\n"
           "Project files and transfers for the hand-held terminal.\n\ncommands:\n"
        << list.str()
        << "\nkest help COMMAND (or kest COMMAND --help) shows the options of a command; kest --version\n"
           "its version. Transfers talk to the terminal directly unless --cradle is given.\n"
        << port_variable_note()
        << "exit status: 0 success, 1 transfer failed (or kest check found values out of range),\n"
           "             2 usage error or bad input file, 3 port or link could not be set up,\n"
           "             4 no answer from the terminal, 130 interrupted (a transfer stops before\n"
           "             its next packet)\n";
}

const Command* find_command(const std::string& name) {
    for (const auto& c : commands())
        if (name == c.name) return &c;
    return nullptr;
}

void print_usage(const Command& c) {
    std::cout << c.usage;
    if (std::strstr(c.usage, kPortVariable)) std::cout << "\n" << port_variable_note();
}

int unknown_command(const std::string& name) {
    std::vector<std::string> names{"help", "--help", "--version"};
    for (const auto& c : commands()) names.push_back(c.name);
    const std::string guess = closest_name(name, names);
    std::cerr << "kest: unknown command '" << name << "' (" << (guess.empty() ? "" : "did you mean '" + guess + "'? ")
              << "kest --help lists the commands)\n";
    return kExitBadInput;
}
}  // namespace

}  // namespace kest::cli

int main(int argc, char** argv) {
    using namespace kest;
    using namespace kest::cli;
    std::vector<std::string> args(argv + 1, argv + argc);
    // -q and -v before the command count as if they followed it.
    std::vector<std::string> global;
    while (!args.empty() && (args[0] == "-q" || args[0] == "--quiet" || args[0] == "-v" || args[0] == "--verbose")) {
        global.push_back(args[0]);
        args.erase(args.begin());
    }
    if (args.empty()) {
        print_overview(std::cerr);
        return kExitBadInput;
    }
    const std::string name = args[0];
    args.erase(args.begin());
    if (name == "--help" || name == "-h" || (name == "help" && args.empty())) {
        print_overview(std::cout);
        return kExitOk;
    }
    if (name == "help") {
        const Command* c = find_command(args[0]);
        if (!c) return unknown_command(args[0]);
        print_usage(*c);
        return kExitOk;
    }
    if (name == "--version") {
        std::cout << "kest " KEST_VERSION "\n";
        return kExitOk;
    }
    const Command* c = find_command(name);
    if (!c) return unknown_command(name);
    for (const auto& a : args) {
        if (a == "--") break;
        if (a == "--help" || a == "-h") {
            print_usage(*c);
            return kExitOk;
        }
    }
    args.insert(args.begin(), global.begin(), global.end());
    return c->run(args);
}
