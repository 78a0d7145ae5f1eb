#include "kest/output_path.h"

#include <cstdio>
#include <iostream>

#include "common/file_problem.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace kest::cli {

OutputRules output_rules(bool force, bool stream, bool append) {
    return OutputRules{.replace = force, .replaceReadOnly = force, .stream = stream, .append = append};
}

std::string output_target(const std::string& option) {
    if (option != "-") return option;
#ifdef _WIN32
    std::fflush(stdout);
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    return "/dev/stdout";
}

void report_output_problem(const char* command, const std::string& path, OutputProblem problem) {
    std::cerr << "kest " << command << ": " << path << ": " << problem_text(problem);
    if (problem == OutputProblem::Exists || problem == OutputProblem::ReadOnly) std::cerr << " (--force replaces it)";
    const std::string why = problem == OutputProblem::CannotCreate ? create_problem(path) : "";
    if (!why.empty()) std::cerr << ": " << why;
    std::cerr << "\n";
}

}  // namespace kest::cli
