#include "kest/output_path.h"

#include <iostream>

namespace kest::cli {

OutputRules output_rules(bool force, bool stream, bool append) {
    return OutputRules{.replace = force, .replaceReadOnly = force, .stream = stream, .append = append};
}

void report_output_problem(const char* command, const std::string& path, OutputProblem problem) {
    std::cerr << "kest " << command << ": " << path << ": " << problem_text(problem);
    if (problem == OutputProblem::Exists || problem == OutputProblem::ReadOnly) std::cerr << " (--force replaces it)";
    std::cerr << "\n";
}

}  // namespace kest::cli
