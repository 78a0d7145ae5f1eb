// Runs a command-line program of the build and collects its exit status and output.
#pragma once

#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/temp_dir.h"

namespace kest::testing {

struct ToolRun {
    int status = -1;
    std::string out;
    std::string err;
};

inline std::string shell_quote(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

inline std::string slurp(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// The program named by the environment variable (KEST_BIN, KESTEMU_BIN), or "".
inline std::string tool_path(const char* variable) {
    const char* p = std::getenv(variable);
    return p ? p : "";
}

// Standard input comes from `input` (nothing unless given).
inline ToolRun run_tool(const std::string& program, const std::vector<std::string>& args,
                        const std::string& input = "/dev/null") {
    TempDir dir;
    std::string command = shell_quote(program);
    for (const auto& a : args) command += " " + shell_quote(a);
    command += " >" + shell_quote(dir.file("out")) + " 2>" + shell_quote(dir.file("err")) + " <" + shell_quote(input);
    const int raw = std::system(command.c_str());
    ToolRun run;
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.out = slurp(dir.file("out"));
    run.err = slurp(dir.file("err"));
    return run;
}

// kest of the build (KEST_BIN).
inline ToolRun run_kest(const std::vector<std::string>& args, const std::string& input = "/dev/null") {
    return run_tool(tool_path("KEST_BIN"), args, input);
}

}  // namespace kest::testing
